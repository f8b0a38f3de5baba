"""Checks of the committed data/ files against what the demo needs of them:
the pictures' size and encoding forms, the title's light mask, the tv mask,
the word pictures, the portraits' layout, every value of every parameter
file as the demo reads it, the scene timing, and the paths along their
whole splines. Each check returns a list of failure messages."""
import math
import os
import struct

from PIL import Image, ImageChops, ImageFilter

import configs
import paths
from marker_format import MarkerReader
from pictures_screens import title_mask
from portraits import DRAWN_COLUMNS, DRAWN_ROWS, MEMBERS, PORTRAIT_HEIGHT, PORTRAIT_WIDTH, ROW_BYTES
from spline import SplinePath
from timing import MUSIC_BAR, SCENE_TOTALS, UNITS_PER_SECOND

PICTURES = (["intro.jpg", "title.jpg", "tvMask.jpg", "starwarp.jpg", "greets.jpg", "transition.jpg", "zibbet.jpg"]
            + ["words.jpg"] + [f"words{k}.jpg" for k in range(2, 9)]
            + ["sublim.jpg"] + [f"sublim{k}.jpg" for k in range(2, 7)])
# The slowest frame rate the paths must serve: its step is the longest.
SLOWEST_STEP = UNITS_PER_SECOND / 10.0
MASK_THRESHOLD = 0x050505


# ---------------------------------------------------------------- pictures

def jpeg_form(path):
    """(frame marker, [(h, v) sampling per component], restart interval)."""
    data = open(path, "rb").read()
    pos, frame, sampling, restart = 2, None, [], 0
    while pos + 4 <= len(data):
        if data[pos] != 0xFF:
            break
        marker = data[pos + 1]
        length = struct.unpack(">H", data[pos + 2:pos + 4])[0]
        body = data[pos + 4:pos + 2 + length]
        if marker in (0xC0, 0xC1, 0xC2):
            frame = marker
            count = body[5]
            sampling = [(body[7 + 3 * i] >> 4, body[7 + 3 * i] & 15) for i in range(count)]
        elif marker == 0xDD:
            restart = struct.unpack(">H", body[:2])[0]
        elif marker == 0xDA:
            break
        pos += 2 + length
    return frame, sampling, restart


def check_picture_forms(data_dir):
    failures, seen = [], set()
    for name in PICTURES:
        path = os.path.join(data_dir, name)
        picture = Image.open(path)
        if picture.size != (640, 480) or picture.mode != "RGB":
            failures.append(f"{name}: {picture.size} {picture.mode}, expected (640, 480) RGB")
        frame, sampling, restart = jpeg_form(path)
        if frame is None or len(sampling) != 3 or sampling[1:] != [(1, 1), (1, 1)]:
            failures.append(f"{name}: frame {frame}, sampling {sampling}: need three components, chroma 1x1")
            continue
        seen.add("%dx%d" % sampling[0])
        if frame == 0xC2:
            seen.add("progressive")
        if restart:
            seen.add("restart")
        if frame == 0xC2 and restart:
            seen.add("progressive with restarts")
    for name, expected in (("title.jpg", (1, 1)), ("starwarp.jpg", (1, 1))):
        if jpeg_form(os.path.join(data_dir, name))[1][0] != expected:
            failures.append(f"{name}: luma sampling must be 1x1")
    wanted = {"1x1", "2x1", "1x2", "2x2", "progressive", "restart", "progressive with restarts"}
    if not wanted <= seen:
        failures.append(f"encoding forms missing from the set: {sorted(wanted - seen)}")
    return failures


def light_mask(picture):
    """255 where the raycast scene sees a mask pixel: 0x00RRGGBB < 0x050505."""
    mask = Image.new("L", picture.size)
    mask.putdata([255 if (r << 16 | g << 8 | b) < MASK_THRESHOLD else 0 for r, g, b in picture.getdata()])
    return mask


def count_on(mask):
    return sum(1 for v in mask.getdata() if v)


def check_title(data_dir):
    failures = []
    mask = light_mask(Image.open(os.path.join(data_dir, "title.jpg")).convert("RGB"))
    drawn = title_mask().point(lambda v: 255 if v >= 128 else 0)
    inner = drawn.filter(ImageFilter.MinFilter(5))
    missed = count_on(ImageChops.subtract(inner, mask))
    if missed:
        failures.append(f"title.jpg: {missed} pixels inside the letters and stars are not mask")
    stray = count_on(ImageChops.subtract(mask, drawn.filter(ImageFilter.MaxFilter(7))))
    if stray:
        failures.append(f"title.jpg: {stray} mask pixels away from the letters and stars")
    share = count_on(mask) / (640 * 480)
    if not 0.04 <= share <= 0.4:
        failures.append(f"title.jpg: mask covers {share:.1%} of the screen, expected 4% to 40%")
    border = Image.new("L", mask.size, 255)
    border.paste(0, (16, 16, 624, 464))
    if count_on(ImageChops.multiply(mask, border)):
        failures.append("title.jpg: mask pixels within 16 pixels of the border")
    return failures


def check_tv_mask(data_dir):
    picture = Image.open(os.path.join(data_dir, "tvMask.jpg")).convert("RGB")
    failures = []
    middle = picture.crop((140, 105, 500, 375))
    if middle.getextrema() != ((0, 0), (0, 0), (0, 0)):
        failures.append(f"tvMask.jpg: the middle is not untouched black: {middle.getextrema()}")
    corners = [max(picture.getpixel(p)) for p in ((0, 0), (639, 0), (0, 479), (639, 479))]
    edges = [max(picture.getpixel(p)) for p in ((0, 240), (639, 240), (320, 0), (320, 479))]
    if min(corners) < 100 or min(edges) < 40 or max(edges) > 140:
        failures.append(f"tvMask.jpg: corners {corners}, edge midpoints {edges}: not a vignette")
    return failures


def lit_box(picture, level=16):
    return picture.convert("L").point(lambda v: 255 if v > level else 0).getbbox()


def check_words(data_dir):
    failures = []
    for name in [n for n in PICTURES if n.startswith("words") or n == "greets.jpg"]:
        picture = Image.open(os.path.join(data_dir, name)).convert("RGB")
        box = lit_box(picture)
        if box is None:
            failures.append(f"{name}: no text")
            continue
        if box[0] < 16 or box[1] < 16 or box[2] > 624 or box[3] > 464:
            failures.append(f"{name}: text reaches the border band: {box}")
        corner = picture.crop((0, 0, 16, 16)).getextrema()
        if max(high for _, high in corner) > 8:
            failures.append(f"{name}: the ground is not black")
    first = lit_box(Image.open(os.path.join(data_dir, "words7.jpg")), level=4)
    second = lit_box(Image.open(os.path.join(data_dir, "words8.jpg")), level=4)
    if first and second and not (first[3] <= second[1] or second[3] <= first[1]):
        failures.append(f"closing words overlap: {first} and {second}")
    return failures


def check_portraits(data_dir):
    failures = []
    for name, _ in MEMBERS:
        data = open(os.path.join(data_dir, name), "rb").read()
        offset = 14 + 40 + 1024
        if len(data) != offset + ROW_BYTES * PORTRAIT_HEIGHT:
            failures.append(f"{name}: {len(data)} bytes, expected {offset + ROW_BYTES * PORTRAIT_HEIGHT}")
            continue
        width, height, planes, bits, compression = struct.unpack("<iiHHI", data[18:34])
        if (data[:2], struct.unpack("<I", data[10:14])[0], width, height, bits, compression) != \
                (b"BM", offset, PORTRAIT_WIDTH, PORTRAIT_HEIGHT, 8, 0):
            failures.append(f"{name}: not an uncompressed 8-bit {PORTRAIT_WIDTH} x {PORTRAIT_HEIGHT} bitmap")
        ink = 0
        for r in range(PORTRAIT_HEIGHT):
            row = data[offset + r * ROW_BYTES: offset + (r + 1) * ROW_BYTES]
            y = PORTRAIT_HEIGHT - 1 - r
            for x, index in enumerate(row[:PORTRAIT_WIDTH]):
                if index not in (0, 1):
                    failures.append(f"{name}: palette index {index} at ({x}, {y})")
                if index == 0:
                    ink += 1
                    if x not in DRAWN_COLUMNS or y not in DRAWN_ROWS:
                        failures.append(f"{name}: ink at ({x}, {y}), outside what the scene shows")
        share = ink / (PORTRAIT_WIDTH * PORTRAIT_HEIGHT)
        if not 0.05 <= share <= 0.5:
            failures.append(f"{name}: ink covers {share:.1%}")
    return failures


# ---------------------------------------------------------- parameter files

def read_values(path, kinds):
    """Reads values of the given kinds ('int' or 'double') as the demo does."""
    reader = MarkerReader(open(path).read())
    values = [reader.read_int() if kind == "int" else reader.read_double() for kind in kinds]
    return values, reader


def read_config(data_dir, name):
    """The values of a committed parameter file, read with the types its
    scene uses; None and a message if they are not all there."""
    for file_name, _, expected in configs.CONFIG_FILES:
        if file_name == name:
            kinds = ["int" if isinstance(v, int) else "double" for _, v in expected()]
            values, reader = read_values(os.path.join(data_dir, name), kinds)
            if None in values:
                return None, f"{name}: value {values.index(None) + 1} cannot be read"
            if reader.skip_to_marker():
                return None, f"{name}: holds more values than its scene reads"
            return values, None
    raise KeyError(name)


def check_config_values(data_dir):
    failures = []
    for name, _, expected in configs.CONFIG_FILES:
        values, problem = read_config(data_dir, name)
        if problem:
            failures.append(problem)
        elif values != [v for _, v in expected()]:
            failures.append(f"{name}: reads {values}, expected {[v for _, v in expected()]}")
    return failures


def check_timing(data_dir):
    failures = []
    read = {name: read_config(data_dir, name + ".conf")[0] for name in SCENE_TOTALS}
    if None in read.values():
        return ["timing: a parameter file cannot be read"]
    raycast, lattice, starwarp = read["raycast"], read["lattice"], read["starwarp"]
    particles, blobby, greets = read["particles"], read["blobby"], read["greets"]
    totals = {"raycast": raycast[0], "lattice": lattice[0] + lattice[1], "starwarp": starwarp[0] + starwarp[1],
              "particles": particles[0] + particles[1], "blobby": blobby[0], "greets": sum(greets)}
    for name, total in totals.items():
        if total != SCENE_TOTALS[name] or total % MUSIC_BAR:
            failures.append(f"{name}: lasts {total} units, expected {SCENE_TOTALS[name]} (whole 50s)")
    seconds = sum(totals.values()) / UNITS_PER_SECOND
    if not 180 <= seconds <= 270:
        failures.append(f"the demo lasts {seconds:.0f} seconds, not three to four and a half minutes")
    if starwarp[0] < 120 or starwarp[1] <= 100:
        failures.append(f"starwarp: warp {starwarp[0]} and spin {starwarp[1]} cut a word or a flash short")
    if starwarp[0] + starwarp[1] + SLOWEST_STEP >= 640:
        failures.append("starwarp: the seed column runs past the palette")
    if particles[0] < 120 or particles[1] <= 100:
        failures.append(f"particles: phases {particles[0]} and {particles[1]} cut a word or a flash short")
    freezes = particles[3:8]
    if any(b <= a for a, b in zip(freezes, freezes[1:])) or freezes[4] >= particles[0]:
        failures.append(f"particles: freeze moments {freezes} not increasing within the first phase")
    if blobby[0] < 125:
        failures.append(f"blobby: {blobby[0]} cuts the second word short")
    main, window = lattice[1], lattice[2]
    for k in range(4):
        row, moment = lattice[4 + 3 * k], lattice[5 + 3 * k]
        if not 0 <= row <= 417:
            failures.append(f"lattice: portrait {k + 1} row {row} outside 0..417")
        # Drawn while |E - moment| < window + 10, E the truncated main-part time.
        reach = window + 9
        if moment - reach < 0 or moment + reach > main - 1:
            failures.append(f"lattice: portrait {k + 1} at {moment} is drawn outside the main part")
    return failures


# ------------------------------------------------------------------- paths

def read_path(path):
    """(points, times, step) as the demo reads a .bsp file, or a message."""
    reader = MarkerReader(open(path).read())
    count = reader.read_int()
    step = reader.read_double()
    if count is None or step is None or count < 4:
        return None, f"{os.path.basename(path)}: key count {count}, step {step}"
    points, times = [], []
    for _ in range(count):
        if not reader.skip_to_marker():
            return None, f"{os.path.basename(path)}: only {len(points)} of {count} keys"
        numbers = [reader.extract_double() for _ in range(4)]
        if None in numbers:
            return None, f"{os.path.basename(path)}: key {len(points) + 1} cannot be read"
        points.append(tuple(numbers[:3]))
        times.append(numbers[3])
    if reader.skip_to_marker():
        return None, f"{os.path.basename(path)}: more keys than its count"
    return (points, times, step), None


def sweep(keys, step, start=0.0, end=None):
    """Positions along a path from start to end (or its last key) by step."""
    points, times, _ = keys
    path = SplinePath(points, times, step)
    path.seek(start)
    end = times[-1] if end is None else end
    positions = []
    while path.time + step < min(end, times[-1]):
        path.advance()
        positions.append((path.time, path.position()))
    return positions


def check_path_files(data_dir):
    failures, loaded = [], {}
    for name, *_ in paths.PATH_FILES:
        keys, problem = read_path(os.path.join(data_dir, name))
        if problem:
            failures.append(problem)
            continue
        if any(b <= a for a, b in zip(keys[1], keys[1][1:])):
            failures.append(f"{name}: key times do not strictly increase")
        loaded[name] = keys
    return failures, loaded


def check_reach(loaded, name, needed):
    last = loaded[name][1][-1]
    if last < needed:
        return [f"{name}: keys end at {last}, the scene needs {needed:.1f}"]
    return []


def check_axis(name, keys, least=0.5):
    nearest = min(math.sqrt(sum(c * c for c in p)) for _, p in sweep(keys, 0.02))
    return [] if nearest >= least else [f"{name}: the axis comes within {nearest:.3f} of (0, 0, 0)"]


def check_flight(name, keys, end):
    """The camera keeps moving, and one coordinate stays beyond the wrap box."""
    failures = []
    samples = sweep(keys, 0.5, 0.0, end)
    for (t0, p0), (t1, p1) in zip(samples, samples[1:]):
        speed = math.dist(p0, p1) / (t1 - t0)
        if speed < 0.1:
            failures.append(f"{name}: the camera slows to {speed:.3f} per unit at {t0:.1f}")
            break
    if min(p[2] for _, p in samples) <= 1.0:
        failures.append(f"{name}: the camera enters the box in which the lattice is not wrapped")
    return failures


def check_figure(keys):
    """The figure stays in front of the fixed camera and on screen: depth
    beyond its largest possible reach (arms of at most 13 units, scaled by
    the rotation's factor of sqrt 5), its centre well inside the screen."""
    failures = []
    reach = 12.93 * math.sqrt(5)
    for t, (x, y, z) in sweep(keys, 0.1):
        depth = -z
        screen_x = (x - 0.5) / depth * 320 + 320
        screen_y = (y - 0.5) / depth * 320 + 240
        if depth - reach <= 0:
            failures.append(f"p-loc.bsp: the figure can reach behind the camera at {t:.1f}")
            break
        if not (110 <= screen_x <= 530 and 110 <= screen_y <= 370):
            failures.append(f"p-loc.bsp: the figure's centre leaves the middle at {t:.1f}")
            break
    return failures


def check_paths(data_dir):
    failures, loaded = check_path_files(data_dir)
    if len(loaded) != len(paths.PATH_FILES):
        return failures
    lattice = read_config(data_dir, "lattice.conf")[0]
    greets = read_config(data_dir, "greets.conf")[0]
    particles = read_config(data_dir, "particles.conf")[0]
    lattice_end = lattice[0] + lattice[1] + SLOWEST_STEP
    greets_end = sum(greets[:4]) + SLOWEST_STEP
    particles_end = 3 * (particles[7] + particles[1])
    for name in ("l-camera.bsp", "l-axis.bsp", "l-angle.bsp"):
        failures += check_reach(loaded, name, lattice_end)
    for name in ("g-camera.bsp", "g-axis.bsp"):
        failures += check_reach(loaded, name, greets_end)
    for name in ("p-loc.bsp", "p-axis.bsp"):
        failures += check_reach(loaded, name, particles_end)
    for name in ("l-axis.bsp", "g-axis.bsp", "p-axis.bsp"):
        failures += check_axis(name, loaded[name])
    failures += check_flight("l-camera.bsp", loaded["l-camera.bsp"], lattice_end)
    failures += check_flight("g-camera.bsp", loaded["g-camera.bsp"], greets_end)
    if any(p[0] != 0.0 for p in loaded["l-angle.bsp"][0]):
        failures.append("l-angle.bsp: w must stay 0 for the wrapped lattice to stay seamless")
    failures += check_figure(loaded["p-loc.bsp"])
    return failures


CHECKS = [check_picture_forms, check_title, check_tv_mask, check_words, check_portraits,
          check_config_values, check_timing, check_paths]
