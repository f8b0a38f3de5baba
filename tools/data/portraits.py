"""The four member portraits of the lattice scene: 310 x 64 two-colour
bitmaps with each member's handle, role and a small emblem.

The loader reads them as uncompressed 8-bit Windows bitmaps with a full
256-entry palette and rows padded to 312 bytes, bottom row first; palette
index 0 is shown white and every other index black, whatever the palette
says. It adds only columns 4..305 of rows 0..62, so everything is drawn
inside them.

The scene blurs a portrait horizontally in place, each pixel from its
neighbours two and four pixels away with the left ones already blurred, so
every stroke smears several pixels to the right, even at the portrait's
moment. Letters are therefore bold and set wide apart, or they run
together into a bar."""
import math
import os
import struct

from PIL import Image, ImageDraw

from drawing import SANS_BOLD, font

PORTRAIT_WIDTH, PORTRAIT_HEIGHT = 310, 64
ROW_BYTES = 312
INK, PAPER = 0, 1          # palette indices: shown white, shown black
DRAWN_COLUMNS = range(4, 306)
DRAWN_ROWS = range(0, 63)
SCALE = 4


def emblem_gear(draw, cx, cy, r):
    teeth = 8
    points = []
    for i in range(teeth * 4):
        a = 2 * math.pi * i / (teeth * 4)
        radius = r if (i % 4) in (1, 2) else r * 0.74
        points.append((cx + radius * math.cos(a), cy + radius * math.sin(a)))
    draw.polygon(points, fill=255)
    draw.ellipse([cx - r * 0.32, cy - r * 0.32, cx + r * 0.32, cy + r * 0.32], fill=0)


def emblem_notes(draw, cx, cy, r):
    w = r * 0.16
    for dx, dy in ((-0.5, 0.45), (0.45, 0.3)):
        x, y = cx + dx * r, cy + dy * r
        draw.ellipse([x - r * 0.32, y - r * 0.22, x + r * 0.32, y + r * 0.22], fill=255)
    draw.rectangle([cx - 0.5 * r + 0.32 * r - w, cy - 0.75 * r, cx - 0.5 * r + 0.32 * r, cy + 0.45 * r], fill=255)
    draw.rectangle([cx + 0.45 * r + 0.32 * r - w, cy - 0.9 * r, cx + 0.45 * r + 0.32 * r, cy + 0.3 * r], fill=255)
    draw.polygon([(cx - 0.18 * r - w, cy - 0.75 * r), (cx + 0.77 * r, cy - 0.9 * r),
                  (cx + 0.77 * r, cy - 0.62 * r), (cx - 0.18 * r - w, cy - 0.47 * r)], fill=255)


def emblem_eye(draw, cx, cy, r):
    draw.ellipse([cx - r, cy - r * 0.62, cx + r, cy + r * 0.62], fill=255)
    draw.ellipse([cx - r * 0.82, cy - r * 0.46, cx + r * 0.82, cy + r * 0.46], fill=0)
    draw.ellipse([cx - r * 0.42, cy - r * 0.42, cx + r * 0.42, cy + r * 0.42], fill=255)
    draw.ellipse([cx - r * 0.16, cy - r * 0.16, cx + r * 0.16, cy + r * 0.16], fill=0)


def emblem_star(draw, cx, cy, r):
    points = []
    for i in range(10):
        a = -math.pi / 2 + i * math.pi / 5
        radius = r if i % 2 == 0 else r * 0.42
        points.append((cx + radius * math.cos(a), cy + radius * math.sin(a)))
    draw.polygon(points, fill=255)


MEMBERS = [
    ("ramblekin.bmp", "RAMBLEKIN", "code", emblem_gear),
    ("quib.bmp", "QUIB", "music", emblem_notes),
    ("dorvan.bmp", "DORVAN", "graphics", emblem_eye),
    ("pelk.bmp", "PELK", "design", emblem_star),
]


HANDLE_SIZE, HANDLE_TRACKING = 29, 6.5   # pixels
ROLE_SIZE, ROLE_TRACKING = 16, 5


def spaced_text(draw, x, baseline, text, typeface, tracking):
    """Text with `tracking` pixels of extra space after every letter."""
    for letter in text:
        draw.text((x, baseline), letter, font=typeface, fill=255, anchor="ls")
        x += typeface.getlength(letter) + tracking


def draw_portrait(handle, role, emblem):
    """The portrait as a 310 x 64 picture of 0 (paper) and 255 (ink)."""
    s = SCALE
    canvas = Image.new("L", (PORTRAIT_WIDTH * s, PORTRAIT_HEIGHT * s), 0)
    draw = ImageDraw.Draw(canvas)
    emblem(draw, 23 * s, 31 * s, 17 * s)
    draw.line([(48 * s, 8 * s), (48 * s, 54 * s)], fill=255, width=3 * s)
    spaced_text(draw, 58 * s, 36 * s, handle, font(SANS_BOLD, HANDLE_SIZE * s), HANDLE_TRACKING * s)
    spaced_text(draw, 59 * s, 57 * s, role, font(SANS_BOLD, ROLE_SIZE * s), ROLE_TRACKING * s)
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
    for name, handle, role, emblem in MEMBERS:
        with open(os.path.join(out_dir, name), "wb") as out:
            out.write(bitmap_bytes(draw_portrait(handle, role, emblem)))
        written.append(name)
    return written
