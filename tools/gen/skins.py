"""The five skins: a background and four cell images each.

The score walks through the skins in the order 1 to 5, so they go from the
calm night of the start through forest, sea and sunset to the aurora. In every
skin colour one is light and carries a round stud, colour two is dark and
carries diagonal grooves, so the two are told apart by lightness and surface
even without hue. A marked cell keeps its colour and surface and gains a bright
rim and a diamond in its middle.
"""

import numpy as np

import common as C

CELL = 30

# name, light colour (sq1), dark colour (sq2), mark tint, board well tint
SKINS = {
    1: dict(name="midnight", one=(242, 193, 78), two=(40, 94, 168), well=(6, 10, 26)),
    2: dict(name="forest", one=(184, 233, 134), two=(122, 59, 105), well=(6, 18, 12)),
    3: dict(name="sea", one=(158, 240, 240), two=(192, 57, 43), well=(4, 16, 30)),
    4: dict(name="sunset", one=(255, 231, 179), two=(142, 42, 74), well=(26, 8, 14)),
    5: dict(name="aurora", one=(255, 196, 225), two=(90, 63, 192), well=(10, 6, 28)),
}


# ---------------------------------------------------------------------------
# Cells

def cell(base, kind, marked, size=CELL):
    """One cell, 30x30 in the game. kind is 1 (light, studded) or 2 (dark,
    grooved). Other sizes (the icons) scale the drawing; only unmarked cells."""
    assert size == CELL or not marked
    f = 1 if size == CELL else size / CELL
    edge = max(1, round(f))  # the bevel's width in pixels
    w = h = size
    body = C.Mask(w, h).rrect(1 * f, 1 * f, 29 * f, 29 * f, 5 * f).array()
    c = C.canvas(w, h)
    top = C.lighten(base, 0.22)
    bottom = C.darken(base, 0.25)
    C.over(c, C.vgradient(h, w, top, bottom), body)

    # surface pattern, clipped to an inset area so the bevel stays clean
    inner = C.Mask(w, h).rrect(3 * f, 3 * f, 27 * f, 27 * f, 3 * f).array()
    if kind == 1:
        ring = C.Mask(w, h).ellipse(9 * f, 9 * f, 21 * f, 21 * f).array()
        stud = C.Mask(w, h).ellipse(10.5 * f, 10.5 * f, 19.5 * f, 19.5 * f).array()
        C.over(c, C.rgbf(C.darken(base, 0.35)), ring * 0.7)
        C.over(c, C.vgradient(h, w, C.lighten(base, 0.6), C.lighten(base, 0.1)), stud)
    else:
        m = C.Mask(w, h)
        for k in (10, 20, 30, 40, 50):
            m.line([((k - 31) * f, 31 * f), ((k + 1) * f, -1 * f)], 1.8 * f)
        grooves = m.array() * inner
        C.over(c, C.rgbf(C.darken(base, 0.45)), grooves * 0.75)
        C.over(c, C.rgbf(C.lighten(base, 0.3)), C.shift(grooves, edge, 0) * (1 - grooves) * inner * 0.35)

    # bevel: light upper-left edge, dark lower-right edge, soft gloss on top
    hi = np.clip(body - C.shift(body, edge, edge), 0, 1)
    lo = np.clip(body - C.shift(body, -edge, -edge), 0, 1)
    C.over(c, C.rgbf((255, 255, 255)), hi * 0.55)
    C.over(c, C.rgbf((0, 0, 0)), lo * 0.45)
    gloss = C.Mask(w, h).ellipse(4 * f, 2 * f, 26 * f, 12 * f).array() * body
    C.over(c, C.rgbf((255, 255, 255)), gloss * 0.16)

    if marked:
        # a bright rim in a light tint of the cell's own colour, a dark line
        # inside it, and a diamond in the middle
        rim_tint = C.lighten(base, 0.7 if kind == 1 else 0.5)
        ring = np.clip(body - C.Mask(w, h).rrect(4, 4, 26, 26, 3).array(), 0, 1)
        glow = C.blur(ring, 1.6) * inner
        C.over(c, C.rgbf(rim_tint), np.clip(glow * 1.2, 0, 1) * 0.5)
        C.over(c, C.rgbf(rim_tint), ring)
        edge = np.clip(C.Mask(w, h).rrect(4, 4, 26, 26, 3).array()
                       - C.Mask(w, h).rrect(5, 5, 25, 25, 2).array(), 0, 1)
        C.over(c, C.rgbf(C.darken(base, 0.6)), edge * 0.7)
        diamond = C.Mask(w, h).polygon([(15, 8.5), (21.5, 15), (15, 21.5), (8.5, 15)]).array()
        C.over(c, C.rgbf(C.darken(base, 0.7)), np.clip(C.blur(diamond, 0.8) * 1.6, 0, 1) * 0.8)
        C.over(c, C.rgbf((255, 255, 255) if kind == 1 else C.lighten(base, 0.75)), diamond)
    c[..., 3] = np.clip(c[..., 3], 0, 1)
    return C.to_image(c)


def cells(k):
    s = SKINS[k]
    return {
        "sq1": cell(s["one"], 1, False),
        "sq2": cell(s["two"], 2, False),
        "sq3": cell(s["one"], 1, True),
        "sq4": cell(s["two"], 2, True),
    }


# ---------------------------------------------------------------------------
# Backgrounds, 800x600. The board (x 150..642, y 150..462) and the queue of
# coming pieces lie in dark, even wells; the scenery lives around them.

W, H = 800, 600
BOARD_WELL = (146, 146, 646, 466)
QUEUE_WELL = (40, 240, 120, 500)


def silhouette(heights):
    """Anti-aliased coverage of the area below a skyline heights[x] (y of the top edge)."""
    y = np.arange(H)[:, None] + 0.5
    return np.clip(y - heights[None, :] + 0.5, 0.0, 1.0)


def soft_dots(points, seed_shape=None):
    """Sum of small Gaussian dots: points is a list of (x, y, radius, strength)."""
    out = np.zeros((H, W))
    for x, y, r, s in points:
        x0, x1 = int(max(0, x - 4 * r - 2)), int(min(W, x + 4 * r + 3))
        y0, y1 = int(max(0, y - 4 * r - 2)), int(min(H, y + 4 * r + 3))
        if x0 >= x1 or y0 >= y1:
            continue
        yy, xx = np.mgrid[y0:y1, x0:x1] + 0.5
        out[y0:y1, x0:x1] += s * np.exp(-((xx - x) ** 2 + (yy - y) ** 2) / (2 * r * r))
    return np.clip(out, 0, 1)


def outside_wells(x, y, margin=10):
    """1 away from the board and queue wells, fading to 0 at their edges."""
    def box(b):
        x0, y0, x1, y1 = b
        dx = np.maximum(np.maximum(x0 - margin - x, x - x1 - margin), 0)
        dy = np.maximum(np.maximum(y0 - margin - y, y - y1 - margin), 0)
        return np.clip(np.maximum(dx, dy) / margin, 0, 1)
    return np.minimum(box(BOARD_WELL), box(QUEUE_WELL))


def scatter(rng, n, region_fn, rmin, rmax, smin, smax):
    pts = []
    while len(pts) < n:
        x, y = rng.random() * W, rng.random() * H
        if region_fn(x, y):
            pts.append((x, y, rmin + (rmax - rmin) * rng.random(), smin + (smax - smin) * rng.random()))
    return pts


def in_scenery(x, y):
    bx0, by0, bx1, by1 = BOARD_WELL
    qx0, qy0, qx1, qy1 = QUEUE_WELL
    return not (bx0 - 12 <= x <= bx1 + 12 and by0 - 12 <= y <= by1 + 12) and \
        not (qx0 - 12 <= x <= qx1 + 12 and qy0 - 12 <= y <= qy1 + 12)


def wells(c, tint):
    """Darkens the board and queue areas evenly, with soft edges."""
    m = C.Mask(W, H)
    m.rrect(*BOARD_WELL, 10)
    m.rrect(*QUEUE_WELL, 10)
    a = C.blur(m.array(), 3.0)
    C.over(c, C.rgbf(tint), a * 0.87)


def wordmark(c):
    m = C.Mask(W, H).text(24, 22, "Velquadro", C.FONT_BOLD, 30, anchor="lt").array()
    C.over(c, C.rgbf((110, 222, 255)), np.clip(C.blur(m, 5) * 1.0, 0, 1) * 0.5)
    C.over(c, C.rgbf((6, 8, 20)), C.blur(C.shift(m, 1, 2), 1.0) * 0.7)
    C.over(c, C.vgradient(H, W, (255, 255, 255), (150, 225, 255)), m)


def bg_midnight():
    rng = np.random.default_rng(101)
    x, y = C.grid_xy(W, H)
    c = C.canvas(W, H, alpha=1.0)
    c[..., 0:3] = C.vgradient(H, W, (16, 24, 62), (5, 7, 20))
    n = C.value_noise(W, H, 200, 7)
    C.over(c, C.rgbf((70, 90, 170)), np.exp(-((y - 60) / 220.0) ** 2) * n * 0.25)
    # moon and its halo
    d = np.hypot(x - 712, y - 74)
    C.over(c, C.rgbf((150, 170, 230)), np.exp(-(d / 70.0) ** 2) * 0.35)
    moon = np.clip(27.0 - d, 0, 1)
    C.over(c, C.vgradient(H, W, (255, 250, 230), (215, 220, 240)), moon)
    crater = soft_dots([(704, 68, 4, 0.12), (720, 84, 3, 0.1), (716, 62, 2, 0.08)])
    C.over(c, C.rgbf((150, 150, 175)), crater)
    stars = scatter(rng, 160, lambda px, py: in_scenery(px, py) and py < 520 and np.hypot(px - 712, py - 74) > 60,
                    0.5, 1.1, 0.4, 1.0)
    C.over(c, C.rgbf((235, 240, 255)), soft_dots(stars))
    # two rows of hills
    xs = np.arange(W) + 0.5
    far = 520 - 22 * np.sin(xs / 90.0 + 1.0) - 12 * np.sin(xs / 37.0)
    near = 555 - 18 * np.sin(xs / 120.0 + 3.0) - 8 * np.sin(xs / 51.0 + 1.0)
    C.over(c, C.rgbf((20, 30, 70)), silhouette(far))
    C.over(c, C.rgbf((9, 13, 34)), silhouette(near))
    return c


def bg_forest():
    rng = np.random.default_rng(202)
    x, y = C.grid_xy(W, H)
    c = C.canvas(W, H, alpha=1.0)
    c[..., 0:3] = C.vgradient(H, W, (30, 70, 54), (6, 20, 14))
    # light falling through the canopy
    for x0, wdt in ((90, 40), (260, 30), (600, 50), (730, 34)):
        ray = np.exp(-((x - x0 - (y * 0.35)) / wdt) ** 2) * np.clip(1 - y / 520.0, 0, 1)
        C.over(c, C.rgbf((200, 240, 170)), ray * 0.12)
    # canopy at the top: overlapping soft leaf clusters
    leaves = []
    for i in range(60):
        leaves.append((rng.random() * W, rng.random() * 40 - 10, 18 + 16 * rng.random(), 1.0))
    canopy = np.clip(soft_dots(leaves) * 1.6, 0, 1)
    C.over(c, C.rgbf((12, 36, 24)), canopy * 0.9)
    # three rows of pines, paler with distance
    xs = np.arange(W) + 0.5
    for base, height, spacing, col, seed in ((520, 80, 34, (30, 62, 46), 1),
                                             (548, 70, 42, (16, 40, 28), 2),
                                             (580, 64, 52, (6, 20, 13), 3)):
        r2 = np.random.default_rng(seed)
        top = np.full(W, float(H + 10))
        px = -r2.random() * spacing
        while px < W + spacing:
            hgt = height * (0.7 + 0.5 * r2.random())
            half = hgt * 0.32
            profile = base - hgt + np.abs(xs - px) / half * hgt
            top = np.minimum(top, profile)
            px += spacing * (0.7 + 0.6 * r2.random())
        top = np.minimum(top, base + 6 * np.sin(xs / 40.0 + seed))
        C.over(c, C.rgbf(col), silhouette(top))
    flies = scatter(rng, 38, lambda px, py: in_scenery(px, py) and 80 < py < 540, 1.0, 1.8, 0.5, 1.0)
    glow = soft_dots([(px, py, r * 3.5, s * 0.35) for px, py, r, s in flies])
    C.over(c, C.rgbf((210, 255, 120)), glow)
    C.over(c, C.rgbf((250, 255, 200)), soft_dots(flies))
    return c


def bg_sea():
    rng = np.random.default_rng(303)
    x, y = C.grid_xy(W, H)
    c = C.canvas(W, H, alpha=1.0)
    c[..., 0:3] = C.vgradient(H, W, (18, 96, 140), (3, 20, 46))
    # surface shimmer and light shafts
    shimmer = 0.5 + 0.5 * np.sin(x / 23.0 + 2.0 * np.sin(y / 9.0)) * np.sin(x / 61.0)
    C.over(c, C.rgbf((160, 230, 255)), np.exp(-y / 22.0) * shimmer * 0.5)
    for x0, wdt, s in ((60, 26, 0.16), (230, 40, 0.12), (520, 30, 0.14), (690, 46, 0.16)):
        ray = np.exp(-((x - x0 + (y * 0.28)) / wdt) ** 2) * np.clip(1 - y / 480.0, 0, 1)
        C.over(c, C.rgbf((190, 240, 255)), ray * s)
    # rising bubbles: thin rings with a glint
    ring = np.zeros((H, W))
    glint = []
    for bx, by, r, s in scatter(rng, 34, lambda px, py: in_scenery(px, py) and 60 < py < 520, 2.0, 7.0, 0.4, 0.9):
        d = np.hypot(x - bx, y - by)
        ring += np.clip(1.0 - np.abs(d - r) / 0.9, 0, 1) * s
        glint.append((bx - r * 0.4, by - r * 0.4, max(0.6, r * 0.2), s))
    C.over(c, C.rgbf((200, 245, 255)), np.clip(ring, 0, 1) * 0.6)
    C.over(c, C.rgbf((255, 255, 255)), soft_dots(glint) * 0.8)
    # sand and weed
    xs = np.arange(W) + 0.5
    weed = np.zeros((H, W))
    for wx in (28, 60, 118, 672, 708, 760, 790):
        yy = np.arange(H) + 0.5
        sway = wx + 7 * np.sin(yy / 22.0 + wx)
        hgt = 120 + (wx * 37) % 70
        mask = np.clip(1.6 - np.abs(x - sway[:, None]), 0, 1) * (y > H - hgt)
        weed = np.maximum(weed, mask)
    C.over(c, C.rgbf((20, 80, 60)), weed * 0.9)
    sand = 560 - 10 * np.sin(xs / 70.0) - 5 * np.sin(xs / 23.0 + 1.0)
    C.over(c, C.rgbf((70, 70, 80)), silhouette(sand - 8) * 0.5)
    C.over(c, C.rgbf((34, 40, 58)), silhouette(sand))
    return c


def bg_sunset():
    rng = np.random.default_rng(404)
    x, y = C.grid_xy(W, H)
    c = C.canvas(W, H, alpha=1.0)
    t = (y / H)
    sky = np.stack([np.interp(t, [0, 0.45, 0.8, 1], [v0, v1, v2, v3])
                    for v0, v1, v2, v3 in ((48, 150, 240, 255), (16, 48, 120, 190), (58, 84, 90, 110))], axis=-1)
    c[..., 0:3] = sky / 255.0
    # the sun low over the dunes, with its haze
    d = np.hypot(x - 672, y - 520)
    C.over(c, C.rgbf((255, 190, 110)), np.exp(-(d / 160.0) ** 2) * 0.5)
    sun = np.clip(58.0 - d, 0, 1)
    C.over(c, C.vgradient(H, W, (255, 250, 200), (255, 150, 90)), sun)
    # thin clouds, stretched wide
    n = C.value_noise(W, H, 90, 44)
    bands = np.clip(np.sin(y / 9.0 + n * 3.0) * 2.0 - 1.2, 0, 1) * np.clip(1 - y / 300.0, 0, 1)
    C.over(c, C.rgbf((255, 160, 150)), bands * 0.22)
    # birds far away: small soft chevrons
    m = C.Mask(W, H)
    for bx, by in ((120, 96), (138, 88), (156, 100), (700, 150), (716, 142)):
        m.line([(bx - 5, by - 3), (bx, by), (bx + 5, by - 3)], 1.2)
    C.over(c, C.rgbf((60, 20, 40)), m.array() * 0.8)
    xs = np.arange(W) + 0.5
    d1 = 540 - 30 * np.sin(xs / 150.0 + 0.3) - 10 * np.sin(xs / 41.0)
    d2 = 572 - 20 * np.sin(xs / 110.0 + 2.0) - 6 * np.sin(xs / 29.0 + 1.0)
    C.over(c, C.rgbf((110, 40, 60)), silhouette(d1))
    C.over(c, C.rgbf((58, 18, 36)), silhouette(d2))
    del rng
    return c


def bg_aurora():
    rng = np.random.default_rng(505)
    x, y = C.grid_xy(W, H)
    c = C.canvas(W, H, alpha=1.0)
    c[..., 0:3] = C.vgradient(H, W, (12, 8, 36), (18, 10, 44))
    stars = scatter(rng, 190, lambda px, py: in_scenery(px, py) and py < 520, 0.5, 1.0, 0.3, 1.0)
    C.over(c, C.rgbf((240, 235, 255)), soft_dots(stars))
    # curtains of light: bands along slow waves, streaked vertically
    streak = C.value_noise(W, 1, 8, 55, octaves=2)[0][None, :]
    for mid, amp, col, s in ((120, 40, (90, 255, 170), 0.55), (190, 50, (170, 110, 255), 0.45),
                             (70, 30, (120, 220, 255), 0.35)):
        curve = mid + amp * np.sin(x / 130.0 + mid) + 12 * np.sin(x / 41.0)
        below = y - curve
        band = np.where(below > 0, np.exp(-below / 60.0), np.exp(below / 8.0))
        C.over(c, C.rgbf(col), band * (0.35 + 0.65 * streak) * s)
    xs = np.arange(W) + 0.5
    peaks = np.full(W, float(H))
    rough = (C.value_noise(W, 1, 24, 56, octaves=3)[0] - 0.5) * 26
    for px, py, wdt in ((40, 470, 120), (220, 500, 160), (420, 480, 150), (610, 455, 130), (780, 490, 150)):
        peaks = np.minimum(peaks, py + np.abs(xs - px) * (140.0 / wdt) ** 1.0 * (0.8 + 0.4 * np.sin(xs / 17.0 + px)))
    peaks = peaks + rough
    C.over(c, C.rgbf((40, 36, 80)), silhouette(peaks))
    snow = np.clip(1.0 - (np.arange(H)[:, None] + 0.5 - peaks[None, :]) / 14.0, 0, 1) * silhouette(peaks)
    C.over(c, C.rgbf((200, 200, 240)), snow * 0.5)
    front = 560 - 14 * np.sin(xs / 80.0) - 6 * np.sin(xs / 23.0)
    C.over(c, C.rgbf((14, 10, 34)), silhouette(front))
    return c


BACKGROUNDS = {1: bg_midnight, 2: bg_forest, 3: bg_sea, 4: bg_sunset, 5: bg_aurora}


def background(k):
    c = BACKGROUNDS[k]()
    wells(c, SKINS[k]["well"])
    wordmark(c)
    return C.to_rgb_image(c)
