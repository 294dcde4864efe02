#!/usr/bin/env python3
"""A player for the recording script: presses keys in the real window (XTest, as xdotool does) and follows the craft
through the test build's flight log, like a pilot reading exact instruments. Flies one flight and leaves the keys
up when the craft touches down.

  pilot.py MODE PLANET CRAFT [SECONDS]

The flight log (DRAVOLINEX_FLIGHT_LOG, a test hook of the GTK and Windows games, named here by PILOT_FLIGHT_LOG) has
a line for every frame the game shows: "craft SECONDS x y vx vy angle fuel flying", and the world whenever it is built: "world
COUNT (x y width)... WIDTH terrain...". Between two frames the player works out where the craft is now from the keys
it holds, so it decides every few milliseconds rather than every 50.

MODE:
  land   the rocket set down on the middle of the platform nearest to its start: across at a safe height first,
         then straight down, slowing with the height left.
  speed  the rocket onto a platform while moving sideways at about 50 (the landing speed limit is 40): it stops
         in the air beside the platform, brings its sideways speed to 50 with the height held, then falls with the
         engine off along a parabola onto the platform, the sideways jet trimming the speed (44 to 60) so that the
         feet meet the surface half-way across (a speed tip).
  roll   the legged craft straight down onto the platform below its start, then tilted by 6 degrees 20 pixels
         above the surface with the engine off (a roll tip).
Exit code 3 when the world does not suit MODE (roll: no platform right below the start; speed: no platform with
room beside it for the run-in): the script then starts a new game. 2 when the flight log shows no flight.
"""
import atexit
import ctypes
import math
import os
import signal
import sys
import time

mode = sys.argv[1]
planet, craft = int(sys.argv[2]), int(sys.argv[3])
limit = float(sys.argv[4]) if len(sys.argv) > 4 else 200

GRAVITY = [0.17, 0.38, 1.0, 2.6][planet]
THRUST = [1.0, 1.5, 2.0, 3.5][planet]
HIT_LEFT, HIT_RIGHT, HIT_BOTTOM = [(14, 28, 31), (7, 35, 31)][craft]
STEPS_PER_SECOND = 100

x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XStringToKeysym.restype = ctypes.c_ulong
x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
x11.XFlush.argtypes = [ctypes.c_void_p]
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
dpy = x11.XOpenDisplay(None)
codes = {k: x11.XKeysymToKeycode(dpy, x11.XStringToKeysym(k.encode())) for k in ("space", "Left", "Right")}
held = {k: False for k in codes}


def key(name, down):
    if held[name] == down:
        return
    held[name] = down
    xtst.XTestFakeKeyEvent(dpy, codes[name], down, 0)
    x11.XFlush(dpy)


def release_all():
    for k in codes:
        key(k, False)


class Log:
    """The flight log read as it grows: the newest craft line and the world."""

    def __init__(self, path):
        self.file = open(path)
        self.rest = ""
        self.craft = None
        self.world = None
        self.flown = False

    def read(self):
        chunk = self.file.read()
        if not chunk:
            return
        lines = (self.rest + chunk).split("\n")
        self.rest = lines.pop()
        for line in lines:
            word, _, values = line.strip().partition(" ")  # the Windows game ends its lines with CR LF
            if word == "craft":
                v = values.split()
                # The line's own clock may not be this one's (Wine): the time it arrived stands for the frame's.
                self.craft = [time.monotonic()] + [float(a) for a in v[1:7]] + [v[7] == "1"]
                self.flown = self.flown or self.craft[7]
            elif word == "world":
                v = list(map(int, values.split()))
                count = v[0]
                pads = [tuple(v[1 + 3 * i:4 + 3 * i]) for i in range(count)]
                self.world = (pads, v[2 + 3 * count:])


def predict(c):
    """The craft now: the frame's state carried on by the steps since, with the keys held now."""
    t, x, y, vx, vy, angle, fuel = c[:7]
    steps = max(0, min(20, int((time.monotonic() - t) * STEPS_PER_SECOND)))
    for _ in range(steps):
        a = angle / 180 * math.pi
        if held["space"] and fuel > 0:
            if craft == 1:
                vy += math.cos(a) * THRUST
                vx += math.sin(a) * THRUST
            else:
                vy += THRUST
            fuel -= 0.1
        if craft == 0:
            if held["Left"] and fuel > 0:
                vx -= 1
            if held["Right"] and fuel > 0:
                vx += 1
        else:
            angle += held["Right"] - held["Left"]
        vy -= GRAVITY
        x += vx / 60
        y += vy / 60
    return x, y, vx, vy, angle


def clamp(v, lo, hi):
    return max(lo, min(hi, v))


def fly_vertical(vy, want):
    """The main engine on while the craft sinks faster (or climbs slower) than wanted."""
    key("space", vy < want)


def fly_sideways(vx, want, slack=1.0):
    key("Right", vx < want - slack)
    key("Left", vx > want + slack)


def highest(terrain, left, right):
    """The highest ground under the columns left..right."""
    return max(terrain[max(0, int(left)):max(0, int(right)) + 1] or [0])


path = os.environ.get("PILOT_FLIGHT_LOG")
go = os.environ.get("PILOT_GO")
while go and not os.path.exists(go):
    time.sleep(0.02)
log = Log(path)
t0 = time.monotonic()
while not (log.world and log.craft and log.craft[7]):
    log.read()
    if time.monotonic() - t0 > 20:
        print("no flight in the flight log", flush=True)
        sys.exit(2)
    time.sleep(0.01)
pads, terrain = log.world
width = terrain[0]
terrain = terrain[1:]
_, x, y, vx, vy, angle, fuel, _ = log.craft
print("platforms", pads, "craft", (round(x, 1), round(y, 1)), flush=True)
signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
atexit.register(release_all)


def centre(x):
    return x + (HIT_LEFT + HIT_RIGHT) / 2


# What the flight aims at. The pad nearest the start (land, roll) or the pad and side with room for the run-in.
pad = min(pads, key=lambda p: abs(p[0] + p[2] / 2 - centre(x)))
if mode == "roll":
    if not (pad[0] + 3 <= x + HIT_LEFT and x + HIT_RIGHT <= pad[0] + pad[2] - 3):
        print("no platform right below the start", flush=True)
        sys.exit(3)

# The run-in of the speed tip: the sideways speed brought to RUN at a standstill in height, then the engine off;
# the craft falls onto the platform along a parabola that meets the surface half-way across after about FALL steps.
# On the way the sideways speed (kept between 44 and 60) is trimmed so that the touch comes half-way across.
RUN, FALL = 50.0, 150


def fall_steps(h, vy):
    """Steps until the feet fall through the height h from the sinking speed vy with the engine off."""
    a = GRAVITY / 120
    return (vy / 60 + math.sqrt((vy / 60) ** 2 + 4 * a * max(h, 0))) / (2 * a)


plan = None
if mode == "speed":
    drop = GRAVITY * FALL * FALL / 120  # the height the fall takes
    run = RUN / 60 * FALL  # and its length
    speed_up = RUN * (RUN + 1) / 120
    for p in sorted(pads, key=lambda p: abs(p[0] + p[2] / 2 - centre(x))):
        room = p[2] - (HIT_RIGHT - HIT_LEFT)  # craft positions with the box wholly over the platform
        for side in (1, -1):
            entry = p[0] - HIT_LEFT if side == 1 else p[0] + p[2] - HIT_RIGHT
            ok = 0 < entry + side * (room / 2 - run - speed_up - 10) < width - 43
            for u in range(int(room / 2 - run - speed_up - 10), 1):
                cx = entry + side * u
                falling = max(0.0, (u - room / 2 + run) / run)
                want = p[1] + drop * (1 - falling * falling)
                if highest(terrain, cx + HIT_LEFT - 2, cx + HIT_RIGHT + 2) > want - 4:
                    ok = False
                    break
            if ok:
                plan = (p, side, entry, room)
                break
        if plan:
            break
    if not plan:
        print("no platform with room for the run-in", flush=True)
        sys.exit(3)
    pad, side, entry, room = plan
    start_x = entry + side * (room / 2 - run - speed_up)
    start_feet = pad[1] + drop
    print("run-in: platform", pad, "side", side, "from x %.1f feet %.1f" % (start_x, start_feet), flush=True)

goal_x = pad[0] + pad[2] / 2 - (HIT_LEFT + HIT_RIGHT) / 2  # the craft's x over the middle of the platform
far_x = start_x if plan else goal_x  # where the flight leaves its cruising height
cruise = max(terrain[max(0, min(width, int(min(x, far_x)))):int(max(x, far_x)) + 44]) + 120
phase = "across"
tilted = False
last_print = 0
while time.monotonic() - t0 < limit:
    log.read()
    if log.craft and not log.craft[7] and log.flown:
        break  # touched down (or halted: the script ends the player then)
    x, y, vx, vy, angle = predict(log.craft)
    feet = y - HIT_BOTTOM
    h = feet - pad[1]
    if mode == "speed":
        u = side * (x - entry)
        if phase == "across":  # to the start of the run-in, high above the ground
            fly_sideways(vx, clamp(0.4 * (start_x - x), -30, 30))
            fly_vertical(vy, clamp(0.3 * (max(cruise, start_feet) - feet), -20, 10))
            if abs(start_x - x) < 2 and abs(vx) < 2:
                phase = "down"
        elif phase == "down":  # straight down to the height of the run-in
            fly_sideways(vx, clamp(0.4 * (start_x - x), -10, 10))
            fly_vertical(vy, clamp(0.4 * (start_feet - feet), -30, 5))
            if abs(start_feet - feet) < 2.5 and abs(vy) < 2.5 and abs(start_x - x) < 2.5 and abs(vx) < 2:
                phase = "speed-up"
        elif phase == "speed-up":  # the sideways jet until the speed of the run-in, the height held
            fly_sideways(vx, side * (RUN + 0.5), 0.5)
            fly_vertical(vy, clamp(0.5 * (start_feet - feet), -5, 5))
            if side * vx >= RUN:
                phase = "run-in"
        elif phase == "run-in":  # engine off; the sideways speed trimmed so that the touch comes half-way across
            n = fall_steps(h, vy)
            need = clamp((room / 2 - u) / max(n, 1) * 60, 44, 60)
            fly_sideways(vx, side * need, 1)
            key("space", vy - GRAVITY * n < -36)
    else:
        dx = goal_x - x
        if craft == 0:
            fly_sideways(vx, clamp(0.4 * dx, -30, 30))
        if phase == "across" and (abs(dx) > 3 or abs(vx) > 3) and craft == 0:
            fly_vertical(vy, clamp(0.3 * (cruise - feet), -20, 10))
        else:
            phase = "down"
            if mode == "roll" and h < 20 and not tilted:
                key("space", False)
                key("Right", angle < 6)
                tilted = angle >= 6
                if tilted:
                    key("Right", False)
            elif not tilted:
                fly_vertical(vy, clamp(-(3 + 0.12 * h), -30, -3))
    now = time.monotonic()
    if now - last_print > 0.1:
        last_print = now
        print("%.2f %s x %.1f feet %.1f vx %.1f vy %.1f angle %.1f h %.1f keys %s" % (
            now - t0, phase, x, feet, vx, vy, angle, h, "".join(k[0] for k in held if held[k])), flush=True)
    time.sleep(0.003)
release_all()
print("touch: x %.1f feet %.1f vx %.1f vy %.1f angle %.1f" % (x, feet, vx, vy, angle), flush=True)
