#!/usr/bin/env python3
"""Composes the demo's soundtrack and writes it as data/trumbel.it.

    python3 tools/data/trumbel.py            # (re)write data/trumbel.it
    python3 tools/data/trumbel.py --check    # compare a fresh composition with data/trumbel.it

The instruments come from trumbel_sounds, the notes from trumbel_score, the
file layout from it_module. The output depends on nothing but this code.
"""
import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import it_module as it  # noqa: E402
import trumbel_score as score  # noqa: E402
import trumbel_sounds as sounds  # noqa: E402

FILE_NAME = "trumbel.it"
SONG_NAME = "Trumbel"
# Master levels, set so the loudest moment peaks a few decibels below full
# scale in a default libopenmpt render.
GLOBAL_VOLUME = 128
MIX_VOLUME = 40


def shared_patterns(patterns):
    """Packs equal patterns once: returns the distinct patterns and the
    order list that plays them in sequence."""
    distinct, orders, index_of = [], [], {}
    for pattern in patterns:
        key = it.packed_pattern(pattern)
        if key not in index_of:
            index_of[key] = len(distinct)
            distinct.append(pattern)
        orders.append(index_of[key])
    return distinct, orders


def build_module():
    voices = sounds.build_voices()
    samples = [voice.sample for voice in voices]
    instruments = [it.Instrument(voice.sample.name, number, voice.new_note_action, voice.fadeout,
                                 voice.envelope)
                   for number, voice in enumerate(voices, start=1)]
    patterns, orders = shared_patterns(score.compose().patterns())
    return it.Module(SONG_NAME, score.SPEED, score.TEMPO, score.CHANNEL_PANS, orders, instruments,
                     samples, patterns, GLOBAL_VOLUME, MIX_VOLUME)


def it_module_bytes():
    return it.module_bytes(build_module())


def generate(out_dir):
    """Writes trumbel.it into out_dir; returns the names written."""
    with open(os.path.join(out_dir, FILE_NAME), "wb") as f:
        f.write(it_module_bytes())
    return [FILE_NAME]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--check", action="store_true", help="compare a fresh composition with the committed file")
    parser.add_argument("--out", default=os.path.normpath(os.path.join(HERE, "..", "..", "data")),
                        help="output folder (default: data/)")
    args = parser.parse_args()
    path = os.path.join(args.out, FILE_NAME)
    if not args.check:
        generate(args.out)
        print("wrote", path)
        return 0
    fresh = it_module_bytes()
    committed = open(path, "rb").read() if os.path.exists(path) else None
    if committed != fresh:
        print(f"{path} differs from a fresh composition")
        return 1
    print(f"{path} reproduces byte for byte ({len(fresh)} bytes)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
