"""The starwarp scene's seed palette. Column c holds the colours of the two
seed lines at scene time c, row y the colour at height y. Mostly dark, with
sparse bright points that the warp drags outward into streaking stars; the
hues drift across the columns. Rows 230..249 also feed the spin phase's
bars, so from the spin's first column on they carry a bright, pulsing band."""
import math
import os
import random

from drawing import HEIGHT, JpegForm, WIDTH, clamp_byte, from_function, hsv, save_jpeg
from timing import SCENES

# Every colour matters here: no chroma subsampling. Restarts every MCU row.
STARWARP_FORM = JpegForm(sampling="1x1", restart="1", quality=95)

BAND_ROWS = range(230, 250)
SPIN_START_COLUMN = SCENES["starwarp"]["warp_duration"]
STAR_COUNT = 2600
SEED = 1977


def base_hue(column):
    return 0.6 + 0.9 * column / WIDTH


def place_stars():
    """Stars as {(column, row): rgb}: short runs along the columns, so that a
    star stays lit for a few scene-time units."""
    rng = random.Random(SEED)
    stars = {}
    for _ in range(STAR_COUNT):
        row = rng.randrange(HEIGHT)
        start = rng.randrange(WIDTH)
        length = rng.randint(2, 7)
        brightness = 0.45 + 0.55 * rng.random() ** 0.7
        colour = hsv(base_hue(start) + rng.uniform(-0.08, 0.08), rng.uniform(0.15, 0.65), brightness)
        for column in range(start, min(WIDTH, start + length)):
            stars[(column, row)] = colour
    return stars


def band_strength(column):
    """0 before the spin, rising to 1 over ten columns as the spin begins."""
    return max(0.0, min(1.0, (column - SPIN_START_COLUMN + 8) / 10.0))


def band_colour(column, row):
    pulse = 0.5 + 0.5 * math.cos(2 * math.pi * column / 12.5)
    across = (row - BAND_ROWS.start) / len(BAND_ROWS)
    return hsv(base_hue(column) + 0.18 * across, 0.75, 0.55 + 0.4 * pulse)


def dim_ground(column, row):
    glow = 0.05 + 0.035 * math.sin(row / 31.0 + column / 47.0) + 0.02 * math.sin(row / 9.0 - column / 13.0)
    return hsv(base_hue(column), 0.8, glow)


def make_palette():
    stars = place_stars()

    def pixel(column, row):
        colour = stars.get((column, row)) or dim_ground(column, row)
        if row in BAND_ROWS:
            strength = band_strength(column)
            if strength > 0:
                band = band_colour(column, row)
                colour = tuple(clamp_byte(c + (b - c) * strength) for c, b in zip(colour, band))
        return colour
    return from_function(pixel)


def generate(out_dir):
    save_jpeg(make_palette(), os.path.join(out_dir, "starwarp.jpg"), STARWARP_FORM)
    return ["starwarp.jpg"]
