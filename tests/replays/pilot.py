#!/usr/bin/env python3
"""A player for the recording script: looks at the playfield on the X screen and presses keys (XTest, as xdotool
does), like a person watching the craft. Flies one flight and leaves the keys up when the verdict appears.

  pilot.py MODE LEFT TOP WIDTH HEIGHT PLANET CRAFT [SECONDS]

MODE: land (on the platform below the craft), edge (one foot beside a platform's edge), speed (onto a platform with
the side jet firing), roll (the legged craft tilted as it touches a platform), crash (no engine), long (up out of
sight with the whole tank, the keys pulsed all the way down), joyland (land, the thrust through the test joystick's
axes file named by DRAVOLINEX_VIRTUAL_JOYSTICK_AXES). LEFT TOP WIDTH HEIGHT: the playfield on the screen. Exit code 3
when the craft does not start where MODE needs it (roll: above a platform); the script then starts a new game.
"""
import atexit
import ctypes
import os
import signal
import sys
import time

mode = sys.argv[1]
ox, oy, W, H = map(int, sys.argv[2:6])
planet, craft = int(sys.argv[6]), int(sys.argv[7])
limit = float(sys.argv[8]) if len(sys.argv) > 8 else 200

x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
                ("obdata", ctypes.c_void_p), ("create_image", ctypes.c_void_p),
                ("destroy_image", ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p))]


x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XGetImage.restype = ctypes.POINTER(XImage)
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                          ctypes.c_ulong, ctypes.c_int]
x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XStringToKeysym.restype = ctypes.c_ulong
x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
x11.XFlush.argtypes = [ctypes.c_void_p]
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
dpy = x11.XOpenDisplay(None)
root = x11.XDefaultRootWindow(dpy)
codes = {k: x11.XKeysymToKeycode(dpy, x11.XStringToKeysym(k.encode())) for k in ("space", "Left", "Right")}
held = {k: False for k in codes}
axesFile = os.environ.get("DRAVOLINEX_VIRTUAL_JOYSTICK_AXES")


def key(name, down):
    if held[name] == down:
        return
    held[name] = down
    if mode == "joyland":  # the stick: pushed away from the player is thrust, sideways the side jets
        with open(axesFile + ".new", "w") as f:
            f.write("%d %d\n" % (32767 * held["Right"] - 32768 * held["Left"], -32768 * held["space"]))
        os.replace(axesFile + ".new", axesFile)
        return
    xtst.XTestFakeKeyEvent(dpy, codes[name], down, 0)
    x11.XFlush(dpy)


def grab(x=0, y=0, w=W, h=H):
    """The playfield's pixels (BGRX rows), or its part w x h at (x, y) padded into a whole playfield's rows."""
    img = x11.XGetImage(dpy, root, ox + x, oy + y, w, h, 0xFFFFFFFF, 2)
    stride = img.contents.bytes_per_line
    data = ctypes.string_at(img.contents.data, stride * h)
    img.contents.destroy_image(ctypes.cast(img, ctypes.c_void_p))
    if (x, y, w, h) == (0, 0, W, H):
        return data, stride
    rows = [bytes(stride * 0 + W * 4)] * H
    for r in range(h):
        rows[y + r] = bytes(x * 4) + data[r * stride:r * stride + w * 4] + bytes((W - x - w) * 4)
    return b"".join(rows), W * 4


def grab_near(seen):
    """The pixels around where the craft was last seen (a whole playfield when it was not)."""
    if seen is None:
        return grab()
    x, y = max(0, min(W - 200, seen[0] - 100)), max(0, min(H - 200, seen[1] - 100))
    return grab(x, y, 200, 200)


def find_all(data, stride, pattern, rows):
    """(x, y) of every pixel of the colour `pattern` (4 bytes BGRX) in `rows`, skipping the instrument panel."""
    found = []
    for y in rows:
        row = data[y * stride:y * stride + W * 4]
        i = row.find(pattern)
        while i >= 0:
            if i % 4 == 0 and not (y < 50 and i // 4 < 85):
                found.append((i // 4, y))
            i = row.find(pattern, i + 1)
    return found


# The craft's marking colour, its offset from the sprite's corner and its hit box (left, width, bottom).
CRAFT = [(b"\x00\x00\xff\x00", 14, 1, 14, 14, 31), (b"\x00\xff\xff\x00", 6, 12, 7, 28, 31)][craft]
PLATFORM = [b"\x50\x46\xc8\x00", b"\xff\xff\xff\x00", b"\xfb\xfe\xbe\x00", b"\xff\xf0\xf0\x00"][planet]
GRAVITY = [0.17, 0.38, 1.0, 2.6][planet]
ZH = int(0.3 * H)
M = int(0.2 * ZH)
SCALE = H / (ZH + M)
VW = int((ZH + M) / (H / W))


def platforms(data, stride):
    runs = {}
    for x, y in find_all(data, stride, PLATFORM, range(H)):
        runs.setdefault(y, []).append(x)
    found = []
    for y in sorted(runs):
        xs = sorted(runs[y])
        start = prev = xs[0]
        for x in xs[1:] + [None]:
            if x is not None and x == prev + 1:
                prev = x
                continue
            if prev - start >= 12 and not any(abs(p[0] - start) < 3 and 0 < y - p[3] <= 4 for p in found):
                found.append((start, prev - start + 1, H - (y + 3), y))
            if x is not None:
                start = prev = x
    return [(px, pw, py) for px, pw, py, _ in found]


def craft_at(data, stride, pads, prev):
    """Game coordinates (hit box left, sprite top measured up from the bottom, close-up) or None. In the close-up
    of a platform the one that keeps the craft nearest to where it was (`prev`) is taken."""
    colour, c0, r0, hit_left, _, _ = CRAFT
    global seen
    pixels = find_all(data, stride, colour, range(H))
    if len(pixels) < 5:
        seen = None
        return None
    top = min(y for _, y in pixels)
    zoomed = max(y for _, y in pixels) - top > 65  # the close-up draws the craft 2.8 times its size
    left = min(x for x, y in pixels if y < top + (30 if zoomed else 10))
    seen = (left, top)
    if not zoomed:
        return left - c0 + hit_left, H - (top - r0), False
    best = None
    for px, pw, py in pads:
        q = px + pw // 2
        vl = W - VW if q + VW // 2 > W else max(q - VW // 2, 0)
        at = (vl + left / SCALE - c0 + hit_left, py + ZH - (top / SCALE - r0), True)
        if best is None or abs(at[0] - prev[0]) + abs(at[1] - prev[1]) < abs(best[0] - prev[0]) + abs(best[1] - prev[1]):
            best = at
    return best


THRUST = [1.0, 1.5, 2.0, 3.5][planet]


def pulse(name, seconds):
    """Holds a key for a moment: a stall of this player never leaves a key held."""
    key(name, True)
    time.sleep(min(seconds, 0.15))
    key(name, False)


# Ready before the flight starts: the script creates the file PILOT_GO as it presses Continue.
go = os.environ.get("PILOT_GO")
while go and not os.path.exists(go):
    time.sleep(0.02)
time.sleep(0.3)
data, stride = grab()
pads = platforms(data, stride)
start = craft_at(data, stride, pads, None)
print("platforms", pads, "craft", start, flush=True)
if start is None or not pads:
    sys.exit(2)
hit_w = CRAFT[4]
centre = start[0] + hit_w / 2
pad = min(pads, key=lambda p: abs(p[0] + p[1] / 2 - centre))
if mode == "roll" and not (pad[0] + 3 <= start[0] and start[0] + hit_w <= pad[0] + pad[1] - 3):
    sys.exit(3)
goal = {"edge": pad[0]}.get(mode, pad[0] + pad[1] / 2)
if mode == "speed":
    goal = pad[0] + hit_w / 2 + 1
signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
atexit.register(lambda: [key(k, False) for k in codes])
seen = None
last = start
history = []
t0 = time.time()
tilted = dashed = False
count = 0
while time.time() - t0 < limit:
    near = seen
    at = craft_at(*grab_near(seen), pads, last)
    if at is None and near is not None:
        at = craft_at(*grab(), pads, last)
    if at is not None:
        last = at
    now = time.time()
    if at is None:
        break
    if history and history[-1][3] != at[2]:
        history = []  # into or out of the close-up: the positions before do not compare
    history = [h for h in history if now - h[0] < 0.35] + [(now, at[0], at[1], at[2])]
    if len(history) < 3:
        continue
    dt = history[-1][0] - history[0][0]
    vx = (history[-1][1] - history[0][1]) / dt * 0.6  # game pixels a second to the game's speed units
    vy = (history[-1][2] - history[0][2]) / dt * 0.6
    height = at[1] - CRAFT[5] - pad[2]
    if mode == "crash":
        continue
    if mode == "long":
        count += 1
        pulse("space", 0.1 if count % 3 else 0)
        pulse("Left" if count % 2 else "Right", 0.03 if count % 5 == 0 else 0)
        continue
    xerr = goal - (at[0] + hit_w / 2)
    if craft == 0 and not dashed:
        want = max(-12, min(12, 0.4 * xerr))
        key("Right", vx < want - 3)
        key("Left", vx > want + 3)
    aligned = craft == 1 or (abs(xerr) < 6 and abs(vx) < 6)
    if height > 140:
        target = 0 if not aligned else -30
    else:
        target = -(6 + height * 0.08) if aligned or dashed or tilted else 2
    if mode == "speed" and height < 30 and aligned and not dashed:
        dashed = True
        key("Left", False)
        key("Right", True)
    if mode == "roll" and height < 25 and not tilted:
        tilted = True
        pulse("Right", 0.06)
    if target == 0:
        key("space", vy < -3 and at[1] < H - 60)  # hold the height, well below the top
    else:
        key("space", vy < target + GRAVITY * 5)
    print("%.2f x %.0f y %.0f vx %.1f vy %.1f h %.0f goal %.0f keys %s" % (now - t0, at[0], at[1], vx, vy, height, goal,
          "".join(k[0] for k in held if held[k])), flush=True)
