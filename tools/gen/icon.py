"""The program's icon at the sizes of the desktop's icon theme: a tile of the
title's night sky holding a block of the first skin's two cells, light and
dark in a checker, with the sweep line and its head beside it. Drawn afresh
at every size, with the cells on whole pixels, so that 32 px stays sharp.

The page's icons (WEB_SIZES, and a maskable one) are the same drawing: a
phone that installs the page shows the tile as it is, or, for the maskable
one, crops the night sky to its own shape, a circle or a rounded square,
so the block and the line there keep to the middle four fifths that every
shape keeps."""

import numpy as np

import common as C
import skins
import style as S

SIZES = (32, 48, 64, 128, 256)
WEB_SIZES = (192, 512)
MASKABLE_SIZE = 512


def _block_and_line(c, n, m, ox=0.0, oy=0.0):
    """Draws the block and the sweep line over c (n x n) at the scale of m
    pixels to a pixel of the 32 px icon, its 32 px square moved by (ox, oy)."""
    cs = int(round(10.5 * m))
    x0, y0 = int(round(ox + 3.5 * m)), int(round(oy)) + (int(round(32 * m)) - 2 * cs) // 2
    one, two = skins.SKINS[1]["one"], skins.SKINS[1]["two"]
    img = C.to_image(c)
    for (col, row), (base, kind) in {(0, 0): (one, 1), (1, 1): (one, 1),
                                     (1, 0): (two, 2), (0, 1): (two, 2)}.items():
        img.alpha_composite(skins.cell(base, kind, False, cs), (x0 + col * cs, y0 + row * cs))
    c = np.asarray(img, dtype=np.float64) / 255.0

    # the sweep line with its glow, and its head at the top
    lx = ox + 27.5 * m
    x, y = C.grid_xy(n, n)
    top, bottom = oy + 7.5 * m, oy + 32 * m - 4.5 * m
    span = (y > top) * np.clip(bottom - y, 0, 1)
    C.over(c, C.rgbf(S.ACCENT), np.exp(-((x - lx) / (2.2 * m)) ** 2) * span * 0.45)
    C.over(c, C.rgbf((235, 250, 255)), np.clip(0.9 * m + 0.5 - np.abs(x - lx), 0, 1) * span)
    head = C.Mask(n, n).polygon([(lx - 3 * m, oy + 4 * m), (lx + 3 * m, oy + 4 * m), (lx, oy + 10 * m)]).array()
    C.over(c, C.vgradient(n, n, (255, 255, 255), S.ACCENT), head)
    return c


def icon(n):
    c = C.canvas(n, n)
    m = n / 32.0  # one pixel of the 32 px icon
    tile = C.Mask(n, n).rrect(m, m, n - m, n - m, 6 * m).array()
    C.over(c, C.vgradient(n, n, S.NIGHT_TOP, S.NIGHT_BOTTOM), tile)
    inset = C.Mask(n, n).rrect(2 * m, 2 * m, n - 2 * m, n - 2 * m, 5 * m).array()
    C.over(c, C.rgbf(S.PANEL_EDGE), np.clip(tile - inset, 0, 1) * 0.8)
    return C.to_image(_block_and_line(c, n, m))


def maskable(n):
    """The night sky to every edge, opaque, and the drawing in a square of
    0.56 n in the middle: the largest square inside the circle of 0.8 n that
    a maskable icon keeps in every shape."""
    c = C.canvas(n, n)
    C.over(c, C.vgradient(n, n, S.NIGHT_TOP, S.NIGHT_BOTTOM), np.ones((n, n)))
    inner = 0.56 * n
    offset = (n - inner) / 2
    return C.to_image(_block_and_line(c, n, inner / 32.0, offset, offset))
