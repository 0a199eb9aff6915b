# SPDX-License-Identifier: MIT
# The real program on Wayland: a private headless sway (pixman renderer) started as an unprivileged user, the
# program with QT_QPA_PLATFORM=wayland, input through the compositor's virtual keyboard and virtual pointer
# protocols (spoken by the small client below), screenshots by grim, windows from sway's tree.

import glob, io, itertools, json, os, pathlib, socket, struct, subprocess, tempfile, time

from e2e_support import Image, Session, check

# Linux input codes of the keys (named as xdotool names them, in lower case), as the keymap below and the
# devices take them; the modifiers those keys hold or lock, as bits of the keymap's real modifiers.
KEYS = {"escape": 1, "return": 28, "ctrl": 29, "s": 31, "o": 24, "caps_lock": 58, "num_lock": 69}
HELD, LOCKED = {"ctrl": 1 << 2}, {"caps_lock": 1 << 1, "num_lock": 1 << 4}
KEYMAP = b"""xkb_keymap { xkb_keycodes { include "evdev+aliases(qwerty)" }; xkb_types { include "complete" };
xkb_compat { include "complete" }; xkb_symbols { include "pc+us+inet(evdev)" }; };\0"""
SWAY_CONFIG = "xwayland disable\ndefault_border none\ndefault_floating_border none\n" \
              "output * resolution 1280x1024 bg #ffffff solid_color\n"


class WaylandSession(Session):
    platform, tools = "wayland", ("sway", "swaymsg", "grim", "setpriv", "ss")

    def start_display(self):
        # sway refuses to run as root: then it runs as nobody, in a runtime folder of its own.
        self.folders.append(sway_dir := tempfile.mkdtemp(prefix="zelvorandine-sway-"))
        user = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] if os.geteuid() == 0 else []
        user and os.chown(sway_dir, 65534, 65534)
        (config := pathlib.Path(sway_dir, "config")).write_text(SWAY_CONFIG)
        env = dict(PATH=os.environ["PATH"], XDG_RUNTIME_DIR=sway_dir, WLR_BACKENDS="headless", WLR_RENDERER="pixman")
        self.server = subprocess.Popen([*user, "sway", "-c", config], env=env, stdout=self.logf, stderr=self.logf)
        sockets = lambda: (glob.glob(f"{sway_dir}/wayland-[0-9]"), glob.glob(f"{sway_dir}/sway-ipc.*"))
        ready = lambda: check(self.server.poll() is None, "sway ended") or [len(found) for found in sockets()] == [1, 1]
        self.until(ready, "sway's sockets")
        (self.display,), (self.ipc,) = sockets()
        self.env["WAYLAND_DISPLAY"] = self.display
        # One keyboard and one pointer on the compositor's seat for the whole session, so that the program has
        # both from its start and the lock keys keep their state. The client speaks the Wayland wire format
        # itself: requests, and of the events only those of the registry and of the round trip.
        self.sock = socket.socket(socket.AF_UNIX)
        self.sock.connect(self.display)
        self.ids, self.buffer, self.held, self.locked = itertools.count(2), b"", 0, 0
        self.send(1, 1, "I", registry := next(self.ids))  # wl_display.get_registry
        # The registry's global events: name, interface (NUL-terminated), version.
        found = {body[8:].split(b"\0")[0].decode(): struct.unpack_from("<I", body)[0]
                 for obj, opcode, body in self.round_trip() if obj == registry and opcode == 0}
        seat, keyboards, pointers = (self.bind(registry, found, interface) for interface in
                                     ("wl_seat", "zwp_virtual_keyboard_manager_v1", "zwlr_virtual_pointer_manager_v1"))
        self.keyboard, self.pointer = next(self.ids), next(self.ids)
        self.send(keyboards, 0, "II", seat, self.keyboard)  # create_virtual_keyboard
        self.send(pointers, 0, "II", seat, self.pointer)  # create_virtual_pointer
        os.write(fd := os.memfd_create("keymap"), KEYMAP)
        self.send(self.keyboard, 0, "II", 1, len(KEYMAP), fd=fd)  # keymap, XKB text v1
        os.close(fd)
        # Screenshots here show the pointer: between drags it rests on the menu bar's empty end.
        self.extent, self.rest = (1280, 1024), (1279, 0)  # the output's size, as configured
        self.pointer_events(self.rest)

    def send(self, obj, opcode, fmt="", *args, fd=None):
        fds = [] if fd is None else [(socket.SOL_SOCKET, socket.SCM_RIGHTS, struct.pack("i", fd))]
        self.sock.sendmsg([struct.pack(f"<II{fmt}", obj, (8 + struct.calcsize("<" + fmt)) << 16 | opcode, *args)], fds)

    def round_trip(self):
        # wl_display.sync; yields the events before its answer. A protocol error ends the test.
        self.send(1, 0, "I", callback := next(self.ids))
        while True:
            while len(self.buffer) >= 8 and len(self.buffer) >= (size := self.buffer[6] | self.buffer[7] << 8):
                obj, opcode, body = *struct.unpack_from("<IH", self.buffer), self.buffer[8:size]
                self.buffer = self.buffer[size:]
                check(obj != 1 or opcode != 0, f"Wayland protocol error: {body[12:]!r}")
                if obj == callback:
                    return
                yield obj, opcode, body
            self.buffer += self.sock.recv(4096) or check(False, "the compositor closed the connection")

    def bind(self, registry, found, interface):
        # Version 1 of each: all that is used here. The name is padded to whole words.
        check(interface in found, f"the compositor lacks {interface}")
        self.send(registry, 0, f"II{(len(interface) + 4) // 4 * 4}sII", found[interface], len(interface) + 1,
                  interface.encode(), 1, new := next(self.ids))
        return new

    def keys(self, w, *chords):
        # The compositor gives the keys to the window it focuses, as after a person's click on it. Seldom, sway
        # turns a focus command down under load: it is asked again, within bounds. "ctrl+s" is pressed as a
        # person does: each key down in order, then up in reverse. A virtual keyboard's keys change no modifiers
        # by themselves: its client says which it holds and locks.
        w and self.until(lambda: self.swaymsg(f"[con_id={w}] focus"), f"focus on window {w}", 10)
        for names in (chord.lower().split("+") for chord in chords):
            for name, pressed in [(n, 1) for n in names] + [(n, 0) for n in reversed(names)]:
                self.held ^= HELD.get(name, 0)
                self.locked ^= LOCKED.get(name, 0) * pressed
                self.send(self.keyboard, 1, "III", now(), KEYS[name], pressed)
                self.send(self.keyboard, 2, "IIII", self.held, 0, self.locked, 0)
        list(self.round_trip())

    def pointer_events(self, *events):
        # Sends each event, a point (x, y) a move there, True or False a press or release of the left button,
        # with its frame; then a round trip.
        for event in events:
            opcode, args = (2, (0x110, event)) if isinstance(event, bool) else (1, (*event, *self.extent))
            self.send(self.pointer, opcode, "I" * (len(args) + 1), now(), *args)
            self.send(self.pointer, 4)  # frame
        list(self.round_trip())

    def swaymsg(self, *args):
        # sway's answer; None, logged, where sway turns the command down.
        done = subprocess.run(["swaymsg", "-s", self.ipc, *args], capture_output=True, text=True, timeout=30)
        return self.log(f"swaymsg {args}: {done.stdout} {done.stderr}".strip()) if done.returncode else done.stdout

    def tree(self):
        # The program's windows in sway's tree, tiled or floating.
        nodes = [json.loads(self.swaymsg("-t", "get_tree"))]
        for node in nodes:  # the list grows while it is walked
            nodes += node.get("nodes", []) + node.get("floating_nodes", [])
        return [node for node in nodes if node.get("pid") == self.app.pid]

    def windows(self):
        return {n["id"]: n["name"] or "" for n in self.tree()}

    def geometry(self, w):
        r = next(n["rect"] for n in self.tree() if n["id"] == w)
        return (r["x"], r["y"], r["x"] + r["width"], r["y"] + r["height"])

    def shot(self):
        grim = subprocess.run(["grim", "-"], env=self.env, stdout=subprocess.PIPE, check=True, timeout=30)
        return Image.open(io.BytesIO(grim.stdout)).convert("RGB")

    def unread(self):
        # The bytes the compositor sent the program that it has not read yet, as the kernel tells.
        listing = subprocess.run(["ss", "-xpH"], capture_output=True, text=True, timeout=30).stdout.splitlines()
        return sum(int(line.split()[2]) for line in listing if f"pid={self.app.pid}," in line)

    def drag(self, *points):
        # Moves sent as fast as the program reads them: a compositor ends the connection of a program that leaves
        # more events unread than it can hold. Then the pointer goes back to rest.
        self.pointer_events(points[0], True)
        for k in range(1, len(points), 50):
            self.until(lambda: self.unread() == 0, "the program reading its input")
            self.pointer_events(*points[k:k + 50])
        self.pointer_events(False, self.rest)


def now():
    # Event times in milliseconds.
    return int(time.monotonic() * 1000) & 0xFFFFFFFF
