#!/usr/bin/python3
"""Composes what the game shows from the generated files, for looking at them:
the title with the arrow and time limit, and one game frame per skin, drawn in
the game's order (background, visualiser, grid, HUD, coming pieces, sparks,
board, falling piece, sweep marker, numbers) plus the end overlay.

    /usr/bin/python3 tools/gen/preview.py [--src DIR] [--out DIR]
"""

import argparse
import os
import random

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


class Screen:
    def __init__(self, src):
        self.src = src
        self.cache = {}
        self.img = Image.new("RGBA", (800, 600), (0, 0, 0, 255))

    def load(self, rel):
        if rel not in self.cache:
            self.cache[rel] = Image.open(os.path.join(self.src, rel)).convert("RGBA")
        return self.cache[rel]

    def blit(self, rel, x, y):
        im = self.load(rel)
        # clip like a blit does
        x0, y0 = max(0, x), max(0, y)
        x1, y1 = min(800, x + im.width), min(600, y + im.height)
        if x0 >= x1 or y0 >= y1:
            return
        part = im.crop((x0 - x, y0 - y, x1 - x, y1 - y))
        self.img.alpha_composite(part, (x0, y0))

    def number(self, value, x, y):
        if value < 0:
            return
        digits = str(value)
        strip = self.load("gfx/numbers.png")
        n = len(digits) - 1
        for i, ch in enumerate(reversed(digits)):
            d = int(ch)
            glyph = strip.crop((20 * d, 0, 20 * d + 20, strip.height))
            self.img.alpha_composite(glyph, (x + 15 * (n - i), y))

    def small(self, text, right=None, left=None):
        """Small digits and dashes, ending at right or starting at left."""
        x = left if left is not None else right - 10 * len(text) - 2
        strip = self.load("gfx/digits.png")
        for i, ch in enumerate(text):
            d = 10 if ch == "-" else int(ch)
            self.img.alpha_composite(strip.crop((12 * d, 0, 12 * d + 12, 16)), (x + 10 * i, self.y))


def cell_xy(i):
    return 156 + 30 * (i % 16), 156 + 30 * (i // 16)


def title(src, out):
    s = Screen(src)
    s.blit("gfx/title.png", 0, 0)
    s.blit("gfx/arrow.png", 130, 470)
    s.number(1000, 520, 477)
    s.blit("gfx/best.png", 280, 282)
    s.number(1000000318, 352, 289)
    s.img.convert("RGB").save(os.path.join(out, "title.png"))


def game(src, out, skin, seed, ended=False):
    rng = random.Random(seed)
    s = Screen(src)
    sk = "gfx/%d/" % skin
    s.blit(sk + "bg.png", 0, 0)
    for i in range(16):
        for j in range((27 if i == 12 else rng.randint(0, 9) + (6 if 5 <= i <= 8 else 0)) + 1):
            s.blit("gfx/audvis.png", 156 + 30 * i, 441 - 10 * j)
    s.blit("gfx/grid.png", 150, 150)
    s.blit("gfx/hud.png", 0, 150)
    for q in range(3):
        for k, (dx, dy) in enumerate(((0, 0), (30, 0), (0, 30), (30, 30))):
            s.blit(sk + "sq%d.png" % rng.randint(1, 2), 50 + dx, 250 + 90 * q + dy)
    # a board with some stacks, two marked squares and a sweep in column 6
    board = [0] * 160
    heights = [3, 4, 2, 5, 6, 4, 3, 2, 0, 1, 3, 4, 5, 3, 2, 4]
    for col, hgt in enumerate(heights):
        for r in range(10 - hgt, 10):
            board[r * 16 + col] = rng.randint(1, 2)
    for t in (8 * 16 + 2, 6 * 16 + 4, 7 * 16 + 11, 5 * 16 + 12):
        colour = board[t] or 1
        for i in (t, t + 1, t + 16, t + 17):
            board[i] = colour + 2
    sweep = 6
    for r in (7, 8):
        i = r * 16 + sweep
        x, y = cell_xy(i)
        for sx, sy in ((x, y - 30), (x, y + 30), (x - 30, y), (x + 30, y)):
            s.blit("gfx/spark.png", sx, sy)
        board[i] = 0
    for i, code in enumerate(board):
        if code:
            x, y = cell_xy(i)
            s.blit(sk + "sq%d.png" % code, x, y)
    for p, colour in ((3 * 16 + 8, 1), (3 * 16 + 9, 2), (4 * 16 + 8, 1), (4 * 16 + 9, 1)):
        x, y = cell_xy(p)
        s.blit(sk + "sq%d.png" % colour, x, y)
    s.blit("gfx/tempo.png", int(sweep * 30 + 136 + 15), 135)
    level = skin if skin > 1 else 6
    s.number(level, 640, 185)
    s.number(37 + 40 * skin, 640, 245)
    s.number([530, 120, 245, 360, 470][skin - 1], 640, 305)
    s.number(1234567 if skin != 3 else 9999999999 % 2147483648, 640, 365)
    if ended:
        s.blit("gfx/dead.png", 175, 500)
        s.blit("gfx/result.png", 175, 66)
        s.blit("gfx/place.png", 425, 66)
        s.blit("gfx/newbest.png", 250, 4)
        s.number(360, 280, 85)
        s.number(1, 520, 85)
    name = "game%d%s.png" % (skin, "_end" if ended else "")
    s.img.convert("RGB").save(os.path.join(out, name))


def help_screen(src, out):
    """The help screen with a full table of Time attack records of 60 s."""
    s = Screen(src)
    s.blit("gfx/help.png", 0, 0)
    modes = s.load("gfx/modes.png")
    s.img.alpha_composite(modes.crop((0, 24, 300, 48)), (468, 172))
    s.y = 176
    s.small("60", right=468 + 150)
    for i in range(10):
        s.y = 226 + 29 * i
        s.small(str(3120 - 270 * i), right=594)
        s.small(str(60), right=662)
        s.small("2024-06-%02d" % (i + 1), left=676)
    s.img.convert("RGB").save(os.path.join(out, "help.png"))


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--src", default=ROOT)
    p.add_argument("--out", default=os.path.join(ROOT, "preview"))
    a = p.parse_args()
    os.makedirs(a.out, exist_ok=True)
    title(a.src, a.out)
    for skin in range(1, 6):
        game(a.src, a.out, skin, seed=skin)
    game(a.src, a.out, 4, seed=9, ended=True)
    help_screen(a.src, a.out)
    print("previews in", a.out)


if __name__ == "__main__":
    main()
