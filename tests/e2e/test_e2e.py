# SPDX-License-Identifier: MIT
"""End-to-end cases, one ctest each: test_e2e.py CASE --binary PROGRAM --artifacts FOLDER."""

import contextlib, os, pathlib, subprocess, time

from e2e_support import BLACK, CHOICE, NAME, REDRAW, SAVE_AS, SETTINGS, USE_THIS, Image, check, check_stroke, main, same


def start_etch_save(s):
    """The title picture, then the choice; 描きなおす twice paints new backgrounds, これでいく turns the view
    black; the bold pen etches and Ctrl+S writes exactly what the view shows."""
    s.launch()
    box = s.geometry(s.window("Zelvorandine"))
    title = Image.open(pathlib.Path(__file__).parents[2] / "res/artwork/title_136.bmp").convert("RGB")
    s.until(lambda: same(s.shot().crop(box[:2] + (box[0] + title.width, box[1] + title.height)), title), "title")
    shots = [s.window(CHOICE) and s.stable_shot()]
    for _ in range(2):
        s.choose(REDRAW)
        shots.append(s.window(CHOICE) and s.stable_shot())
    check(shots[0] != shots[1] != shots[2], "描きなおす painted no new background")
    view, screen = s.accept(shots[2])
    ends = s.etch_bold(view, screen)
    s.keys(s.main, "ctrl+s")
    check_stroke(s.saved(os.path.join(s.start, NAME), view), *ends)
    check(os.listdir(s.start) == [NAME], f"the start folder holds {os.listdir(s.start)}")


def colour_settings(s):
    """Escape on the choice opens the settings; with green and blue at 0 no revealed pixel has either."""
    s.launch()
    s.keys(s.window(CHOICE), "Escape")
    settings = s.window(SETTINGS)
    # The focus starts on Cancel; the tab order is Cancel, red, green, blue, "設定終了", contrast.
    s.keys(settings, "Tab", "Tab", "Home", "Tab", "Home", "Tab", "space")
    s.gone(settings)
    view, screen = s.accept()
    ends = s.etch_bold(view, screen)
    s.keys(s.main, "ctrl+s")
    picture = s.saved(os.path.join(s.start, NAME), view)
    check_stroke(picture, *ends)
    check(picture.getextrema()[1:] == ((0, 0), (0, 0)), f"revealed pixels have green or blue: {picture.getextrema()}")


def save_as(s):
    """Save As through the file dialog into a Japanese-named folder: the file is there, the title its name."""
    folder = os.path.join(s.start, "絵の箱")
    os.mkdir(folder)
    s.launch()
    view, screen = s.accept()
    ends = s.etch_bold(view, screen)
    s.keys(s.main, "alt+f", "a")
    dialog = s.window(SAVE_AS)
    s.type_text(dialog, os.path.join(folder, "作品.bmp"))  # into the focused name field, over the proposal
    s.keys(dialog, "Return")
    s.gone(dialog)
    check_stroke(s.saved(os.path.join(folder, "作品.bmp"), view), *ends)
    check(s.windows()[s.main] == "作品.bmp" and os.listdir(folder) == ["作品.bmp"], f"{s.windows()}, {os.listdir(folder)}")


def save_failure(s):
    """Ctrl+S on a full tmpfs (or, where mounting fails, under a file-size limit) over an older picture:
    a message opens, the older file keeps every byte, nothing else is left and the program goes on."""
    folder, fsize = os.path.join(s.tmp, "full"), None
    os.mkdir(folder)
    mount = ["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs", folder]
    if os.environ.get("ZELVORANDINE_E2E_NO_MOUNT") or os.geteuid() or subprocess.run(mount).returncode:
        folder, fsize = s.start, 64 * 1024  # far shorter than the picture, far longer than the settings
    s.mounts += [] if fsize else [folder]
    old = pathlib.Path(folder, NAME)
    old.write_bytes(os.urandom(20000))
    if not fsize:
        with open(os.path.join(folder, "filler"), "wb", buffering=0) as f, contextlib.suppress(OSError):
            while f.write(b"\0" * 4096):  # to the last page
                continue
    before, listing = old.read_bytes(), sorted(os.listdir(folder))
    s.launch(folder, fsize)
    s.etch_bold(*s.accept())
    s.keys(s.main, "ctrl+s")
    box = s.window("Zelvorandine")
    check(old.read_bytes() == before, "the older picture was changed")
    check(sorted(os.listdir(folder)) == listing, f"the folder holds {sorted(os.listdir(folder))}, before {listing}")
    s.keys(box, "Return")
    s.gone(box)


def fast_stroke(s):
    """A zigzag dragged with the fine pen as fast as xdotool sends it: every corner the pointer reached is
    in the saved picture, none merged away with the moves around it."""
    s.launch()
    view, _ = s.accept()
    w = view[2] - view[0]
    corners = [(x, 20 + row * 30 + (x // 3 % 2) * 6) for row in range(4) for x in range(10, w - 10, 3)]
    moves = [arg for x, y in corners[1:] for arg in ("mousemove", view[0] + x, view[1] + y)]
    s.x("mousemove", view[0] + corners[0][0], view[1] + corners[0][1], "sleep", 0.1, "mousedown", 1, *moves,
        "sleep", 0.1, "mouseup", 1)
    s.keys(s.main, "ctrl+s")
    px = s.saved(os.path.join(s.start, NAME), view).load()
    missed = [c for c in corners[1:-1] if px[c] == BLACK]
    check(not missed, f"{len(missed)} of {len(corners) - 2} corners missing, the first at {missed[:3]}")


def lock_keys(s):
    """Idle, the program does nothing at all: no thread of it wakes. The status bar shows Caps Lock as it
    was when the program started, and follows Caps Lock and Num Lock at once when they are pressed."""
    s.x("key", "Caps_Lock")  # on before the start
    s.launch()
    s.accept()
    l, t, r, b = s.geometry(s.main)
    bar = lambda: s.stable_shot().crop((l, b - 30, r, b))
    caps = bar()
    switches = lambda: sum(int(line.split()[1]) for task in os.listdir(f"/proc/{s.app.pid}/task")
                           for line in open(f"/proc/{s.app.pid}/task/{task}/status")
                           if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")))
    idle = switches()
    time.sleep(1.5)
    check(switches() == idle, f"{switches() - idle} wake-ups in 1.5 s of idling")
    s.x("key", "Caps_Lock")
    off = s.until(lambda: (shot := bar()) != caps and shot, "Caps Lock off")
    s.x("key", "Num_Lock")
    s.until(lambda: bar() not in (caps, off), "Num Lock on")
    s.x("key", "Num_Lock", "Caps_Lock")
    s.until(lambda: bar() == caps, "Caps Lock on again, as at the start")


def ask_before_discard(s):
    """After etching, Ctrl+N asks first: キャンセル keeps the picture and its marked title. File → Exit asks too:
    保存しない ends the program with status 0, writing nothing."""
    s.launch()
    view, screen = s.accept()
    s.etch_bold(view, screen)
    etched = s.stable_shot().crop(view)
    check(s.windows()[s.main] == "無題* - Zelvorandine", f"the title is {s.windows()[s.main]!r}")
    s.keys(s.main, "ctrl+n")
    question = s.window("Zelvorandine")
    s.keys(question, "Tab", "Tab", "space")  # from 保存 past 保存しない to キャンセル
    s.gone(question)
    check(same(s.stable_shot().crop(view), etched), "the etched picture is gone after キャンセル")
    check(s.windows()[s.main] == "無題* - Zelvorandine", f"the title is {s.windows()[s.main]!r}")
    s.keys(s.main, "alt+f", "x")
    s.keys(s.window("Zelvorandine"), "Tab", "space")  # 保存しない
    s.until(lambda: s.app.poll() is not None, "end after 保存しない", 10)
    check(s.app.returncode == 0 and os.listdir(s.start) == [], f"status {s.app.returncode}, {os.listdir(s.start)}")


def window_placement(s):
    """-geometry 99999x99999 gives a window no larger than the screen; moved and resized with the window
    system, the window comes back there at the next start, and a toolbar floated off the screen comes back
    onto it; a resize past the screen is taken back."""
    screen = s.shot().size
    fits = lambda box: box[2] - box[0] <= screen[0] and box[3] - box[1] <= screen[1]
    s.launch(args=("-geometry", "99999x99999"))
    check(fits(s.geometry(s.main)), f"window {s.geometry(s.main)} on a screen of {screen}")
    s.choose(USE_THIS)
    placed = (100, 80, 800, 580)
    s.x("windowmove", s.main, *placed[:2], "windowsize", s.main, placed[2] - placed[0], placed[3] - placed[1])
    s.until(lambda: s.geometry(s.main) == placed, f"window at {placed}")
    s.drag((placed[0] + 5, placed[1] + 25), (400, 700), (400, 800))  # the standard toolbar by its grip
    bar = s.window("Zelvorandine")
    s.x("windowmove", bar, 3000, 2500)
    s.until(lambda: s.geometry(bar)[:2] == (3000, 2500), "toolbar off the screen")
    s.keys(s.main, "alt+f", "x")
    s.until(lambda: s.app.poll() is not None, "end", 10)
    s.launch()
    check(s.geometry(s.main) == placed, f"window at {s.geometry(s.main)}, left at {placed}")
    bar = s.geometry(s.window("Zelvorandine"))
    check(bar[0] >= 0 and bar[1] >= 0 and bar[2] <= screen[0] and bar[3] <= screen[1], f"toolbar at {bar}")
    s.x("windowsize", s.main, 5000, 4000)
    s.until(lambda: fits(s.geometry(s.main)) and s.geometry(s.main) != placed, "window within the screen")


if __name__ == "__main__":
    main({"start_etch_save": start_etch_save, "colour_settings": colour_settings, "save_as": save_as,
          "save_failure": save_failure, "ask_before_discard": ask_before_discard,
          "window_placement": window_placement, "fast_stroke": fast_stroke, "lock_keys": lock_keys})
