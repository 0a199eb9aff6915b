# SPDX-License-Identifier: MIT
"""The README's pictures: make_screenshots.py --binary build/zelvorandine --artifacts build/shots, then to docs/."""

import math, os

from e2e_support import CHOICE, SETTINGS, main


def pictures(s):
    save = lambda name: s.stable_shot().crop(s.geometry(s.main)).save(os.path.join(s.artifacts, name), optimize=True)
    s.launch()
    s.window(CHOICE)
    save("choice-dialog.png")
    s.keys(s.window(CHOICE), "Escape")
    settings = s.window(SETTINGS)
    s.keys(settings, "Tab", "Tab", "Tab", *["Page_Down"] * 19)  # warmer: blue down to about a quarter
    save("colour-settings.png")
    s.keys(settings, "Return")
    s.gone(settings)
    view, screen = s.accept()
    (l, t, r, b), pens, radius = view, s.pens(screen, view), (view[3] - view[1]) * 0.4
    s.click(*pens[2])  # a spiral and a hatched disc with the bold pen, zigzags and upright lines with thinner ones
    s.drag(*[(round(l + (r - l) * 0.4 + radius * (0.08 + i / 130) * math.cos(i * math.pi / 20)),
              round((t + b) / 2 + radius * (0.08 + i / 130) * math.sin(i * math.pi / 20))) for i in range(121)])
    for dy in range(-93, 94, 3):
        s.drag(*[(r - 150 + side * round(math.sqrt(95**2 - dy**2)), t + 130 + dy) for side in (-1, 1)])
    s.click(*pens[1])
    for k in range(5):
        s.drag(*[(l + 40 + 30 * i, t + 40 + k * 14 + 12 * (i % 2)) for i in range(8)])
    s.click(*pens[0])
    for k in range(6):
        s.drag(*[(r - 60 - k * 12, b - 40 - 20 * i) for i in range(8)])
    s.x("mousemove", r - 5, t + 5)
    save("etched-picture.png")


if __name__ == "__main__":
    main({"screenshots": pictures})
