#!/usr/bin/env python3
"""Makes the README's pictures: one still of each scene and the two
between-scene pictures, rendered headless with quorvane-render.

    /usr/bin/python3 tools/docs/make_stills.py [--render build/quorvane-render] [--out docs]

A first run at 60 frames per second finds where each scene starts and how
long it lasts; a second run writes the chosen frames, which land in the
output folder as SCENE.png, transition.png and zibbet.png. Headless runs are
deterministic, so the pictures change only when the demo does.
"""
import argparse
import json
import pathlib
import shutil
import subprocess
import sys
import tempfile

# Where in each scene its still is taken, as a fraction of the scene's
# frames: a moment that shows what the scene is about.
STILL_MOMENTS = {
    "raycast": 0.85,    # the title reads among the stars' streaks
    "lattice": 0.5,     # the second portrait at its moment
    "starwarp": 0.8,
    "particles": 0.3,
    "blobby": 0.5,
    "greets": 0.3486,   # a frame of the ripple whose rings leave the names readable
}

# The full-screen pictures shown just before these scenes.
PICTURES_BEFORE = {"blobby": "transition", "greets": "zibbet"}


def scene_table(render, work):
    stats_path = work / "stats.json"
    subprocess.run([str(render), "--fps", "60", "--stats-json", str(stats_path)],
                   check=True, stdout=subprocess.DEVNULL)
    return json.loads(stats_path.read_text())["scenes"]


def chosen_frames(scenes):
    """Frame number -> picture name."""
    frames = {}
    for scene in scenes:
        name = scene["name"]
        if scene["frames"] == 0:
            sys.exit(f"make_stills: the {name} scene showed no frame")
        frames[scene["first_frame"] + int(scene["frames"] * STILL_MOMENTS[name])] = name
        if name in PICTURES_BEFORE:
            frames[scene["first_frame"] - 1] = PICTURES_BEFORE[name]
    return frames


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--render", default="build/quorvane-render", type=pathlib.Path)
    parser.add_argument("--out", default="docs", type=pathlib.Path)
    options = parser.parse_args()
    render = options.render.resolve()

    with tempfile.TemporaryDirectory() as temporary:
        work = pathlib.Path(temporary)
        frames = chosen_frames(scene_table(render, work))
        at = ",".join(str(number) for number in sorted(frames))
        subprocess.run([str(render), "--fps", "60", "--frames", str(work), "--at", at],
                       check=True, stdout=subprocess.DEVNULL)
        options.out.mkdir(parents=True, exist_ok=True)
        for number, name in sorted(frames.items()):
            shutil.copyfile(work / f"{number:06d}.png", options.out / f"{name}.png")
            print(f"{options.out / (name + '.png')}: frame {number}")


if __name__ == "__main__":
    main()
