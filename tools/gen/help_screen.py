"""The help screen, 800x600 and opaque: the aim of the game, its keys and pads on the
title and in a game, and the frame of the records table that the program fills in."""

import numpy as np

import common as C
import style as S
import ui

# The records table, filled in by the program (src/app/help_screen.cpp) with the small
# digit strip: the mode's label from modes.png at MODE_AT, then ten rows from ROW_TOP every
# ROW_STEP pixels, the score ending at SCORE_RIGHT, the seconds at SECONDS_RIGHT, the date
# from DATE_X. The places are part of the picture.
RECORDS = (452, 136, 788, 540)
MODE_AT = (468, 172)
ROW_TOP, ROW_STEP = 226, 29
PLACE_RIGHT, SCORE_RIGHT, SECONDS_RIGHT, DATE_X = 490, 594, 662, 676
MODES_SIZE = (300, 24)  # two rows: Play, then Time attack with room for the limit before its "s"
MODE_LIMIT_RIGHT = 150  # the Time attack row's limit ends here, inside the label

AIM = ("Blocks of two colours fall into the board. Four cells of one colour that form a square are",
       "marked, and the Timeline sweeping from left to right removes them: each pass turns the",
       "removed cells into points, more for a bigger sweep. The game ends when a block cannot enter.")

IN_GAME = (("\u2190 \u2192", "D-pad, stick", "move the block"),
           ("\u2191 \u2193", "A, B", "turn it one way, the other"),
           ("Ctrl, Alt", "shoulder", "held: moves and turns repeat"),
           ("Space", "X", "drop the block fast"),
           ("Return", "Start", "pause, and resume"),
           ("M", "", "music on or off"),
           ("F", "", "full screen on or off"),
           ("Esc", "Back", "end the game"),
           ("Return", "Start", "after the game: to the title"))
ON_TITLE = (("\u2191 \u2193", "D-pad, stick", "choose an item"),
            ("\u2190 \u2192", "D-pad, stick", "Time attack's seconds"),
            ("Return", "Start", "start the item"),
            ("R, B", "", "watch the last, the best game"),
            ("F", "", "full screen on or off"),
            ("F1, H", "", "this help"))
KEY_X, PAD_X, WHAT_X = 30, 114, 210


def _panel(c, box, heading):
    w, h = c.shape[1], c.shape[0]
    x0, y0, x1, y1 = box
    panel = C.Mask(w, h).rrect(x0, y0, x1, y1, 12).array()
    C.over(c, C.rgbf((0, 0, 0)), np.clip(C.blur(panel, 6) - panel, 0, 1) * 0.6)
    C.over(c, C.vgradient(h, w, (16, 22, 48), (8, 11, 26)), panel * 0.88)
    ui.frame_style(c, ui._frame_ring(w, h, box, (x0 + 3, y0 + 3, x1 - 3, y1 - 3), 12, 9))
    m = C.Mask(w, h).text(x0 + 16, y0 + 24, heading, C.FONT_BOLD, 14, anchor="ls").array()
    C.over(c, C.rgbf(S.ACCENT), m)


def _text(c, x, y, txt, fontpath, size, rgb, anchor="ls"):
    m = C.Mask(c.shape[1], c.shape[0]).text(x, y, txt, fontpath, size, anchor=anchor).array()
    C.over(c, C.rgbf(rgb), m)


def _controls(c, top, heading, rows, step=20):
    _text(c, KEY_X, top, heading, C.FONT_BOLD, 12, S.ACCENT)
    for i, (key, pad, what) in enumerate(rows):
        y = top + 20 + step * i
        _text(c, KEY_X, y, key, C.FONT_BOLD, 13, S.INK)
        _text(c, PAD_X, y, pad, C.FONT_REGULAR, 12, (170, 185, 225))
        _text(c, WHAT_X, y, what, C.FONT_REGULAR, 13, (205, 212, 240))


def help_screen():
    w, h = 800, 600
    c = ui.night_background(w, h, seed=23)
    grad = C.vgradient(h, w, (255, 255, 255), S.ACCENT)
    ui._text_layer(c, 400, 50, "How to play", C.FONT_BOLD, 36, grad, anchor="ms", glow=(S.ACCENT, 8, 1.0))
    for i, line in enumerate(AIM):
        _text(c, 400, 80 + 19 * i, line, C.FONT_REGULAR, 14, (200, 208, 238), anchor="ms")

    _panel(c, (12, 136, 444, 540), "KEYS AND PADS")
    _controls(c, 184, "IN A GAME", IN_GAME)
    _controls(c, 384, "ON THE TITLE", ON_TITLE)
    _text(c, PAD_X, 184, "pad", C.FONT_REGULAR, 11, (140, 150, 190))

    _panel(c, RECORDS, "RECORDS")
    for x, label, anchor in ((PLACE_RIGHT, "#", "rs"), (SCORE_RIGHT, "score", "rs"),
                             (SECONDS_RIGHT, "seconds", "rs"), (DATE_X, "date", "ls")):
        _text(c, x, ROW_TOP - 8, label, C.FONT_REGULAR, 11, (140, 150, 190), anchor=anchor)
    for i in range(10):
        y = ROW_TOP + ROW_STEP * i
        if i % 2 == 0:  # a faint band under every other row
            band = C.Mask(w, h).rrect(RECORDS[0] + 8, y - 4, RECORDS[2] - 8, y + 20, 5).array()
            C.over(c, C.rgbf((120, 150, 220)), band * 0.07)
        _text(c, PLACE_RIGHT, y + 8, "%d" % (i + 1), C.FONT_BOLD, 13, S.ACCENT, anchor="rm")

    ui.key_hints(c, 400, 570, (("any key", "back to the title"),), size=14)
    return C.to_rgb_image(c)


def modes():
    """The records' mode labels, one row each: Play; Time attack, its limit drawn before the s."""
    w, rh = MODES_SIZE
    c = C.canvas(w, 2 * rh)
    for row, txt in enumerate(("Play", "Time attack")):
        m = C.Mask(w, 2 * rh).text(0, rh * row + rh / 2, txt, C.FONT_BOLD, 17, anchor="lm").array()
        C.over(c, C.rgbf(S.INK_SHADOW), C.blur(C.shift(m, 1, 2), 1.0) * 0.7)
        C.over(c, C.rgbf(S.INK), m)
    m = C.Mask(w, 2 * rh).text(MODE_LIMIT_RIGHT + 4, rh * 1.5, "s", C.FONT_BOLD, 17, anchor="lm").array()
    C.over(c, C.rgbf(S.INK), m)
    return C.to_image(c)
