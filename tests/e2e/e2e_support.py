"""Runs the real program under a private Xvfb and drives it the way a person does: keys, clicks and drags
through xdotool, screenshots through ImageMagick's import.

Run with Debian's /usr/bin/python3 (it has PIL). A test script calls run_test(name, body); body receives a
Session. A failure saves a screenshot next to the test's log in the artifacts folder, so a red run can be
looked at afterwards.
"""

import argparse
import ctypes
import os
import random
import re
import resource
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import traceback

try:
    from PIL import Image, ImageChops, ImageDraw
except ImportError:  # reported as a skip by run_test
    Image = None

SKIP = 77
BLACK = (0, 0, 0)

MAIN_TITLE = r".* - Zelvorandine|.*\.bmp|名称未決定"
CHOICE_TITLE = "背景を決めましょう。"
SETTINGS_TITLE = "背景の設定"
SAVE_AS_TITLE = "名前を付けて保存"
PICTURE_NAME = "名称未決定"

# Dialog units to pixels with the base units 7 x 12.
DU_X = 7 / 4
DU_Y = 12 / 8
CHOICE_SIZE_DU = (147, 73)
# Button rectangles of the choice dialog in dialog units: x, y, width, height.
USE_THIS = (6, 21, 41, 17)
REDRAW = (53, 21, 41, 17)

# Polling: every wait gives up well before ctest's own timeout would kill the test without a screenshot.
POLL = 0.1
WAIT = 30.0


class Failure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Rect:
    def __init__(self, left, top, width, height):
        self.left, self.top, self.width, self.height = left, top, width, height

    @property
    def right(self):
        return self.left + self.width

    @property
    def bottom(self):
        return self.top + self.height

    def box(self):
        return (self.left, self.top, self.right, self.bottom)

    def __eq__(self, other):
        return self.box() == other.box()

    def __repr__(self):
        return f"Rect({self.left}, {self.top}, {self.width}x{self.height})"


# ---- pictures ----------------------------------------------------------------------------------------


def read_bmp(path):
    """Reads an uncompressed 24-bit BMP strictly and returns it as a PIL image."""
    with open(path, "rb") as f:
        data = f.read()
    check(len(data) >= 54, f"{path}: {len(data)} bytes, shorter than the headers")
    magic, file_size, reserved, offset = struct.unpack_from("<2sIIi", data, 0)
    check(magic == b"BM", f"{path}: signature {magic!r}")
    check(file_size == len(data), f"{path}: header says {file_size} bytes, file has {len(data)}")
    check(reserved == 0, f"{path}: reserved fields {reserved}")
    check(offset == 54, f"{path}: pixels at {offset}")
    (info_size, width, height, planes, bits, compression, image_size) = struct.unpack_from("<IiiHHII", data, 14)
    check(info_size == 40, f"{path}: info header of {info_size} bytes")
    check(width > 0 and height > 0, f"{path}: {width} x {height} (bottom-up rows expected)")
    check(planes == 1 and bits == 24 and compression == 0, f"{path}: planes {planes}, {bits} bpp, compression {compression}")
    stride = (width * 3 + 3) // 4 * 4
    check(image_size in (0, stride * height), f"{path}: image size field {image_size}")
    check(len(data) == 54 + stride * height, f"{path}: {len(data)} bytes for {width} x {height}")
    rows = []
    for y in range(height):
        row = data[54 + (height - 1 - y) * stride : 54 + (height - y) * stride]
        check(not any(row[width * 3 :]), f"{path}: non-zero padding in row {y}")
        rows.append(row[: width * 3])
    return Image.frombytes("RGB", (width, height), b"".join(rows), "raw", "BGR")


def all_black(image, box=None):
    region = image.crop(box) if box else image
    return region.getbbox() is None


def non_black_mask(image):
    """'L' image: 255 where the pixel is not black."""
    r, g, b = image.split()
    return ImageChops.lighter(ImageChops.lighter(r, g), b).point(lambda v: 255 if v else 0)


def check_single_stroke(picture, a, b, min_thickness, margin=6):
    """The picture is black except along the segment a-b, which is revealed all along, at least
    min_thickness pixels across (counted vertically; the segment must be flatter than 45 degrees)."""
    (ax, ay), (bx, by) = a, b
    check(abs(by - ay) < abs(bx - ax), "the stroke must be flatter than 45 degrees")
    allowed = Image.new("L", picture.size, 0)
    draw = ImageDraw.Draw(allowed)
    draw.line([a, b], fill=255, width=2 * margin + 1)
    for x, y in (a, b):
        draw.ellipse((x - margin, y - margin, x + margin, y + margin), fill=255)
    stray = ImageChops.subtract(non_black_mask(picture), allowed).getbbox()
    check(stray is None, f"revealed pixels away from the stroke within {stray}")
    px = picture.load()
    thicknesses = []
    gaps = []
    for i in range(1, 40):
        x = round(ax + (bx - ax) * i / 40)
        y = round(ay + (by - ay) * (x - ax) / (bx - ax))
        if px[x, y] == BLACK:
            gaps.append((x, y))
        thicknesses.append(sum(1 for yy in range(y - margin, y + margin + 1) if px[x, yy] != BLACK))
    check(not gaps, f"the stroke is not revealed at {gaps[:5]}")
    thicknesses.sort()
    median = thicknesses[len(thicknesses) // 2]
    check(median >= min_thickness, f"stroke {median} px across, expected at least {min_thickness}: {thicknesses}")
    return thicknesses


def black_area_around(image, x, y, bounds):
    """The largest black rectangle grown from (x, y) along the row and the column through it, inside bounds."""
    px = image.load()
    check(px[x, y] == BLACK, f"({x}, {y}) is not black")
    left, right, top, bottom = x, x, y, y
    while left > bounds.left and px[left - 1, y] == BLACK:
        left -= 1
    while right + 1 < bounds.right and px[right + 1, y] == BLACK:
        right += 1
    while top > bounds.top and px[x, top - 1] == BLACK:
        top -= 1
    while bottom + 1 < bounds.bottom and px[x, bottom + 1] == BLACK:
        bottom += 1
    return Rect(left, top, right - left + 1, bottom - top + 1)


# ---- the session ---------------------------------------------------------------------------------------


class Session:
    def __init__(self, name, binary, artifacts):
        self.name = name
        self.binary = binary
        self.artifacts = artifacts
        os.makedirs(artifacts, exist_ok=True)
        self.log_path = os.path.join(artifacts, name + ".log")
        self.log_file = open(self.log_path, "w", encoding="utf-8", buffering=1)
        self.tmp = tempfile.mkdtemp(prefix=f"zelvorandine-{name}-")
        self.home = os.path.join(self.tmp, "home")
        self.start_dir = os.path.join(self.tmp, "start")
        self.runtime_dir = os.path.join(self.tmp, "runtime")
        for d in (self.home, self.start_dir, self.runtime_dir):
            os.makedirs(d)
        os.chmod(self.runtime_dir, 0o700)
        self.xvfb = None
        self.app = None
        self.app_log = None
        self.display = None
        self.env = None
        self.mounts = []
        self.main_window = None

    def log(self, text):
        self.log_file.write(f"[{time.strftime('%H:%M:%S')}] {text}\n")

    # -- processes --

    def start_display(self):
        """Starts a private Xvfb. The display number is drawn at random from a range that people and
        xvfb-run rarely use, so that no other program's windows can land on it by accident."""
        rng = random.Random()
        for _ in range(20):
            number = rng.randrange(200, 1000)
            if os.path.exists(f"/tmp/.X{number}-lock") or os.path.exists(f"/tmp/.X11-unix/X{number}"):
                continue
            if self._try_display(number):
                break
        else:
            raise Failure("no free display for Xvfb")

    def _try_display(self, number):
        read_end, write_end = os.pipe()
        xvfb_log = open(os.path.join(self.tmp, "xvfb.log"), "a")
        # -wr makes the root white, so that the black of the view never runs on into the screen around
        # the window. -noreset: without it the server resets whenever its last client leaves (the check
        # below, any xdotool call) and refuses connections meanwhile. -displayfd reports the number once
        # the server listens.
        self.xvfb = subprocess.Popen(
            ["Xvfb", f":{number}", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
             "-wr", "-noreset"], pass_fds=(write_end,), stdout=xvfb_log, stderr=subprocess.STDOUT)
        os.close(write_end)
        reported = b""
        deadline = time.monotonic() + WAIT
        try:
            # Xvfb writes the number and the newline separately and stops if the pipe is closed between.
            while not reported.endswith(b"\n"):
                remaining = deadline - time.monotonic()
                check(remaining > 0, "Xvfb did not report its display")
                ready, _, _ = select.select([read_end], [], [], min(remaining, POLL))
                if ready:
                    chunk = os.read(read_end, 16)
                    if not chunk:
                        break  # ended: the number was taken after all
                    reported += chunk
                elif self.xvfb.poll() is not None:
                    break
        finally:
            os.close(read_end)
        if self.xvfb.poll() is not None or reported.strip() != str(number).encode():
            self.log(f"Xvfb :{number} did not start")
            if self.xvfb.poll() is None:
                self.xvfb.terminate()
                self.xvfb.wait()
            self.xvfb = None
            return False
        self.display = f":{number}"
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "DISPLAY": self.display,
            "HOME": self.home,
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_RUNTIME_DIR": self.runtime_dir,
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
            "QT_QPA_PLATFORM": "xcb",
        }
        deadline = time.monotonic() + WAIT
        while self.xdotool("getdisplaygeometry", check_status=False) == "":
            check(time.monotonic() < deadline, f"Xvfb on {self.display} does not answer")
            time.sleep(POLL)
        self.log(f"Xvfb on {self.display}")
        return True

    def launch(self, cwd=None, file_size_limit=None):
        """Starts the program in cwd (the empty start folder by default). With file_size_limit the program
        cannot write a file longer than that many bytes, and SIGXFSZ is ignored, so the write fails."""

        def before_exec():
            if file_size_limit is not None:
                resource.setrlimit(resource.RLIMIT_FSIZE, (file_size_limit, file_size_limit))
                signal.signal(signal.SIGXFSZ, signal.SIG_IGN)

        self.app_log = open(os.path.join(self.tmp, "program.log"), "w")
        self.app = subprocess.Popen([self.binary], cwd=cwd or self.start_dir, env=self.env, stdin=subprocess.DEVNULL,
                                    stdout=self.app_log, stderr=subprocess.STDOUT, preexec_fn=before_exec)
        self.log(f"started {self.binary} (pid {self.app.pid}) in {cwd or self.start_dir}")

    def wait_exit(self, timeout=WAIT, forbid_new_windows=False):
        """Waits for the program to end; returns its status. With forbid_new_windows, a window that opens
        meanwhile and stays (a question; a closing menu comes and goes) fails the test."""
        known = set(w for w, _ in self.windows())
        first_seen = {}
        deadline = time.monotonic() + timeout
        while self.app.poll() is None:
            check(time.monotonic() < deadline, f"the program did not end within {timeout} s")
            if forbid_new_windows:
                for wid, name in self.windows():
                    if wid not in known:
                        since = first_seen.setdefault(wid, time.monotonic())
                        check(time.monotonic() - since < 1.5 or self.app.poll() is not None,
                              f"a window {name!r} opened instead of ending")
            time.sleep(POLL)
        self.log(f"program ended with status {self.app.returncode}")
        return self.app.returncode

    def alive(self):
        return self.app is not None and self.app.poll() is None

    def mount_tmpfs(self, path, size):
        """Mounts a tmpfs of that size; returns False where mounting is not permitted."""
        os.makedirs(path, exist_ok=True)
        if os.geteuid() != 0:
            self.log("not root: no tmpfs")
            return False
        result = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "tmpfs", path], capture_output=True,
                                text=True)
        if result.returncode != 0:
            self.log(f"mount refused: {result.stderr.strip()}")
            return False
        self.mounts.append(path)
        return True

    def close(self):
        if self.alive():
            self.app.terminate()
            try:
                self.app.wait(5)
            except subprocess.TimeoutExpired:
                self.app.kill()
                self.app.wait()
        if self.xvfb is not None and self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(5)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()
        xvfb_log = os.path.join(self.tmp, "xvfb.log")
        if os.path.exists(xvfb_log):
            with open(xvfb_log, encoding="utf-8", errors="replace") as f:
                self.log("Xvfb output:\n" + (f.read().strip() or "(none)"))
        for path in reversed(self.mounts):
            subprocess.run(["umount", "-l", path], capture_output=True)
        if self.app_log is not None:
            self.app_log.close()
            with open(self.app_log.name, encoding="utf-8", errors="replace") as f:
                output = f.read().strip()
            self.log("program output:\n" + (output or "(none)"))
        shutil.rmtree(self.tmp, ignore_errors=True)
        self.log_file.close()

    # -- X --

    def xdotool(self, *args, check_status=True):
        result = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True,
                                timeout=WAIT)
        if check_status and result.returncode != 0:
            raise Failure(f"xdotool {' '.join(map(str, args))}: {result.stderr.strip()}")
        return result.stdout

    def windows(self):
        """The program's mapped windows as (id, title)."""
        if not self.alive():
            return []
        out = self.xdotool("search", "--onlyvisible", "--pid", self.app.pid, check_status=False)
        found = []
        for wid in out.split():
            name = self.xdotool("getwindowname", wid, check_status=False).rstrip("\n")
            found.append((int(wid), name))
        return found

    def wait_window(self, title_pattern, exclude=(), timeout=WAIT):
        """Waits for a mapped window of the program whose whole title matches; returns its id once its
        geometry has settled."""
        pattern = re.compile(title_pattern)
        deadline = time.monotonic() + timeout
        while True:
            check(self.alive(), f"the program ended while waiting for {title_pattern!r}")
            for wid, name in self.windows():
                if wid not in exclude and pattern.fullmatch(name):
                    first = self.geometry(wid)
                    time.sleep(POLL)
                    if self.geometry(wid) == first:
                        self.log(f"window {wid} {name!r} at {first}")
                        return wid
            check(time.monotonic() < deadline, f"no window {title_pattern!r} within {timeout} s; "
                  f"open: {self.windows()}")
            time.sleep(POLL)

    def wait_gone(self, wid, timeout=WAIT):
        deadline = time.monotonic() + timeout
        while wid in [w for w, _ in self.windows()]:
            check(time.monotonic() < deadline, f"window {wid} still open after {timeout} s")
            time.sleep(POLL)

    def title(self, wid):
        return self.xdotool("getwindowname", wid).rstrip("\n")

    def geometry(self, wid):
        values = dict(line.split("=", 1) for line in self.xdotool("getwindowgeometry", "--shell", wid).split())
        return Rect(int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"]))

    def wait_main_window(self):
        self.main_window = self.wait_window(MAIN_TITLE)
        return self.main_window

    def move(self, x, y):
        self.xdotool("mousemove", x, y)
        time.sleep(0.05)

    def click(self, x, y):
        self.move(x, y)
        self.xdotool("click", 1)
        time.sleep(0.05)

    def drag(self, a, b, steps=24):
        """Presses the left button at a, moves in small steps along the straight line to b, releases."""
        self.move(*a)
        self.xdotool("mousedown", 1)
        time.sleep(0.05)
        for i in range(1, steps + 1):
            self.move(round(a[0] + (b[0] - a[0]) * i / steps), round(a[1] + (b[1] - a[1]) * i / steps))
        self.xdotool("mouseup", 1)
        time.sleep(0.05)

    def keys(self, wid, *keys):
        """Gives the window the keyboard focus and presses the keys one after another."""
        self.xdotool("windowfocus", "--sync", wid)
        self.xdotool("key", "--delay", 80, *keys)

    def bind_keysyms(self, text):
        """Gives every character of text that the keyboard map lacks a spare keycode of its own.

        xdotool types such a character by binding it to a spare keycode just for that key press and
        unbinding it again at once; a busy program reads the press after the unbinding and loses the
        character. Bound here once, well before typing, the map stays as it is while xdotool types."""
        x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)
        x11.XGetKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_ubyte, ctypes.c_int,
                                            ctypes.POINTER(ctypes.c_int)]
        x11.XChangeKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                               ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
        x11.XDisplayKeycodes.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XFree.argtypes = [ctypes.c_void_p]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        display = x11.XOpenDisplay(self.display.encode())
        check(display, f"cannot open {self.display}")
        try:
            low, high = ctypes.c_int(), ctypes.c_int()
            x11.XDisplayKeycodes(display, ctypes.byref(low), ctypes.byref(high))
            count = high.value - low.value + 1
            per = ctypes.c_int()
            table = x11.XGetKeyboardMapping(display, low.value, count, ctypes.byref(per))
            rows = [[table[k * per.value + i] for i in range(per.value)] for k in range(count)]
            x11.XFree(table)
            present = {sym for row in rows for sym in row}
            spare = [low.value + k for k, row in enumerate(rows) if not any(row)]
            wanted = []
            for char in dict.fromkeys(text):
                sym = ord(char) if ord(char) < 0x100 else 0x1000000 + ord(char)
                if sym not in present:
                    wanted.append(sym)
            check(len(wanted) <= len(spare), "not enough spare keycodes")
            for keycode, sym in zip(spare, wanted):
                syms = (ctypes.c_ulong * 2)(sym, sym)
                x11.XChangeKeyboardMapping(display, keycode, 2, syms, 1)
            x11.XSync(display, 0)
        finally:
            x11.XCloseDisplay(display)

    def type_text(self, wid, text):
        self.bind_keysyms(text)
        self.xdotool("windowfocus", "--sync", wid)
        self.xdotool("type", "--delay", 60, text)

    def screenshot(self, path=None):
        path = path or os.path.join(self.tmp, "screen.png")
        subprocess.run(["import", "-display", self.display, "-window", "root", path], check=True, capture_output=True,
                       timeout=WAIT)
        with Image.open(path) as image:
            return image.convert("RGB")

    def stable_screenshot(self, timeout=WAIT):
        """A screenshot once the screen has stopped changing."""
        deadline = time.monotonic() + timeout
        previous = self.screenshot()
        while True:
            time.sleep(0.2)
            current = self.screenshot()
            if ImageChops.difference(previous, current).getbbox() is None:
                return current
            check(time.monotonic() < deadline, "the screen kept changing")
            previous = current

    def wait_screen(self, condition, what, timeout=WAIT):
        """Polls screenshots until condition(image) holds; returns that screenshot."""
        deadline = time.monotonic() + timeout
        while True:
            image = self.screenshot()
            if condition(image):
                return image
            check(time.monotonic() < deadline, f"the screen never showed {what}")
            time.sleep(POLL)

    # -- the program's own screens --

    def dialog_point(self, dialog, button):
        """Screen point at the centre of a button given in dialog units."""
        x, y, cx, cy = button
        return (dialog.left + round((x + cx / 2) * DU_X), dialog.top + round((y + cy / 2) * DU_Y))

    def wait_choice(self, exclude=()):
        """Waits for the background choice dialog; returns its id and geometry."""
        wid = self.wait_window(CHOICE_TITLE, exclude=exclude)
        rect = self.geometry(wid)
        expected = (CHOICE_SIZE_DU[0] * DU_X, CHOICE_SIZE_DU[1] * DU_Y)
        check(abs(rect.width - expected[0]) <= 3 and abs(rect.height - expected[1]) <= 3,
              f"choice dialog is {rect.width} x {rect.height}, expected about {expected[0]:.0f} x {expected[1]:.0f}")
        return wid, rect

    def press_choice(self, button):
        """Clicks a button of the open choice dialog and waits for the dialog to close."""
        wid, rect = self.wait_choice()
        self.click(*self.dialog_point(rect, button))
        self.wait_gone(wid)
        return wid

    def find_view(self, before, after, main):
        """The view's client rectangle: where two different backgrounds differ, inside the main window."""
        box = ImageChops.difference(before.crop(main.box()), after.crop(main.box())).getbbox()
        check(box is not None, "a new background did not change the view")
        view = Rect(main.left + box[0], main.top + box[1], box[2] - box[0], box[3] - box[1])
        check(view.width > 200 and view.height > 200, f"view rectangle {view} is too small")
        self.log(f"view at {view}")
        return view

    def wait_black_view(self, view):
        return self.wait_screen(lambda image: all_black(image, view.box()), "a black view")

    def pen_buttons(self, screen, view):
        """Centres of the three reveal pens on the pen toolbar left of the view, fine to bold. Each is a
        black square with a white dot; the dot grows with the pen."""
        left = max(0, view.left - 60)
        px = screen.load()
        rows = []
        for y in range(view.top, min(view.bottom, view.top + 400)):
            dark = [x for x in range(left, view.left) if sum(px[x, y]) < 60]
            rows.append((y, bool(dark) and dark[-1] - dark[0] >= 15))
        squares = []
        start = None
        for y, dark in rows + [(None, False)]:
            if dark and start is None:
                start = y
            elif not dark and start is not None:
                if y - start >= 14:
                    squares.append((start, y))
                start = None
        check(len(squares) >= 3, f"pen toolbar not found left of the view: {squares}")
        buttons = []
        for top, bottom in squares:
            xs = [x for x in range(left, view.left) if sum(px[x, (top + bottom) // 2]) < 60]
            x0, x1 = min(xs), max(xs) + 1
            light = sum(1 for y in range(top, bottom) for x in range(x0, x1) if sum(px[x, y]) > 600)
            buttons.append(((x0 + x1) // 2, (top + bottom) // 2, light))
        pens = buttons[:3]
        check(pens[0][2] < pens[1][2] < pens[2][2], f"pen icons are not fine, medium, bold: {pens}")
        self.log(f"pen buttons {pens}")
        return [(x, y) for x, y, _ in pens]

    def start_to_first_choice(self, end_splash_key=None, cwd=None, file_size_limit=None):
        """Starts the program and waits for the first background choice; end_splash_key ends the title
        splash early. Returns (main window rectangle, choice dialog id, choice dialog rectangle)."""
        self.launch(cwd=cwd, file_size_limit=file_size_limit)
        self.wait_main_window()
        if end_splash_key:
            splash = self.wait_window("Zelvorandine|" + CHOICE_TITLE)
            if self.title(splash) == CHOICE_TITLE:
                self.log("the splash had already ended by itself")
            else:
                self.keys(splash, end_splash_key)
        choice, rect = self.wait_choice()
        return self.geometry(self.main_window), choice, rect

    def accept_first(self, main):
        """Accepts the open background with "これでいく"; returns the view's rectangle, found as the black
        area that then fills the middle of the main window."""
        self.press_choice(USE_THIS)
        centre = (main.left + main.width // 2, main.top + main.height // 2)
        screen = self.wait_screen(lambda image: image.getpixel(centre) == BLACK, "a black view")
        view = black_area_around(screen, *centre, main)
        check(view.width > 200 and view.height > 200, f"view rectangle {view} is too small")
        screen = self.wait_black_view(view)
        self.log(f"view at {view}")
        return view, screen

    def etch_bold(self, view, screen, a=(0.15, 0.3), b=(0.85, 0.55)):
        """Picks the bold pen and drags across the view between the two points given as fractions of the
        view. Returns the stroke's ends in view coordinates."""
        self.click(*self.pen_buttons(screen, view)[2])
        start = (round(view.width * a[0]), round(view.height * a[1]))
        end = (round(view.width * b[0]), round(view.height * b[1]))
        self.drag((view.left + start[0], view.top + start[1]), (view.left + end[0], view.top + end[1]))
        return start, end

    def wait_bmp(self, path, older=None, timeout=WAIT):
        """Waits until path holds a valid BMP (different from the bytes older, when given); returns it."""
        deadline = time.monotonic() + timeout
        while True:
            if os.path.exists(path):
                with open(path, "rb") as f:
                    data = f.read()
                if data != older:
                    try:
                        return read_bmp(path)
                    except Failure:
                        if time.monotonic() >= deadline:
                            raise
            check(time.monotonic() < deadline, f"no new picture {path} within {timeout} s; "
                  f"folder holds {sorted(os.listdir(os.path.dirname(path)))}")
            time.sleep(POLL)

    def check_shows(self, picture, view):
        """The picture is exactly what the view shows on the screen."""
        screen = self.stable_screenshot()
        check(picture.size == (view.width, view.height),
              f"picture {picture.size[0]} x {picture.size[1]}, view {view.width} x {view.height}")
        diff = ImageChops.difference(picture, screen.crop(view.box())).getbbox()
        check(diff is None, f"the picture differs from the view within {diff}")


def run_test(name, body):
    """Parses --binary and --artifacts, runs body(session) and turns the outcome into an exit status."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--artifacts", required=True)
    args = parser.parse_args()
    if Image is None:
        print("SKIP: PIL is missing (run with /usr/bin/python3, package python3-pil)")
        sys.exit(SKIP)
    missing = [tool for tool in ("Xvfb", "xdotool", "import") if shutil.which(tool) is None]
    if missing:
        print(f"SKIP: missing {', '.join(missing)} (scripts/setup.sh installs them)")
        sys.exit(SKIP)
    session = Session(name, os.path.abspath(args.binary), os.path.abspath(args.artifacts))
    shot = os.path.join(session.artifacts, name + "-failure.png")
    if os.path.exists(shot):
        os.remove(shot)  # from an earlier run

    def interrupted(number, _frame):
        raise Failure(f"interrupted by signal {number}")

    # A test stopped from outside still unmounts, ends its processes and leaves a screenshot.
    signal.signal(signal.SIGTERM, interrupted)
    signal.signal(signal.SIGHUP, interrupted)
    status = 0
    try:
        session.start_display()
        body(session)
        session.log("passed")
    except BaseException as error:  # noqa: B036 - every ending must leave a screenshot and clean up
        status = 1
        session.log("FAILED: " + "".join(traceback.format_exception(error)))
        try:
            if session.display:
                session.screenshot(shot)
                session.log(f"screenshot: {shot}")
        except Exception as shot_error:  # noqa: BLE001
            session.log(f"no screenshot: {shot_error}")
    finally:
        session.close()
    with open(session.log_path, encoding="utf-8") as f:
        sys.stdout.write(f.read())
    sys.exit(status)
