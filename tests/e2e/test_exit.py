"""File → "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)" after etching: the program ends at once with status 0, asks nothing and writes
no picture."""

import os

from e2e_support import check, run_test


def body(session):
    main, _, _ = session.start_to_first_choice()
    view, screen = session.accept_first(main)
    session.etch_bold(view, screen)

    session.keys(session.main_window, "alt+f", "x")
    status = session.wait_exit(forbid_new_windows=True)
    check(status == 0, f"the program ended with status {status}")
    check(os.listdir(session.start_dir) == [], f"the start folder holds {os.listdir(session.start_dir)}")


if __name__ == "__main__":
    run_test("e2e_exit", body)
