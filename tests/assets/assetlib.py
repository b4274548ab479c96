"""What the asset tests share: the source directory from the command line, image
loading and the lightness measure."""

import os
import sys
import unittest

import numpy as np
from PIL import Image

SOURCE_DIR = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def run(module_globals):
    """Runs the test module: `python3 test_x.py [<source-dir>]`."""
    global SOURCE_DIR
    if len(sys.argv) > 1:
        SOURCE_DIR = os.path.abspath(sys.argv[1])
    unittest.main(module=module_globals["__name__"], argv=[sys.argv[0]])


def path(rel):
    return os.path.join(SOURCE_DIR, rel)


def rgba(rel):
    """The image as an (h, w, 4) float array in 0..255."""
    with Image.open(path(rel)) as im:
        im.load()
        return np.asarray(im.convert("RGBA"), dtype=np.float64)


def lstar(rgb):
    """CIE L* of sRGB values (0..255), array (..., 3)."""
    c = np.asarray(rgb, dtype=np.float64) / 255.0
    lin = np.where(c <= 0.04045, c / 12.92, ((c + 0.055) / 1.055) ** 2.4)
    y = lin[..., 0] * 0.2126 + lin[..., 1] * 0.7152 + lin[..., 2] * 0.0722
    eps = (6.0 / 29.0) ** 3
    f = np.where(y > eps, np.cbrt(y), y / (3 * (6.0 / 29.0) ** 2) + 4.0 / 29.0)
    return 116.0 * f - 16.0


def mean_lstar(a):
    """Mean L* over the visible pixels of an RGBA array, weighted by alpha."""
    w = a[..., 3] / 255.0
    return float((lstar(a[..., 0:3]) * w).sum() / w.sum())


SKINS = (1, 2, 3, 4, 5)
SKIN_FILES = ("bg", "sq1", "sq2", "sq3", "sq4")
LOADED_IMAGES = (["gfx/title.png", "gfx/arrow.png", "gfx/numbers.png", "gfx/grid.png", "gfx/tempo.png",
                  "gfx/dead.png", "gfx/hud.png", "gfx/spark.png", "gfx/audvis.png", "gfx/result.png",
                  "gfx/place.png", "gfx/newbest.png", "gfx/best.png", "gfx/help.png", "gfx/modes.png",
                  "gfx/digits.png"]
                 + ["gfx/%d/%s.png" % (k, f) for k in SKINS for f in SKIN_FILES])
