"""The six single-frame flash pictures: bold, high-contrast graphics that
read at a glance, each shown for one frame in place of a scene's picture.
Two per scene: starwarp (an eye, a sunburst), particles (a six-armed star,
a spiral), blobby (three lights mixing, Zibbet looking close)."""
import math

from PIL import Image, ImageDraw

from drawing import (save_pictures, HEIGHT, JpegForm, SANS_BOLD, WIDTH, clamp_byte, downsample, font, from_function, mix,
                     supersampled)
from mascot import draw_zibbet

# Luma sampled 1x2 (4:4:0), which only cjpeg writes; some with restarts.
FLASH_FORM = JpegForm(sampling="1x2", quality=90)
FLASH_RESTART_ROWS = JpegForm(sampling="1x2", restart="1", quality=90)
FLASH_RESTART_BLOCKS = JpegForm(sampling="1x2", restart="3B", quality=90)
SCALE = 3


def eye_ground(s):
    canvas = supersampled(s, (150, 10, 24))
    draw = ImageDraw.Draw(canvas)
    cx, cy = 320 * s, 240 * s
    for k in range(12, 0, -1):
        r = k * 44 * s
        draw.ellipse([cx - r, cy - r * 0.75, cx + r, cy + r * 0.75], fill=(150, 10, 24) if k % 2 else (196, 24, 40))
    return canvas


def eye_outline(s):
    """The almond of the eye: two circular arcs meeting at the corners."""
    cx, cy = 320 * s, 240 * s
    half_width, lid = 290 * s, 150 * s
    radius = (half_width ** 2 + lid ** 2) / (2 * lid)
    upper = []
    for i in range(121):
        x = half_width * (i / 60 - 1)
        upper.append((cx + x, cy - (math.sqrt(radius ** 2 - x ** 2) - (radius - lid))))
    lower = [(x, 2 * cy - y) for x, y in reversed(upper)]
    return upper + lower


def make_eye():
    s = SCALE
    cx, cy = 320 * s, 240 * s
    eye = supersampled(s, (250, 248, 240))
    draw = ImageDraw.Draw(eye)
    for k, colour in ((118, (16, 60, 150)), (100, (30, 110, 210)), (70, (90, 180, 255))):
        draw.ellipse([cx - k * s, cy - k * s, cx + k * s, cy + k * s], fill=colour)
    for i in range(36):
        a = i * math.pi / 18
        draw.line([(cx + 48 * s * math.cos(a), cy + 48 * s * math.sin(a)),
                   (cx + 112 * s * math.cos(a), cy + 112 * s * math.sin(a))], fill=(10, 40, 110), width=3 * s)
    draw.ellipse([cx - 52 * s, cy - 52 * s, cx + 52 * s, cy + 52 * s], fill=(0, 0, 0))
    draw.ellipse([cx - 62 * s, cy - 66 * s, cx - 26 * s, cy - 30 * s], fill=(255, 255, 255))
    outline = eye_outline(s)
    inside = Image.new("L", eye.size, 0)
    ImageDraw.Draw(inside).polygon(outline, fill=255)
    canvas = Image.composite(eye, eye_ground(s), inside)
    ImageDraw.Draw(canvas).line(outline + outline[:1], fill=(0, 0, 0), width=10 * s, joint="curve")
    return downsample(canvas)


def make_sunburst():
    s = SCALE
    canvas = supersampled(s, (10, 8, 0))
    draw = ImageDraw.Draw(canvas)
    cx, cy = 320 * s, 240 * s
    far = 900 * s
    rays = 24
    for i in range(rays):
        a0 = 2 * math.pi * i / rays
        a1 = 2 * math.pi * (i + 0.5) / rays
        draw.polygon([(cx, cy), (cx + far * math.cos(a0), cy + far * math.sin(a0)),
                      (cx + far * math.cos(a1), cy + far * math.sin(a1))], fill=(255, 214, 0))
    draw.ellipse([cx - 150 * s, cy - 150 * s, cx + 150 * s, cy + 150 * s], fill=(10, 8, 0))
    draw.ellipse([cx - 132 * s, cy - 132 * s, cx + 132 * s, cy + 132 * s], fill=(255, 90, 0))
    draw.text((cx, cy + 8 * s), "Q", font=font(SANS_BOLD, 220 * s), fill=(10, 8, 0), anchor="mm")
    return downsample(canvas)


def make_star():
    s = SCALE

    def ground(x, y):
        t = math.hypot(x - 320, y - 240) / 400
        return mix((230, 30, 170), (70, 0, 90), min(1.0, t))
    canvas = from_function(ground).resize((WIDTH * s, HEIGHT * s), Image.BICUBIC)
    draw = ImageDraw.Draw(canvas)
    cx, cy = 320 * s, 240 * s
    for i in range(6):
        a = math.pi / 2 + i * math.pi / 3
        tip = (cx + 200 * s * math.cos(a), cy - 200 * s * math.sin(a))
        draw.line([(cx, cy), tip], fill=(255, 255, 255), width=44 * s)
        draw.ellipse([tip[0] - 40 * s, tip[1] - 40 * s, tip[0] + 40 * s, tip[1] + 40 * s], fill=(255, 255, 255))
        draw.ellipse([tip[0] - 18 * s, tip[1] - 18 * s, tip[0] + 18 * s, tip[1] + 18 * s], fill=(70, 0, 90))
    draw.ellipse([cx - 64 * s, cy - 64 * s, cx + 64 * s, cy + 64 * s], fill=(255, 255, 255))
    draw.ellipse([cx - 30 * s, cy - 30 * s, cx + 30 * s, cy + 30 * s], fill=(230, 30, 170))
    return downsample(canvas)


def spiral_pixel(x, y):
    dx, dy = x + 0.5 - 320, y + 0.5 - 240
    r = math.hypot(dx, dy)
    a = math.atan2(dy, dx)
    # Four logarithmic arms; the soft edge keeps the stripes free of stair steps.
    phase = 4 * a + 9.0 * math.log(r + 8.0)
    v = math.sin(phase)
    level = 0.5 + 0.5 * max(-1.0, min(1.0, v * 4.0))
    core = max(0.0, 1.0 - r / 40.0)
    colour = mix((0, 24, 40), (40, 240, 255), level)
    return mix(colour, (255, 255, 255), core)


def make_spiral():
    return from_function(spiral_pixel)


def make_light_mix():
    """Three discs of pure red, green and blue, added where they overlap."""
    centres = [(320, 170), (250, 290), (390, 290)]
    channels = [(255, 0, 0), (0, 255, 0), (0, 0, 255)]
    radius = 140.0

    def pixel(x, y):
        total = [0, 0, 0]
        for (cx, cy), colour in zip(centres, channels):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            cover = max(0.0, min(1.0, radius - d + 0.5))
            total = [t + c * cover for t, c in zip(total, colour)]
        return tuple(clamp_byte(t) for t in total)
    return from_function(pixel)


def make_zibbet_close():
    s = SCALE
    canvas = supersampled(s, (255, 206, 0))
    draw = ImageDraw.Draw(canvas)
    for i in range(16):
        a0, a1 = i * math.pi / 8, (i + 0.5) * math.pi / 8
        far = 900 * s
        draw.polygon([(320 * s, 240 * s), (320 * s + far * math.cos(a0), 240 * s + far * math.sin(a0)),
                      (320 * s + far * math.cos(a1), 240 * s + far * math.sin(a1))], fill=(255, 170, 0))
    # Zibbet's face fills the frame: its head is centred at (0, -0.88).
    draw_zibbet(draw, (320 * s, (240 + 0.88 * 300) * s), 300 * s, waving=False)
    return downsample(canvas)


FLASHES = [
    ("sublim.jpg", make_eye, FLASH_FORM),
    ("sublim2.jpg", make_sunburst, FLASH_RESTART_ROWS),
    ("sublim3.jpg", make_star, FLASH_FORM),
    ("sublim4.jpg", make_spiral, FLASH_RESTART_BLOCKS),
    ("sublim5.jpg", make_light_mix, FLASH_FORM),
    ("sublim6.jpg", make_zibbet_close, FLASH_RESTART_ROWS),
]


def generate(out_dir):
    return save_pictures(out_dir, FLASHES)
