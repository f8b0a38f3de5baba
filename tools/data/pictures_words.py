"""Pictures of light text on black that the scenes add over their frames:
the eight word pictures (two per scene) and the greetings list.

Black adds nothing, so only the letters and their halo show."""
import os

from PIL import Image, ImageChops, ImageFilter

from drawing import (HEIGHT, JpegForm, SANS_BOLD, SANS_CONDENSED_BOLD, SERIF, SERIF_BOLD, WIDTH, clamp_byte, font,
                     glow_onto, save_jpeg, text_mask)

WORDS_FORM = JpegForm(sampling="2x1", quality=92)
# The closing pair: 4:2:2 again, but cut into restart intervals of seven MCUs.
CLOSING_FORM = JpegForm(sampling="2x1", restart="7B", quality=92)
GREETS_FORM = JpegForm(sampling="2x1", restart="2", quality=92)


class Line:
    """One line of text of a word picture."""

    def __init__(self, text, centre, size, face=SANS_BOLD, spacing=8):
        self.text, self.centre, self.size, self.face, self.spacing = text, centre, size, face, spacing

    def mask(self):
        return text_mask(self.text, font(self.face, self.size), self.centre, self.spacing)


def words_picture(lines, colour, glow_colour, glow_radius=7, glow_strength=1.3):
    picture = Image.new("RGB", (WIDTH, HEIGHT), (0, 0, 0))
    for line in lines:
        picture = glow_onto(picture, line.mask(), colour, glow_colour, glow_radius, glow_strength)
    return picture


ICE, ICE_GLOW = (226, 240, 255), (40, 110, 220)
MINT, MINT_GLOW = (225, 255, 236), (30, 160, 90)
ROSE, ROSE_GLOW = (255, 230, 240), (210, 50, 120)
GOLD, GOLD_GLOW = (255, 244, 214), (190, 120, 30)

# Where each scene's pictures stand: the particles strip fills rows 196..323
# and the blobs the middle, so their words keep above and below.
WORD_PICTURES = [
    ("words.jpg", [Line("FASTER", (236, 150), 76, spacing=14)], ICE, ICE_GLOW, WORDS_FORM),
    ("words2.jpg", [Line("THAN LIGHT", (340, 330), 58, spacing=10)], ICE, ICE_GLOW, WORDS_FORM),
    ("words3.jpg", [Line("STOP", (320, 118), 80, spacing=22)], MINT, MINT_GLOW, WORDS_FORM),
    ("words4.jpg", [Line("MOTION", (320, 380), 80, spacing=18)], MINT, MINT_GLOW, WORDS_FORM),
    ("words5.jpg", [Line("SOFT", (320, 100), 84, face=SERIF_BOLD, spacing=24)], ROSE, ROSE_GLOW, WORDS_FORM),
    ("words6.jpg", [Line("MATTER", (320, 390), 84, face=SERIF_BOLD, spacing=16)], ROSE, ROSE_GLOW, WORDS_FORM),
]
# The closing words: the first shows alone, then both together, so they
# share the screen without touching.
CLOSING_FIRST = [Line("THANKS", (320, 168), 72, spacing=16),
                 Line("FOR WATCHING", (320, 236), 40, spacing=9)]
CLOSING_SECOND = [Line("Quorvane", (320, 326), 34, face=SERIF_BOLD, spacing=4),
                  Line("by Brasklet productions", (320, 364), 24, face=SERIF, spacing=2)]

# Eight short names, so that the letters can be large.
GREETED_GROUPS = [
    "Glimmerdrift", "Octopoda", "Velvet Lathe", "Tin Orchard",
    "Tidewright", "Sixteen Owls", "Quillfire", "Mothlight",
]
# Near white, so that each of the tv filter's red, green and blue rows shows it.
GREETS_TEXT, GREETS_GLOW = (255, 250, 238), (200, 120, 40)
GREETS_GLOW_RADIUS, GREETS_GLOW_STRENGTH = 6, 1.4
# A wide violet haze behind the names: it lights the space between them,
# which the ripple, the blur and the scan lines otherwise leave dark.
GREETS_HAZE, GREETS_HAZE_RADIUS, GREETS_HAZE_STRENGTH = (110, 60, 150), 22, 3.0
GREETS_NAME_SIZE, GREETS_NAME_WIDTH = 46, 276  # pixels: a column is 288 wide


def greets_name_size():
    """The largest size, up to GREETS_NAME_SIZE, at which every name fits a column."""
    for size in range(GREETS_NAME_SIZE, 0, -1):
        typeface = font(SANS_CONDENSED_BOLD, size)
        if all(typeface.getlength(name) + len(name) - 1 <= GREETS_NAME_WIDTH for name in GREETED_GROUPS):
            return size
    raise ValueError(f"the names do not fit {GREETS_NAME_WIDTH} pixels")


def make_greets():
    """The greetings, inside the black border the scene draws (16 pixels):
    eight names in two columns, in bold letters as large as a column allows,
    so that they read through the ripple, the blur and the tv filter."""
    lines = [Line("GREETINGS TO", (320, 62), 46, spacing=10)]
    size = greets_name_size()
    half = len(GREETED_GROUPS) // 2
    for i, name in enumerate(GREETED_GROUPS):
        column, row = divmod(i, half)
        lines.append(Line(name, (176 + 288 * column, 150 + 86 * row), size, SANS_CONDENSED_BOLD, spacing=1))
    letters = Image.new("L", (WIDTH, HEIGHT), 0)
    for line in lines:
        letters = ImageChops.lighter(letters, line.mask())
    haze = letters.filter(ImageFilter.GaussianBlur(GREETS_HAZE_RADIUS)).point(
        lambda v: clamp_byte(v * GREETS_HAZE_STRENGTH))
    black = Image.new("RGB", (WIDTH, HEIGHT), (0, 0, 0))
    picture = Image.composite(Image.new("RGB", (WIDTH, HEIGHT), GREETS_HAZE), black, haze)
    return glow_onto(picture, letters, GREETS_TEXT, GREETS_GLOW, GREETS_GLOW_RADIUS, GREETS_GLOW_STRENGTH)


def generate(out_dir):
    written = []
    for name, lines, colour, glow, form in WORD_PICTURES:
        save_jpeg(words_picture(lines, colour, glow), os.path.join(out_dir, name), form)
        written.append(name)
    for name, lines in (("words7.jpg", CLOSING_FIRST), ("words8.jpg", CLOSING_SECOND)):
        save_jpeg(words_picture(lines, GOLD, GOLD_GLOW), os.path.join(out_dir, name), CLOSING_FORM)
        written.append(name)
    save_jpeg(make_greets(), os.path.join(out_dir, "greets.jpg"), GREETS_FORM)
    written.append("greets.jpg")
    return written
