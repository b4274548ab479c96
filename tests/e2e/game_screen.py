"""Reads a screenshot of a game against the artwork it is drawn from.

A window of a larger scale (1600x1200, 2400x1800) is read as the 800x600
picture it enlarges.

Usage (prints its finding, exit status 0 when the check holds):
  game_screen.py piece  SHOT GFX C1 C2 C3 C4   "column row" of the left column and
                                                top row of a piece of these colours
                                                (top-left, top-right, bottom-left,
                                                bottom-right), or none
  game_screen.py number SHOT GFX Y VALUE       the HUD shows VALUE at top y Y
  game_screen.py overlay SHOT GFX              the end-screen overlay is shown
  game_screen.py title  SHOT GFX               the title screen is shown (above
                                                the menu items, but for the best)
  game_screen.py arrow  SHOT GFX               menu item the arrow points at (0-3)
  game_screen.py result SHOT GFX                the end screen's result: "score N", then
                                                "place N" and "new best" when shown
  game_screen.py best   SHOT GFX                the best the title shows, or none
  game_screen.py help   SHOT GFX LIMIT [ROW...] the help screen with the records of LIMIT
                                                (0: untimed), ROW "score seconds date" each
  game_screen.py shows  SHOT GFX PICTURE [ROWS] PICTURE scaled to the height, centred between
                                                black bars (only ROWS "0-90,515-600" of it)
  game_screen.py sharp  SHOT GFX SCALE         the window is 800x600 pixels enlarged SCALE
                                                times, each a square of whole pixels
"""
import sys

import numpy as np
from PIL import Image

# SDL's blending and ours round a little differently.
TOLERANCE = 12


def load(path):
    return np.asarray(Image.open(path).convert("RGBA")).astype(int)


def opaque_match(shot, image, x, y):
    """True when the image's opaque pixels are on screen at (x, y)."""
    h, w = image.shape[:2]
    if y < 0 or x < 0 or y + h > shot.shape[0] or x + w > shot.shape[1]:
        return False
    region = shot[y:y + h, x:x + w, :3]
    mask = image[:, :, 3] == 255
    if not mask.any():
        return False
    diff = np.abs(region - image[:, :, :3]).max(axis=2)
    return bool((diff[mask] <= TOLERANCE).all())


def find_piece(shot, gfx, colours):
    cells = {c: load(f"{gfx}/1/sq{c}.png") for c in set(colours)}
    for column in range(0, 15):
        for row in range(-2, 9):
            x, y = 156 + 30 * column, 156 + 30 * row
            spots = [(x, y), (x + 30, y), (x, y + 30), (x + 30, y + 30)]
            if all(opaque_match(shot, cells[c], sx, sy) for c, (sx, sy) in zip(colours, spots)):
                return column, row
    return None


def shows_number(shot, gfx, y, value):
    """Composes the HUD field as the game draws it and compares it whole."""
    strip = Image.open(f"{gfx}/numbers.png").convert("RGBA")
    field = Image.open(f"{gfx}/1/bg.png").convert("RGBA")
    field.alpha_composite(Image.open(f"{gfx}/hud.png").convert("RGBA"), (0, 150))
    digits = str(value)
    n = len(digits) - 1
    for i, d in enumerate(reversed(digits)):  # least significant first
        glyph = strip.crop((20 * int(d), 0, 20 * int(d) + 20, strip.height))
        field.alpha_composite(glyph, (640 + 15 * (n - i), y))
    box = (640, y, 640 + 15 * n + 20 + 15, y + strip.height)  # and one empty place after
    expected = np.asarray(field.crop(box)).astype(int)[:, :, :3]
    actual = shot[box[1]:box[3], box[0]:box[2], :3]
    return bool((np.abs(expected - actual).max(axis=2) <= TOLERANCE).all())


def read_number(shot, gfx, x, y):
    """The number drawn with the HUD's digits from x, read glyph by glyph."""
    strip, digits = load(f"{gfx}/numbers.png"), ""
    while True:
        at = x + 15 * len(digits)
        found = [d for d in range(10) if opaque_match(shot, strip[:, 20 * d:20 * d + 20], at, y)]
        if len(found) != 1:
            return digits
        digits += str(found[0])


def help_screen(gfx, limit, rows):
    """The help picture with the records drawn on it as help_screen.cpp draws them."""
    img, strip = Image.open(f"{gfx}/help.png").convert("RGBA"), Image.open(f"{gfx}/digits.png").convert("RGBA")
    row = 24 * (limit > 0)
    img.alpha_composite(Image.open(f"{gfx}/modes.png").convert("RGBA").crop((0, row, 300, row + 24)), (468, 172))

    def text(txt, x, y):
        for i, c in enumerate(txt):
            k = 10 if c == "-" else int(c)
            img.alpha_composite(strip.crop((12 * k, 0, 12 * k + 12, 16)), (x + 10 * i, y))
    if limit > 0:
        text(str(limit), 618 - 10 * len(str(limit)), 176)
    for n, (score, seconds, date) in enumerate(row.split() for row in rows):
        text(score, 594 - 10 * len(score), 226 + 29 * n)
        text(seconds, 662 - 10 * len(seconds), 226 + 29 * n)
        text(date, 676, 226 + 29 * n)
    return np.asarray(img).astype(int)


def shows_scaled(shot, picture, rows):
    """SDL's linear scaler against PIL's, within twice the tolerance."""
    scale = shot.shape[0] / picture.shape[0]
    width = round(picture.shape[1] * scale)
    left = (shot.shape[1] - width) // 2
    image = Image.fromarray(picture[:, :, :3].astype(np.uint8)).resize((width, shot.shape[0]), Image.BILINEAR)
    expected = np.pad(np.asarray(image), ((0, 0), (left, shot.shape[1] - width - left), (0, 0)))  # black bars
    diff = np.abs(shot[:, :, :3] - expected).max(axis=2)
    bands = [[int(v) for v in band.split("-")] for band in rows.split(",")] if rows else [[0, picture.shape[0]]]
    return bool(max(diff[int(top * scale):int(bottom * scale)].max() for top, bottom in bands) <= 2 * TOLERANCE)


def picture_of(shot):
    """The 800x600 picture a window of a whole scale shows: every pixel of it
    is a square of scale x scale screen pixels. A full screen stays as it is."""
    scale = shot.shape[1] // 800
    if scale > 1 and shot.shape[:2] == (600 * scale, 800 * scale):
        return shot[::scale, ::scale]
    return shot


def main(argv):
    command, shot_path, gfx = argv[1], argv[2], argv[3]
    shot = load(shot_path)
    if command == "sharp":
        scale = int(argv[4])
        small = shot[::scale, ::scale]
        ok = shot.shape[:2] == (600 * scale, 800 * scale) and bool(
            (np.repeat(np.repeat(small, scale, axis=0), scale, axis=1) == shot).all())
        print("yes" if ok else "no")
        return 0 if ok else 1
    if command != "shows":
        shot = picture_of(shot)
    if command == "piece":
        found = find_piece(shot, gfx, [int(c) for c in argv[4:8]])
        print("none" if found is None else f"{found[0]} {found[1]}")
        return 0 if found is not None else 1
    if command == "number":
        ok = shows_number(shot, gfx, int(argv[4]), int(argv[5]))
        print("yes" if ok else "no")
        return 0 if ok else 1
    if command == "overlay":
        ok = opaque_match(shot, load(f"{gfx}/dead.png"), 175, 500)
        print("yes" if ok else "no")
        return 0 if ok else 1
    if command == "title":
        title = load(f"{gfx}/title.png")[:400]
        differs = np.abs(shot[:400, :, :3] - title[:, :, :3]).max(axis=2) > TOLERANCE
        differs[282:316, 280:520] = False  # the best of the selected item, when there is one
        ok = not differs.any()
        print("yes" if ok else "no")
        return 0 if ok else 1
    if command == "arrow":
        arrow = load(f"{gfx}/arrow.png")
        rows = [i for i in range(4) if opaque_match(shot, arrow, 130, 430 + 40 * i)]
        print(rows[0] if len(rows) == 1 else "none")
        return 0 if len(rows) == 1 else 1
    if command == "result":
        if not opaque_match(shot, load(f"{gfx}/result.png"), 175, 66):
            print("none")
            return 1
        told = "score " + read_number(shot, gfx, 280, 85)
        if opaque_match(shot, load(f"{gfx}/place.png"), 425, 66):
            told += " place " + read_number(shot, gfx, 520, 85)
        if opaque_match(shot, load(f"{gfx}/newbest.png"), 250, 4):
            told += " new best"
        print(told)
        return 0
    if command == "best":
        plaque = opaque_match(shot, load(f"{gfx}/best.png"), 280, 282)
        print(read_number(shot, gfx, 352, 289) if plaque else "none")
        return 0
    if command == "help":
        expected = help_screen(gfx, int(argv[4]), argv[5:])
        ok = bool((np.abs(shot[:, :, :3] - expected[:, :, :3]).max(axis=2) <= TOLERANCE).all())
        print("yes" if ok else "no")
        return 0 if ok else 1
    if command == "shows":
        ok = shows_scaled(shot, load(argv[4]), argv[5] if len(argv) > 5 else "")
        print("yes" if ok else "no")
        return 0 if ok else 1
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
