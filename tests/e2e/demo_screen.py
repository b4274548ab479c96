"""Counts the Board cells on a screenshot of a game, against the artwork.

Usage: demo_screen.py cells SHOT GFX
Prints "CELLS MARKED": the Board cells drawn with any skin's cell images, and
how many of them are marked. Exit status 0.
"""
import sys

import numpy as np
from PIL import Image

# SDL's blending and ours round a little differently.
TOLERANCE = 12
CELL = 30
BOARD_X, BOARD_Y = 156, 156


def load(path):
    return np.asarray(Image.open(path).convert("RGBA")).astype(int)


def matches(region, image):
    mask = image[:, :, 3] == 255
    diff = np.abs(region - image[:, :, :3]).max(axis=2)
    return bool(mask.any() and (diff[mask] <= TOLERANCE).all())


def count_cells(shot, gfx):
    images = [(load(f"{gfx}/{skin}/sq{code}.png"), code >= 3)
              for skin in range(1, 6) for code in range(1, 5)]
    cells = marked = 0
    for row in range(10):
        for column in range(16):
            x, y = BOARD_X + CELL * column, BOARD_Y + CELL * row
            region = shot[y:y + CELL, x:x + CELL, :3]
            for image, is_marked in images:
                if matches(region, image):
                    cells += 1
                    marked += is_marked
                    break
    return cells, marked


def main(argv):
    if len(argv) != 4 or argv[1] != "cells":
        print(__doc__, file=sys.stderr)
        return 2
    cells, marked = count_cells(load(argv[2]), argv[3])
    print(f"{cells} {marked}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
