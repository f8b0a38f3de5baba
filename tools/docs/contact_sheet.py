#!/usr/bin/env python3
"""Watches the whole demo as an audience does: a frame every quarter second,
rendered headless and measured; one every 1.5 seconds laid out on a contact
sheet. Takes about a minute.

    /usr/bin/python3 tools/docs/contact_sheet.py [--render build/quorvane-render] [--out docs/contact-sheet.png]

Prints, per scene, its length, the median of its frames' mean luma (0..255),
the median share of pixels brighter than 48, and its longest stretch of
frames with under 2 % of their pixels lit: measured every quarter second,
a stretch is known to within a quarter second. The sheet labels each frame
with its number and scene.
"""
import argparse
import json
import pathlib
import statistics
import subprocess
import sys
import tempfile

from PIL import Image, ImageDraw, ImageFont

FPS = 60
MEASURE_FRAMES = 15  # a quarter second: the step of the figures
SHEET_FRAMES = 90    # 1.5 seconds: the step of the sheet
LIT_LUMA = 48
DARK_SHARE = 0.02
THUMB_SIZE = (160, 120)
COLUMNS = 12
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"


def render_run(render, work):
    stats_path = work / "stats.json"
    frames = work / "frames"
    subprocess.run([str(render), "--fps", str(FPS), "--frames", str(frames), "--every", str(MEASURE_FRAMES),
                    "--stats-json", str(stats_path)], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return json.loads(stats_path.read_text())["scenes"], sorted(frames.glob("*.png"))


def scene_of(number, scenes):
    """The scene a frame belongs to; None for the loading and between-scene pictures."""
    for scene in scenes:
        if scene["first_frame"] <= number < scene["first_frame"] + scene["frames"]:
            return scene["name"]
    return None


def measure(path):
    """Mean luma and the share of pixels brighter than LIT_LUMA."""
    luma = Image.open(path).convert("L")
    histogram = luma.histogram()
    pixels = sum(histogram)
    mean = sum(value * count for value, count in enumerate(histogram)) / pixels
    lit = sum(histogram[LIT_LUMA + 1:]) / pixels
    return mean, lit


def scene_rows(scenes, measured):
    rows = []
    for scene in scenes:
        samples = [m for m in measured if m["scene"] == scene["name"]]
        longest = run = 0
        for sample in samples:
            run = run + 1 if sample["lit"] < DARK_SHARE else 0
            longest = max(longest, run)
        rows.append({
            "scene": scene["name"],
            "seconds": scene["frames"] / FPS,
            "median_luma": statistics.median(s["luma"] for s in samples) if samples else 0.0,
            "median_lit": statistics.median(s["lit"] for s in samples) if samples else 0.0,
            "dark_seconds": longest * MEASURE_FRAMES / FPS,
        })
    return rows


def print_table(rows):
    print("| scene | length | median mean luma | median share lit | longest dark stretch |")
    print("|---|---|---|---|---|")
    for row in rows:
        print(f"| {row['scene']} | {row['seconds']:.0f} s | {row['median_luma']:.1f} | {row['median_lit']:.0%} | "
              f"{row['dark_seconds']:.1f} s |")


def contact_sheet(measured, out):
    measured = [sample for sample in measured if sample["number"] % SHEET_FRAMES == 0]
    font = ImageFont.truetype(FONT, 11)
    label_height = 14
    rows = (len(measured) + COLUMNS - 1) // COLUMNS
    sheet = Image.new("RGB", (COLUMNS * THUMB_SIZE[0], rows * (THUMB_SIZE[1] + label_height)), "black")
    draw = ImageDraw.Draw(sheet)
    for index, sample in enumerate(measured):
        x = index % COLUMNS * THUMB_SIZE[0]
        y = index // COLUMNS * (THUMB_SIZE[1] + label_height)
        thumb = Image.open(sample["path"]).convert("RGB").resize(THUMB_SIZE, Image.BOX)
        sheet.paste(thumb, (x, y + label_height))
        label = f"{sample['number']} {sample['scene'] or 'picture'} {sample['number'] / FPS:.1f}s"
        draw.text((x + 3, y + 1), label, fill=(200, 200, 200), font=font)
    # 256 colours are plenty for a sheet of small frames, and keep the file small.
    sheet.quantize(256, dither=Image.Dither.NONE).save(out, optimize=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--render", default="build/quorvane-render", type=pathlib.Path)
    parser.add_argument("--out", default="docs/contact-sheet.png", type=pathlib.Path)
    options = parser.parse_args()
    if not options.render.exists():
        sys.exit(f"contact_sheet: no renderer at {options.render}; build the project first")
    with tempfile.TemporaryDirectory() as work:
        scenes, paths = render_run(options.render.resolve(), pathlib.Path(work))
        measured = []
        for path in paths:
            number = int(path.stem)
            luma, lit = measure(path)
            measured.append({"path": path, "number": number, "scene": scene_of(number, scenes), "luma": luma, "lit": lit})
        print_table(scene_rows(scenes, measured))
        contact_sheet(measured, options.out)
    print(f"contact sheet: {options.out}")


if __name__ == "__main__":
    main()
