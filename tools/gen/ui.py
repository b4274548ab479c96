"""The images shared by every skin: title, menu arrow, digit strip, board frame,
HUD panel, sweep marker, spark, visualiser block and the game-over overlay."""

import numpy as np
from PIL import Image, ImageFilter

import common as C
import style as S

# ---------------------------------------------------------------------------
# Digit strip: ten glyphs of 20x20; the renderer advances 15 pixels per digit,
# so each glyph's ink stays within its left 15 columns.

GLYPH_W = 20
GLYPH_H = 20
GLYPH_ADVANCE = 15


def _glyph_mask(ch, box, ss, size=(GLYPH_W, GLYPH_H)):
    """Coverage (at ss times size) of one character scaled to fill box=(x0,y0,x1,y1)."""
    big = 200
    f = C.font(C.FONT_BOLD, big)
    x0, y0, x1, y1 = f.getbbox(ch)
    img = Image.new("L", (x1 - x0 + 8, y1 - y0 + 8), 0)
    from PIL import ImageDraw
    ImageDraw.Draw(img).text((4 - x0, 4 - y0), ch, font=f, fill=255)
    img = img.crop((4, 4, 4 + x1 - x0, 4 + y1 - y0))
    bx0, by0, bx1, by1 = box
    tw, th = int(round((bx1 - bx0) * ss)), int(round((by1 - by0) * ss))
    img = img.resize((tw, th), Image.LANCZOS)
    out = Image.new("L", (size[0] * ss, size[1] * ss), 0)
    out.paste(img, (int(round(bx0 * ss)), int(round(by0 * ss))))
    return out


def outlined_glyph(ch, size, box, advance, grow=6):
    """One character of a digit strip, size=(w, h): light ink with a dark outline, its ink
    within the left advance columns."""
    gw, gh = size
    ss = C.SS
    core_img = _glyph_mask(ch, box, ss, size)
    core_big = np.asarray(core_img, dtype=np.float64) / 255.0
    # outline: the core grown by grow / ss px, and a shadow one pixel down
    grown = np.asarray(core_img.filter(ImageFilter.MaxFilter(2 * grow + 1)), dtype=np.float64) / 255.0

    def down(a):
        return np.asarray(Image.fromarray(np.clip(a * 255, 0, 255).astype(np.uint8), "L")
                          .resize((gw, gh), Image.BOX), dtype=np.float64) / 255.0

    core = down(core_big)
    outline = down(grown)
    shadow = C.shift(outline, 0, 1) * 0.6
    c = C.canvas(gw, gh)
    C.over(c, C.rgbf(S.INK_SHADOW), shadow)
    C.over(c, C.rgbf(S.INK_SHADOW), outline * 0.92)
    fill = C.vgradient(gh, gw, (255, 255, 255), (176, 226, 255))
    C.over(c, fill, core)
    c[:, advance:, :] = 0.0  # the next glyph's overlap zone stays clear
    return c


def digit_glyph(d):
    return outlined_glyph(str(d), (GLYPH_W, GLYPH_H), (2.5, 2.0, 13.0, 17.5), GLYPH_ADVANCE)


def numbers():
    strip = C.canvas(GLYPH_W * 10, GLYPH_H)
    for d in range(10):
        strip[:, d * GLYPH_W:(d + 1) * GLYPH_W] = digit_glyph(d)
    return C.to_image(strip)


# The small strip of the records table: 0 to 9, then a dash for the dates; glyphs of 12x16
# advancing 10 pixels, drawn by the same renderer as the big ones.
SMALL_W, SMALL_H, SMALL_ADVANCE = 12, 16, 10


def small_digits():
    strip = C.canvas(SMALL_W * 11, SMALL_H)
    for k in range(11):
        ch, box = (str(k), (1.6, 1.6, 9.0, 13.6)) if k < 10 else ("-", (2.0, 6.6, 8.4, 8.8))
        strip[:, k * SMALL_W:(k + 1) * SMALL_W] = outlined_glyph(ch, (SMALL_W, SMALL_H), box, SMALL_ADVANCE, grow=4)
    return C.to_image(strip)


# ---------------------------------------------------------------------------
# Menu arrow: a rounded chevron pointing right, 30x30.

def arrow():
    w = h = 30
    m = C.Mask(w, h)
    m.polygon([(7, 5), (25, 15), (7, 25), (11, 15)])
    core = m.array()
    c = C.canvas(w, h)
    glow = C.blur(core, 2.0)
    C.over(c, C.rgbf(S.ACCENT), np.clip(glow * 1.4, 0, 1) * 0.55)
    C.over(c, C.rgbf(S.INK_SHADOW), C.shift(core, 1, 1) * 0.7)
    fill = C.vgradient(h, w, (255, 255, 255), S.ACCENT)
    C.over(c, fill, core)
    return C.to_image(c)


# ---------------------------------------------------------------------------
# Title screen, 800x600, opaque.

MENU_ROWS = (430, 470, 510, 550)
MENU_LABELS = ("Play", "Time attack", "Demo", "Quit")
MENU_LABEL_X = 170
TIME_DIGITS = (520, 477, 600, 497)  # left, top, right, bottom: kept plain for the digits


def night_background(w, h, seed):
    """The shared dark backdrop: a vertical gradient with soft aurora glows."""
    c = C.canvas(w, h, alpha=1.0)
    c[..., 0:3] = C.vgradient(h, w, S.NIGHT_TOP, S.NIGHT_BOTTOM)
    x, y = C.grid_xy(w, h)
    n = C.value_noise(w, h, 160, seed)
    # two broad glows: cool on the upper left, warm on the upper right
    g1 = np.exp(-(((x - 180) / 260.0) ** 2 + ((y - 120) / 150.0) ** 2))
    g2 = np.exp(-(((x - 640) / 240.0) ** 2 + ((y - 90) / 130.0) ** 2))
    C.over(c, C.rgbf((60, 110, 200)), g1 * (0.30 + 0.15 * n))
    C.over(c, C.rgbf((150, 70, 160)), g2 * (0.26 + 0.12 * n))
    return c


def _text_layer(c, x, y, txt, fontpath, size, fill, anchor="la", shadow=True, glow=None):
    w, h = c.shape[1], c.shape[0]
    m = C.Mask(w, h).text(x, y, txt, fontpath, size, anchor=anchor).array()
    if glow is not None:
        col, radius, strength = glow
        C.over(c, C.rgbf(col), np.clip(C.blur(m, radius) * strength, 0, 1))
    if shadow:
        C.over(c, C.rgbf(S.INK_SHADOW), C.blur(C.shift(m, 2, 3), 1.5) * 0.8)
    C.over(c, fill, m)
    return m


def key_hints(c, cx, y, hints, size=15):
    """A centred row of keys, each a small lit key cap followed by what it does."""
    w, h = c.shape[1], c.shape[0]
    cap_h = size + 10
    after_cap, between = 9, 30
    widths = []
    for key, what in hints:
        kw = max(cap_h, C.text_size(key, C.FONT_BOLD, size)[0] + 14)
        widths.append((kw, C.text_size(what, C.FONT_REGULAR, size)[0]))
    total = sum(kw + after_cap + tw for kw, tw in widths) + between * (len(hints) - 1)
    x = cx - total / 2
    for (key, what), (kw, tw) in zip(hints, widths):
        cap = C.Mask(w, h).rrect(x, y - cap_h / 2, x + kw, y + cap_h / 2, 5).array()
        inner = C.Mask(w, h).rrect(x + 1.5, y - cap_h / 2 + 1.5, x + kw - 1.5, y + cap_h / 2 - 1.5, 4).array()
        C.over(c, C.rgbf(S.ACCENT), np.clip(C.blur(cap, 4) * 1.2, 0, 1) * 0.35)
        C.over(c, C.rgbf(S.ACCENT), cap)
        C.over(c, C.vgradient(h, w, (24, 34, 72), (10, 14, 34)), inner)
        _text_layer(c, x + kw / 2, y + 1, key, C.FONT_BOLD, size, C.rgbf(S.INK), anchor="mm", shadow=False)
        _text_layer(c, x + kw + after_cap, y + 1, what, C.FONT_REGULAR, size, C.rgbf((200, 210, 240)),
                    anchor="lm", shadow=True)
        x += kw + after_cap + tw + between


def _paste(c, img, x, y, angle=0.0):
    """Composites a small RGBA image onto a float canvas, optionally turned."""
    if angle:
        big = img.resize((img.width * 4, img.height * 4), Image.BICUBIC)
        big = big.rotate(angle, resample=Image.BICUBIC, expand=True)
        img = big.resize((big.width // 4, big.height // 4), Image.BOX)
    a = np.asarray(img.convert("RGBA"), dtype=np.float64) / 255.0
    h, w = a.shape[:2]
    sub = c[y:y + h, x:x + w]
    C.over(sub, a[..., 0:3], a[..., 3])


def _piece(cells, colours):
    """A 2x2 piece image from the cell images, colours top-left, top-right, bottom-left, bottom-right."""
    img = Image.new("RGBA", (60, 60), (0, 0, 0, 0))
    for (dx, dy), k in zip(((0, 0), (30, 0), (0, 30), (30, 30)), colours):
        img.alpha_composite(cells["sq%d" % k], (dx, dy))
    return img


def title(cells):
    """cells: the four cell images of the first skin, which the title shows off."""
    w, h = 800, 600
    c = night_background(w, h, seed=11)

    # the sweep marker crossing the title
    mark = tempo().crop((0, 0, TEMPO_SIZE[0], 250))
    fade = np.clip((250 - np.arange(250)) / 110.0, 0, 1)[:, None]
    a = np.asarray(mark, dtype=np.float64)
    a[..., 3] *= fade
    _paste(c, Image.fromarray(np.round(a).astype(np.uint8), "RGBA"), 560 - TEMPO_LINE, 60)

    # pieces tumbling past
    for colours, x, y, angle in (((1, 2, 2, 1), 46, 64, 14.0), ((2, 2, 1, 2), 676, 262, -10.0),
                                 ((1, 1, 2, 1), 30, 272, -6.0)):
        piece = _piece(cells, colours)
        shadow = Image.new("RGBA", piece.size, (0, 0, 0, 0))
        shadow.putalpha(piece.getchannel("A").point(lambda v: v * 45 // 100))
        _paste(c, shadow, x + 5, y + 7, angle)
        _paste(c, piece, x, y, angle)

    grad = C.vgradient(h, w, (255, 255, 255), S.ACCENT)
    _text_layer(c, 400, 200, "Velquadro", C.FONT_BOLD, 92, grad, anchor="ms",
                glow=(S.ACCENT, 10, 1.2))
    _text_layer(c, 400, 250, "squares of a kind, swept to the beat", C.FONT_REGULAR, 20,
                C.rgbf((190, 200, 235)), anchor="ms")

    # small stacks at the foot of the screen, one with a marked square
    stacks = ((8, (2, 1, 1), (1, 3, 3), (None, 3, 3)), (704, (1, 2, 2), (2, 4, 4), (None, 4, 4)))
    for x0, *cols in stacks:
        for ci, col in enumerate(cols):
            for ri, k in enumerate(reversed(col)):
                if k is not None:
                    _paste(c, cells["sq%d" % k], x0 + 30 * ci, h - 30 * (ri + 1))

    # the menu sits in a panel framed like the board
    px0, py0, px1, py1 = 110, 410, 690, 596
    panel = C.Mask(w, h).rrect(px0, py0, px1, py1, 14).array()
    C.over(c, C.rgbf((0, 0, 0)), np.clip(C.blur(panel, 6) - panel, 0, 1) * 0.6)
    C.over(c, C.vgradient(h, w, (16, 22, 48), (8, 11, 26)), panel * 0.88)
    ring = _frame_ring(w, h, (px0, py0, px1, py1), (px0 + 3, py0 + 3, px1 - 3, py1 - 3), 14, 11)
    frame_style(c, ring)

    for row, label in zip(MENU_ROWS, MENU_LABELS):
        _text_layer(c, MENU_LABEL_X, row + 15, label, C.FONT_BOLD, 26, C.rgbf(S.INK), anchor="lm")
    _text_layer(c, 606, 487, "sec", C.FONT_REGULAR, 17, C.rgbf((180, 190, 225)), anchor="lm")
    hint = "\u2191 \u2193 choose    \u2190 \u2192 seconds    Return start    F full screen"
    _text_layer(c, 400, 392, hint, C.FONT_REGULAR, 13, C.rgbf((150, 165, 210)), anchor="ms", shadow=False)
    # the replays, on keys of their own
    key_hints(c, 400, 352, (("R", "watch the last game"), ("B", "watch the best game"), ("F1", "help and records")),
              size=14)

    return C.to_rgb_image(c)


# ---------------------------------------------------------------------------
# Board frame, drawn at (150, 150). The cells lie at x 156..635, y 156..455 of
# the screen, that is 6..485 and 6..305 inside this image, and stay clear.

GRID_POS = (150, 150)
BOARD = (156, 156, 636, 456)   # screen rectangle of the cells, right/bottom exclusive
GRID_SIZE = (492, 312)


def _frame_ring(w, h, outer, inner, r_out, r_in):
    ox0, oy0, ox1, oy1 = outer
    ix0, iy0, ix1, iy1 = inner
    a = C.Mask(w, h).rrect(ox0, oy0, ox1, oy1, r_out).array()
    b = C.Mask(w, h).rrect(ix0, iy0, ix1, iy1, r_in).array()
    return np.clip(a - b, 0, 1)


def frame_style(c, ring):
    """Paints the house frame, a steel rim lit from above, along a ring mask."""
    h, w = ring.shape
    C.over(c, C.vgradient(h, w, (190, 210, 255), (90, 110, 170)), ring)


def grid():
    w, h = GRID_SIZE
    c = C.canvas(w, h)
    ring = _frame_ring(w, h, (0, 0, w, h), (4, 4, w - 4, h - 4), 8, 4)
    glow = C.blur(ring, 2.0) * (1 - C.Mask(w, h).rect(5, 5, w - 5, h - 5).array())
    C.over(c, C.rgbf(S.ACCENT), np.clip(glow * 1.5, 0, 1) * 0.4)
    frame_style(c, ring)
    # small crosses where four cells meet, seen only where cells are empty
    m = C.Mask(w, h)
    for col in range(1, 16):
        for row in range(1, 10):
            px, py = 6 + 30 * col, 6 + 30 * row
            m.rect(px - 3, py - 0.5, px + 3, py + 0.5)
            m.rect(px - 0.5, py - 3, px + 0.5, py + 3)
    C.over(c, C.rgbf((200, 215, 255)), m.array() * 0.28)
    return C.to_image(c)


# ---------------------------------------------------------------------------
# HUD panel, drawn at (0, 150): the numbers' labels on the right, the frame of
# the coming pieces on the left. Clear over the board and the queue cells.

HUD_POS = (0, 150)
HUD_SIZE = (800, 386)
HUD_ROWS = (("LEVEL", 185), ("TIME", 245), ("SCORE", 305), ("HISCORE", 365))
NUMBER_X = 640
QUEUE = (50, 250, 110, 490)
LABEL_FONT = C.FONT_BOLD
# Every key of a game, under the numbers; the console grows below the board to hold them.
HINTS = (("\u2190 \u2192", "move"), ("\u2191 \u2193", "turn"), ("Space", "drop"), ("Ctrl, Alt", "repeat"),
         ("M", "music"), ("F", "full screen"), ("Return", "pause"), ("Esc", "end"))
HINT_TOP, HINT_STEP = 264, 14.5   # first row's middle and the row step, in the HUD's own rows
CONSOLE_BOTTOM = 376


def hud():
    w, h = HUD_SIZE
    oy = HUD_POS[1]
    c = C.canvas(w, h)

    # right console: shares the board frame's right edge, and reaches below it for the keys
    rx0, ry0, rx1, ry1 = 638, 0, 796, CONSOLE_BOTTOM
    panel = C.Mask(w, h).rrect(rx0, ry0, rx1, ry1, 8).array()
    C.over(c, C.rgbf((0, 0, 0)), np.clip(C.blur(panel, 4) - panel, 0, 1) * 0.5)
    C.over(c, C.vgradient(h, w, (16, 22, 48), (8, 11, 26)), panel * 0.86)
    ring = _frame_ring(w, h, (rx0, ry0, rx1, ry1), (rx0 + 4, ry0 + 4, rx1 - 4, ry1 - 4), 8, 4)
    frame_style(c, ring)
    for label, ny in HUD_ROWS:
        m = C.Mask(w, h).text(NUMBER_X + 2, ny - oy - 5, label, LABEL_FONT, 12, anchor="ls").array()
        C.over(c, C.rgbf(S.ACCENT), m)
        # a faint baseline under the number
        C.over(c, C.rgbf(S.PANEL_EDGE), C.Mask(w, h).rect(NUMBER_X + 2, ny - oy + 26, rx1 - 12,
                                                            ny - oy + 27).array() * 0.35)
    # the keys, in a column of their own at the foot of the console
    for i, (key, what) in enumerate(HINTS):
        yy = HINT_TOP + HINT_STEP * i
        mk = C.Mask(w, h).text(NUMBER_X + 2, yy, key, C.FONT_BOLD, 11, anchor="lm").array()
        mw = C.Mask(w, h).text(NUMBER_X + 64, yy, what, C.FONT_REGULAR, 11, anchor="lm").array()
        C.over(c, C.rgbf(S.INK), mk)
        C.over(c, C.rgbf((185, 195, 230)), mw)

    # left: the frame of the three coming pieces, with its label above
    qx0, qy0, qx1, qy1 = QUEUE
    fx0, fy0, fx1, fy1 = qx0 - 10, qy0 - oy - 10, qx1 + 10, qy1 - oy + 10
    ring = _frame_ring(w, h, (fx0, fy0 - 26, fx1, fy1), (fx0 + 4, fy0 - 26 + 4, fx1 - 4, fy1 - 4), 8, 4)
    head = C.Mask(w, h).rrect(fx0, fy0 - 26, fx1, fy0 + 6, 8).array()
    C.over(c, C.vgradient(h, w, (16, 22, 48), (8, 11, 26)), head * 0.86)
    frame_style(c, ring)
    m = C.Mask(w, h).text((fx0 + fx1) / 2, fy0 - 8, "NEXT", LABEL_FONT, 12, anchor="ms").array()
    C.over(c, C.rgbf(S.ACCENT), m)

    # keep the board and the queue cells clear
    bx0, by0, bx1, by1 = BOARD
    c[by0 - oy:by1 - oy, bx0:bx1, :] = 0.0
    c[qy0 - oy:qy1 - oy, qx0:qx1, :] = 0.0
    return C.to_image(c)


# ---------------------------------------------------------------------------
# The sweep marker, drawn at (x, 135) with its line 20 pixels right of x.

TEMPO_SIZE = (41, 330)
TEMPO_LINE = 20


def tempo():
    w, h = TEMPO_SIZE
    x, y = C.grid_xy(w, h)
    c = C.canvas(w, h)
    lx = TEMPO_LINE + 0.5
    fade = np.clip((h - 2 - y) / 8.0, 0, 1)
    core = np.clip(1.5 - np.abs(x - lx), 0, 1) * (y > 14) * fade
    glow = np.exp(-((x - lx) / 5.0) ** 2) * (y > 10) * fade
    C.over(c, C.rgbf(S.ACCENT), glow * 0.35)
    C.over(c, C.rgbf((235, 250, 255)), core * 0.9)
    head = C.Mask(w, h).polygon([(lx - 11, 2), (lx + 11, 2), (lx, 19)]).array()
    head_r = C.Mask(w, h).rrect(lx - 11, 1, lx + 11, 6, 2).array()
    headm = np.maximum(head, head_r)
    C.over(c, C.rgbf(S.ACCENT), np.clip(C.blur(headm, 2.5) * 1.3, 0, 1) * 0.5)
    C.over(c, C.rgbf(S.INK_SHADOW), C.shift(headm, 0, 1) * 0.6)
    C.over(c, C.vgradient(h, w, (255, 255, 255), S.ACCENT), headm)
    return C.to_image(c)


# ---------------------------------------------------------------------------
# Spark, 30x30: a soft four-pointed star.

def spark():
    w = h = 30
    x, y = C.grid_xy(w, h)
    dx, dy = x - 15, y - 15
    r = np.hypot(dx, dy)
    halo = np.exp(-(r / 7.0) ** 2)
    star = np.exp(-np.abs(dx) / 1.3 - (dy / 11.0) ** 2) + np.exp(-np.abs(dy) / 1.3 - (dx / 11.0) ** 2)
    core = np.exp(-(r / 2.6) ** 2)
    edge = np.clip((15 - r) / 3.0, 0, 1)
    c = C.canvas(w, h)
    C.over(c, C.rgbf(S.ACCENT_WARM), halo * 0.6 * edge)
    C.over(c, C.rgbf((255, 245, 210)), np.clip(star, 0, 1) * edge)
    C.over(c, C.rgbf((255, 255, 255)), core)
    return C.to_image(c)


# ---------------------------------------------------------------------------
# One visualiser block, stacked every 10 pixels in each board column.

def audvis():
    w, h = 30, 10
    m = C.Mask(w, h).rrect(4, 1, 26, 9, 2).array()
    top = C.Mask(w, h).rrect(4, 1, 26, 3, 1).array()
    c = C.canvas(w, h)
    # near-white and faint, so each skin's board well tints it
    C.over(c, C.rgbf((225, 235, 255)), m * 0.085)
    C.over(c, C.rgbf((255, 255, 255)), top * 0.09)
    return C.to_image(c)


# ---------------------------------------------------------------------------
# End overlay, drawn at (175, 500).

def dead():
    w, h = 450, 96
    c = C.canvas(w, h)
    panel = C.Mask(w, h).rrect(2, 2, w - 2, h - 2, 14).array()
    C.over(c, C.vgradient(h, w, (18, 24, 54), (8, 10, 26)), panel * 0.94)
    ring = _frame_ring(w, h, (2, 2, w - 2, h - 2), (6, 6, w - 6, h - 6), 14, 10)
    frame_style(c, ring)
    grad = C.vgradient(h, w, (255, 240, 200), S.ACCENT_WARM)
    m = C.Mask(w, h).text(w / 2, 50, "game over", C.FONT_BOLD, 38, anchor="ms").array()
    C.over(c, C.rgbf(S.ACCENT_WARM), np.clip(C.blur(m, 5) * 1.2, 0, 1) * 0.4)
    C.over(c, grad, m)
    m = C.Mask(w, h).text(w / 2, 78, "press Return", C.FONT_REGULAR, 17, anchor="ms").array()
    C.over(c, C.rgbf((200, 210, 240)), m)
    return C.to_image(c)


# ---------------------------------------------------------------------------
# The result of a game, told over the end screen above the board, where the
# skins show only their sky: the score and its place panel at (175, 66), the
# place label at (425, 66) over it, the new-best banner at (250, 4). The game
# draws the score from (280, 85), the place from (520, 85), with the digit strip.

RESULT_AT = (175, 66)
RESULT_SIZE = (450, 58)
PLACE_AT = (425, 66)
NEW_BEST_AT = (250, 4)
NEW_BEST_SIZE = (300, 58)


def _label(c, x, y, txt, size=15, colour=S.ACCENT):
    m = C.Mask(c.shape[1], c.shape[0]).text(x, y, txt, C.FONT_BOLD, size, anchor="lm").array()
    C.over(c, C.rgbf(S.INK_SHADOW), C.blur(C.shift(m, 1, 2), 1.0) * 0.7)
    C.over(c, C.rgbf(colour), m)


def _plaque(w, h, inset, radius, rim, top, bottom, opacity):
    """A small panel framed like the board: its fill, and the steel rim rim pixels wide."""
    c = C.canvas(w, h)
    panel = C.Mask(w, h).rrect(inset, inset, w - inset, h - inset, radius).array()
    C.over(c, C.vgradient(h, w, top, bottom), panel * opacity)
    outer = (inset, inset, w - inset, h - inset)
    inner = (inset + rim, inset + rim, w - inset - rim, h - inset - rim)
    frame_style(c, _frame_ring(w, h, outer, inner, radius, radius - rim))
    return c


def result():
    w, h = RESULT_SIZE
    c = _plaque(w, h, 2, 12, 4, (18, 24, 54), (8, 10, 26), 0.94)
    _label(c, 30, h / 2 + 1, "SCORE")
    return C.to_image(c)


def place():
    w, h = 90, RESULT_SIZE[1]
    c = C.canvas(w, h)
    _label(c, 8, h / 2 + 1, "PLACE")
    return C.to_image(c)


def new_best():
    w, h = NEW_BEST_SIZE
    c = C.canvas(w, h)
    ribbon = C.Mask(w, h).rrect(4, 6, w - 4, h - 6, 14).array()
    C.over(c, C.rgbf(S.ACCENT_WARM), np.clip(C.blur(ribbon, 4) * 1.3, 0, 1) * 0.45)
    C.over(c, C.vgradient(h, w, (60, 36, 20), (26, 14, 10)), ribbon * 0.95)
    ring = _frame_ring(w, h, (4, 6, w - 4, h - 6), (7, 9, w - 7, h - 9), 14, 11)
    C.over(c, C.vgradient(h, w, (255, 236, 190), (220, 150, 60)), ring)
    m = C.Mask(w, h).text(w / 2, h / 2 + 1, "NEW BEST!", C.FONT_BOLD, 28, anchor="mm").array()
    C.over(c, C.rgbf(S.ACCENT_WARM), np.clip(C.blur(m, 4) * 1.4, 0, 1) * 0.55)
    C.over(c, C.rgbf(S.INK_SHADOW), C.shift(m, 1, 2) * 0.7)
    C.over(c, C.vgradient(h, w, (255, 250, 225), S.ACCENT_WARM), m)
    return C.to_image(c)


# The title's best of the selected item: a plaque at (280, 282) with its label,
# the number drawn from (352, 289): room for the ten digits of the largest score.

BEST_AT = (280, 282)
BEST_SIZE = (240, 34)


def best():
    w, h = BEST_SIZE
    c = _plaque(w, h, 1, 9, 2, (16, 22, 48), (8, 11, 26), 0.8)
    _label(c, 14, h / 2 + 1, "BEST", size=14)
    return C.to_image(c)
