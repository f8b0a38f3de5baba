"""Drawing helpers shared by the picture generators: fonts, supersampled
canvases, gradients, glowing text and the JPEG writer.

Everything here is deterministic: no clock, no locale, fixed fonts from
Debian's fonts-dejavu-core and fixed encoder settings.
"""
import os
import subprocess
from dataclasses import dataclass

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

WIDTH, HEIGHT = 640, 480
FONT_DIR = "/usr/share/fonts/truetype/dejavu"
SANS = "DejaVuSans.ttf"
SANS_BOLD = "DejaVuSans-Bold.ttf"
SANS_CONDENSED_BOLD = "DejaVuSansCondensed-Bold.ttf"
SERIF = "DejaVuSerif.ttf"
SERIF_BOLD = "DejaVuSerif-Bold.ttf"


def font(name, size):
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size)


def lerp(a, b, t):
    return a + (b - a) * t


def mix(colour_a, colour_b, t):
    return tuple(int(round(lerp(a, b, t))) for a, b in zip(colour_a, colour_b))


def clamp_byte(v):
    return 0 if v < 0 else 255 if v > 255 else int(v)


def hsv(h, s, v):
    """Hue in turns (any real), saturation and value in 0..1, to an RGB triple."""
    h = (h % 1.0) * 6.0
    i = int(h)
    f = h - i
    p, q, t = v * (1 - s), v * (1 - s * f), v * (1 - s * (1 - f))
    r, g, b = [(v, t, p), (q, v, p), (p, v, t), (p, q, v), (t, p, v), (v, p, q)][i % 6]
    return clamp_byte(r * 255 + 0.5), clamp_byte(g * 255 + 0.5), clamp_byte(b * 255 + 0.5)


def vertical_gradient(stops, size=(WIDTH, HEIGHT)):
    """A picture whose rows blend through colour stops [(position 0..1, rgb), ...]."""
    w, h = size
    column = Image.new("RGB", (1, h))
    for y in range(h):
        t = y / (h - 1)
        for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
            if t0 <= t <= t1:
                column.putpixel((0, y), mix(c0, c1, (t - t0) / (t1 - t0)))
                break
    return column.resize(size, Image.NEAREST)


def from_function(colour_at, size=(WIDTH, HEIGHT)):
    """A picture whose pixel (x, y) is colour_at(x, y), an RGB triple."""
    w, h = size
    picture = Image.new("RGB", size)
    picture.putdata([colour_at(x, y) for y in range(h) for x in range(w)])
    return picture


def supersampled(scale, background, size=(WIDTH, HEIGHT)):
    """A canvas `scale` times larger, for anti-aliased drawing; see downsample."""
    w, h = size
    return Image.new("RGB", (w * scale, h * scale), background)


def downsample(canvas, size=(WIDTH, HEIGHT)):
    return canvas.resize(size, Image.LANCZOS)


def text_size(draw, text, typeface, spacing=0):
    left, top, right, bottom = draw.textbbox((0, 0), text, font=typeface)
    return right - left + spacing * (len(text) - 1), bottom - top


def draw_spaced_text(draw, centre, text, typeface, fill, spacing=0, stroke=0, stroke_fill=None):
    """Draws text centred on `centre`, with `spacing` extra pixels between
    letters. The capitals are centred vertically, whatever the letters, so
    that lines of one size sit evenly."""
    width, _ = text_size(draw, text, typeface, spacing)
    left, _, _, _ = draw.textbbox((0, 0), text, font=typeface)
    _, cap_top, _, cap_bottom = draw.textbbox((0, 0), "H", font=typeface)
    x = centre[0] - width / 2 - left
    y = centre[1] - (cap_top + cap_bottom) / 2
    for letter in text:
        draw.text((x, y), letter, font=typeface, fill=fill, stroke_width=stroke,
                  stroke_fill=stroke_fill if stroke_fill is not None else fill)
        x += draw.textlength(letter, font=typeface) + spacing


def text_mask(text, typeface, centre, spacing=0, size=(WIDTH, HEIGHT), stroke=0):
    """A greyscale coverage mask of centred text."""
    mask = Image.new("L", size, 0)
    draw_spaced_text(ImageDraw.Draw(mask), centre, text, typeface, 255, spacing, stroke)
    return mask


def glow_onto(picture, mask, colour, glow_colour, glow_radius, glow_strength=1.0):
    """Adds a blurred halo of `mask` in glow_colour, then paints the mask in colour."""
    halo = mask.filter(ImageFilter.GaussianBlur(glow_radius))
    if glow_strength != 1.0:
        halo = halo.point(lambda v: clamp_byte(v * glow_strength))
    glow_layer = Image.new("RGB", picture.size, glow_colour)
    black = Image.new("RGB", picture.size, (0, 0, 0))
    picture = ImageChops.add(picture, Image.composite(glow_layer, black, halo))
    return Image.composite(Image.new("RGB", picture.size, colour), picture, mask)


@dataclass(frozen=True)
class JpegForm:
    """How a picture is encoded: luma sampling (chroma is always 1x1), the
    progressive flag, the restart interval in cjpeg's notation (None for
    none) and the quality."""
    sampling: str = "2x2"
    progressive: bool = False
    restart: str = None
    quality: int = 90

    def needs_cjpeg(self):
        return self.sampling == "1x2" or self.restart is not None


PILLOW_SUBSAMPLING = {"1x1": 0, "2x1": 1, "2x2": 2}


def save_jpeg(picture, path, form):
    """Writes a three-component JPEG with pinned encoder settings."""
    picture = picture.convert("RGB")
    if not form.needs_cjpeg():
        picture.save(path, "JPEG", quality=form.quality, subsampling=PILLOW_SUBSAMPLING[form.sampling],
                     progressive=form.progressive, optimize=False)
        return
    command = ["cjpeg", "-quality", str(form.quality), "-dct", "int", "-sample", form.sampling]
    if form.progressive:
        command.append("-progressive")
    if form.restart is not None:
        command += ["-restart", form.restart]
    ppm = b"P6\n%d %d\n255\n" % picture.size + picture.tobytes()
    with open(path, "wb") as out:
        subprocess.run(command, input=ppm, stdout=out, check=True)


def save_pictures(out_dir, pictures):
    """Writes each (file name, make, form) picture into out_dir; returns the names."""
    for name, make, form in pictures:
        save_jpeg(make(), os.path.join(out_dir, name), form)
    return [name for name, _, _ in pictures]
