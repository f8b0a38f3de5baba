"""The screen-wide pictures of the opening: the loading screen, the title
that the raycast scene turns into its light mask, and the tv mask that is
subtracted from every shown frame."""
import math
import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter

from drawing import (save_pictures, HEIGHT, JpegForm, SANS_BOLD, SANS_CONDENSED_BOLD, SERIF, WIDTH, clamp_byte,
                     downsample, font, from_function, glow_onto, mix, supersampled, text_mask, vertical_gradient)

INTRO_FORM = JpegForm(sampling="2x2", progressive=True, quality=90)
# Clean mask edges: no chroma subsampling and little quantisation noise.
TITLE_FORM = JpegForm(sampling="1x1", quality=100)
TV_MASK_FORM = JpegForm(sampling="1x1", progressive=True, quality=95)

# The raycast scene lights every ray that crosses the title's black from
# there to the ray's end, and for its first 1.6 seconds nothing fades: a
# title in the middle of the screen, seen from the lights below it, would
# throw one solid fan. So the words keep to the top, where the rays end a
# few pixels past them: the title, and the credit line under it, whose light
# falls into the title's. Below them are only small stars, each of which
# throws a thin streak of each light's colour. Words near the bottom, where
# the lights start, would throw a band of light of their own.
TITLE_TEXT = "QUORVANE"
TITLE_CENTRE = (320, 84)
TITLE_SIZE = 101  # as large as fits: the letters span columns 28 to 617
TITLE_SPACING = 2
CREDIT_TEXT = "BRASKLET PRODUCTIONS"
CREDIT_CENTRE = (320, 162)
CREDIT_SIZE = 32
CREDIT_SPACING = 6
# Thickens the letters so that their interiors stay pure black after encoding.
TITLE_STROKE = 4
CREDIT_STROKE = 2

STAR_COUNT = 18
STAR_RADIUS = 5
STAR_AREA = (40, 190, 600, 440)  # left, top, right, bottom
STAR_SPACING = 60
# A light passing over a star lights all its rays there: a disc of light.
STAR_CLEARANCE = 34
# Stars near the lights' start flood the screen before the fade begins.
STAR_LEAD_IN_CLEARANCE = 90
LEAD_IN_ANGLE = 0.32 * 1.6  # how far the lights turn before the fade: 0.32 radians a second
STAR_SEED = 5
STAR_ATTEMPTS = 5000


def light_positions(angle):
    """The three lights of the raycast scene at light angle `angle`, in pixels."""
    return [(320 + 160 * math.sin(angle), 240 + 120 * math.cos(angle)),
            (320 + 160 * math.sin(angle + 0.4), 240 + 120 * math.cos(angle + 0.6)),
            (320 + 160 * math.sin(angle + 0.6), 240 + 120 * math.cos(angle + 1))]


def sampled_lights(first, last, count):
    return [p for i in range(count) for p in light_positions(first + (last - first) * i / (count - 1))]


def title_stars():
    """Star centres, scattered at random (from a fixed seed) over the
    middle, apart from each other, off the lights' paths and away from
    where the lights are during the lead-in."""
    path = sampled_lights(0.0, 2 * math.pi, 400)
    lead_in = sampled_lights(0.0, LEAD_IN_ANGLE, 20)
    chance = random.Random(STAR_SEED)
    left, top, right, bottom = STAR_AREA
    stars = []
    for _ in range(STAR_ATTEMPTS):
        x, y = chance.uniform(left, right), chance.uniform(top, bottom)
        if (all(math.dist((x, y), p) >= STAR_CLEARANCE for p in path)
                and all(math.dist((x, y), p) >= STAR_LEAD_IN_CLEARANCE for p in lead_in)
                and all(math.dist((x, y), s) >= STAR_SPACING for s in stars)):
            stars.append((x, y))
            if len(stars) == STAR_COUNT:
                return stars
    raise ValueError(f"only {len(stars)} of {STAR_COUNT} stars fit")


def title_mask():
    """Coverage of what data/title.jpg draws black: the title, the credit
    line and the stars."""
    mask = ImageChops.lighter(
        text_mask(TITLE_TEXT, font(SANS_CONDENSED_BOLD, TITLE_SIZE), TITLE_CENTRE, TITLE_SPACING, stroke=TITLE_STROKE),
        text_mask(CREDIT_TEXT, font(SANS_BOLD, CREDIT_SIZE), CREDIT_CENTRE, CREDIT_SPACING, stroke=CREDIT_STROKE))
    draw = ImageDraw.Draw(mask)
    for x, y in title_stars():
        draw.ellipse([x - STAR_RADIUS, y - STAR_RADIUS, x + STAR_RADIUS, y + STAR_RADIUS], fill=255)
    return mask


def make_intro():
    picture = vertical_gradient([(0.0, (4, 4, 14)), (0.62, (16, 8, 34)), (1.0, (6, 3, 12))])
    # A receding floor grid below a faint horizon, in the colours of the scenes to come.
    scale = 2
    canvas = supersampled(scale, (0, 0, 0))
    draw = ImageDraw.Draw(canvas)
    horizon = 330 * scale
    for k in range(-16, 17):
        x_far = (320 + k * 14) * scale
        x_near = (320 + k * 90) * scale
        draw.line([(x_far, horizon), (x_near, HEIGHT * scale)], fill=(70, 30, 110), width=scale)
    for i in range(1, 12):
        y = horizon + int((HEIGHT * scale - horizon) * (i / 11) ** 2.2)
        draw.line([(0, y), (WIDTH * scale, y)], fill=(70, 30, 110), width=scale)
    grid = downsample(canvas)
    picture = Image.composite(grid, picture, grid.convert("L").point(lambda v: 255 if v else 0))
    glow = Image.new("L", (WIDTH, HEIGHT), 0)
    ImageDraw.Draw(glow).rectangle([0, 327, WIDTH, 333], fill=255)
    horizon_glow = glow.filter(ImageFilter.GaussianBlur(10)).point(lambda v: clamp_byte(v * 0.9))
    picture = Image.composite(Image.new("RGB", picture.size, (190, 70, 200)), picture, horizon_glow)

    stars = random.Random(11)
    draw = ImageDraw.Draw(picture)
    for _ in range(160):
        x, y = stars.randrange(WIDTH), stars.randrange(300)
        level = stars.randrange(50, 200)
        draw.point((x, y), fill=mix((0, 0, 0), (200, 210, 255), level / 255))

    name = text_mask("QUORVANE", font(SANS_BOLD, 70), (320, 190), spacing=12)
    picture = glow_onto(picture, name, (236, 240, 255), (90, 40, 200), 9, 1.6)
    maker = text_mask("Brasklet productions", font(SERIF, 26), (320, 262), spacing=3)
    picture = glow_onto(picture, maker, (190, 170, 225), (40, 20, 70), 4)
    return picture


def title_ground(x, y):
    """A warm, bright ground: red never drops below 150, far above the mask threshold."""
    t = y / (HEIGHT - 1)
    s = x / (WIDTH - 1)
    top = mix((255, 226, 150), (255, 190, 170), s)
    bottom = mix((250, 150, 120), (200, 170, 235), s)
    return mix(top, bottom, t)


def make_title():
    picture = from_function(title_ground)
    black = Image.new("RGB", picture.size, (0, 0, 0))
    return Image.composite(black, picture, title_mask().point(lambda v: 255 if v >= 128 else 0))


def tv_mask_level(x, y):
    """Grey level subtracted at (x, y): zero over the middle, rising like the
    darkened rim of a curved screen, strongest in the corners."""
    dx = abs(x + 0.5 - WIDTH / 2) / (WIDTH / 2)
    dy = abs(y + 0.5 - HEIGHT / 2) / (HEIGHT / 2)
    d = (dx ** 5 + dy ** 5) ** 0.2
    rim = max(0.0, d - 0.74)
    return clamp_byte(700 * rim ** 1.7)


def make_tv_mask():
    return from_function(lambda x, y: (tv_mask_level(x, y),) * 3)


PICTURES = [
    ("intro.jpg", make_intro, INTRO_FORM),
    ("title.jpg", make_title, TITLE_FORM),
    ("tvMask.jpg", make_tv_mask, TV_MASK_FORM),
]


def generate(out_dir):
    return save_pictures(out_dir, PICTURES)
