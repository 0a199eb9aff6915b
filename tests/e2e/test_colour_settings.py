"""Colour settings from the keyboard: Escape on the choice dialog opens "背景の設定"; Tab reaches the green and
the blue slider, Home puts each at 0, Tab and Space press "設定終了". The next background and every pixel
etched out of it afterwards have no green and no blue."""

import os

from e2e_support import (CHOICE_TITLE, DU_X, DU_Y, PICTURE_NAME, SETTINGS_TITLE, check, check_single_stroke,
                         non_black_mask, run_test)


def green_and_blue(image):
    """The largest green and blue values in the image."""
    _, g, b = image.split()
    return g.getextrema()[1], b.getextrema()[1]


def body(session):
    main, choice, _ = session.start_to_first_choice(end_splash_key="Escape")
    first = session.stable_screenshot()

    session.keys(choice, "Escape")
    settings = session.wait_window(SETTINGS_TITLE)
    rect = session.geometry(settings)
    check(abs(rect.width - 169 * DU_X) <= 3 and abs(rect.height - 143 * DU_Y) <= 3,
          f"the settings dialog is {rect.width} x {rect.height}")
    check(CHOICE_TITLE not in [name for _, name in session.windows()], "the choice dialog stayed open")

    # The focus starts on Cancel; the tab order is Cancel, red, green, blue, "設定終了", contrast.
    session.keys(settings, "Tab", "Tab", "Home", "Tab", "Home", "Tab", "space")
    session.wait_gone(settings)
    next_choice, dialog = session.wait_choice(exclude={choice})
    second = session.stable_screenshot()
    view = session.find_view(first, second, main)

    background = second.crop(view.box())
    background.paste((0, 0, 0), (dialog.left - view.left, dialog.top - view.top, dialog.right - view.left,
                                 dialog.bottom - view.top))
    check(green_and_blue(background) == (0, 0), f"the new background has green and blue up to "
          f"{green_and_blue(background)}")
    check(non_black_mask(background).histogram()[255] > 0.8 * view.width * view.height,
          "the new background is mostly black")

    session.keys(next_choice, "Return")  # the focus is on "これでいく"
    session.wait_gone(next_choice)
    screen = session.wait_black_view(view)

    start, end = session.etch_bold(view, screen)
    session.keys(session.main_window, "ctrl+s")
    picture = session.wait_bmp(os.path.join(session.start_dir, PICTURE_NAME))
    session.check_shows(picture, view)
    check_single_stroke(picture, start, end, min_thickness=4)
    check(green_and_blue(picture) == (0, 0), f"etched pixels have green and blue up to {green_and_blue(picture)}")


if __name__ == "__main__":
    run_test("e2e_colour_settings", body)
