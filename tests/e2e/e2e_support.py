# SPDX-License-Identifier: MIT
"""Runs the real program under a private Xvfb and drives it as a person would, with xdotool. Needs Debian's
/usr/bin/python3 (PIL). A failure leaves <case>.log and <case>-failure.png in the artifacts folder."""

import argparse, ctypes, itertools, os, pathlib, random, re, resource, select, shutil, signal, struct
import subprocess, sys, tempfile, time, traceback

try:
    from PIL import Image, ImageChops, ImageDraw, ImageGrab
except ImportError:
    Image = None

BLACK = (0, 0, 0)
NAME, CHOICE, SETTINGS, SAVE_AS = "名称未決定", "背景を決めましょう。", "背景の設定", "名前を付けて保存"
USE_THIS, REDRAW = (6, 21, 41, 17), (53, 21, 41, 17)  # choice dialog buttons in dialog units (base 7 x 12)


def check(ok, message):
    if not ok:
        raise AssertionError(message)


def same(a, b):
    return ImageChops.difference(a, b).getbbox() is None


def lit(image):  # 'L' mask, non-zero where the pixel is not black
    return image.point(lambda v: 255 if v else 0).convert("L")


def read_bmp(path):
    """The picture in path, which must be an uncompressed bottom-up 24-bit BMP."""
    data = pathlib.Path(path).read_bytes()
    head = struct.unpack_from("<2sIIIIiiHHI", data)
    w, h = head[5:7]
    stride = (w * 3 + 3) // 4 * 4
    check(head[:5] + head[7:] == (b"BM", len(data), 0, 54, 40, 1, 24, 0) and w > 0 and h > 0
          and len(data) == 54 + stride * h, f"{path} is no plain 24-bit BMP: {head}, {len(data)} bytes")
    return Image.frombuffer("RGB", (w, h), data[54:], "raw", "BGR", stride, -1)


def check_stroke(picture, a, b, margin=6):
    """Black but near the segment a-b (flatter than 45°), revealed all along it, mostly 4 px across or more."""
    allowed = Image.new("L", picture.size)
    draw = ImageDraw.Draw(allowed)
    draw.line([a, b], 255, 2 * margin + 1)
    for x, y in (a, b):
        draw.ellipse((x - margin, y - margin, x + margin, y + margin), 255)
    stray = ImageChops.subtract(lit(picture), allowed).getbbox()
    check(stray is None, f"revealed pixels away from the stroke within {stray}")
    px, (ax, ay), (bx, by) = picture.load(), a, b
    mid = [(x, round(ay + (by - ay) * (x - ax) / (bx - ax))) for x in range(ax + 4, bx - 4, 7)]
    across = sorted(sum(px[x, yy] != BLACK for yy in range(y - margin, y + margin + 1)) for x, y in mid)
    check(across[0] > 0 and across[len(across) // 2] >= 4, f"the stroke is not bold all along: {across}")


def black_box(image, x, y):
    """The rectangle spanned by the black runs through (x, y); the white root stops every run."""
    px = image.load()
    run = lambda dx, dy: next(n for n in itertools.count() if px[x + dx * (n + 1), y + dy * (n + 1)] != BLACK)
    return (x - run(-1, 0), y - run(0, -1), x + run(1, 0) + 1, y + run(0, 1) + 1)


class Session:
    def __init__(self, name, binary, artifacts):
        self.binary, self.artifacts, self.mounts = binary, artifacts, []
        os.makedirs(artifacts, exist_ok=True)
        self.logf = open(os.path.join(artifacts, name + ".log"), "w", encoding="utf-8", buffering=1)
        self.tmp = tempfile.mkdtemp(prefix=f"zelvorandine-{name}-")  # mode 0700: also the runtime folder
        self.home, self.start = os.path.join(self.tmp, "home"), os.path.join(self.tmp, "start")
        os.makedirs(self.home), os.makedirs(self.start)
        self.app = self.xvfb = self.display = self.main = None

    def log(self, text):
        self.logf.write(f"[{time.strftime('%H:%M:%S')}] {text}\n")

    def start_display(self):
        # A random number that people and xvfb-run rarely take. -noreset: else the server resets, refusing
        # connections meanwhile, whenever its last client (any xdotool call) leaves. -wr: a white root.
        for number in random.sample(range(200, 1000), 20):
            r, w = os.pipe()  # r stays open: Xvfb dies if it closes before the number's newline is written
            self.xvfb = subprocess.Popen(["Xvfb", f":{number}", "-displayfd", str(w), "-nolisten", "tcp", "-wr",
                                          "-noreset", "-screen", "0", "1280x1024x24"], pass_fds=(w,),
                                         stderr=subprocess.DEVNULL)
            os.close(w)
            if select.select([r], [], [], 30)[0] and os.read(r, 16).strip() == str(number).encode():
                self.display = f":{number}"
                self.env = dict(PATH=os.environ["PATH"], DISPLAY=self.display, HOME=self.home, LANG="C.UTF-8",
                                LC_ALL="C.UTF-8", XDG_CONFIG_HOME=self.home + "/.config", XDG_RUNTIME_DIR=self.tmp,
                                QT_QPA_PLATFORM="xcb")
                return self.log(f"Xvfb on {self.display}")
            self.xvfb.kill(), self.xvfb.wait()
        raise AssertionError("no free display for Xvfb")

    def launch(self, cwd=None, fsize=None, args=()):
        # Under a file-size limit SIGXFSZ stays ignored, as Python has it: a longer write fails, not the program.
        limit = lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (fsize, fsize))
        self.main = None  # a new program may be given the window id of the one before
        self.app = subprocess.Popen([self.binary, *args], cwd=cwd or self.start, env=self.env, stdout=self.logf,
                                    stderr=subprocess.STDOUT, preexec_fn=fsize and limit, restore_signals=not fsize)
        self.main = self.window(r".* - Zelvorandine")

    def close(self):
        for proc in (self.app, self.xvfb):
            if proc and proc.poll() is None:
                proc.terminate(), proc.wait(10)
        for path in self.mounts:
            subprocess.run(["umount", "-l", path])
        shutil.rmtree(self.tmp, ignore_errors=True)

    def until(self, condition, what, timeout=30):
        deadline = time.monotonic() + timeout
        while not (result := condition()):
            check(time.monotonic() < deadline, f"no {what} within {timeout} s")
            time.sleep(0.1)
        return result

    def x(self, *args, ok=True):
        done = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True, timeout=30)
        check(done.returncode == 0 or not ok, f"xdotool {args}: {done.stderr.strip()}")
        return done.stdout

    def windows(self):
        check(self.app.poll() is None, f"the program ended with status {self.app.returncode}")
        ids = self.x("search", "--onlyvisible", "--pid", self.app.pid, ok=False).split()
        return {int(w): self.x("getwindowname", w, ok=False).rstrip("\n") for w in ids}

    def window(self, pattern):
        """Waits for a window of the program whose whole title matches; returns it once its place settles."""
        def find():
            for w, title in self.windows().items():
                if re.fullmatch(pattern, title) and w != self.main:
                    box = self.geometry(w)
                    time.sleep(0.1)
                    if self.geometry(w) == box:
                        return self.log(f"window {w} {title!r} at {box}") or w
        return self.until(find, f"window {pattern!r}")

    def gone(self, w):
        self.until(lambda: w not in self.windows(), f"closing of window {w}")

    def geometry(self, w):
        v = {k: int(n) for k, n in (line.split("=") for line in self.x("getwindowgeometry", "--shell", w).split())}
        return (v["X"], v["Y"], v["X"] + v["WIDTH"], v["Y"] + v["HEIGHT"])

    def shot(self):
        return ImageGrab.grab(xdisplay=self.display).convert("RGB")

    def stable_shot(self):
        shots = [self.shot()]
        return self.until(lambda: shots.append(self.shot()) or shots[-1] == shots[-2] and shots[-1], "still screen")

    def keys(self, w, *keys):
        self.x("windowfocus", "--sync", w, "key", "--delay", 80, *keys)

    def click(self, x, y):
        self.x("mousemove", x, y, "sleep", 0.05, "click", 1, "sleep", 0.05)

    def drag(self, *points):
        moves = [arg for p in points[1:] for arg in ("sleep", 0.02, "mousemove", *p)]
        self.x("mousemove", *points[0], "sleep", 0.05, "mousedown", 1, *moves, "sleep", 0.05, "mouseup", 1)

    def type_text(self, w, text):
        # xdotool binds a character missing from the keyboard map to a spare key only while typing it, and a
        # busy program reads the press after the unbinding and loses it. Bound here beforehand, the keys stay.
        x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)
        d, per = ctypes.c_void_p(x11.XOpenDisplay(self.display.encode())), ctypes.c_int()
        table = x11.XGetKeyboardMapping(d, 8, 248, ctypes.byref(per))
        spare = [8 + k for k in range(248) if not any(table[k * per.value:(k + 1) * per.value])]
        for code, char in zip(spare, dict.fromkeys(c for c in text if ord(c) > 0x7F)):
            x11.XChangeKeyboardMapping(d, code, 2, (ctypes.c_ulong * 2)(*[0x1000000 + ord(char)] * 2), 1)
        x11.XSync(d, 0), x11.XCloseDisplay(d)
        self.x("windowfocus", "--sync", w, "type", "--delay", 60, text)

    def choose(self, button):
        w = self.window(CHOICE)
        (left, top), (x, y, cx, cy) = self.geometry(w)[:2], button
        self.click(left + round((x + cx / 2) * 7 / 4), top + round((y + cy / 2) * 12 / 8))
        self.gone(w)

    def accept(self, before=None):
        """Presses "これでいく"; returns the view (the black area then in the middle of the main window) and a
        screenshot. Before, when given, is a screenshot on which the view showed a background."""
        self.choose(USE_THIS)
        l, t, r, b = self.geometry(self.main)
        centre = ((l + r) // 2, (t + b) // 2)
        self.until(lambda: self.shot().getpixel(centre) == BLACK, "black view")
        view = black_box(screen := self.stable_shot(), *centre)
        area = (view[2] - view[0]) * (view[3] - view[1])
        check(area > 40000 and (not before or lit(before.crop(view)).histogram()[0] < area / 20), f"view {view}")
        return view, screen

    def pens(self, screen, view):
        """Centres of the dark squares on the pen toolbar, between the window's left edge and the view: fine,
        medium, bold, ..."""
        px, left = screen.load(), self.geometry(self.main)[0]
        dark = lambda y: [x for x in range(left, view[0]) if sum(px[x, y]) < 60] or [0]
        rows = [y for y in range(view[1], view[1] + 300) if dark(y)[-1] - dark(y)[0] >= 14]
        runs = [[y for _, y in g] for _, g in itertools.groupby(enumerate(rows), lambda p: p[1] - p[0])]
        pens = [((left + view[0]) // 2, (r[0] + r[-1]) // 2) for r in runs if len(r) >= 14]
        check(len(pens) >= 3, f"no pen toolbar left of the view: {pens}")
        return pens

    def etch_bold(self, view, screen):
        """Picks the bold pen and drags across the view; returns the stroke's ends in view coordinates."""
        self.click(*self.pens(screen, view)[2])
        w, h = view[2] - view[0], view[3] - view[1]
        a, b = (w * 15 // 100, h * 3 // 10), (w * 85 // 100, h * 55 // 100)
        self.drag(*[(view[0] + a[0] + (b[0] - a[0]) * i // 24, view[1] + a[1] + (b[1] - a[1]) * i // 24)
                    for i in range(25)])
        return a, b

    def saved(self, path, view):
        """The picture written at path, checked to be exactly what the view shows."""
        self.until(lambda: os.path.exists(path), f"file {path}")
        picture = read_bmp(path)
        check(picture.size == (view[2] - view[0], view[3] - view[1]), f"picture {picture.size}, view {view}")
        check(same(picture, self.stable_shot().crop(view)), "the picture differs from the view")
        return picture


def main(cases):
    """script [CASE] --binary B --artifacts A runs cases[CASE](session); 77 (skip) without the tools."""
    parser = argparse.ArgumentParser()
    parser.add_argument("case", nargs="?", default=next(iter(cases)))
    parser.add_argument("--binary", required=True)
    parser.add_argument("--artifacts", required=True)
    args = parser.parse_args()
    if Image is None or not shutil.which("Xvfb") or not shutil.which("xdotool"):
        sys.exit(print("SKIP: needs /usr/bin/python3 with PIL, Xvfb and xdotool") or 77)
    s = Session(args.case, os.path.abspath(args.binary), os.path.abspath(args.artifacts))
    (failure_shot := pathlib.Path(s.artifacts, args.case + "-failure.png")).unlink(missing_ok=True)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("terminated"))  # still cleans up and takes a screenshot
    status = 0
    try:
        s.start_display()
        cases[args.case](s)
    except BaseException as error:  # every ending leaves a screenshot and cleans up
        s.log("FAILED: " + "".join(traceback.format_exception(error)))
        s.display and s.shot().save(failure_shot)
        status = 1
    finally:
        s.close()
    print(pathlib.Path(s.logf.name).read_text(encoding="utf-8"))
    sys.exit(status)
