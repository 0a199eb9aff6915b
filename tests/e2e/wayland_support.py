# SPDX-License-Identifier: MIT
"""The real program on Wayland: a private headless sway (pixman renderer) started as an unprivileged user, the
program with QT_QPA_PLATFORM=wayland, input through the compositor's virtual keyboard and virtual pointer
protocols (spoken by the small client below), screenshots by grim, windows from sway's tree."""

import glob, json, os, shutil, socket, struct, subprocess, tempfile, time

from e2e_support import Image, Session, check

# Linux input codes, as the keymap below and the virtual devices take them.
KEYS = {"esc": 1, "tab": 15, "return": 28, "ctrl": 29, "s": 31, "o": 24, "alt": 56, "space": 57, "caps_lock": 58}
# The modifiers those keys hold or lock, as bits of the keymap's real modifiers (Shift, Lock, Control, Mod1...).
HELD, LOCKED = {"ctrl": 1 << 2, "alt": 1 << 3}, {"caps_lock": 1 << 1}
BUTTON_LEFT = 0x110
KEYMAP = b"""xkb_keymap {
  xkb_keycodes { include "evdev+aliases(qwerty)" };
  xkb_types { include "complete" };
  xkb_compat { include "complete" };
  xkb_symbols { include "pc+us+inet(evdev)" };
};
\0"""
SWAY_CONFIG = """xwayland disable
default_border none
default_floating_border none
output * resolution 1280x1024 bg #ffffff solid_color
"""


class VirtualInput:
    """One keyboard and one pointer on the compositor's seat, kept for the whole session, so that the program
    has both from its start and the lock keys keep their state. Speaks the Wayland wire format itself: a few
    requests, no events but those of the registry and of the round trip."""

    def __init__(self, path, extent):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(path)
        self.extent, self.next_id, self.buffer, self.start = extent, 2, b"", time.monotonic()
        self.held = self.locked = 0
        registry = self.new_id()
        self.send(1, 1, struct.pack("<I", registry))  # wl_display.get_registry
        globals_ = {interface: name for name, interface in self.registry_globals(registry)}
        wanted = ("wl_seat", "zwp_virtual_keyboard_manager_v1", "zwlr_virtual_pointer_manager_v1")
        check(all(w in globals_ for w in wanted), f"the compositor lacks one of {wanted}")
        seat, keyboards, pointers = (self.bind(registry, w, globals_[w]) for w in wanted)
        self.keyboard, self.pointer = self.new_id(), self.new_id()
        self.send(keyboards, 0, struct.pack("<II", seat, self.keyboard))  # create_virtual_keyboard
        self.send(pointers, 0, struct.pack("<II", seat, self.pointer))  # create_virtual_pointer
        fd = os.memfd_create("keymap")
        os.write(fd, KEYMAP)
        self.send(self.keyboard, 0, struct.pack("<II", 1, len(KEYMAP)), fds=[fd])  # keymap, XKB text v1
        os.close(fd)
        self.round_trip()

    def new_id(self):
        self.next_id += 1
        return self.next_id - 1

    def send(self, obj, opcode, args=b"", fds=()):
        message = struct.pack("<II", obj, (8 + len(args)) << 16 | opcode) + args
        self.sock.sendmsg([message], [(socket.SOL_SOCKET, socket.SCM_RIGHTS, struct.pack(f"<{len(fds)}i", *fds))]
                          if fds else [])

    def events(self):
        """Reads whole events; a protocol error ends the test."""
        while True:
            while len(self.buffer) >= 8:
                obj, word = struct.unpack_from("<II", self.buffer)
                size = word >> 16
                if len(self.buffer) < size:
                    break
                body, self.buffer = self.buffer[8:size], self.buffer[size:]
                check(not (obj == 1 and word & 0xFFFF == 0), f"Wayland protocol error: {body[12:]!r}")
                yield obj, word & 0xFFFF, body
            data = self.sock.recv(4096)
            check(data, "the compositor closed the connection")
            self.buffer += data

    def round_trip(self):
        callback = self.new_id()
        self.send(1, 0, struct.pack("<I", callback))  # wl_display.sync
        for obj, _, _ in self.events():
            if obj == callback:
                return

    def registry_globals(self, registry):
        callback = self.new_id()
        self.send(1, 0, struct.pack("<I", callback))
        found = []
        for obj, opcode, body in self.events():
            if obj == callback:
                return found
            if obj == registry and opcode == 0:  # global: name, interface, version
                name, length = struct.unpack_from("<II", body)
                found.append((name, body[8:8 + length - 1].decode()))

    def bind(self, registry, interface, name):
        """Version 1 of each: all that is used here."""
        new = self.new_id()
        text = interface.encode() + b"\0"
        text += b"\0" * (-len(text) % 4)
        self.send(registry, 0, struct.pack("<II", name, len(interface) + 1) + text + struct.pack("<II", 1, new))
        return new

    def now(self):
        return int((time.monotonic() - self.start) * 1000)

    def key(self, name, pressed):
        """A virtual keyboard's keys change no modifiers by themselves: its client says which it holds."""
        self.held = self.held | HELD.get(name, 0) if pressed else self.held & ~HELD.get(name, 0)
        self.locked ^= LOCKED.get(name, 0) if pressed else 0
        self.send(self.keyboard, 1, struct.pack("<III", self.now(), KEYS[name], int(pressed)))
        self.send(self.keyboard, 2, struct.pack("<IIII", self.held, 0, self.locked, 0))

    def chord(self, chord):
        """Presses "ctrl+s" as a person does: each key down in order, then up in reverse."""
        names = chord.lower().split("+")
        for name in names:
            self.key(name, True)
        for name in reversed(names):
            self.key(name, False)
        self.round_trip()

    def move(self, x, y):
        self.send(self.pointer, 1, struct.pack("<IIIII", self.now(), x, y, *self.extent))  # motion_absolute
        self.send(self.pointer, 4)  # frame

    def button(self, pressed):
        self.send(self.pointer, 2, struct.pack("<III", self.now(), BUTTON_LEFT, int(pressed)))
        self.send(self.pointer, 4)
        self.round_trip()

    def close(self):
        self.sock.close()


class WaylandSession(Session):
    """Session's cases run unchanged: windows, geometry, screenshots and input go through the compositor."""

    def start_display(self):
        # sway refuses to run as root: then it runs as nobody, in a runtime folder of its own.
        self.sway_dir = tempfile.mkdtemp(prefix="zelvorandine-sway-")
        user = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] if os.geteuid() == 0 else []
        if user:
            os.chown(self.sway_dir, 65534, 65534)
        config = os.path.join(self.sway_dir, "config")
        with open(config, "w") as f:
            f.write(SWAY_CONFIG)
        sway_env = dict(PATH=os.environ["PATH"], HOME=self.sway_dir, XDG_RUNTIME_DIR=self.sway_dir,
                        WLR_BACKENDS="headless", WLR_RENDERER="pixman", WLR_LIBINPUT_NO_DEVICES="1",
                        WLR_HEADLESS_OUTPUTS="1")
        self.xvfb = subprocess.Popen([*user, "sway", "-c", config], env=sway_env, stdout=self.logf,
                                     stderr=subprocess.STDOUT)
        sockets = lambda pattern: [p for p in glob.glob(os.path.join(self.sway_dir, pattern))
                                   if not p.endswith(".lock")]
        self.until(lambda: self.xvfb.poll() is None and sockets("wayland-*") and sockets("sway-ipc.*"),
                   "sway's sockets", 30)
        self.display, self.ipc = sockets("wayland-*")[0], sockets("sway-ipc.*")[0]
        self.env = dict(PATH=os.environ["PATH"], WAYLAND_DISPLAY=self.display, HOME=self.home, LANG="C.UTF-8",
                        LC_ALL="C.UTF-8", XDG_CONFIG_HOME=self.home + "/.config", XDG_RUNTIME_DIR=self.tmp,
                        QT_QPA_PLATFORM="wayland")
        size = self.shot().size
        self.input = VirtualInput(self.display, size)
        # Screenshots here show the pointer: between drags it rests on the menu bar's empty end.
        self.rest = (size[0] - 1, 0)
        self.input.move(*self.rest)
        self.log(f"sway on {self.display}")

    def close(self):
        if getattr(self, "input", None):
            self.input.close()
        super().close()
        shutil.rmtree(getattr(self, "sway_dir", ""), ignore_errors=True)

    def tree(self):
        done = subprocess.run(["swaymsg", "-s", self.ipc, "-t", "get_tree"], capture_output=True, text=True,
                              timeout=30)
        check(done.returncode == 0, f"swaymsg: {done.stderr.strip()}")
        nodes, found = [json.loads(done.stdout)], []
        while nodes:
            node = nodes.pop()
            nodes += node.get("nodes", []) + node.get("floating_nodes", [])
            if node.get("pid"):
                found.append(node)
        return found

    def windows(self):
        check(self.app.poll() is None, f"the program ended with status {self.app.returncode}")
        return {n["id"]: n["name"] or "" for n in self.tree() if n["pid"] == self.app.pid}

    def geometry(self, w):
        rect = next((n["rect"] for n in self.tree() if n["id"] == w), None)
        check(rect is not None, f"no window {w}")
        return (rect["x"], rect["y"], rect["x"] + rect["width"], rect["y"] + rect["height"])

    def floating(self, w):
        return any(n["id"] == w and n["type"] == "floating_con" for n in self.tree())

    def shot(self):
        done = subprocess.run(["grim", "-"], env=dict(PATH=os.environ["PATH"], WAYLAND_DISPLAY=self.display),
                              capture_output=True, timeout=30)
        check(done.returncode == 0, f"grim: {done.stderr.decode().strip()}")
        with Image.open(__import__("io").BytesIO(done.stdout)) as image:
            return image.convert("RGB")

    def keys(self, w, *chords):
        """The compositor gives the keys to the window it focuses, as after a person's click on it."""
        subprocess.run(["swaymsg", "-s", self.ipc, f"[con_id={w}] focus"], capture_output=True, timeout=30)
        for chord in chords:
            self.input.chord(chord)

    def click(self, x, y):
        self.drag((x, y))

    def drag(self, *points):
        """Moves sent as fast as the compositor takes them, then the pointer back to rest."""
        self.input.move(*points[0])
        self.input.button(True)
        for p in points[1:]:
            self.input.move(*p)
        self.input.button(False)
        self.input.move(*self.rest)

    def stroke(self, points):
        self.drag(*points)


TOOLS = ("sway", "swaymsg", "grim", "setpriv")
