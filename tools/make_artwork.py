#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Draws Zelvorandine's bitmaps, cursors and icons.

Run from the repository root:  python3 tools/make_artwork.py

Every output is rewritten byte for byte the same on every run: all "random" placement comes
from the small seeded generator below, and nothing time-dependent is stored in the files.
"""

import colorsys
import os
import sys

try:
    from PIL import Image, ImageDraw, ImageFont
except ImportError:
    # A Python from pyenv or a venv may shadow Debian's, which is the one that carries python3-pil.
    system_python = "/usr/bin/python3"
    if os.path.realpath(sys.executable) != os.path.realpath(system_python) and os.path.exists(system_python):
        os.execv(system_python, [system_python] + sys.argv)
    sys.exit("make_artwork.py needs PIL: install python3-pil (scripts/setup.sh does)")

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ARTWORK = os.path.join(ROOT, "res", "artwork")
HICOLOR = os.path.join(ROOT, "packaging", "icons", "hicolor")

FONT_KANJI = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"
FONT_SANS = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
FONT_SANS_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

KANJI_BLACK = "\u9ed2"  # 黒

# The 16 colours of the classic VGA palette; toolbar strips use nothing else.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)

TRANSPARENT = (0, 0, 0, 0)
CURSOR_BLACK = (0, 0, 0, 255)
CURSOR_WHITE = (255, 255, 255, 255)


class Lcg:
    """Fixed-seed linear congruential generator, so the collages never change between runs."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next15(self):
        self.state = (self.state * 214013 + 2531011) & 0xFFFFFFFF
        return (self.state >> 16) & 0x7FFF

    def below(self, n):
        return self.next15() % n

    def between(self, lo, hi):
        return lo + self.below(hi - lo + 1)


def save_png(image, path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    image.save(path, format="PNG", optimize=False, compress_level=9)


# ---------------------------------------------------------------------------------------------
# Toolbar strips
# ---------------------------------------------------------------------------------------------

# One character per pixel; '.' is the button face.
PIXEL_KEYS = {
    ".": SILVER, "#": BLACK, "w": WHITE, "g": GREY, "o": OLIVE, "y": YELLOW,
    "s": SILVER, "l": LIME, "n": NAVY,
}

NEW_SHEET = [
    "................",
    "...#######......",
    "...#wwwww##.....",
    "...#wwwww#w#....",
    "...#wwwww#ww#...",
    "...#wwwww####...",
    "...#wwwwwwwww#..",
    "...#wwwwwwwww#..",
    "...#wwwwwwwww#..",
    "...#wwwwwwwww#..",
    "...#wwwwwwwww#..",
    "...#wwwwwwwww#..",
    "...#wwwwwwwww#..",
    "...###########..",
    "................",
]

FLOPPY = [
    "................",
    ".##############.",
    ".#o#wwwwwwww#o#.",
    ".#o#wwwwwwww#o#.",
    ".#o#wggggggw#o#.",
    ".#o#wwwwwwww#o#.",
    ".#o#wggggggw#o#.",
    ".#oo########oo#.",
    ".#oooooooooooo#.",
    ".#ooo######ooo#.",
    ".#ooo#ss#s#ooo#.",
    ".#ooo#ss#s#ooo#.",
    ".#ooo#ss#s#ooo#.",
    "..#############.",
    "................",
]

PRINTER = [
    "................",
    "....########....",
    "....#wwwwww#....",
    "....#wggggw#....",
    "....#wwwwww#....",
    "....#wggggw#....",
    "..############..",
    ".#wwwwwwwwwwww#.",
    ".#ssssssssssss#.",
    ".#sssssssssls##.",
    ".#gggggggggggg#.",
    ".##############.",
    "..#wwwwwwwwww#..",
    "..############..",
    "................",
]

# The question mark is given as its yellow body; the black outline is traced around it.
QUESTION_BODY = [
    "................",
    "................",
    ".....yyyyyy.....",
    "....yyyyyyyy....",
    "....yy....yy....",
    "..........yy....",
    ".........yyy....",
    "........yyy.....",
    ".......yyy......",
    ".......yy.......",
    "................",
    ".......yy.......",
    ".......yy.......",
    "................",
    "................",
]

# Reveal-pen tips: white on black, centred in 18 x 17.
DOT_FINE = [
    ".##.",
    "####",
    ".##.",
]
DOT_MEDIUM = [
    ".###.",
    "#####",
    "#####",
    "#####",
    ".###.",
]
DOT_BOLD = [
    "...####...",
    ".########.",
    "##########",
    "##########",
    "##########",
    "##########",
    "##########",
    ".########.",
    "...####...",
]


def grid_to_indices(grid):
    return [[PIXEL_KEYS[c] for c in row] for row in grid]


def outline_body(grid, body_key, outline_index):
    """Pixel indices for a body drawn in body_key with a one-pixel outline traced around it."""
    h, w = len(grid), len(grid[0])
    cells = grid_to_indices(grid)
    for y in range(h):
        for x in range(w):
            if grid[y][x] == body_key:
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1), (1, 1), (-1, -1), (1, -1), (-1, 1)):
                nx, ny = x + dx, y + dy
                if 0 <= nx < w and 0 <= ny < h and grid[ny][nx] == body_key:
                    cells[y][x] = outline_index
                    break
    return cells


def indexed_strip(images, width, height):
    strip = Image.new("P", (width * len(images), height), SILVER)
    strip.putpalette([c for rgb in VGA for c in rgb])
    px = strip.load()
    for i, cells in enumerate(images):
        assert len(cells) == height and all(len(row) == width for row in cells)
        for y, row in enumerate(cells):
            for x, index in enumerate(row):
                px[i * width + x, y] = index
    return strip


def dot_on_black(pattern, width, height):
    cells = [[BLACK] * width for _ in range(height)]
    ph, pw = len(pattern), len(pattern[0])
    x0, y0 = (width - pw) // 2, (height - ph) // 2
    for y, row in enumerate(pattern):
        for x, c in enumerate(row):
            if c == "#":
                cells[y0 + y][x0 + x] = WHITE
    return cells


def render_glyph_mask(text, font_path, pixel_size, threshold=128):
    """The glyph's ink as a 1-bit mask cropped to its bounding box: rendered smooth, then cut."""
    font = ImageFont.truetype(font_path, pixel_size)
    canvas = Image.new("L", (pixel_size * 2 + 8, pixel_size * 2 + 8), 0)
    ImageDraw.Draw(canvas).text((4, 4), text, font=font, fill=255)
    mask = canvas.point(lambda v: 255 if v >= threshold else 0).convert("1")
    box = mask.getbbox()
    return mask.crop(box)


def largest_glyph_mask(text, font_path, max_width, max_height):
    for size in range(max(max_width, max_height) * 2, 4, -1):
        mask = render_glyph_mask(text, font_path, size)
        if mask.width <= max_width and mask.height <= max_height:
            return mask
    raise RuntimeError("glyph does not fit")


def kanji_button(width, height):
    cells = [[SILVER] * width for _ in range(height)]
    mask = largest_glyph_mask(KANJI_BLACK, FONT_KANJI, width - 2, height - 2)
    x0, y0 = (width - mask.width) // 2, (height - mask.height) // 2
    for y in range(mask.height):
        for x in range(mask.width):
            if mask.getpixel((x, y)):
                cells[y0 + y][x0 + x] = BLACK
    return cells


def make_toolbars():
    standard = [
        grid_to_indices(NEW_SHEET),
        grid_to_indices(FLOPPY),
        grid_to_indices(PRINTER),
        outline_body(QUESTION_BODY, "y", BLACK),
    ]
    save_png(indexed_strip(standard, 16, 15), os.path.join(ARTWORK, "toolbar_128.png"))

    pens = [
        dot_on_black(DOT_FINE, 18, 17),
        dot_on_black(DOT_MEDIUM, 18, 17),
        dot_on_black(DOT_BOLD, 18, 17),
        kanji_button(18, 17),
    ]
    save_png(indexed_strip(pens, 18, 17), os.path.join(ARTWORK, "toolbar_140.png"))


# ---------------------------------------------------------------------------------------------
# Application icon
# ---------------------------------------------------------------------------------------------

ICON_OUTLINE = (24, 24, 40)

# The collage in unit coordinates, back to front: ("rect", x0, y0, x1, y1, colour) or
# ("circle", cx, cy, r, colour).
ICON_SHAPES = [
    ("rect", 0.06, 0.06, 0.62, 0.50, (30, 100, 235)),
    ("circle", 0.72, 0.36, 0.25, (250, 60, 40)),
    ("rect", 0.46, 0.54, 0.94, 0.94, (255, 205, 0)),
    ("circle", 0.30, 0.68, 0.27, (30, 190, 70)),
    ("rect", 0.38, 0.31, 0.63, 0.63, (220, 40, 190)),
]


def circle_mask(size, cx, cy, r):
    """Pixels at least half covered by the circle: hard edges, for the smallest icon sizes."""
    mask = Image.new("L", (size, size), 0)
    px = mask.load()
    offsets = [(i + 0.5) / 4 for i in range(4)]
    for y in range(size):
        for x in range(size):
            hits = sum((x + ox - cx) ** 2 + (y + oy - cy) ** 2 <= r * r for ox in offsets for oy in offsets)
            if hits > 8:
                px[x, y] = 255
    return mask


def draw_icon(size):
    # From 32 px up the collage is drawn large and averaged down so circles get smooth edges;
    # below that a smoothed one-pixel outline turns to mud, so small sizes keep hard pixel edges.
    scale = 8 if size >= 32 else 1
    big = size * scale
    image = Image.new("RGBA", (big, big), TRANSPARENT)
    draw = ImageDraw.Draw(image)
    line = max(1, round(size / 32)) * scale
    for shape in ICON_SHAPES:
        if shape[0] == "rect":
            _, x0, y0, x1, y1, colour = shape
            # Rectangles snap to whole pixels of the target size so their edges stay sharp.
            box = [round(v * size) * scale for v in (x0, y0, x1, y1)]
            draw.rectangle([box[0], box[1], box[2] - 1, box[3] - 1], fill=ICON_OUTLINE + (255,))
            draw.rectangle([box[0] + line, box[1] + line, box[2] - 1 - line, box[3] - 1 - line],
                           fill=colour + (255,))
        elif scale == 1:
            _, cx, cy, r, colour = shape
            # A whole-pixel diameter on a matching centre keeps the small disc symmetric.
            diameter = round(2 * r * size)
            cx = round(cx * size - diameter / 2) + diameter / 2
            cy = round(cy * size - diameter / 2) + diameter / 2
            r = diameter / 2
            image.paste(ICON_OUTLINE + (255,), (0, 0), circle_mask(size, cx, cy, r))
            image.paste(colour + (255,), (0, 0), circle_mask(size, cx, cy, r - line))
        else:
            _, cx, cy, r, colour = shape
            cx, cy, r = cx * big, cy * big, r * big
            draw.ellipse([cx - r, cy - r, cx + r, cy + r], fill=ICON_OUTLINE + (255,))
            inner = r - line
            draw.ellipse([cx - inner, cy - inner, cx + inner, cy + inner], fill=colour + (255,))
    return image.reduce(scale) if scale > 1 else image


def make_icons():
    for size in (16, 22, 24, 32, 48, 64, 128, 256):
        icon = draw_icon(size)
        save_png(icon, os.path.join(HICOLOR, f"{size}x{size}", "apps", "zelvorandine.png"))
        if size in (16, 32):
            assert icon.getcolors(256) is not None  # the window icon is a 256-colour image
            save_png(icon, os.path.join(ARTWORK, f"icon_128_{size}.png"))


# ---------------------------------------------------------------------------------------------
# Title picture
# ---------------------------------------------------------------------------------------------

TITLE_W, TITLE_H = 289, 208
TITLE_BACKGROUND = (244, 241, 232)
TITLE_SEED = 2


def saturated_colour(rng):
    """A bright, fully saturated colour at a random hue."""
    hue = rng.below(360) / 360.0
    saturation = rng.between(78, 100) / 100.0
    value = rng.between(84, 100) / 100.0
    return tuple(round(c * 255) for c in colorsys.hsv_to_rgb(hue, saturation, value))


def title_card(seed=TITLE_SEED):
    rng = Lcg(seed)
    scale = 4
    w, h = TITLE_W * scale, TITLE_H * scale
    image = Image.new("RGB", (w, h), TITLE_BACKGROUND)
    draw = ImageDraw.Draw(image)

    # Shapes like the generated backgrounds: overlapping, saturated, spilling over the edges.
    # Placing one per cell of a coarse grid keeps them spread over the whole card.
    shapes = []
    cols, rows = 8, 6
    for cell in range(cols * rows):
        if rng.below(100) < 30:
            continue
        cx = (cell % cols) * TITLE_W // cols + rng.below(TITLE_W // cols)
        cy = (cell // cols) * TITLE_H // rows + rng.below(TITLE_H // rows)
        sw, sh = rng.between(16, 64), rng.between(12, 50)
        shapes.append([rng.below(1000), "rect", cx - sw // 2, cy - sh // 2, cx + sw // 2, cy + sh // 2,
                       saturated_colour(rng)])
    shapes.append([500, "ellipse", 150, 96, 318, 236, saturated_colour(rng)])
    shapes.sort(key=lambda s: s[0])  # random stacking order
    for _, kind, x0, y0, x1, y1, colour in shapes:
        box = [x0 * scale, y0 * scale, x1 * scale - 1, y1 * scale - 1]
        if kind == "rect":
            draw.rectangle(box, fill=colour)
        else:
            draw.ellipse(box, fill=colour)
    image = image.reduce(scale)

    # The panel, lifted off the collage by a soft shadow.
    px0, py0, px1, py1 = 40, 52, 248, 156
    shadow = Image.new("L", (TITLE_W, TITLE_H), 0)
    sd = ImageDraw.Draw(shadow)
    for grow, strength in ((4, 14), (3, 26), (2, 42), (1, 60), (0, 78)):
        sd.rectangle([px0 + 3 - grow, py0 + 4 - grow, px1 + 3 + grow, py1 + 4 + grow], fill=strength)
    image = Image.composite(Image.new("RGB", image.size, (30, 30, 40)), image, shadow)
    draw = ImageDraw.Draw(image)
    draw.rectangle([px0, py0, px1, py1], fill=(255, 255, 255), outline=(40, 40, 56))

    # A row of small swatches ties the panel to the collage behind it.
    swatches = [(235, 45, 45), (255, 150, 0), (250, 205, 0), (40, 180, 75), (30, 115, 235), (150, 60, 210)]
    sw_w = 12
    sx = (px0 + px1 + 1) // 2 - len(swatches) * sw_w // 2
    for i, colour in enumerate(swatches):
        draw.rectangle([sx + i * sw_w, py0 + 47, sx + (i + 1) * sw_w - 1, py0 + 49], fill=colour)

    def centred(text, font, top, fill):
        left, _, right, _ = draw.textbbox((0, 0), text, font=font)
        x = (px0 + px1 + 1) / 2 - (left + right) / 2
        draw.text((round(x), top), text, font=font, fill=fill)

    centred("Zelvorandine", ImageFont.truetype(FONT_SANS_BOLD, 25), py0 + 13, (24, 24, 40))
    centred("Version 1.0.0.1", ImageFont.truetype(FONT_SANS, 12), py0 + 60, (60, 60, 76))
    centred("\u00a9 2026 Zelvorandine developers", ImageFont.truetype(FONT_SANS, 10), py0 + 81,
            (110, 110, 124))
    return image


def make_title():
    image = title_card()
    indexed = image.quantize(256, method=Image.Quantize.MAXCOVERAGE, dither=Image.Dither.NONE)
    palette = indexed.getpalette()[: 256 * 3]
    indexed.putpalette(palette + [0] * (256 * 3 - len(palette)))
    path = os.path.join(ARTWORK, "title_136.bmp")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    indexed.save(path, format="BMP")
    with open(path, "rb") as f:
        data = f.read()
    assert len(data) == 54 + 1024 + 292 * TITLE_H, len(data)
    assert int.from_bytes(data[10:14], "little") == 54 + 1024
    assert int.from_bytes(data[28:30], "little") == 8 and int.from_bytes(data[30:34], "little") == 0
    assert int.from_bytes(data[22:26], "little", signed=True) == TITLE_H  # positive: bottom-up


# ---------------------------------------------------------------------------------------------
# Cursors
# ---------------------------------------------------------------------------------------------


def stylus_cursor():
    """A pen lying along the diagonal, its nib on the hot spot (1, 1).

    The body is white inside a black outline; the nib is black with a white slit running out to
    the hot spot, so the point stays visible on the black cover as well as on bright colours.
    """
    size = 32
    tip = 1.5  # centre of pixel (1, 1)
    length, half_width, cone = 33.0, 2.4, 9.0

    def frame(x, y):
        dx, dy = x + 0.5 - tip, y + 0.5 - tip
        return (dx + dy) / 2 ** 0.5, (dx - dy) / 2 ** 0.5  # along the pen, across it

    def inside(x, y):
        u, v = frame(x, y)
        if u < -0.3 or u > length:
            return False
        allowed = half_width if u >= cone else half_width * (u + 0.6) / (cone + 0.6)
        return abs(v) <= allowed

    image = Image.new("RGBA", (size, size), TRANSPARENT)
    px = image.load()
    for y in range(size):
        for x in range(size):
            u, v = frame(x, y)
            if inside(x, y):
                slit = abs(v) < 0.1
                nib = u < 6.2 and not slit
                collar = cone - 0.5 <= u < cone + 0.6  # where the nib meets the barrel
                band = 26.0 <= u < 27.2                # the cap's edge
                px[x, y] = CURSOR_BLACK if nib or collar or band else CURSOR_WHITE
            elif any(inside(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                px[x, y] = CURSOR_BLACK
    assert px[1, 1] == CURSOR_WHITE and px[1, 0] == CURSOR_BLACK and px[0, 0] == TRANSPARENT
    return image


def kanji_cursor():
    size = 32
    mask = largest_glyph_mask(KANJI_BLACK, FONT_KANJI, 23, 23)
    # Place the ink so the middle of its box lands on the hot spot (16, 16).
    x0 = 16 - (mask.width - 1) // 2
    y0 = 16 - (mask.height - 1) // 2
    ink = set()
    for y in range(mask.height):
        for x in range(mask.width):
            if mask.getpixel((x, y)):
                ink.add((x0 + x, y0 + y))
    image = Image.new("RGBA", (size, size), TRANSPARENT)
    px = image.load()
    for x, y in ink:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                px[x + dx, y + dy] = CURSOR_WHITE
    for x, y in ink:
        px[x, y] = CURSOR_BLACK
    return image


def make_cursors():
    save_png(stylus_cursor(), os.path.join(ARTWORK, "cursor_131.png"))
    save_png(kanji_cursor(), os.path.join(ARTWORK, "cursor_142.png"))


def main():
    make_toolbars()
    make_icons()
    make_title()
    make_cursors()


if __name__ == "__main__":
    main()
