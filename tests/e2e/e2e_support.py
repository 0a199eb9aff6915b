# SPDX-License-Identifier: MIT
"""Runs the real program under a private Xvfb and drives it as a person would, with xdotool. Needs Debian's
/usr/bin/python3 (PIL). A failure leaves <case>.log and <case>-failure.png in the artifacts folder."""

import argparse, itertools, os, pathlib, re, select, shutil, signal, subprocess, sys, tempfile, time, traceback

try:
    from PIL import Image, ImageChops, ImageGrab
except ImportError:
    Image = None

BLACK = (0, 0, 0)
NAME, CHOICE = "名称未決定", "背景を決めましょう。"


def check(ok, message):
    if not ok:
        raise AssertionError(message)


def same(a, b):
    return ImageChops.difference(a, b).getbbox() is None


def black_box(image, x, y):
    """The rectangle spanned by the black runs through (x, y); the white root or the screen's edge stops every
    run."""
    px, (w, h) = image.load(), image.size
    black = lambda x, y: 0 <= x < w and 0 <= y < h and px[x, y] == BLACK
    run = lambda dx, dy: next(n for n in itertools.count() if not black(x + dx * (n + 1), y + dy * (n + 1)))
    return (x - run(-1, 0), y - run(0, -1), x + run(1, 0) + 1, y + run(0, 1) + 1)


class Session:
    def __init__(self, name, binary, artifacts):
        self.binary, self.artifacts = binary, artifacts
        os.makedirs(artifacts, exist_ok=True)
        self.logf = open(os.path.join(artifacts, name + ".log"), "w", encoding="utf-8", buffering=1)
        self.tmp = tempfile.mkdtemp(prefix=f"zelvorandine-{name}-")  # mode 0700: also the runtime folder
        self.home, self.start = os.path.join(self.tmp, "home"), os.path.join(self.tmp, "start")
        os.makedirs(self.home), os.makedirs(self.start)
        self.app = self.xvfb = self.display = self.main = None

    def log(self, text):
        self.logf.write(f"[{time.strftime('%H:%M:%S')}] {text}\n")

    def start_display(self):
        # Xvfb takes the first free display number itself and writes it to the pipe once it listens.
        # -noreset: else the server resets, refusing connections meanwhile, whenever its last client (any
        # xdotool call) leaves. -wr: a white root.
        r, w = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-nolisten", "tcp", "-wr", "-noreset",
                                      "-screen", "0", "1280x1024x24"], pass_fds=(w,), stderr=subprocess.DEVNULL)
        os.close(w)
        check(select.select([r], [], [], 30)[0], "no display from Xvfb")
        self.display = ":" + os.read(r, 16).decode().strip()
        self.env = dict(PATH=os.environ["PATH"], DISPLAY=self.display, HOME=self.home, LANG="C.UTF-8",
                        LC_ALL="C.UTF-8", XDG_CONFIG_HOME=self.home + "/.config", XDG_RUNTIME_DIR=self.tmp,
                        QT_QPA_PLATFORM="xcb")
        self.log(f"Xvfb on {self.display}")

    def launch(self, *args):
        self.main = None  # a new program may be given the window id of the one before
        self.app = subprocess.Popen([self.binary, *args], cwd=self.start, env=self.env, stdout=self.logf,
                                    stderr=subprocess.STDOUT)
        self.main = self.window(r".* - Zelvorandine")

    def close(self):
        for proc in (self.app, self.xvfb):
            if proc and proc.poll() is None:
                proc.terminate(), proc.wait(10)
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

    def stroke(self, points):
        """A drag whose moves follow each other as fast as xdotool sends them."""
        moves = [arg for p in points[1:] for arg in ("mousemove", *p)]
        self.x("mousemove", *points[0], "sleep", 0.1, "mousedown", 1, *moves, "sleep", 0.1, "mouseup", 1)

    def accept(self):
        """Enter on the choice presses これでいく; returns the view (the black area then in the middle of the
        main window, which showed a background before) and a screenshot."""
        w = self.window(CHOICE)
        before = self.stable_shot()
        self.keys(w, "Return")
        self.gone(w)
        l, t, r, b = self.geometry(self.main)
        centre = ((l + r) // 2, (t + b) // 2)
        self.until(lambda: self.shot().getpixel(centre) == BLACK, "black view")
        view = black_box(screen := self.stable_shot(), *centre)
        area = (view[2] - view[0]) * (view[3] - view[1])
        check(area > 40000 and list(before.crop(view).getdata()).count(BLACK) < area / 20, f"view {view}")
        return view, screen


def main(cases, session=Session, tools=("Xvfb", "xdotool")):
    """script [CASE] --binary B --artifacts A runs cases[CASE](session); 77 (skip) without the tools."""
    parser = argparse.ArgumentParser()
    parser.add_argument("case", nargs="?", default=next(iter(cases)))
    parser.add_argument("--binary", required=True)
    parser.add_argument("--artifacts", required=True)
    args = parser.parse_args()
    if Image is None or not all(map(shutil.which, tools)):
        sys.exit(print(f"SKIP: needs /usr/bin/python3 with PIL, {', '.join(tools)}") or 77)
    s = session(args.case, os.path.abspath(args.binary), os.path.abspath(args.artifacts))
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
