# SPDX-License-Identifier: MIT
"""End-to-end cases on Wayland, one ctest each: test_wayland.py CASE --binary PROGRAM --artifacts FOLDER."""

from PIL import ImageChops

from e2e_support import CHOICE, check, main
from test_e2e import start_etch_save
from wayland_support import TOOLS, WaylandSession

OPEN = "開く"


def lock_key_and_dialog(s):
    """Caps Lock locked before the start lights CAP as soon as the program has the keyboard, before any key
    reaches it, and each press turns it off or on at once. The file dialog, which the compositor floats as a
    window's child, opens centred over the main window."""
    s.input.chord("caps_lock")
    s.launch()
    s.window(CHOICE)
    l, t, r, b = s.geometry(s.main)
    bar = lambda: s.stable_shot().crop((l, b - 30, r, b))
    first = bar()
    s.accept()
    lit = bar()
    s.keys(s.main, "caps_lock")
    dark = s.until(lambda: (shot := bar()) != lit and shot, "Caps Lock off")
    cap = ImageChops.difference(lit, dark).getbbox()
    text = lambda image: any(sum(p) < 200 for p in image.crop(cap).getdata())
    check(text(lit) and not text(dark), f"CAP not lit before Caps Lock was pressed, in {cap}")
    check(first.crop(cap) == lit.crop(cap), "CAP not lit before the first key")
    s.keys(s.main, "caps_lock")
    s.until(lambda: bar() == lit, "CAP lit again")
    s.keys(s.main, "ctrl+o")
    dialog = s.window(OPEN)
    box = s.geometry(dialog)
    check(s.floating(dialog), "the file dialog is not floated as the main window's child")
    offset = (box[0] + box[2] - l - r, box[1] + box[3] - t - b)  # twice the distance between the centres
    check(max(map(abs, offset)) <= 1, f"the file dialog at {box} is off the main window's centre by {offset}/2")
    s.keys(dialog, "Escape")
    s.gone(dialog)


if __name__ == "__main__":
    main({"start_etch_save": start_etch_save, "lock_key_and_dialog": lock_key_and_dialog}, WaylandSession,
         TOOLS)
