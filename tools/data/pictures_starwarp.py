"""The starwarp scene's seed palette. Column c holds the colours of the two
seed lines at scene time c, row y the colour at height y. Mostly dark, with
bright stars that the warp drags outward into streaks; the hues drift across
the columns. A star is a run of rows: the scene's blur spreads a seed one
row tall over the rows beside it and loses it within a few frames, while a
run of several rows streams outward to the screen's edge. Rows 230..249 also
feed the spin phase's bars, so from the spin's first column on they carry a
bright, pulsing band."""
import math
import os
import random

from drawing import HEIGHT, JpegForm, WIDTH, clamp_byte, from_function, hsv, save_jpeg
from timing import SCENES

# Every colour matters here: no chroma subsampling. Restarts every MCU row.
STARWARP_FORM = JpegForm(sampling="1x1", restart="1", quality=95)

BAND_ROWS = range(230, 250)
SPIN_START_COLUMN = SCENES["starwarp"]["warp_duration"]
STAR_COUNT = 1600
STAR_ROWS = (8, 20)     # height of a star, in rows
STAR_COLUMNS = (3, 8)   # how many scene-time units it stays lit
SEED = 1977


def base_hue(column):
    return 0.6 + 0.9 * column / WIDTH


def place_stars():
    """Stars as {(column, row): rgb}: blocks a few columns long, so that a
    star stays lit for a few scene-time units, and several rows tall."""
    rng = random.Random(SEED)
    stars = {}
    for _ in range(STAR_COUNT):
        row = rng.randrange(HEIGHT)
        rows = rng.randint(*STAR_ROWS)
        start = rng.randrange(WIDTH)
        length = rng.randint(*STAR_COLUMNS)
        brightness = 0.85 + 0.15 * rng.random()
        colour = hsv(base_hue(start) + rng.uniform(-0.08, 0.08), rng.uniform(0.1, 0.45), brightness)
        for column in range(start, min(WIDTH, start + length)):
            for y in range(row, min(HEIGHT, row + rows)):
                stars[(column, y)] = colour
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
