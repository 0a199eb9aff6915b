"""Ctrl+S where the picture cannot be written: the start folder is a full tmpfs (or, where mounting is not
permitted, the program runs under a file-size limit with SIGXFSZ ignored) and already holds an older
"名称未決定". An error message opens, the older file keeps every byte, no stray file is left behind, and the
program goes on running."""

import errno
import os

from e2e_support import PICTURE_NAME, check, non_black_mask, run_test

OLD_SIZE = 20000


def fill(folder):
    """Fills the file system of folder to the last byte."""
    fd = os.open(os.path.join(folder, "filler"), os.O_WRONLY | os.O_CREAT | os.O_EXCL)
    try:
        for block in (b"\0" * 4096, b"\0"):
            try:
                while True:
                    os.write(fd, block)
            except OSError as error:
                check(error.errno == errno.ENOSPC, f"filling the tmpfs: {error}")
    finally:
        os.close(fd)


def body(session):
    full = os.path.join(session.tmp, "full")
    # ZELVORANDINE_E2E_NO_MOUNT=1 takes the second way where mounting would work.
    if os.environ.get("ZELVORANDINE_E2E_NO_MOUNT") != "1" and session.mount_tmpfs(full, "256k"):
        folder, limit = full, None
    else:
        # The picture is far longer than this; the settings the program writes are far shorter.
        folder, limit = session.start_dir, 64 * 1024
    old_path = os.path.join(folder, PICTURE_NAME)
    with open(old_path, "wb") as f:
        f.write(os.urandom(OLD_SIZE))
    if limit is None:
        fill(folder)
    with open(old_path, "rb") as f:
        old = f.read()
    before = sorted(os.listdir(folder))
    session.log(f"start folder {folder}, {'full tmpfs' if limit is None else f'file-size limit {limit}'}")

    main, _, _ = session.start_to_first_choice(cwd=folder, file_size_limit=limit)
    view, screen = session.accept_first(main)
    session.etch_bold(view, screen)
    title = session.title(session.main_window)
    session.keys(session.main_window, "ctrl+s")

    box = session.wait_window(".*", exclude={session.main_window})
    rect = session.geometry(box)
    shot = session.stable_screenshot().crop(rect.box())
    check(rect.width > 100 and rect.height > 50 and len(shot.getcolors(1 << 16) or range(1 << 16)) > 2,
          f"the message window {rect} shows nothing")
    shot.save(os.path.join(session.artifacts, session.name + "-message.png"))
    with open(old_path, "rb") as f:
        check(f.read() == old, "the older picture was changed")
    check(sorted(os.listdir(folder)) == before, f"the folder holds {sorted(os.listdir(folder))}, before {before}")

    session.keys(box, "Return")
    session.wait_gone(box)
    check(session.alive(), "the program ended after the message")
    check(session.title(session.main_window) == title, "the failed save changed the title")
    screen = session.stable_screenshot()
    check(non_black_mask(screen.crop(view.box())).getbbox() is not None, "the etched picture is gone")


if __name__ == "__main__":
    run_test("e2e_save_failure", body)
