#!/usr/bin/env python3
"""Helpers for the end-to-end scenarios: writing and reading save files, and
looking at screenshots of the real window (taken with ImageMagick's import)
the way a player would see them.

Screen positions are given in virtual pixels of the game's 480x270 canvas;
the window's client origin and scale come from the environment (WIN_X, WIN_Y,
SCALE), set by the scenario library once the window is found.
"""
import json
import os
import struct
import subprocess
import sys
import time

FIELD_W, FIELD_H = 60, 30
HEADER = 18
SAVE_BASE = HEADER + FIELD_W * FIELD_H * 3  # 5418

BACKGROUND = (128, 128, 128)
GRID_LINE = (64, 64, 64)
# A sprite's white pixels take the tint exactly: the pure colours in the field,
# the status bar's text colours in its purchase preview.
TINTS = {"red": [(255, 0, 0), (255, 64, 64)], "green": [(0, 255, 0), (64, 255, 64)],
         "blue": [(0, 0, 255), (64, 64, 255)]}
# One pixel per sprite frame, inside its border (the hover outline covers the
# border), that is white in that frame and transparent in every other one, so
# it tells the facing.
FACING_MARKS = {"up": (1, 5), "right": (2, 1), "down": (1, 2), "left": (5, 1), "extractor": (1, 1)}


# ---- save files ---------------------------------------------------------------

def make_save(path, world):
    """world: {"money": [r, g, b], "cells": [[x, y, c, v], ...],
    "generators": [[x, y, color, level, charge, facing], ...]}; counts follow
    from the generators, as the game keeps them."""
    money = world.get("money", [0, 0, 0])
    gens = world.get("generators", [])
    counts = [0, 0, 0]
    for g in gens:
        counts[g[2]] += 1
    grid = bytearray(FIELD_W * FIELD_H * 3)
    for x, y, c, v in world.get("cells", []):
        grid[180 * y + 3 * x + c] = v
    data = struct.pack("<iiiHHH", *money, *counts) + bytes(grid)
    for x, y, color, level, charge, facing in gens:
        data += struct.pack("<BBBHHB", x, y, color, level, charge, facing)
    with open(path, "wb") as f:
        f.write(data)


def read_save(path):
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < SAVE_BASE:
        raise SystemExit(f"save file {path} is {len(data)} bytes, shorter than {SAVE_BASE}")
    money = list(struct.unpack_from("<iii", data, 0))
    counts = list(struct.unpack_from("<HHH", data, 12))
    grid = data[HEADER:SAVE_BASE]
    cells = [[x, y, c, grid[180 * y + 3 * x + c]]
             for y in range(FIELD_H) for x in range(FIELD_W) for c in range(3) if grid[180 * y + 3 * x + c]]
    gens = []
    for off in range(SAVE_BASE, len(data) - 7, 8):
        gens.append(list(struct.unpack_from("<BBBHHB", data, off)))
    return {"size": len(data), "money": money, "counts": counts, "cells": cells, "generators": gens}


# ---- screenshots ----------------------------------------------------------------

class Shot:
    def __init__(self, path):
        with open(path, "rb") as f:
            raw = f.read()
        # Binary PPM as ImageMagick writes it: "P6\n<w> <h>\n255\n" then RGB bytes.
        parts = raw.split(b"\n", 3)
        if parts[0] != b"P6" or parts[2] != b"255":
            raise SystemExit(f"{path}: not an 8-bit binary PPM")
        self.w, self.h = map(int, parts[1].split())
        self.data = parts[3]
        self.path = path

    def screen(self, x, y):
        i = 3 * (y * self.w + x)
        return tuple(self.data[i:i + 3])

    def virtual(self, vx, vy, inner=1):
        """The colour of virtual pixel (vx, vy), taken inside its block."""
        return self.screen(WIN_X + SCALE * vx + inner, WIN_Y + SCALE * vy + inner)


WIN_X = int(os.environ.get("WIN_X", "0"))
WIN_Y = int(os.environ.get("WIN_Y", "0"))
SCALE = int(os.environ.get("SCALE", "3"))


def capture(path):
    ppm = path if path.endswith(".ppm") else path + ".ppm"
    subprocess.run(["import", "-window", "root", "-depth", "8", ppm], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return Shot(ppm)


def to_png(shot):
    png = shot.path[:-4] + ".png"
    subprocess.run(["convert", shot.path, png], check=True)
    return png


def sprite_at(shot, vx, vy):
    """(facing, colour) of the generator sprite drawn at virtual (vx, vy), or None."""
    for facing, (dx, dy) in FACING_MARKS.items():
        colour = shot.virtual(vx + dx, vy + dy)
        for name, tints in TINTS.items():
            if colour in tints:
                return facing, name
    return None


def field_mismatches(shot, limit=10):
    """Window pixels of the playfield of an empty world that differ from the
    background and its grid lines: every virtual pixel a sharp block."""
    bad = []
    bg, line = bytes(BACKGROUND), bytes(GRID_LINE)
    row_plain = b"".join(line if vx % 8 == 0 else bg for vx in range(480) for _ in range(SCALE))
    row_line = line * (480 * SCALE)
    for y in range(240 * SCALE):
        want = row_line if (y // SCALE) % 8 == 0 else row_plain
        start = 3 * ((WIN_Y + y) * shot.w + WIN_X)
        got = shot.data[start:start + len(want)]
        if got != want:
            for x in range(480 * SCALE):
                if got[3 * x:3 * x + 3] != want[3 * x:3 * x + 3]:
                    bad.append((x, y, tuple(got[3 * x:3 * x + 3]), tuple(want[3 * x:3 * x + 3])))
                    break
            if len(bad) >= limit:
                break
    return bad


def help_screen(shot):
    """White ink in the title line, black everywhere a playfield or status bar
    would show colour."""
    title_ink = sum(shot.virtual(x, y) == (255, 255, 255) for y in range(2, 11) for x in range(0, 368))
    blank = all(shot.virtual(x, y) == (0, 0, 0) for x, y in [(1, 1), (4, 200), (300, 150), (479, 239), (470, 260)])
    return title_ink > 200 and blank


# ---- conditions, polled on fresh screenshots ----------------------------------------

def condition(args):
    kind = args[0]
    if kind == "pixel":  # pixel VX VY R G B
        vx, vy, r, g, b = map(int, args[1:6])
        return lambda s: s.virtual(vx, vy) == (r, g, b), f"virtual pixel ({vx}, {vy}) to be ({r}, {g}, {b})"
    if kind == "not-pixel":  # not-pixel VX VY R G B
        vx, vy, r, g, b = map(int, args[1:6])
        return lambda s: s.virtual(vx, vy) != (r, g, b), f"virtual pixel ({vx}, {vy}) to change from ({r}, {g}, {b})"
    if kind == "red-at-least":  # red-at-least VX VY N
        vx, vy, n = map(int, args[1:4])
        return lambda s: s.virtual(vx, vy)[0] >= n, f"the red of virtual pixel ({vx}, {vy}) to reach {n}"
    if kind == "sprite":  # sprite VX VY FACING COLOUR
        vx, vy = int(args[1]), int(args[2])
        want = (args[3], args[4])
        return lambda s: sprite_at(s, vx, vy) == want, f"a {want[1]} {want[0]} sprite at virtual ({vx}, {vy})"
    if kind == "no-sprite":  # no-sprite VX VY
        vx, vy = int(args[1]), int(args[2])
        return lambda s: sprite_at(s, vx, vy) is None, f"no sprite at virtual ({vx}, {vy})"
    if kind == "help-screen":
        return help_screen, "the help screen: white text on black, no playfield"
    if kind == "changed":  # changed VX VY W H BASELINE.ppm: any virtual pixel of the area differs
        vx, vy, w, h = map(int, args[1:5])
        base = Shot(args[5])
        def differs(s):
            return any(s.virtual(x, y) != base.virtual(x, y) for y in range(vy, vy + h) for x in range(vx, vx + w))
        return differs, f"the area ({vx}, {vy}) size {w}x{h} to change"
    if kind == "empty-field":
        return lambda s: not field_mismatches(s, 1), "the empty field: grey cells, dark grid lines, sharp blocks"
    raise SystemExit(f"unknown condition {kind}")


def wait(shot_base, timeout, args):
    test, what = condition(args)
    deadline = time.monotonic() + timeout
    while True:
        shot = capture(shot_base)
        if test(shot):
            os.remove(shot.path)  # a raw screen is 6 MB; only failures keep theirs (as PNG)
            return 0
        if time.monotonic() > deadline:
            png = to_png(shot)
            os.remove(shot.path)
            detail = ""
            if args[0] == "empty-field":
                detail = "; first differing window pixels (x, y, got, want): " + str(field_mismatches(shot, 3))
            elif len(args) >= 3:
                vx, vy = int(args[1]), int(args[2])
                detail = f"; it is {shot.virtual(vx, vy)}, sprite there: {sprite_at(shot, vx, vy)}"
            print(f"timed out after {timeout} s waiting for {what}{detail}; screenshot: {png}")
            return 1
        time.sleep(0.05)


def main(argv):
    cmd = argv[1]
    if cmd == "make-save":  # make-save PATH JSON
        make_save(argv[2], json.loads(argv[3]))
    elif cmd == "read-save":  # read-save PATH
        print(json.dumps(read_save(argv[2])))
    elif cmd == "wait":  # wait SHOT_BASE TIMEOUT CONDITION...
        return wait(argv[2], float(argv[3]), argv[4:])
    elif cmd == "shot":  # shot SHOT_BASE: PPM and PNG
        print(to_png(capture(argv[2])))
    elif cmd == "check":  # check SHOT_BASE CONDITION...: once, on a fresh screenshot
        return wait(argv[2], 0, argv[3:])
    else:
        raise SystemExit(f"unknown command {cmd}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
