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


def _glyph_mask(ch, box, ss):
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
    out = Image.new("L", (GLYPH_W * ss, GLYPH_H * ss), 0)
    out.paste(img, (int(round(bx0 * ss)), int(round(by0 * ss))))
    return out


def digit_glyph(d):
    ss = C.SS
    core_img = _glyph_mask(str(d), (2.5, 2.0, 13.0, 17.5), ss)
    core_big = np.asarray(core_img, dtype=np.float64) / 255.0
    # outline: the core grown by 1.5 px, and a shadow one pixel down
    grown = np.asarray(core_img.filter(ImageFilter.MaxFilter(2 * 6 + 1)), dtype=np.float64) / 255.0

    def down(a):
        return np.asarray(Image.fromarray(np.clip(a * 255, 0, 255).astype(np.uint8), "L")
                          .resize((GLYPH_W, GLYPH_H), Image.BOX), dtype=np.float64) / 255.0

    core = down(core_big)
    outline = down(grown)
    shadow = C.shift(outline, 0, 1) * 0.6
    c = C.canvas(GLYPH_W, GLYPH_H)
    C.over(c, C.rgbf(S.INK_SHADOW), shadow)
    C.over(c, C.rgbf(S.INK_SHADOW), outline * 0.92)
    fill = C.vgradient(GLYPH_H, GLYPH_W, (255, 255, 255), (176, 226, 255))
    C.over(c, fill, core)
    c[:, GLYPH_ADVANCE:, :] = 0.0  # the next glyph's overlap zone stays clear
    return c


def numbers():
    strip = C.canvas(GLYPH_W * 10, GLYPH_H)
    for d in range(10):
        strip[:, d * GLYPH_W:(d + 1) * GLYPH_W] = digit_glyph(d)
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


def title(cell_images=None):
    w, h = 800, 600
    c = night_background(w, h, seed=11)
    x, y = C.grid_xy(w, h)

    # the sweep line motif behind the title
    line = np.exp(-((x - 560.5) / 1.2) ** 2) * np.clip(1.0 - np.abs(y - 190) / 160.0, 0, 1)
    C.over(c, C.rgbf(S.ACCENT), np.clip(C.blur(line, 6) * 6, 0, 1) * 0.35)
    C.over(c, C.rgbf(S.ACCENT), line * 0.8)

    grad = C.vgradient(h, w, (255, 255, 255), S.ACCENT)
    _text_layer(c, 400, 200, "Velquadro", C.FONT_BOLD, 92, grad, anchor="ms",
                glow=(S.ACCENT, 10, 1.2))
    _text_layer(c, 400, 250, "squares of a kind, swept to the beat", C.FONT_REGULAR, 20,
                C.rgbf((190, 200, 235)), anchor="ms")

    # a calm panel behind the menu
    panel = C.Mask(w, h).rrect(110, 410, 690, 594, 18).array()
    C.over(c, C.rgbf(S.PANEL), panel * 0.55)
    rim = panel - C.Mask(w, h).rrect(111, 411, 689, 593, 17).array()
    C.over(c, C.rgbf(S.PANEL_EDGE), np.clip(rim, 0, 1) * 0.5)

    for row, label in zip(MENU_ROWS, MENU_LABELS):
        _text_layer(c, MENU_LABEL_X, row + 15, label, C.FONT_BOLD, 26, C.rgbf(S.INK), anchor="lm")
    _text_layer(c, 606, 487, "sec", C.FONT_REGULAR, 17, C.rgbf((180, 190, 225)), anchor="lm")

    return C.to_rgb_image(c)
