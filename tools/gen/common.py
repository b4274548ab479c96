"""Drawing helpers shared by every image of the game.

Shapes are drawn at SS times the final size and reduced with a box filter, which
gives clean anti-aliased edges without any dependence on the renderer's own
anti-aliasing. Everything here is deterministic: no randomness except through
explicitly seeded numpy generators, and PNGs are written without timestamps.
"""

import os

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

SS = 4  # supersampling factor

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONT_BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")
FONT_REGULAR = os.path.join(FONT_DIR, "DejaVuSans.ttf")


def font(path, size):
    return ImageFont.truetype(path, size)


def save_png(img, path):
    """Writes a PNG with no metadata chunks, so identical pixels give identical bytes."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    img.save(path, format="PNG", optimize=False, compress_level=9)


def hex_rgb(h):
    h = h.lstrip("#")
    return tuple(int(h[i:i + 2], 16) for i in (0, 2, 4))


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


# ---------------------------------------------------------------------------
# Float RGBA canvases (numpy), composited with "over".

def canvas(w, h, rgb=(0, 0, 0), alpha=0.0):
    c = np.zeros((h, w, 4), dtype=np.float64)
    c[..., 0:3] = np.array(rgb, dtype=np.float64) / 255.0
    c[..., 3] = alpha
    return c


def over(dst, src_rgb, src_a):
    """Composites a colour layer (h,w,3 or 3-tuple 0..1) with coverage src_a (h,w) over dst."""
    a = np.clip(src_a, 0.0, 1.0)[..., None]
    da = dst[..., 3:4]
    out_a = a + da * (1.0 - a)
    src_rgb = np.broadcast_to(np.asarray(src_rgb, dtype=np.float64), dst[..., 0:3].shape)
    num = src_rgb * a + dst[..., 0:3] * da * (1.0 - a)
    rgb = np.where(out_a > 1e-9, num / np.maximum(out_a, 1e-9), 0.0)
    dst[..., 0:3] = rgb
    dst[..., 3:4] = out_a
    return dst


def to_image(c):
    arr = np.clip(np.round(c * 255.0), 0, 255).astype(np.uint8)
    return Image.fromarray(arr, "RGBA")


def to_rgb_image(c):
    arr = np.clip(np.round(c[..., 0:3] * 255.0), 0, 255).astype(np.uint8)
    return Image.fromarray(arr, "RGB")


def rgbf(rgb):
    return np.array(rgb, dtype=np.float64) / 255.0


# ---------------------------------------------------------------------------
# Coverage masks, drawn supersampled and reduced to the final size.

class Mask:
    """A supersampled greyscale mask of final size (w, h)."""

    def __init__(self, w, h, ss=SS):
        self.w, self.h, self.ss = w, h, ss
        self.img = Image.new("L", (w * ss, h * ss), 0)
        self.draw = ImageDraw.Draw(self.img)

    def s(self, v):
        return v * self.ss

    def rrect(self, x0, y0, x1, y1, r, fill=255):
        s = self.ss
        self.draw.rounded_rectangle([x0 * s, y0 * s, x1 * s - 1, y1 * s - 1], radius=r * s, fill=fill)
        return self

    def rect(self, x0, y0, x1, y1, fill=255):
        s = self.ss
        self.draw.rectangle([x0 * s, y0 * s, x1 * s - 1, y1 * s - 1], fill=fill)
        return self

    def ellipse(self, x0, y0, x1, y1, fill=255):
        s = self.ss
        self.draw.ellipse([x0 * s, y0 * s, x1 * s - 1, y1 * s - 1], fill=fill)
        return self

    def polygon(self, pts, fill=255):
        s = self.ss
        self.draw.polygon([(x * s, y * s) for x, y in pts], fill=fill)
        return self

    def line(self, pts, width, fill=255):
        s = self.ss
        self.draw.line([(x * s, y * s) for x, y in pts], fill=fill, width=int(round(width * s)), joint="curve")
        return self

    def text(self, x, y, txt, fontpath, size, fill=255, anchor="la"):
        s = self.ss
        f = font(fontpath, size * s)
        self.draw.text((x * s, y * s), txt, font=f, fill=fill, anchor=anchor)
        return self

    def array(self):
        """The coverage at final size, 0..1."""
        small = self.img.resize((self.w, self.h), Image.BOX)
        return np.asarray(small, dtype=np.float64) / 255.0


def text_size(txt, fontpath, size):
    f = font(fontpath, size * SS)
    x0, y0, x1, y1 = f.getbbox(txt)
    return (x1 - x0) / SS, (y1 - y0) / SS


def _box1d(a, r, axis):
    """Box filter of half-width r along one axis, with zero padding."""
    a = np.moveaxis(a, axis, 0)
    n = a.shape[0]
    pad = np.zeros((r + 1,) + a.shape[1:])
    c = np.cumsum(np.concatenate([pad, a, pad[:r]], axis=0), axis=0)
    out = (c[2 * r + 1:2 * r + 1 + n] - c[0:n]) / (2 * r + 1)
    return np.moveaxis(out, 0, axis)


def blur(a, radius):
    """Approximately Gaussian blur (three box passes per axis) of a 2-D array, for
    glows and shadows; radius is the standard deviation in pixels."""
    if radius <= 0:
        return a.copy()
    r = max(1, int(round((np.sqrt(4.0 * radius * radius + 1.0) - 1.0) / 2.0)))
    out = a.astype(np.float64)
    for axis in (0, 1):
        for _ in range(3):
            out = _box1d(out, r, axis)
    return out


def dilate(a, px):
    img = Image.fromarray(np.clip(a * 255, 0, 255).astype(np.uint8), "L")
    out = img.filter(ImageFilter.MaxFilter(2 * px + 1))
    return np.asarray(out, dtype=np.float64) / 255.0


def shift(a, dx, dy):
    out = np.zeros_like(a)
    h, w = a.shape[:2]
    xs0, xs1 = max(0, -dx), min(w, w - dx)
    ys0, ys1 = max(0, -dy), min(h, h - dy)
    out[ys0 + dy:ys1 + dy, xs0 + dx:xs1 + dx] = a[ys0:ys1, xs0:xs1]
    return out


def vgradient(h, w, top, bottom):
    t = np.linspace(0.0, 1.0, h)[:, None, None]
    return rgbf(top)[None, None, :] * (1 - t) + rgbf(bottom)[None, None, :] * t + np.zeros((1, w, 1))


def grid_xy(w, h):
    y, x = np.mgrid[0:h, 0:w].astype(np.float64)
    return x + 0.5, y + 0.5


def value_noise(w, h, cell, seed, octaves=3):
    """Smooth value noise in 0..1, for gentle texture in backgrounds."""
    rng = np.random.default_rng(seed)
    out = np.zeros((h, w))
    amp, total = 1.0, 0.0
    for o in range(octaves):
        c = max(2, int(cell / (2 ** o)))
        gw, gh = w // c + 3, h // c + 3
        g = rng.random((gh, gw)).astype(np.float32)
        img = Image.fromarray(g, "F").resize((gw * c, gh * c), Image.BICUBIC)
        out += amp * np.asarray(img, dtype=np.float64)[:h, :w]
        total += amp
        amp *= 0.5
    out /= total
    lo, hi = out.min(), out.max()
    return (out - lo) / max(hi - lo, 1e-9)


def srgb_to_lstar(rgb):
    """CIE L* (D65) of sRGB values in 0..255; works on arrays (..., 3)."""
    c = np.asarray(rgb, dtype=np.float64) / 255.0
    lin = np.where(c <= 0.04045, c / 12.92, ((c + 0.055) / 1.055) ** 2.4)
    y = lin[..., 0] * 0.2126 + lin[..., 1] * 0.7152 + lin[..., 2] * 0.0722
    f = np.where(y > (6.0 / 29.0) ** 3, np.cbrt(y), y / (3 * (6.0 / 29.0) ** 2) + 4.0 / 29.0)
    return 116.0 * f - 16.0


def mean_lstar(img):
    """Mean L* over the visible pixels of an RGBA image, weighted by alpha."""
    a = np.asarray(img.convert("RGBA"), dtype=np.float64)
    w = a[..., 3] / 255.0
    return float((srgb_to_lstar(a[..., 0:3]) * w).sum() / max(w.sum(), 1e-9))


def lighten(rgb, t):
    return mix(rgb, (255, 255, 255), t)


def darken(rgb, t):
    return mix(rgb, (0, 0, 0), t)
