# SPDX-License-Identifier: MIT
# Runs the real program under a private display server and drives it as a person would: X11 here (Xvfb,
# xdotool), Wayland in wayland_support. Needs Debian's /usr/bin/python3 (PIL). A failure leaves <case>.log and
# <case>-failure.png in the artifacts folder.

import contextlib, importlib, itertools, os, pathlib, re, select, shutil, signal, subprocess, sys, tempfile, time
import traceback

Image = pyatspi = None  # without them the cases skip
with contextlib.suppress(ImportError):
    from PIL import Image, ImageChops, ImageGrab
with contextlib.suppress(ImportError):
    import pyatspi

BLACK = (0, 0, 0)
NAME, CHOICE = "名称未決定", "背景を決めましょう。"


def check(ok, message):
    if not ok:
        raise AssertionError(message)


class Session:
    # The program on X11. WaylandSession replaces the display server, the windows, screenshots and input; the
    # rest, and every case, serves both.
    platform, tools = "xcb", ("Xvfb", "xdotool")

    def __init__(self, name, binary, artifacts):
        os.makedirs(artifacts, exist_ok=True)
        self.binary, self.artifacts, self.failure = binary, artifacts, pathlib.Path(artifacts, name + "-failure.png")
        self.logf = open(os.path.join(artifacts, name + ".log"), "w", encoding="utf-8", buffering=1)
        # The program's home and runtime folder (0700); the folder it starts in lies within.
        self.folders = [home := tempfile.mkdtemp(prefix=f"zelvorandine-{name}-")]
        self.start = tempfile.mkdtemp(dir=home)
        self.env = dict(PATH=os.environ["PATH"], HOME=home, XDG_RUNTIME_DIR=home, LC_ALL="C.UTF-8",
                        QT_QPA_PLATFORM=self.platform)
        self.app = self.server = self.display = self.main = None

    def log(self, text):
        self.logf.write(f"[{time.strftime('%H:%M:%S')}] {text}\n")

    def start_display(self):
        # Xvfb takes the first free display number itself and writes it to the pipe once it listens.
        # -noreset: else the server resets, refusing connections meanwhile, whenever its last client (any
        # xdotool call) leaves. -wr: a white root.
        r, w = os.pipe()
        self.server = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-nolisten", "tcp", "-wr", "-noreset",
                                        "-screen", "0", "1280x1024x24"], pass_fds=(w,), stderr=subprocess.DEVNULL)
        os.close(w)
        check(select.select([r], [], [], 30)[0], "no display from Xvfb")
        self.env["DISPLAY"] = self.display = ":" + os.read(r, 16).decode().strip()

    def launch(self, *args):
        # Starts the program, once the one before has ended: it is ended if it still runs.
        self.app and (self.app.terminate(), self.app.wait(10))
        self.main = None  # a new program may be given the window id of the one before
        self.app = subprocess.Popen([self.binary, *args], cwd=self.start, env=self.env, stdout=self.logf,
                                    stderr=subprocess.STDOUT)
        self.main = self.window(r".* - Zelvorandine")

    def close(self):
        for proc in filter(None, (self.app, self.server)):
            proc.terminate(), proc.wait(10)  # nothing for one that has ended
        for folder in self.folders:
            shutil.rmtree(folder, ignore_errors=True)

    def until(self, condition, what, timeout=30):
        # Waits for the condition while the program, once started, runs.
        deadline = time.monotonic() + timeout
        while not (result := condition()):
            check(time.monotonic() < deadline, f"no {what} within {timeout} s")
            check(not self.app or self.app.poll() is None, f"the program ended: {self.app and self.app.returncode}")
            time.sleep(0.1)
        return result

    def x(self, *args, ok=True):
        done = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True, timeout=30)
        return check(done.returncode == 0 or not ok, f"xdotool {args}: {done.stderr.strip()}") or done.stdout

    def windows(self):
        # {window: title} of the program's windows.
        ids = self.x("search", "--onlyvisible", "--pid", self.app.pid, ok=False).split()
        return {int(w): self.x("getwindowname", w, ok=False).rstrip("\n") for w in ids}

    def window(self, pattern):
        # Waits for a window of the program, other than the main window, whose whole title matches.
        matching = lambda: [(w, t) for w, t in self.windows().items() if re.fullmatch(pattern, t) and w != self.main]
        w, title = self.until(matching, f"window {pattern!r}")[0]
        return self.log(f"window {w} {title!r}") or w

    def gone(self, w):
        self.until(lambda: w not in self.windows(), f"closing of window {w}")

    def geometry(self, w):
        v = {k: int(n) for k, n in (line.split("=") for line in self.x("getwindowgeometry", "--shell", w).split())}
        return (v["X"], v["Y"], v["X"] + v["WIDTH"], v["Y"] + v["HEIGHT"])

    def shot(self):
        return ImageGrab.grab(xdisplay=self.display).convert("RGB")

    def keys(self, w, *keys):
        # Keys as xdotool names them, to window w (None: to the window that has the focus).
        self.x(*(("windowfocus", "--sync", w) if w else ()), "key", "--delay", 80, *keys)

    def drag(self, *points):
        # A drag whose moves follow each other as fast as they can be sent; a single point is a click.
        moves = [arg for p in points[1:] for arg in ("mousemove", *p)]
        self.x("mousemove", *points[0], "sleep", 0.1, "mousedown", 1, *moves, "sleep", 0.1, "mouseup", 1)

    def accept(self):
        # Enter on the choice presses これでいく: the view, which showed the background, turns black. Returns the
        # view: the black runs through the window's centre, which the white background or the screen's edge stop.
        w, main = self.window(CHOICE), self.geometry(self.main)
        dark = lambda image: list(image.getdata()).count(BLACK) * 20 > image.width * image.height
        self.until(lambda: not dark(self.shot().crop(main)), "background in the main window")
        self.keys(w, "Return")
        self.gone(w)
        x, y = (main[0] + main[2]) // 2, (main[1] + main[3]) // 2
        screen = self.until(lambda: (shot := self.shot()).getpixel((x, y)) == BLACK and shot, "black view")
        black = lambda u, v: 0 <= u < screen.width and 0 <= v < screen.height and screen.getpixel((u, v)) == BLACK
        run = lambda dx, dy: next(n for n in itertools.count(1) if not black(x + dx * n, y + dy * n))
        view = (x + 1 - run(-1, 0), y + 1 - run(0, -1), x + run(1, 0), y + run(0, 1))
        return check(view[2] - view[0] > 200 and view[3] - view[1] > 200, f"view {view}") or view


def run(case, label, binary, artifacts):
    # Runs case(session) on the display server the label names (e2e and a11y: X11, wayland: Wayland) and exits
    # with its result: 0, 1 or 77 (skipped) without the tools. a11y runs again on a private session bus.
    if label == "a11y" and not os.environ.get("ZELVORANDINE_BUS") and shutil.which("dbus-run-session"):
        os.environ["ZELVORANDINE_BUS"] = "private"
        os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable, *sys.argv])
    kind = importlib.import_module("wayland_support").WaylandSession if label == "wayland" else Session
    missing = [t for t in kind.tools if not shutil.which(t)] + ["PIL"] * (Image is None)
    if label == "a11y":
        missing += ["python3-pyatspi"] * (pyatspi is None)
        missing += ["dbus-run-session"] * (not os.environ.get("ZELVORANDINE_BUS"))
    if missing:
        sys.exit(print(f"SKIP: needs /usr/bin/python3 and {', '.join(missing)}") or 77)
    s = kind(case.__name__, os.path.abspath(binary), os.path.abspath(artifacts))
    s.failure.unlink(missing_ok=True)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("terminated"))  # still cleans up and takes a screenshot
    try:
        s.start_display()
        case(s)
    except BaseException as error:  # every ending leaves a screenshot and cleans up
        s.log("FAILED: " + "".join(traceback.format_exception(error)))
        s.display and s.shot().save(s.failure)
        raise SystemExit(1)
    finally:
        s.close()
        print(pathlib.Path(s.logf.name).read_text(encoding="utf-8"))
