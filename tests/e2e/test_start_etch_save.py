"""Start-up to a saved picture: the title splash shows, "描きなおす" twice paints new backgrounds, "これでいく"
turns the view black, the bold pen etches a stroke and Ctrl+S writes exactly what the view shows."""

import os
import time

from e2e_support import (BLACK, PICTURE_NAME, REDRAW, all_black, check, check_single_stroke, non_black_mask,
                         run_test)


def shows_picture(screen, rect):
    picture = screen.crop(rect.box())
    shown = non_black_mask(picture).histogram()[255]
    return shown > 0.9 * rect.width * rect.height and len(picture.getcolors(1 << 16) or range(1 << 16)) >= 8


def wait_splash(session):
    """The borderless splash window and a screenshot of it showing the title picture (not black, many
    colours), taken while it is up."""
    splash = session.wait_window("Zelvorandine")
    rect = session.geometry(splash)
    check(abs(rect.width - 289) <= 3 and abs(rect.height - 208) <= 3,
          f"the splash is {rect.width} x {rect.height}, the title picture 289 x 208")
    while True:
        screen = session.screenshot()
        up = splash in [w for w, _ in session.windows()]
        if up and shows_picture(screen, rect):
            return rect, screen
        check(up, "the splash closed without showing the title picture")
        time.sleep(0.05)


def body(session):
    session.launch()
    session.wait_main_window()
    main = session.geometry(session.main_window)
    title = session.title(session.main_window)

    splash, splash_screen = wait_splash(session)

    choice, _ = session.wait_choice()
    first = session.stable_screenshot()
    session.press_choice(REDRAW)
    second_choice, _ = session.wait_choice(exclude={choice})
    second = session.stable_screenshot()
    view = session.find_view(first, second, main)

    # Behind the splash the view was already black.
    outside = splash_screen.crop(view.box())
    outside.paste(BLACK, (splash.left - view.left, splash.top - view.top, splash.right - view.left,
                          splash.bottom - view.top))
    check(all_black(outside), "the view was not black around the splash")

    # Each background fills the whole view.
    for screen in (first, second):
        area = view.width * view.height
        check(non_black_mask(screen.crop(view.box())).histogram()[255] > 0.95 * area, "a background leaves black")

    session.press_choice(REDRAW)
    session.wait_choice(exclude={choice, second_choice})
    third = session.stable_screenshot()
    check(third.crop(view.box()) != second.crop(view.box()), "the second 描きなおす painted the same background")

    view_after, screen = session.accept_first(main)
    check(view_after == view, f"the black area {view_after} is not the view {view}")

    start, end = session.etch_bold(view, screen)
    session.keys(session.main_window, "ctrl+s")
    path = os.path.join(session.start_dir, PICTURE_NAME)
    picture = session.wait_bmp(path)
    session.check_shows(picture, view)
    thickness = check_single_stroke(picture, start, end, min_thickness=4)
    session.log(f"stroke thickness across: {thickness}")

    check(sorted(os.listdir(session.start_dir)) == [PICTURE_NAME],
          f"the start folder holds {sorted(os.listdir(session.start_dir))}")
    check(session.title(session.main_window) == title, "Ctrl+S changed the window title")


if __name__ == "__main__":
    run_test("e2e_start_etch_save", body)
