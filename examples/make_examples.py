#!/usr/bin/env python3
"""Draws the example chip sheet (examples/sample-sheet.bmp, 256 x 256, 64 chips) and an example
map drawn with it (examples/island.map). Standard library only; run it again to regenerate.

Chip numbers (row by row, 8 per row):
  0 grass        1 flowers      2 tall grass   3 dirt         4 sand         5 shells
  6 water        7 deep water   8 road (E-W)   9 road (N-S)  10 crossroad   11 cobbles
 12 brick wall  13 stone wall  14 wood floor  15 tiled floor 16 round tree  17 pine
 18 bush        19 rock        20 red flower  21 mushroom    22 cactus      23 stump
 24 shore N     25 shore S     26 shore W     27 shore E     28 bridge E-W  29 bridge N-S
 30 lava        31 ice         32 red roof    33 blue roof   34 door        35 window
 36 chest       37 fence E-W   38 fence N-S   39 sign        40 mountain    41 hill
 42 snow        43 swamp       44 cave        45 stairs      46 well       47 torch
 48-63 plain colour swatches with their number drawn as dots (for marking and tests)
"""
import os
import random
import struct

W = H = 256
C = 32
HERE = os.path.dirname(os.path.abspath(__file__))

img = [[(0, 0, 0)] * W for _ in range(H)]


def put(x, y, c):
    if 0 <= x < W and 0 <= y < H:
        img[y][x] = c


def rect(x0, y0, w, h, c):
    for y in range(y0, y0 + h):
        for x in range(x0, x0 + w):
            put(x, y, c)


def disc(cx, cy, r, c):
    for y in range(int(cy - r), int(cy + r) + 1):
        for x in range(int(cx - r), int(cx + r) + 1):
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                put(x, y, c)


def speckle(ox, oy, base, dots, seed, count=40):
    rnd = random.Random(seed)
    rect(ox, oy, C, C, base)
    for _ in range(count):
        put(ox + rnd.randrange(C), oy + rnd.randrange(C), rnd.choice(dots))


GRASS = (60, 160, 60)
GRASS_D = (40, 120, 40)
SAND = (230, 210, 140)
WATER = (50, 110, 220)
WATER_D = (20, 50, 150)
ROAD = (150, 130, 100)
STONE = (140, 140, 140)
WOOD = (150, 100, 50)


def chip(k):
    ox, oy = (k % 8) * C, (k // 8) * C
    s = 1000 + k
    if k == 0:
        speckle(ox, oy, GRASS, [GRASS_D, (80, 180, 80)], s)
    elif k == 1:
        speckle(ox, oy, GRASS, [GRASS_D], s)
        rnd = random.Random(s)
        for _ in range(6):
            put(ox + rnd.randrange(2, 30), oy + rnd.randrange(2, 30), (250, 250, 90))
            put(ox + rnd.randrange(2, 30), oy + rnd.randrange(2, 30), (250, 250, 250))
    elif k == 2:
        rect(ox, oy, C, C, GRASS)
        for x in range(2, 30, 4):
            for y in range(4, 30):
                if (y + x) % 7 < 4:
                    put(ox + x, oy + y, GRASS_D)
    elif k == 3:
        speckle(ox, oy, (120, 85, 50), [(95, 65, 35), (140, 100, 60)], s, 80)
    elif k == 4:
        speckle(ox, oy, SAND, [(210, 190, 120)], s)
    elif k == 5:
        speckle(ox, oy, SAND, [(210, 190, 120)], s)
        disc(ox + 10, oy + 12, 2.5, (250, 240, 240))
        disc(ox + 22, oy + 22, 2, (240, 180, 180))
    elif k in (6, 7):
        base = WATER if k == 6 else WATER_D
        rect(ox, oy, C, C, base)
        for y in (6, 16, 26):
            for x in range(4, 28):
                if (x // 4) % 2 == 0:
                    put(ox + x, oy + y + (x % 4 == 1), (150, 190, 250) if k == 6 else (60, 100, 200))
    elif k in (8, 9, 10):
        speckle(ox, oy, GRASS, [GRASS_D], s)
        if k in (8, 10):
            rect(ox, oy + 8, C, 16, ROAD)
        if k in (9, 10):
            rect(ox + 8, oy, 16, C, ROAD)
    elif k == 11:
        rect(ox, oy, C, C, (100, 100, 100))
        for y in range(0, C, 8):
            for x in range(0, C, 8):
                rect(ox + x + 1, oy + y + 1, 6, 6, STONE)
    elif k == 12:
        rect(ox, oy, C, C, (200, 200, 190))
        for y in range(0, C, 8):
            off = 0 if (y // 8) % 2 == 0 else 8
            for x in range(-8, C, 16):
                rect(ox + max(0, x + off), oy + y, min(15, C - max(0, x + off)), 7, (170, 60, 40))
    elif k == 13:
        rect(ox, oy, C, C, (90, 90, 90))
        for y in range(0, C, 11):
            for x in range((y // 11) * 5 % 10, C, 10):
                rect(ox + x, oy + y, 9, 10, (160, 160, 160))
    elif k == 14:
        rect(ox, oy, C, C, WOOD)
        for x in range(0, C, 8):
            rect(ox + x, oy, 1, C, (110, 70, 30))
    elif k == 15:
        for y in range(C):
            for x in range(C):
                put(ox + x, oy + y, (230, 230, 230) if ((x // 8) + (y // 8)) % 2 == 0 else (60, 60, 120))
    elif 16 <= k <= 23:
        speckle(ox, oy, GRASS, [GRASS_D], s)
        if k == 16:
            rect(ox + 14, oy + 20, 4, 10, WOOD)
            disc(ox + 16, oy + 13, 10, (20, 110, 30))
        elif k == 17:
            rect(ox + 14, oy + 24, 4, 7, WOOD)
            for y in range(3, 25):
                half = (y - 2) // 2
                rect(ox + 16 - half, oy + y, 2 * half + 1, 1, (10, 80, 40))
        elif k == 18:
            disc(ox + 16, oy + 18, 9, (30, 130, 40))
            disc(ox + 11, oy + 16, 3, (60, 170, 60))
        elif k == 19:
            disc(ox + 16, oy + 18, 10, (120, 120, 120))
            disc(ox + 13, oy + 15, 4, (170, 170, 170))
        elif k == 20:
            rect(ox + 15, oy + 16, 2, 12, (30, 100, 30))
            for dx, dy in ((0, -5), (5, 0), (0, 5), (-5, 0)):
                disc(ox + 16 + dx, oy + 12 + dy, 3, (220, 30, 40))
            disc(ox + 16, oy + 12, 2, (250, 220, 50))
        elif k == 21:
            rect(ox + 14, oy + 17, 5, 10, (240, 230, 210))
            disc(ox + 16, oy + 15, 8, (200, 30, 30))
            disc(ox + 13, oy + 12, 1.5, (255, 255, 255))
            disc(ox + 19, oy + 14, 1.5, (255, 255, 255))
        elif k == 22:
            speckle(ox, oy, SAND, [(210, 190, 120)], s)
            rect(ox + 13, oy + 4, 6, 26, (40, 140, 60))
            rect(ox + 6, oy + 12, 7, 4, (40, 140, 60))
            rect(ox + 6, oy + 8, 3, 4, (40, 140, 60))
            rect(ox + 19, oy + 16, 7, 4, (40, 140, 60))
            rect(ox + 23, oy + 10, 3, 6, (40, 140, 60))
        elif k == 23:
            disc(ox + 16, oy + 18, 8, (130, 90, 50))
            disc(ox + 16, oy + 18, 5, (200, 160, 100))
            disc(ox + 16, oy + 18, 2, (130, 90, 50))
    elif 24 <= k <= 27:
        speckle(ox, oy, SAND, [(210, 190, 120)], s)
        if k == 24:
            rect(ox, oy, C, 12, WATER)
        elif k == 25:
            rect(ox, oy + 20, C, 12, WATER)
        elif k == 26:
            rect(ox, oy, 12, C, WATER)
        else:
            rect(ox + 20, oy, 12, C, WATER)
    elif k in (28, 29):
        rect(ox, oy, C, C, WATER)
        if k == 28:
            rect(ox, oy + 6, C, 20, WOOD)
            for x in range(0, C, 6):
                rect(ox + x, oy + 6, 1, 20, (100, 60, 20))
        else:
            rect(ox + 6, oy, 20, C, WOOD)
            for y in range(0, C, 6):
                rect(ox + 6, oy + y, 20, 1, (100, 60, 20))
    elif k == 30:
        speckle(ox, oy, (220, 70, 10), [(255, 200, 40), (150, 30, 0)], s, 90)
    elif k == 31:
        speckle(ox, oy, (200, 230, 255), [(255, 255, 255), (160, 200, 240)], s, 50)
    elif k in (32, 33):
        base = (180, 40, 40) if k == 32 else (40, 70, 170)
        rect(ox, oy, C, C, base)
        for y in range(0, C, 6):
            rect(ox, oy + y, C, 1, (90, 20, 20) if k == 32 else (20, 30, 90))
    elif k in (34, 35):
        rect(ox, oy, C, C, (200, 200, 190))
        if k == 34:
            rect(ox + 9, oy + 6, 14, 26, WOOD)
            disc(ox + 19, oy + 20, 1.5, (240, 200, 40))
        else:
            rect(ox + 7, oy + 7, 18, 18, (90, 60, 30))
            rect(ox + 9, oy + 9, 14, 14, (150, 200, 240))
            rect(ox + 15, oy + 9, 2, 14, (90, 60, 30))
            rect(ox + 9, oy + 15, 14, 2, (90, 60, 30))
    elif k == 36:
        rect(ox, oy, C, C, (60, 60, 60))
        rect(ox + 5, oy + 10, 22, 16, (160, 100, 30))
        rect(ox + 5, oy + 16, 22, 2, (240, 200, 40))
        rect(ox + 14, oy + 15, 4, 5, (240, 200, 40))
    elif k in (37, 38):
        speckle(ox, oy, GRASS, [GRASS_D], s)
        if k == 37:
            rect(ox, oy + 12, C, 3, WOOD)
            rect(ox, oy + 20, C, 3, WOOD)
            for x in (4, 26):
                rect(ox + x, oy + 8, 3, 18, (110, 70, 30))
        else:
            rect(ox + 12, oy, 3, C, WOOD)
            rect(ox + 20, oy, 3, C, WOOD)
            for y in (4, 26):
                rect(ox + 8, oy + y, 18, 3, (110, 70, 30))
    elif k == 39:
        speckle(ox, oy, GRASS, [GRASS_D], s)
        rect(ox + 15, oy + 16, 3, 14, WOOD)
        rect(ox + 6, oy + 6, 21, 12, (200, 160, 100))
        for x in range(9, 25, 3):
            put(ox + x, oy + 11, (60, 40, 20))
    elif k == 40:
        speckle(ox, oy, GRASS, [GRASS_D], s)
        for y in range(4, 30):
            half = (y - 3) * 14 // 26
            rect(ox + 16 - half, oy + y, 2 * half + 1, 1, (110, 100, 90))
        for y in range(4, 11):
            half = (y - 3) * 14 // 26
            rect(ox + 16 - half, oy + y, 2 * half + 1, 1, (250, 250, 250))
    elif k == 41:
        speckle(ox, oy, GRASS, [GRASS_D], s)
        disc(ox + 16, oy + 30, 15, (90, 170, 70))
    elif k == 42:
        speckle(ox, oy, (245, 245, 250), [(210, 220, 235)], s)
    elif k == 43:
        speckle(ox, oy, (80, 100, 60), [(60, 80, 110), (40, 60, 40)], s, 120)
    elif k == 44:
        rect(ox, oy, C, C, (110, 100, 90))
        disc(ox + 16, oy + 22, 10, (20, 15, 10))
        rect(ox + 6, oy + 22, 21, 10, (20, 15, 10))
    elif k == 45:
        rect(ox, oy, C, C, (90, 90, 90))
        for i in range(4):
            rect(ox + 2, oy + 2 + i * 7, 28, 5, (170 - i * 25,) * 3)
    elif k == 46:
        speckle(ox, oy, GRASS, [GRASS_D], s)
        disc(ox + 16, oy + 16, 11, STONE)
        disc(ox + 16, oy + 16, 7, WATER_D)
    elif k == 47:
        rect(ox, oy, C, C, (50, 45, 40))
        rect(ox + 15, oy + 14, 3, 16, WOOD)
        disc(ox + 16, oy + 10, 5, (250, 150, 20))
        disc(ox + 16, oy + 11, 2.5, (255, 240, 120))
    else:
        n = k - 48
        hue = [(230, 60, 60), (230, 140, 40), (230, 220, 50), (120, 210, 60),
               (50, 190, 120), (50, 190, 210), (60, 120, 230), (130, 80, 220)]
        base = hue[n % 8] if n < 8 else tuple(c // 2 + 40 for c in hue[n % 8])
        rect(ox, oy, C, C, base)
        rect(ox, oy, C, 1, (0, 0, 0))
        rect(ox, oy, 1, C, (0, 0, 0))
        # the swatch number n + 48 in binary as six white/black dots
        for bit in range(6):
            on = ((n + 48) >> (5 - bit)) & 1
            disc(ox + 6 + bit * 4, oy + 26, 1.5, (255, 255, 255) if on else (0, 0, 0))


def write_bmp(path):
    row = W * 3
    pad = (4 - row % 4) % 4
    data = bytearray()
    for y in range(H - 1, -1, -1):
        for (r, g, b) in img[y]:
            data += bytes((b, g, r))
        data += b"\0" * pad
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def island_map(w=40, h=30):
    rnd = random.Random(7)
    cells = [[6] * w for _ in range(h)]
    cx, cy = w / 2, h / 2
    for y in range(h):
        for x in range(w):
            d = ((x - cx) / (w * 0.42)) ** 2 + ((y - cy) / (h * 0.40)) ** 2
            d += rnd.uniform(-0.05, 0.05)
            if d > 1.25:
                cells[y][x] = 7
            elif d > 1.0:
                cells[y][x] = 6
            elif d > 0.8:
                cells[y][x] = 4 if rnd.random() > 0.1 else 5
            else:
                cells[y][x] = rnd.choice([0, 0, 0, 0, 1, 2])
    for x in range(8, w - 8):
        cells[15][x] = 8
    for y in range(7, h - 7):
        cells[y][20] = 9
    cells[15][20] = 10
    for (x, y) in [(10, 10), (11, 9), (12, 11), (28, 20), (29, 21), (27, 19), (30, 10), (31, 11), (12, 21)]:
        cells[y][x] = rnd.choice([16, 17])
    for x in range(23, 27):
        cells[10][x] = 32
        cells[11][x] = 12
    cells[11][24] = 34
    cells[11][25] = 35
    cells[12][24] = 3
    cells[20][14] = 46
    cells[9][16] = 40
    cells[9][17] = 40
    cells[8][17] = 41
    cells[22][25] = 36
    return cells


def write_map(path, sheet_name, cells):
    lines = [sheet_name + ",", "%d," % len(cells[0]), "%d," % len(cells)]
    lines += ["".join("%d," % v for v in row) for row in cells]
    with open(path, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("ascii"))


if __name__ == "__main__":
    for k in range(64):
        chip(k)
    write_bmp(os.path.join(HERE, "sample-sheet.bmp"))
    # The map names its sheet relative to its own folder, so the two open together wherever the
    # examples are checked out or copied.
    write_map(os.path.join(HERE, "island.map"), "sample-sheet.bmp", island_map())
    print("wrote examples/sample-sheet.bmp and examples/island.map")
