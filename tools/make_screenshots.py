# SPDX-License-Identifier: MIT
"""The README's pictures, made by the real program under a private Xvfb:
make_screenshots.py build/zelvorandine build/shots, then copied to docs/."""

import itertools, math, os, sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from e2e_support import CHOICE, check, run  # noqa: E402 (found through the path above)

SETTINGS = "背景の設定"


def pens(s, screen, view):
    """Centres of the dark squares on the pen toolbar, between the window's left edge and the view: fine,
    medium, bold, ..."""
    px, left = screen.load(), s.geometry(s.main)[0]
    dark = lambda y: [x for x in range(left, view[0]) if sum(px[x, y]) < 60] or [0]
    rows = [y for y in range(view[1], view[1] + 300) if dark(y)[-1] - dark(y)[0] >= 14]
    runs = [[y for _, y in g] for _, g in itertools.groupby(enumerate(rows), lambda p: p[1] - p[0])]
    found = [((left + view[0]) // 2, (r[0] + r[-1]) // 2) for r in runs if len(r) >= 14]
    check(len(found) >= 3, f"no pen toolbar left of the view: {found}")
    return found


def stable_shot(s):
    shots = [s.shot()]
    return s.until(lambda: shots.append(s.shot()) or shots[-1] == shots[-2] and shots[-1], "still screen")


def screenshots(s):
    save = lambda name: stable_shot(s).crop(s.geometry(s.main)).save(os.path.join(s.artifacts, name), optimize=True)
    s.launch()
    s.window(CHOICE)
    save("choice-dialog.png")
    s.keys(s.window(CHOICE), "Escape")
    settings = s.window(SETTINGS)
    s.keys(settings, "Tab", "Tab", "Tab", *["Page_Down"] * 19)  # warmer: blue down to about a quarter
    save("colour-settings.png")
    s.keys(settings, "Return")
    s.gone(settings)
    view = s.accept()
    (l, t, r, b), pen, radius = view, pens(s, s.shot(), view), (view[3] - view[1]) * 0.4
    s.drag(pen[2])  # a spiral and a hatched disc with the bold pen, zigzags and upright lines with thinner ones
    s.drag(*[(round(l + (r - l) * 0.4 + radius * (0.08 + i / 130) * math.cos(i * math.pi / 20)),
              round((t + b) / 2 + radius * (0.08 + i / 130) * math.sin(i * math.pi / 20))) for i in range(121)])
    for dy in range(-93, 94, 3):
        s.drag(*[(r - 150 + side * round(math.sqrt(95**2 - dy**2)), t + 130 + dy) for side in (-1, 1)])
    s.drag(pen[1])
    for k in range(5):
        s.drag(*[(l + 40 + 30 * i, t + 40 + k * 14 + 12 * (i % 2)) for i in range(8)])
    s.drag(pen[0])
    for k in range(6):
        s.drag(*[(r - 60 - k * 12, b - 40 - 20 * i) for i in range(8)])
    s.x("mousemove", r - 5, t + 5)
    save("etched-picture.png")


if __name__ == "__main__":
    run(screenshots, "e2e", *sys.argv[1:])
