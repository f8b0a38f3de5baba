"""The scenes' parameter files, in the marker format: each value on its
own line under a comment that names it, in the order and of the type
(int or double) that its scene reads. The values come from timing.py."""
import os

from marker_format import MarkerFile
from timing import SCENES

UNITS_NOTE = "Lengths and moments in scene-time units: 6.25 to the second, 50 units = 8 seconds."


def raycast_values():
    return [("Scene length, also the denominator of the fade-out", SCENES["raycast"]["duration"]),
            ("Spare value, read and not used", 0.0)]


def lattice_values():
    scene = SCENES["lattice"]
    values = [("Length of the opening cross-fade from the title", scene["transition"]),
              ("Length of the main flight, after the opening", scene["duration"]),
              ("Portrait window: blur passes as a portrait sharpens and dissolves", scene["portrait_window"])]
    for number, (row, moment) in enumerate(scene["portraits"], start=1):
        values += [(f"Portrait {number}: spare value, read and not used", 0),
                   (f"Portrait {number}: top screen row", row),
                   (f"Portrait {number}: moment, in main-flight time", moment)]
    return values


def starwarp_values():
    scene = SCENES["starwarp"]
    return [("Length of the straight warp, also the spin's first seed column", scene["warp_duration"]),
            ("Length of the spin", scene["spin_duration"]),
            ("Spare value, read and not used", 0.0)]


def particles_values():
    scene = SCENES["particles"]
    values = [("Length of the first phase: live and frozen views, words", scene["phase1_length"]),
              ("Length of the second phase: live view only", scene["phase2_length"]),
              ("Spare value, read and not used", 0.0)]
    for number, moment in enumerate(scene["freeze_times"], start=1):
        note = " (the simulation stops here)" if number == 5 else ""
        values.append((f"Toggle {number} between live and frozen views{note}", moment))
    return values


def blobby_values():
    return [("Scene length", SCENES["blobby"]["duration"]),
            ("Spare value, read and not used", 0.0)]


def greets_values():
    scene = SCENES["greets"]
    return [("Phase 1: flight through the lattice", scene["flight_length"]),
            ("Phase 2: the greetings fade in over the flight", scene["picture_fade_in_length"]),
            ("Phase 3: greetings and lattice ripple", scene["ripple_length"]),
            ("Phase 4: the ripple fades to black", scene["fade_out_length"]),
            ("Phase 5: the first closing words fade in", scene["words_fade_in_length"]),
            ("Phase 6: both closing words", scene["words_hold_length"])]


# file name, heading, values (name, number); ints are read as int, floats as double
CONFIG_FILES = [
    ("raycast.conf", "Raycast scene: light streaks from the title, then the fade.", raycast_values),
    ("lattice.conf", "Lattice scene: every value is read as an integer.", lattice_values),
    ("starwarp.conf", "Starwarp scene: the straight warp, then the spin.", starwarp_values),
    ("particles.conf", "Particles scene: two phases and five live or frozen toggles.", particles_values),
    ("blobby.conf", "Blobby scene: three metaballs.", blobby_values),
    ("greets.conf", "Greets scene: six phases, the closing words last.", greets_values),
]


def config_text(heading, values):
    text = MarkerFile(heading, UNITS_NOTE)
    for name, number in values:
        text.blank()
        text.value(name, number)
    return text.text()


def generate(out_dir):
    for name, heading, values in CONFIG_FILES:
        with open(os.path.join(out_dir, name), "w", newline="\n") as out:
            out.write(config_text(heading, values()))
    return [name for name, _, _ in CONFIG_FILES]
