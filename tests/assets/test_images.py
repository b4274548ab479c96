"""The committed artwork fits the layout the game draws it into."""

import os
import unittest

import numpy as np
from PIL import Image

import assetlib as A

BOARD = (156, 156, 636, 456)        # screen rectangle of the cells (right/bottom exclusive)
QUEUE = (50, 250, 110, 490)         # screen rectangle of the coming pieces
GRID_AT, HUD_AT = (150, 150), (0, 150)
NUMBER_ROWS = (185, 245, 305, 365)  # HUD numbers, left x 640
MENU_ROWS = (430, 470, 510, 550)


def luminance(a):
    return A.lstar(a[..., 0:3])


class LoadedImages(unittest.TestCase):
    def test_every_image_the_game_loads_is_a_png_that_decodes(self):
        for rel in A.LOADED_IMAGES:
            with self.subTest(rel):
                self.assertTrue(os.path.isfile(A.path(rel)), rel + " is missing")
                with Image.open(A.path(rel)) as im:
                    self.assertEqual(im.format, "PNG")
                    im.load()

    def test_sizes_match_the_layout(self):
        # (path, check on (width, height), what the layout needs)
        table = [("gfx/title.png", lambda w, h: (w, h) == (800, 600), "800x600"),
                 ("gfx/arrow.png", lambda w, h: w <= 40 and h <= 40, "at most 40x40 (one menu row)"),
                 ("gfx/numbers.png", lambda w, h: w == 200 and 20 <= h <= 24, "200 wide, 20 to 24 tall"),
                 ("gfx/grid.png", lambda w, h: GRID_AT[0] + w >= BOARD[2] and GRID_AT[1] + h >= BOARD[3]
                  and w <= 800 - GRID_AT[0] and h <= 600 - GRID_AT[1], "covers the board, fits the screen"),
                 ("gfx/hud.png", lambda w, h: w == 800 and HUD_AT[1] + h >= QUEUE[3] and HUD_AT[1] + h <= 600,
                  "full width, reaching below the queue"),
                 ("gfx/tempo.png", lambda w, h: 21 <= w <= 60 and 135 + h >= 456, "narrow, down to y 455"),
                 ("gfx/dead.png", lambda w, h: w <= 450 and h <= 100, "fits from (175, 500)"),
                 ("gfx/spark.png", lambda w, h: 20 <= w <= 40 and 20 <= h <= 40, "about 30x30"),
                 ("gfx/audvis.png", lambda w, h: w <= 30 and h <= 10, "one block per 10 pixels of a column"),
                 # the result of a game, between the skins' logo and the board's frame (y 150)
                 ("gfx/result.png", lambda w, h: (w, h) == (450, 58), "from (175, 66) to the board's frame"),
                 ("gfx/newbest.png", lambda w, h: 250 + w <= 550 and h <= 62, "above the result's panel"),
                 ("gfx/help.png", lambda w, h: (w, h) == (800, 600), "800x600"),
                 ("gfx/digits.png", lambda w, h: (w, h) == (132, 16), "eleven glyphs of 12x16")]
        table += [("gfx/%d/bg.png" % k, lambda w, h: (w, h) == (800, 600), "800x600") for k in A.SKINS]
        table += [("gfx/%d/sq%d.png" % (k, i), lambda w, h: (w, h) == (30, 30), "30x30")
                  for k in A.SKINS for i in (1, 2, 3, 4)]
        for rel, ok, need in table:
            with Image.open(A.path(rel)) as im:
                with self.subTest(rel):
                    self.assertTrue(ok(*im.size), "%s is %dx%d, needs %s" % (rel, im.size[0], im.size[1], need))

    def test_full_screen_images_are_opaque(self):
        for rel in ["gfx/title.png", "gfx/help.png"] + ["gfx/%d/bg.png" % k for k in A.SKINS]:
            with self.subTest(rel):
                self.assertEqual(A.rgba(rel)[..., 3].min(), 255)


class DigitStrip(unittest.TestCase):
    def setUp(self):
        self.strip = A.rgba("gfx/numbers.png")

    def test_each_glyph_keeps_its_right_five_columns_clear_and_has_ink(self):
        glyphs = []
        for d in range(10):
            g = self.strip[:, 20 * d:20 * d + 20]
            with self.subTest(digit=d):
                self.assertEqual(g[:, 15:, 3].max(), 0, "ink beyond the 15-pixel advance")
                self.assertGreater((g[:, :15, 3] > 128).sum(), 40, "glyph is (almost) empty")
            glyphs.append(g[..., 3])
        for a in range(10):
            for b in range(a + 1, 10):
                self.assertGreater(np.abs(glyphs[a] - glyphs[b]).mean(), 5, "digits %d and %d look alike" % (a, b))

    def test_glyphs_are_outlined_so_they_read_on_light_and_dark(self):
        solid = self.strip[..., 3] > 200
        lum = luminance(self.strip)
        self.assertGreater((solid & (lum > 85)).sum(), 200, "no light fill")
        self.assertGreater((solid & (lum < 25)).sum(), 200, "no dark outline")


class FrameAndHud(unittest.TestCase):
    def test_grid_is_clear_inside_every_cell_and_has_a_frame(self):
        g = A.rgba("gfx/grid.png")
        for col in range(16):
            for row in range(10):
                x = BOARD[0] + 30 * col - GRID_AT[0]
                y = BOARD[1] + 30 * row - GRID_AT[1]
                inner = g[y + 4:y + 27, x + 4:x + 27, 3]
                if inner.max() != 0:
                    self.fail("grid covers the inside of cell (%d, %d)" % (col, row))
        # the frame: something solid just outside each side of the board
        x0, y0 = BOARD[0] - GRID_AT[0], BOARD[1] - GRID_AT[1]
        x1, y1 = BOARD[2] - GRID_AT[0], BOARD[3] - GRID_AT[1]
        for name, band in (("left", g[y0:y1, :x0]), ("right", g[y0:y1, x1:]),
                           ("top", g[:y0, x0:x1]), ("bottom", g[y1:, x0:x1])):
            with self.subTest(side=name):
                self.assertGreater(band[..., 3].max(), 200)

    def test_hud_is_clear_over_board_and_queue_and_labels_each_number(self):
        h = A.rgba("gfx/hud.png")
        for name, (x0, y0, x1, y1) in (("board", BOARD), ("queue", QUEUE)):
            with self.subTest(area=name):
                self.assertEqual(h[y0 - HUD_AT[1]:y1 - HUD_AT[1], x0:x1, 3].max(), 0)
        lum = luminance(h)
        for ny in NUMBER_ROWS:
            with self.subTest(number_row=ny):
                label = (slice(ny - 22 - HUD_AT[1], ny - HUD_AT[1]), slice(640, 760))
                bright = (h[label][..., 3] > 200) & (lum[label] > 60)
                self.assertGreater(bright.sum(), 30, "no label above the number")

    def test_every_key_of_a_game_is_listed_legibly_under_the_numbers(self):
        h = A.rgba("gfx/hud.png")
        lum = luminance(h)
        ink = (h[:, 640:790, 3] > 200) & (lum[:, 640:790] > 70)
        rows = [y for y in range(400 - HUD_AT[1], h.shape[0]) if ink[y].any()]
        # eight lines of text, each some 8 pixels of ink tall, apart by a gap
        lines = sum(1 for a, b in zip([None] + rows, rows) if a is None or b != a + 1)
        self.assertEqual(lines, 8, "the key list has %d lines" % lines)

    def test_marker_line_reaches_over_the_board_and_stays_narrow(self):
        t = A.rgba("gfx/tempo.png")
        line = t[21:456 - 135, 20, 3]
        self.assertGreater(line.min(), 128, "line at column 20 is broken or too faint")
        self.assertGreater(t[0:20, 14:27, 3].max(), 200, "no head above the board")
        far = np.concatenate([t[25:, :8, 3].ravel(), t[25:, 33:, 3].ravel()])
        self.assertLess(far.max(), 40, "marker is wide below its head")


class Skins(unittest.TestCase):
    def test_two_colours_differ_by_at_least_25_in_lightness(self):
        for k in A.SKINS:
            l1 = A.mean_lstar(A.rgba("gfx/%d/sq1.png" % k))
            l2 = A.mean_lstar(A.rgba("gfx/%d/sq2.png" % k))
            with self.subTest(skin=k):
                self.assertGreaterEqual(abs(l1 - l2), 25.0, "L* %.1f vs %.1f" % (l1, l2))

    def test_marked_cells_stand_out_yet_keep_their_colour(self):
        for k in A.SKINS:
            sq = {i: A.rgba("gfx/%d/sq%d.png" % (k, i)) for i in (1, 2, 3, 4)}
            mean = {i: sq[i][..., 0:3][sq[i][..., 3] > 128].mean(axis=0) for i in sq}
            for plain, marked, other in ((1, 3, 2), (2, 4, 1)):
                with self.subTest(skin=k, cell=marked):
                    changed = np.abs(sq[marked][..., 0:3] - sq[plain][..., 0:3]).max(axis=2) > 40
                    self.assertGreater(changed.mean(), 0.2, "marking changes too little")
                    self.assertLess(np.linalg.norm(mean[marked] - mean[plain]),
                                    np.linalg.norm(mean[marked] - mean[other]), "marked cell lost its colour")

    def test_backgrounds_are_calm_under_the_board(self):
        for k in A.SKINS:
            bg = A.rgba("gfx/%d/bg.png" % k)
            lum = luminance(bg[BOARD[1]:BOARD[3], BOARD[0]:BOARD[2]])
            with self.subTest(skin=k):
                self.assertLess(lum.std(), 3.0, "detail under the board")
                self.assertLess(lum.mean(), 20.0, "board area too bright for the cells")


class TitleAndOverlay(unittest.TestCase):
    def test_title_has_labels_on_the_rows_and_plain_ground_for_digits_and_arrow(self):
        t = A.rgba("gfx/title.png")
        lum = luminance(t)
        for row in MENU_ROWS:
            with self.subTest(row=row):
                self.assertGreater((lum[row:row + 30, 170:260] > 85).sum(), 80, "no label")
                self.assertLess(np.ptp(lum[row:row + 30, 130:160]), 6, "arrow place not plain")
        self.assertLess(np.ptp(lum[477:497, 520:600]), 6, "time-limit place not plain")

    def test_end_overlay_is_solid_enough_to_read_over_any_skin(self):
        d = A.rgba("gfx/dead.png")
        self.assertGreater((d[..., 3] > 200).mean(), 0.8)
        lum = luminance(d)
        self.assertGreater(((d[..., 3] > 200) & (lum > 80)).sum(), 500, "no text")


if __name__ == "__main__":
    A.run(globals())
