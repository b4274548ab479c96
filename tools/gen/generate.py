#!/usr/bin/python3
"""Regenerates every image of the game and its music.

    /usr/bin/python3 tools/gen/generate.py [--out DIR] [--only images|music]

DIR defaults to the repository root; the files land in DIR/gfx/, DIR/bgm.ogg and,
for the desktop, DIR/icons/<N>x<N>/velquadro.png, and for the page's manifest
DIR/icons/web/.
The output is deterministic: running it twice gives byte-identical files.
"""

import argparse
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import common as C  # noqa: E402
import help_screen  # noqa: E402
import icon  # noqa: E402
import music  # noqa: E402
import skins  # noqa: E402
import ui  # noqa: E402


def generate_images(out):
    gfx = os.path.join(out, "gfx")
    C.save_png(ui.title(skins.cells(1)), os.path.join(gfx, "title.png"))
    C.save_png(ui.arrow(), os.path.join(gfx, "arrow.png"))
    C.save_png(ui.numbers(), os.path.join(gfx, "numbers.png"))
    C.save_png(ui.grid(), os.path.join(gfx, "grid.png"))
    C.save_png(ui.hud(), os.path.join(gfx, "hud.png"))
    C.save_png(ui.tempo(), os.path.join(gfx, "tempo.png"))
    C.save_png(ui.spark(), os.path.join(gfx, "spark.png"))
    C.save_png(ui.audvis(), os.path.join(gfx, "audvis.png"))
    C.save_png(ui.dead(), os.path.join(gfx, "dead.png"))
    C.save_png(ui.result(), os.path.join(gfx, "result.png"))
    C.save_png(ui.place(), os.path.join(gfx, "place.png"))
    C.save_png(ui.new_best(), os.path.join(gfx, "newbest.png"))
    C.save_png(ui.best(), os.path.join(gfx, "best.png"))
    C.save_png(ui.small_digits(), os.path.join(gfx, "digits.png"))
    C.save_png(help_screen.help_screen(), os.path.join(gfx, "help.png"))
    C.save_png(help_screen.modes(), os.path.join(gfx, "modes.png"))
    for k in sorted(skins.SKINS):
        d = os.path.join(gfx, str(k))
        C.save_png(skins.background(k), os.path.join(d, "bg.png"))
        for name, img in skins.cells(k).items():
            C.save_png(img, os.path.join(d, name + ".png"))
    for n in icon.SIZES:
        C.save_png(icon.icon(n), os.path.join(out, "icons", "%dx%d" % (n, n), "velquadro.png"))
    for n in icon.WEB_SIZES:
        C.save_png(icon.icon(n), os.path.join(out, "icons", "web", "velquadro-%d.png" % n))
    C.save_png(icon.maskable(icon.MASKABLE_SIZE),
               os.path.join(out, "icons", "web", "velquadro-maskable-%d.png" % icon.MASKABLE_SIZE))


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--out", default=os.path.dirname(os.path.dirname(HERE)),
                   help="directory that receives gfx/ and bgm.ogg (default: the repository root)")
    p.add_argument("--only", choices=("images", "music"), help="generate only this half")
    args = p.parse_args(argv)
    t0 = time.monotonic()
    if args.only in (None, "images"):
        generate_images(args.out)
    if args.only in (None, "music"):
        music.generate(os.path.join(args.out, "bgm.ogg"))
    print("generated into %s in %.1f s" % (args.out, time.monotonic() - t0))


if __name__ == "__main__":
    main()
