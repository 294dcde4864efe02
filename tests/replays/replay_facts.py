#!/usr/bin/env python3
"""What a replay file holds, in one line each: planet craft outcome score steps events bytes recording-seconds.
The recording's length is counted from its 50 ms repaint expiries (from the world's building to the verdict).
  replay_facts.py FILE...
"""
import struct
import sys


def varint(b, p):
    v = s = 0
    while True:
        c = b[p]
        p += 1
        v |= (c & 0x7F) << s
        s += 7
        if c < 0x80:
            return v, p


def unpack(packed):
    out = bytearray()
    p = 0
    while p < len(packed):
        t, p = varint(packed, p)
        if t & 1 == 0:
            out += packed[p:p + (t >> 1)]
            p += t >> 1
        else:
            length = (t >> 1) + 4
            d, p = varint(packed, p)
            for _ in range(length):
                out.append(out[-d - 1])
    return bytes(out)


def facts(path):
    b = open(path, "rb").read()
    p = 12
    for _ in range(2):
        p += 1 + b[p]
    p += 8
    opts = struct.unpack_from("<15i", b, p)
    p += 60 + 8 + 4 + 2 + 16
    outcome, score, steps, events = struct.unpack_from("<iiII", b, p)
    p += 16 + 48 + 4 + 8
    n = struct.unpack_from("<I", b, p)[0]
    p += 4 + 4 * n
    size, packed = struct.unpack_from("<II", b, p)
    p += 8
    log = unpack(b[p:p + packed])
    repaints = i = 0
    while i < len(log):
        e = log[i]
        i += 1
        if e == 0x04:
            repaints += 1
        elif e == 0x11:
            for _ in range(3):
                _, i = varint(log, i)
        elif e == 0x14:
            i += 60
        elif e == 0x15:
            for _ in range(2):
                _, i = varint(log, i)
        elif e == 0x16:
            _, i = varint(log, i)
    return opts[8], opts[2], outcome, score, steps, events, len(b), repaints * 0.05


if __name__ == "__main__":
    for f in sys.argv[1:]:
        print(*facts(f))
