"""Save As through the real file dialog: the full path of a file in a Japanese-named subfolder is typed into
the file name field and confirmed with Enter. The file is written there, the window title becomes its
name, and a later Ctrl+S replaces that file instead of writing into the start folder."""

import os

from e2e_support import SAVE_AS_TITLE, check, check_single_stroke, run_test

FOLDER = "絵の箱"
NAME = "作品.bmp"


def body(session):
    folder = os.path.join(session.start_dir, FOLDER)
    os.mkdir(folder)
    main, _, _ = session.start_to_first_choice(end_splash_key="Return")
    view, screen = session.accept_first(main)
    start, end = session.etch_bold(view, screen)

    session.keys(session.main_window, "alt+f", "a")
    dialog = session.wait_window(SAVE_AS_TITLE)
    # The file name field has the focus with the proposed name selected: typing replaces it.
    target = os.path.join(folder, NAME)
    session.type_text(dialog, target)
    session.keys(dialog, "Return")
    session.wait_gone(dialog)

    picture = session.wait_bmp(target)
    session.check_shows(picture, view)
    check_single_stroke(picture, start, end, min_thickness=4)
    check(session.title(session.main_window) == NAME, f"the title is {session.title(session.main_window)!r}")
    check(sorted(os.listdir(folder)) == [NAME], f"the subfolder holds {sorted(os.listdir(folder))}")

    # A second stroke, then Ctrl+S: the chosen file is replaced, the start folder stays as it was.
    with open(target, "rb") as f:
        first_bytes = f.read()
    session.drag((view.left + view.width // 5, view.top + view.height * 4 // 5),
                 (view.left + view.width * 3 // 5, view.top + view.height * 3 // 4))
    session.keys(session.main_window, "ctrl+s")
    second = session.wait_bmp(target, older=first_bytes)
    session.check_shows(second, view)
    check(sorted(os.listdir(session.start_dir)) == [FOLDER],
          f"the start folder holds {sorted(os.listdir(session.start_dir))}")
    check(session.title(session.main_window) == NAME, "Ctrl+S changed the title")


if __name__ == "__main__":
    run_test("e2e_save_as", body)
