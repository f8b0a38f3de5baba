#!/usr/bin/env python3
"""Writes every file of data/ from source, deterministically.

    python3 tools/data/generate.py            # (re)write data/
    python3 tools/data/generate.py --check    # compare a fresh generation with data/,
                                              # then check data/ against the demo's needs

Each generator module exposes `generate(out_dir)`, which writes its files
into out_dir and returns the list of file names it wrote.
"""
import argparse
import filecmp
import os
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

# The generators, in the order they run.
GENERATOR_MODULES = [
    "pictures_screens",
    "pictures_words",
    "pictures_flashes",
    "pictures_interludes",
    "pictures_starwarp",
    "portraits",
    "configs",
    "paths",
    "trumbel",
]


def load_generators():
    import importlib
    return [importlib.import_module(name) for name in GENERATOR_MODULES]


def generate_all(out_dir):
    written = []
    for module in load_generators():
        written.extend(module.generate(out_dir))
    return written


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--check", action="store_true", help="compare a fresh generation with the committed data/")
    parser.add_argument("--out", default=os.path.join(HERE, "..", "..", "data"), help="output folder (default: data/)")
    args = parser.parse_args()

    if not args.check:
        os.makedirs(args.out, exist_ok=True)
        for name in generate_all(args.out):
            print("wrote", os.path.join("data", name))
        return 0

    with tempfile.TemporaryDirectory() as fresh:
        names = generate_all(fresh)
        differing = [n for n in names
                     if not os.path.exists(os.path.join(args.out, n))
                     or not filecmp.cmp(os.path.join(fresh, n), os.path.join(args.out, n), shallow=False)]
    for name in differing:
        print("differs from a fresh generation:", os.path.join("data", name))
    print(f"{len(names) - len(differing)} of {len(names)} files reproduce byte for byte")

    import checks
    failed_checks = 0
    for check in checks.CHECKS:
        failures = check(args.out)
        for failure in failures:
            print("check failed:", failure)
        failed_checks += 1 if failures else 0
    print(f"data checks: {len(checks.CHECKS) - failed_checks} passed, {failed_checks} failed")
    return 1 if differing or failed_checks else 0


if __name__ == "__main__":
    sys.exit(main())
