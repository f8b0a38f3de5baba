"""The four member portraits of the lattice scene: 310 x 64 two-colour
bitmaps, each member's handle in letters as large as the bitmap allows.

The loader reads them as uncompressed 8-bit Windows bitmaps with a full
256-entry palette and rows padded to 312 bytes, bottom row first; palette
index 0 is shown white and every other index black, whatever the palette
says. It adds only columns 4..305 of rows 0..62, so everything is drawn
inside them.

The scene blurs a portrait horizontally in place, each pixel from its
neighbours two and four pixels away with the left ones already blurred, so
every stroke smears to the right, a little more with every pass: one pass
near the portrait's moment, one more for each scene-time unit further away.
Tall, bold letters set wide apart keep a gap between them through three or
four passes, so the handle reads for several seconds; small letters or a
second line would run together into a bar at the second pass."""
import os
import struct

from PIL import Image, ImageDraw

from drawing import SANS_CONDENSED_BOLD, font

PORTRAIT_WIDTH, PORTRAIT_HEIGHT = 310, 64
ROW_BYTES = 312
INK, PAPER = 0, 1          # palette indices: shown white, shown black
DRAWN_COLUMNS = range(4, 306)
DRAWN_ROWS = range(0, 63)
SCALE = 4

MEMBERS = [
    ("ramblekin.bmp", "RAMBLEKIN"),
    ("quib.bmp", "QUIB"),
    ("dorvan.bmp", "DORVAN"),
    ("pelk.bmp", "PELK"),
]

# The handle's box, in bitmap pixels. The portrait is shown from the screen's
# left edge, whose first columns the tv mask darkens, so the letters start a
# little in.
HANDLE_LEFT, HANDLE_RIGHT = 20, 300
HANDLE_MIDDLE = 31                    # capitals centred on this row
HANDLE_BOTTOM = 61                    # the lowest ink row, a tail included
HANDLE_CAP_HEIGHT = 46                # at most
MIN_TRACKING, MAX_TRACKING = 8, 26    # extra space after each letter


def cap_height(typeface):
    return -typeface.getbbox("H", anchor="ls")[1]


def handle_layout(handle):
    """(font size, tracking): the largest size whose capitals stay within
    HANDLE_CAP_HEIGHT, whose tails (a Q's) stay above HANDLE_BOTTOM and
    whose letters fit the box with at least MIN_TRACKING between them; the
    room left over widens the tracking."""
    room = HANDLE_RIGHT - HANDLE_LEFT
    gaps = len(handle) - 1
    for size in range(HANDLE_CAP_HEIGHT * 2, 0, -1):
        typeface = font(SANS_CONDENSED_BOLD, size)
        letters = sum(typeface.getlength(letter) for letter in handle)
        lowest = HANDLE_MIDDLE + cap_height(typeface) / 2 + typeface.getbbox(handle, anchor="ls")[3]
        if (cap_height(typeface) <= HANDLE_CAP_HEIGHT and lowest <= HANDLE_BOTTOM
                and letters + MIN_TRACKING * gaps <= room):
            return size, min(MAX_TRACKING, (room - letters) / gaps)
    raise ValueError(f"{handle} does not fit a portrait")


def draw_portrait(handle):
    """The portrait as a 310 x 64 picture of 0 (paper) and 255 (ink)."""
    s = SCALE
    size, tracking = handle_layout(handle)
    typeface = font(SANS_CONDENSED_BOLD, size * s)
    canvas = Image.new("L", (PORTRAIT_WIDTH * s, PORTRAIT_HEIGHT * s), 0)
    draw = ImageDraw.Draw(canvas)
    x = HANDLE_LEFT * s
    baseline = HANDLE_MIDDLE * s + cap_height(typeface) / 2
    for letter in handle:
        draw.text((x, baseline), letter, font=typeface, fill=255, anchor="ls")
        x += typeface.getlength(letter) + tracking * s
    small = canvas.resize((PORTRAIT_WIDTH, PORTRAIT_HEIGHT), Image.BOX)
    return small.point(lambda v: 255 if v >= 110 else 0)


def bitmap_bytes(picture):
    """An uncompressed 8-bit bitmap: ink as palette index 0, paper as 1."""
    pixel_bytes = ROW_BYTES * PORTRAIT_HEIGHT
    palette_bytes = 256 * 4
    offset = 14 + 40 + palette_bytes
    header = struct.pack("<2sIHHI", b"BM", offset + pixel_bytes, 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, PORTRAIT_WIDTH, PORTRAIT_HEIGHT, 1, 8, 0, pixel_bytes, 2835, 2835, 256, 2)
    # Index 0 white and index 1 black, as the loader shows them; the rest unused.
    palette = bytes([255, 255, 255, 0, 0, 0, 0, 0]) + bytes(palette_bytes - 8)
    rows = []
    for y in range(PORTRAIT_HEIGHT - 1, -1, -1):  # bottom row first
        row = bytes(INK if picture.getpixel((x, y)) else PAPER for x in range(PORTRAIT_WIDTH))
        rows.append(row + bytes(ROW_BYTES - PORTRAIT_WIDTH))
    return header + info + palette + b"".join(rows)


def generate(out_dir):
    written = []
    for name, handle in MEMBERS:
        with open(os.path.join(out_dir, name), "wb") as out:
            out.write(bitmap_bytes(draw_portrait(handle)))
        written.append(name)
    return written
