#!/usr/bin/env python3
"""Draws gfx/generator.png, the generator sprite sheet, from the frame art below.

Eight 8x8 frames, four to a row: up, right, down, left, extractor, then three
solid grey frames that are never drawn. g is grey, w white, . black (the
transparent mask). The file is a 32x16 PNG with a 4-bit palette of exactly
those three colours and no transparency chunk of its own.

Run it from anywhere: python3 tools/make_sprites.py
"""
import os
import struct
import zlib

FRAMES = [
    # 0 up
    ["gggggggg", "g......g", "g..ww..g", "g.w..w.g", "gw....wg", "wwwwwwww", "g......g", "gggggggg"],
    # 1 right
    ["ggwggggg", "g.ww...g", "g.w.w..g", "g.w..w.g", "g.w..w.g", "g.w.w..g", "g.ww...g", "ggwggggg"],
    # 2 down
    ["gggggggg", "g......g", "wwwwwwww", "gw....wg", "g.w..w.g", "g..ww..g", "g......g", "gggggggg"],
    # 3 left
    ["gggggwgg", "g...ww.g", "g..w.w.g", "g.w..w.g", "g.w..w.g", "g..w.w.g", "g...ww.g", "gggggwgg"],
    # 4 extractor
    ["gggggggg", "gw....wg", "g..ww..g", "g.w..w.g", "g.w..w.g", "g..ww..g", "gw....wg", "gggggggg"],
] + [["gggggggg"] * 8] * 3

PALETTE = {"g": (132, 132, 132), "w": (255, 255, 255), ".": (0, 0, 0)}
INDEX = {"g": 0, "w": 1, ".": 2}
FRAME, PER_ROW = 8, 4
WIDTH, HEIGHT = FRAME * PER_ROW, FRAME * len(FRAMES) // PER_ROW


def sheet_rows():
    for y in range(HEIGHT):
        row = []
        for x in range(WIDTH):
            frame = FRAMES[(y // FRAME) * PER_ROW + x // FRAME]
            row.append(INDEX[frame[y % FRAME][x % FRAME]])
        yield row


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png_bytes():
    raw = bytearray()
    for row in sheet_rows():
        raw.append(0)  # filter: none
        for i in range(0, WIDTH, 2):
            raw.append(row[i] << 4 | row[i + 1])
    palette = b"".join(bytes(PALETTE[k]) for k in sorted(INDEX, key=INDEX.get))
    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", struct.pack(">IIBBBBB", WIDTH, HEIGHT, 4, 3, 0, 0, 0))
        + chunk(b"PLTE", palette)
        + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
        + chunk(b"IEND", b"")
    )


if __name__ == "__main__":
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gfx", "generator.png")
    with open(out, "wb") as f:
        f.write(png_bytes())
    print(f"wrote {os.path.normpath(out)}")
