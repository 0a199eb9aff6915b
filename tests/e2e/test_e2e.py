# SPDX-License-Identifier: MIT
"""End-to-end cases, one ctest each: test_e2e.py CASE --binary PROGRAM --artifacts FOLDER."""

import os, pathlib, time

from e2e_support import BLACK, CHOICE, NAME, Image, check, main, same


def start_etch_save(s):
    """The title picture, then the choice, whose これでいく turns the view black. A zigzag dragged with the fine
    pen as fast as the moves can be sent reveals every corner the pointer reached, none merged away with the
    moves around it, and nothing outside; Ctrl+S writes exactly what the view shows."""
    s.launch()
    box = s.geometry(s.window("Zelvorandine"))
    title = Image.open(pathlib.Path(__file__).parents[2] / "res/artwork/title_136.bmp").convert("RGB")
    s.until(lambda: same(s.shot().crop(box[:2] + (box[0] + title.width, box[1] + title.height)), title), "title")
    view, _ = s.accept()
    w = view[2] - view[0]
    corners = [(x, 20 + row * 30 + (x // 3 % 2) * 6) for row in range(4) for x in range(10, w - 10, 3)]
    s.stroke([(view[0] + x, view[1] + y) for x, y in corners])
    s.keys(s.main, "ctrl+s")
    path = os.path.join(s.start, NAME)
    s.until(lambda: os.path.exists(path), f"file {path}")
    picture = Image.open(path)  # the bytes are the picture writer's tests' business
    check(picture.format == "BMP", f"{path} is a {picture.format} file")
    picture = picture.convert("RGB")
    check(picture.size == (view[2] - view[0], view[3] - view[1]), f"picture {picture.size}, view {view}")
    check(same(picture, s.stable_shot().crop(view)), "the picture differs from the view")
    missed = [c for c in corners[1:-1] if picture.getpixel(c) == BLACK]
    check(not missed, f"{len(missed)} of {len(corners) - 2} corners missing, the first at {missed[:3]}")
    xs, ys = zip(*corners)
    picture.paste(BLACK, (min(xs), min(ys), max(xs) + 1, max(ys) + 1))
    check(picture.getbbox() is None, f"revealed pixels away from the zigzag within {picture.getbbox()}")
    check(os.listdir(s.start) == [NAME], f"the start folder holds {os.listdir(s.start)}")


def ask_before_discard(s):
    """After etching, Ctrl+N asks first: キャンセル keeps the picture. File → Exit asks too: 保存しない ends
    the program with status 0, writing nothing."""
    s.launch()
    view, _ = s.accept()
    s.drag((view[0] + 20, view[1] + 20), (view[0] + 200, view[1] + 90))
    etched = s.stable_shot().crop(view)
    s.keys(s.main, "ctrl+n")
    question = s.window("Zelvorandine")
    s.keys(question, "Tab", "Tab", "space")  # from 保存 past 保存しない to キャンセル
    s.gone(question)
    check(same(s.stable_shot().crop(view), etched), "the etched picture is gone after キャンセル")
    s.keys(s.main, "alt+f", "x")
    s.keys(s.window("Zelvorandine"), "Tab", "space")  # 保存しない
    s.until(lambda: s.app.poll() is not None, "end after 保存しない", 10)
    check(s.app.returncode == 0 and os.listdir(s.start) == [], f"status {s.app.returncode}, {os.listdir(s.start)}")


# The system calls a thread waits in with no time limit, by number: read; poll, epoll_wait, epoll_pwait with
# timeout -1; futex and ppoll with no timeout.
ENDLESS = {0: None, 7: (2, "0xffffffff"), 232: (3, "0xffffffff"), 281: (3, "0xffffffff"), 202: (3, "0x0"),
           271: (2, "0x0")}


def waiting_endlessly(pid):
    """Whether every thread waits with no time limit, as the kernel tells: then only input or another thread
    wakes the program."""
    calls = [open(f"/proc/{pid}/task/{task}/syscall").read().split() for task in os.listdir(f"/proc/{pid}/task")]
    return all((limit := ENDLESS.get(int(c[0]) if c[0].isdigit() else -1, ())) is None or
               (limit and c[1 + limit[0]] == limit[1]) for c in calls)


def lock_keys(s):
    """Idle, the program does nothing at all: once the toolkit's own clean-up after the start has run, every
    thread waits with no time limit. The status bar shows Caps Lock as it was when the program started, and
    follows Caps Lock and Num Lock at once when they are pressed."""
    s.x("key", "Caps_Lock")  # on before the start
    s.launch()
    s.accept()
    l, t, r, b = s.geometry(s.main)
    bar = lambda: s.stable_shot().crop((l, b - 30, r, b))
    caps = bar()
    s.until(lambda: waiting_endlessly(s.app.pid), "idle state (every thread waiting with no time limit)", 60)
    s.x("key", "Caps_Lock")
    off = s.until(lambda: (shot := bar()) != caps and shot, "Caps Lock off")
    s.x("key", "Num_Lock")
    s.until(lambda: bar() not in (caps, off), "Num Lock on")
    s.x("key", "Num_Lock", "Caps_Lock")
    s.until(lambda: bar() == caps, "Caps Lock on again, as at the start")


def window_placement(s):
    """Moved and resized with the window system, the window comes back there at the next start; a resize past the
    screen is taken back, and so is a place off the screen asked for with -geometry."""
    screen = s.shot().size
    s.launch()
    s.keys(s.window(CHOICE), "Return")
    placed = (100, 80, 800, 580)
    s.x("windowmove", s.main, *placed[:2], "windowsize", s.main, placed[2] - placed[0], placed[3] - placed[1])
    s.until(lambda: s.geometry(s.main) == placed, f"window at {placed}")
    s.keys(s.main, "alt+f", "x")
    s.until(lambda: s.app.poll() is not None, "end", 10)
    s.launch()
    check(s.geometry(s.main) == placed, f"window at {s.geometry(s.main)}, left at {placed}")
    s.x("windowsize", s.main, 5000, 4000)
    fits = lambda box: box != placed and box[2] - box[0] <= screen[0] and box[3] - box[1] <= screen[1]
    s.until(lambda: fits(s.geometry(s.main)), "window within the screen")
    s.app.terminate(), s.app.wait(10)
    s.launch("-geometry", "800x600+50000+50000")
    box = s.geometry(s.main)
    check(box == (screen[0] - 800, screen[1] - 600, *screen), f"-geometry: window at {box}")


if __name__ == "__main__":
    main({"start_etch_save": start_etch_save, "ask_before_discard": ask_before_discard, "lock_keys": lock_keys,
          "window_placement": window_placement})
