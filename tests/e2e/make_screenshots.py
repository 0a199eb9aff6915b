"""Takes the README's screenshots with the end-to-end tooling: the background choice, the colour settings
and an etched picture, each cropped to the main window.

    /usr/bin/python3 tests/e2e/make_screenshots.py --binary build/zelvorandine --artifacts build/shots
    cp build/shots/*.png docs/
"""

import math
import os
import sys

sys.dont_write_bytecode = True

from e2e_support import SETTINGS_TITLE, USE_THIS, run_test  # noqa: E402


def save(session, name):
    main = session.geometry(session.main_window)
    path = os.path.join(session.artifacts, name)
    session.stable_screenshot().crop(main.box()).save(path, optimize=True)
    session.log(f"saved {path}")


def spiral(session, cx, cy, radius, turns=3.0, steps=120):
    points = []
    for i in range(steps + 1):
        angle = turns * 2 * math.pi * i / steps
        r = radius * (0.08 + 0.92 * i / steps)
        points.append((round(cx + r * math.cos(angle)), round(cy + r * math.sin(angle))))
    path(session, points)


def disc(session, cx, cy, radius):
    """A solid disc, hatched with the bold pen."""
    for dy in range(-radius + 2, radius - 1, 3):
        half = round(math.sqrt(radius * radius - dy * dy))
        path(session, [(cx - half, cy + dy), (cx + half, cy + dy)])


def path(session, points):
    session.move(*points[0])
    session.xdotool("mousedown", 1)
    for point in points[1:]:
        session.move(*point)
    session.xdotool("mouseup", 1)


def body(session):
    main, choice, _ = session.start_to_first_choice(end_splash_key="Return")
    save(session, "choice-dialog.png")

    # Warmer colours: blue down to about a quarter.
    session.keys(choice, "Escape")
    settings = session.wait_window(SETTINGS_TITLE)
    session.keys(settings, "Tab", "Tab", "Tab", *["Page_Down"] * 19)
    save(session, "colour-settings.png")
    session.keys(settings, "Return")
    session.wait_gone(settings)

    session.wait_choice(exclude={choice})
    view, screen = session.accept_first(main)
    pens = session.pen_buttons(screen, view)
    session.click(*pens[2])
    spiral(session, view.left + view.width * 2 // 5, view.top + view.height // 2, round(view.height * 0.4))
    disc(session, view.right - 150, view.top + 130, 95)
    session.click(*pens[1])
    for k in range(5):
        y = view.top + 40 + k * 14
        path(session, [(view.left + 40 + 30 * i, y + (12 if i % 2 else 0)) for i in range(8)])
    session.click(*pens[0])
    for k in range(6):
        x = view.right - 60 - k * 12
        path(session, [(x, view.bottom - 40 - 20 * i) for i in range(8)])
    session.move(view.right - 5, view.top + 5)
    save(session, "etched-picture.png")


if __name__ == "__main__":
    run_test("screenshots", body)
