# SPDX-License-Identifier: MIT
# End-to-end cases, one ctest each.

import os, pathlib, sys

from e2e_support import BLACK, CHOICE, NAME, Image, ImageChops, check, pyatspi, run


def outside(image, box):
    # The box around the pixels of image that are not black, leaving out those within box.
    (image := image.copy()).paste(BLACK, box)
    return image.getbbox()


def start_etch_save(s):
    # The title picture, then the choice, whose これでいく turns the view black. A zigzag dragged with the fine
    # pen as fast as the moves can be sent reveals every corner the pointer reached, none merged away with the
    # moves around it, and nothing outside; Ctrl+S writes exactly what the view shows.
    title = Image.open(pathlib.Path(__file__).parents[2] / "res/artwork/title_136.bmp").convert("RGB")
    s.launch()
    splash = s.window("Zelvorandine")
    s.until(lambda: s.shot().crop(s.geometry(splash)).crop((0, 0, *title.size)).tobytes() == title.tobytes(), "title")
    view = s.accept()
    corners = [(x, 20 + row * 30 + x // 3 % 2 * 6) for row in range(4) for x in range(10, view[2] - view[0] - 10, 3)]
    s.drag(*[(view[0] + x, view[1] + y) for x, y in corners])
    s.keys(s.main, "ctrl+s")
    path = os.path.join(s.start, NAME)
    picture = s.until(lambda: os.path.exists(path) and Image.open(path), f"file {path}")  # its bytes: unit tests
    check(picture.format == "BMP" and picture.mode == "RGB" and picture.size == (view[2] - view[0], view[3] - view[1]),
          f"{picture.format} {picture.mode} picture of {picture.size}, view {view}")
    s.until(lambda: s.shot().crop(view).tobytes() == picture.tobytes(), "view showing the saved picture")
    missed = [c for c in corners[1:-1] if picture.getpixel(c) == BLACK]
    check(not missed, f"{len(missed)} of {len(corners) - 2} corners missing, the first at {missed[:3]}")
    xs, ys = zip(*corners)
    check((box := outside(picture, (min(xs), min(ys), max(xs) + 1, max(ys) + 1))) is None,
          f"revealed pixels away from the zigzag within {box}")
    check(os.listdir(s.start) == [NAME], f"the start folder holds {os.listdir(s.start)}")


def ask_before_discard(s):
    # After etching, Ctrl+N asks first: キャンセル keeps the picture. File → Exit asks too: 保存しない ends
    # the program with status 0, writing nothing.
    s.launch()
    view = s.accept()
    s.drag((view[0] + 20, view[1] + 20), (view[0] + 200, view[1] + 90))
    s.keys(s.main, "ctrl+n")
    s.keys(question := s.window("Zelvorandine"), "Tab", "Tab", "space")  # from 保存 past 保存しない to キャンセル
    s.gone(question)
    etched = lambda shot: shot.getbbox() and not outside(shot, (20, 20, 201, 91))
    s.until(lambda: etched(s.shot().crop(view)), "etched line (and nothing else) after キャンセル")
    s.keys(s.main, "alt+f", "x")
    s.keys(s.window("Zelvorandine"), "Tab", "space")  # 保存しない
    s.app.wait(30)  # the end after 保存しない
    check(s.app.returncode == 0 and os.listdir(s.start) == [], f"status {s.app.returncode}, {os.listdir(s.start)}")


# The system calls a thread waits in with no time limit, by number: read; poll, epoll_wait, epoll_pwait with
# timeout -1; futex and ppoll with no timeout.
ENDLESS = {0: None, 7: (2, 0xFFFFFFFF), 232: (3, 0xFFFFFFFF), 281: (3, 0xFFFFFFFF), 202: (3, 0), 271: (2, 0)}


def waiting_endlessly(pid):
    # Whether every thread waits with no time limit, as the kernel tells: then only input or another thread
    # wakes the program.
    calls = [open(f"/proc/{pid}/task/{task}/syscall").read().split() for task in os.listdir(f"/proc/{pid}/task")]
    return all((limit := ENDLESS.get(int(c[0]) if c[0].isdigit() else -1, ())) is None or
               (limit and int(c[1 + limit[0]], 16) == limit[1]) for c in calls)


def lock_keys(s):
    # Idle, the program does nothing at all: once the toolkit's own clean-up after the start has run, every
    # thread waits with no time limit. CAP lights when the program starts with Caps Lock on, before any key
    # reaches it; CAP and NUM follow Caps Lock and Num Lock at once.
    s.keys(None, "Caps_Lock")  # on before the start
    s.launch()
    s.accept()
    s.until(lambda: waiting_endlessly(s.app.pid), "idle state (every thread waiting with no time limit)", 60)
    bar = lambda box=s.geometry(s.main): s.shot().crop((box[0], box[3] - 30, *box[2:]))
    press = lambda key, now, what: s.keys(s.main, key) or s.until(lambda: (shot := bar()) != now and shot, what)
    dark = press("Caps_Lock", lit := bar(), "CAP dark")
    cap = ImageChops.difference(lit, dark).getbbox()
    text = lambda image: any(sum(p) < 200 for p in image.crop(cap).getdata())
    check(text(lit) and not text(dark), f"CAP not lit before Caps Lock was pressed, in {cap}")
    press("Num_Lock", dark, "NUM lit")
    s.keys(s.main, "Num_Lock", "Caps_Lock")
    s.until(lambda: bar() == lit, "CAP lit again, NUM dark")
    s.launch()  # again, Caps Lock still on
    s.window(CHOICE)
    s.until(lambda: bar().crop(cap) == lit.crop(cap), "CAP lit at the start, before any key")


def window_placement(s):
    # Moved and resized with the window system, the window comes back there at the next start; a resize past the
    # screen is taken back, and so is a place off the screen asked for with -geometry.
    screen = s.shot().size
    s.launch()
    s.keys(s.window(CHOICE), "Return")
    placed = (100, 80, 800, 580)
    s.x("windowmove", s.main, *placed[:2], "windowsize", s.main, placed[2] - placed[0], placed[3] - placed[1])
    s.until(lambda: s.geometry(s.main) == placed, f"window at {placed}")
    s.keys(s.main, "alt+f", "x")
    s.app.wait(30)
    s.launch()
    check(s.geometry(s.main) == placed, f"window at {s.geometry(s.main)}, left at {placed}")
    s.x("windowsize", s.main, 5000, 4000)
    s.until(lambda: (box := s.geometry(s.main)) != placed and box[2] - box[0] <= screen[0] and
            box[3] - box[1] <= screen[1], "window within the screen")
    s.launch("-geometry", "800x600+50000+50000")
    check((box := s.geometry(s.main)) == (screen[0] - 800, screen[1] - 600, *screen), f"-geometry: window at {box}")


def open_dialog(s):
    # Ctrl+O opens the file dialog, which a Wayland compositor floats as the main window's child, centred over
    # it; Escape closes it.
    s.launch()
    s.accept()
    s.keys(s.main, "ctrl+o")
    dialog, (l, t, r, b) = s.window("開く"), s.geometry(s.main)
    offset = lambda box: max(abs(box[0] + box[2] - l - r), abs(box[1] + box[3] - t - b))  # twice the distance
    s.until(lambda: offset(s.geometry(dialog)) <= 1, "file dialog centred over the main window")
    s.keys(dialog, "Escape")
    s.gone(dialog)


BUTTONS = ["新規作成", "上書き保存", "印刷", "Zelvorandine のﾊﾞｰｼﾞｮﾝ情報", "細い削りﾍﾟﾝ", "中くらいの削りﾍﾟﾝ",
           "太い削りﾍﾟﾝ", "黒で覆うﾍﾟﾝ"]


def names(s):
    # What a screen reader finds (at-spi, on a private session bus): the bars, the pen buttons and the drawing
    # area are named and described, though they show no text and the pen buttons no tooltip; the other buttons
    # are named as their menu items, without mnemonic or keys. The colour sliders are labelled by the labels
    # beside them.
    s.env.update(DBUS_SESSION_BUS_ADDRESS=os.environ["DBUS_SESSION_BUS_ADDRESS"], QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    s.launch()
    s.keys(s.window(CHOICE), "Escape")
    s.window("背景の設定")
    # (role, name, description, name of its label) of every object of the program, depth first.
    label = lambda node: next((r.getTarget(0).name for r in node.getRelationSet()
                               if r.getRelationType() == pyatspi.RELATION_LABELLED_BY), None)
    tree = lambda: [(n.getRoleName(), n.name, n.description, label(n)) for a in pyatspi.Registry.getDesktop(0)
                    if a and a.get_process_id() == s.app.pid for n in pyatspi.findAllDescendants(a, bool)]
    nodes = s.until(lambda: (t := tree()) and sum(n[0] == "slider" for n in t) == 4 and t, "sliders")
    role = lambda r: [n for n in nodes if n[0] == r]
    buttons = [b for b in role("push button") if b[1] in BUTTONS or "\t" in b[1] or "(" in b[1]]
    found = dict(sliders=[(n[1], n[3]) for n in role("slider")], bars=[(b[1], bool(b[2])) for b in role("tool bar")],
                 buttons=[b[1] for b in buttons], pens=[b[2].split("ﾋﾟｸｾﾙ")[0] for b in buttons[4:]],
                 view=["ﾄﾞﾗｯｸﾞ" in n[2] for n in nodes if n[1] == "描画領域"])
    expected = dict(sliders=[(t, t) for t in ("赤の濃さ", "緑の濃さ", "青の濃さ", "コントラスト")],
                    bars=[("ﾂｰﾙ ﾊﾞｰ", True), ("描画設定", True)], buttons=BUTTONS,
                    pens=["幅 1 ", "幅 2 ", "幅 4 ", "幅 10 "], view=[True])  # one drawing area, described
    check(found == expected, f"found {[(k, v) for k, v in found.items() if v != expected[k]]}")


if __name__ == "__main__":  # test_e2e.py e2e|wayland|a11y:CASE PROGRAM ARTIFACTS
    run(globals()[sys.argv[1].split(":")[1]], sys.argv[1].split(":")[0], *sys.argv[2:])
