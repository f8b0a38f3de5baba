"""The two full-screen pictures shown between scenes: a ringed planet
between the particles and blobby scenes, and Zibbet, the group's mascot,
between blobby and the greetings."""
import math
import os
import random

from PIL import Image, ImageDraw

from drawing import (HEIGHT, JpegForm, SANS_BOLD, WIDTH, clamp_byte, downsample, font, from_function,
                     glow_onto, hsv, mix, save_jpeg, text_mask)
from mascot import draw_zibbet

# Progressive scans cut into restart intervals of two MCU rows.
TRANSITION_FORM = JpegForm(sampling="2x2", progressive=True, restart="2", quality=90)
# Sequential 4:2:0 with a restart every four MCUs.
ZIBBET_FORM = JpegForm(sampling="2x2", restart="4B", quality=92)

PLANET_CENTRE = (392.0, 262.0)
PLANET_RADIUS = 150.0
RING_TILT = 0.28        # minor / major axis of the ring's ellipse
RING_INNER, RING_OUTER = 1.35, 2.1   # in planet radii
LIGHT = (-0.55, -0.5, 0.67)         # towards the viewer's upper left


def sky(x, y):
    t = y / (HEIGHT - 1)
    base = mix((6, 4, 22), (30, 10, 48), t)
    # A faint nebula band across the sky.
    band = math.exp(-((y - 0.45 * x - 60) / 70.0) ** 2)
    return tuple(clamp_byte(c + band * g) for c, g in zip(base, (40, 14, 60)))


def planet_shade(x, y):
    """Colour of the planet's lit sphere at (x, y), or None outside it."""
    dx = (x - PLANET_CENTRE[0]) / PLANET_RADIUS
    dy = (y - PLANET_CENTRE[1]) / PLANET_RADIUS
    rr = dx * dx + dy * dy
    if rr >= 1.0:
        return None
    dz = math.sqrt(1.0 - rr)
    light = max(0.0, dx * LIGHT[0] + dy * LIGHT[1] + dz * LIGHT[2])
    # Bands of weather, bent by the sphere's latitude.
    latitude = dy + 0.08 * dx
    band = 0.5 + 0.5 * math.sin(latitude * 13.0 + 1.5 * math.sin(latitude * 5.0))
    surface = mix((214, 120, 76), (250, 206, 150), band)
    rim = (1.0 - dz) ** 3
    lit = 0.12 + 0.95 * light
    return tuple(clamp_byte(c * lit + 90 * rim * b) for c, b in zip(surface, (0.4, 0.6, 1.0)))


def ring_radius(x, y):
    """Distance from the planet centre in the ring plane, in planet radii."""
    dx = (x - PLANET_CENTRE[0]) / PLANET_RADIUS
    dy = (y - PLANET_CENTRE[1]) / PLANET_RADIUS
    # The ring is tilted a little clockwise.
    c, s = math.cos(-0.22), math.sin(-0.22)
    u, v = dx * c - dy * s, dx * s + dy * c
    return math.hypot(u, v / RING_TILT), v


def ring_colour(r):
    band = 0.5 + 0.5 * math.sin(r * 40.0) * math.sin(r * 7.0)
    fade = min(1.0, (r - RING_INNER) / 0.08, (RING_OUTER - r) / 0.08)
    return mix((120, 100, 90), (235, 215, 185), band), fade


def transition_pixel(x, y):
    colour = sky(x, y)
    r, v = ring_radius(x, y)
    in_ring = RING_INNER < r < RING_OUTER
    body = planet_shade(x, y)
    # The back half of the ring (above the centre line) passes behind the planet.
    if in_ring and v < 0:
        ring, fade = ring_colour(r)
        colour = mix(colour, ring, 0.85 * fade)
    if body is not None:
        colour = body
        # The ring's shadow falls across the planet below it.
        if RING_INNER < r < RING_OUTER and v > 0:
            colour = mix(colour, (0, 0, 0), 0.45)
    if in_ring and v >= 0:
        ring, fade = ring_colour(r)
        colour = mix(colour, ring, 0.9 * fade)
    return colour


def add_stars(picture, seed, count, avoid=None):
    rng = random.Random(seed)
    draw = ImageDraw.Draw(picture)
    for _ in range(count):
        x, y = rng.randrange(WIDTH), rng.randrange(HEIGHT)
        if avoid is not None and avoid(x, y):
            continue
        level = rng.random() ** 2
        colour = mix((0, 0, 0), hsv(rng.choice((0.6, 0.08, 0.0)), 0.25, 1.0), 0.3 + 0.7 * level)
        r, g, b = picture.getpixel((x, y))
        draw.point((x, y), fill=tuple(max(c, s) for c, s in zip((r, g, b), colour)))
        if level > 0.7:
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                if 0 <= x + dx < WIDTH and 0 <= y + dy < HEIGHT:
                    draw.point((x + dx, y + dy), fill=mix((r, g, b), colour, 0.5))


def make_transition():
    picture = from_function(transition_pixel)

    def hidden(x, y):
        return planet_shade(x, y) is not None or RING_INNER < ring_radius(x, y)[0] < RING_OUTER
    add_stars(picture, 23, 420, hidden)
    return picture


def zibbet_background(x, y):
    dx, dy = (x - 320) / 320, (y - 250) / 320
    t = min(1.0, math.hypot(dx, dy))
    return mix((64, 196, 186), (14, 52, 86), t ** 1.2)


def draw_speech_bubble(draw, scale):
    box = [468 * scale, 60 * scale, 612 * scale, 132 * scale]
    draw.rounded_rectangle(box, radius=22 * scale, fill=(255, 250, 236), outline=(52, 26, 30), width=3 * scale)
    draw.polygon([(490 * scale, 128 * scale), (468 * scale, 164 * scale), (520 * scale, 130 * scale)],
                 fill=(255, 250, 236))
    draw.line([(490 * scale, 130 * scale), (468 * scale, 164 * scale), (520 * scale, 131 * scale)],
              fill=(52, 26, 30), width=3 * scale)
    typeface = font(SANS_BOLD, 30 * scale)
    draw.text((540 * scale, 96 * scale), "hi all!", font=typeface, fill=(52, 26, 30), anchor="mm")


def make_zibbet():
    scale = 3
    background = from_function(zibbet_background)
    canvas = background.resize((WIDTH * scale, HEIGHT * scale), Image.BICUBIC)
    draw = ImageDraw.Draw(canvas)
    rng = random.Random(5)
    for _ in range(70):
        x, y = rng.uniform(0, WIDTH), rng.uniform(0, HEIGHT)
        if 150 < x < 490 and 30 < y < 420:
            continue
        r = rng.uniform(2, 6)
        colour = hsv(rng.random(), 0.55, 1.0)
        draw.ellipse([(x - r) * scale, (y - r) * scale, (x + r) * scale, (y + r) * scale], fill=colour)
    # Shadow under the feet, then Zibbet itself.
    draw.ellipse([240 * scale, 352 * scale, 400 * scale, 376 * scale], fill=(20, 80, 96))
    draw_zibbet(draw, (320 * scale, 282 * scale), 120 * scale)
    draw_speech_bubble(draw, scale)
    picture = downsample(canvas)
    name = text_mask("ZIBBET", font(SANS_BOLD, 44), (320, 420), spacing=16)
    picture = glow_onto(picture, name, (255, 246, 226), (10, 30, 50), 5, 1.4)
    return picture


def generate(out_dir):
    save_jpeg(make_transition(), os.path.join(out_dir, "transition.jpg"), TRANSITION_FORM)
    save_jpeg(make_zibbet(), os.path.join(out_dir, "zibbet.jpg"), ZIBBET_FORM)
    return ["transition.jpg", "zibbet.jpg"]
