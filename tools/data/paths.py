"""The key-frame paths (.bsp): a key count (int), a step (double), then
each key as x, y, z and time behind one marker.

How far each path must reach, in path time:
- the lattice paths advance with scene time over the opening and the main
  flight, and once more for the frame the starwarp scene renders after them;
- the greets paths advance with scene time over phases 1 to 4;
- the particles paths advance by the frame's step plus 0.05 every frame,
  about 1.5 times scene time at 60 frames per second and nearly 3 times at
  240, so they get keys for three times the simulated time.

The lattice and greets cameras keep w at 0: with the camera's cell
wrapping, only a half turn (w = 0) keeps the lattice seamless when the
wrapped cell changes. A nonzero w would make the lattice jump by a
fraction of a cell every time the camera crosses one."""
import math
import os

from marker_format import MarkerFile
from timing import SCENES, greets_flight_time, particles_simulated_time

# Margin past the covered time, in path time: room for a slow frame's long step.
END_MARGIN = 20.0
TAU = 2 * math.pi


def key_times(end, spacing):
    count = int(math.ceil(end / spacing)) + 1
    return [float(i * spacing) for i in range(count)]


def wave(t, amplitude, period, phase=0.0):
    return amplitude * math.sin(TAU * t / period + phase)


def sampled(function, end, spacing):
    times = key_times(end, spacing)
    return [function(t) for t in times], times


LATTICE_END = SCENES["lattice"]["transition"] + SCENES["lattice"]["duration"] + END_MARGIN
GREETS_END = greets_flight_time() + END_MARGIN
PARTICLES_END = 3 * particles_simulated_time() + END_MARGIN


def light_circle(t):
    """Light 1 circles the screen's middle, as the raycast scene's lights do."""
    a = TAU * t / 70.0
    return (320 + 160 * math.sin(a), 240 + 120 * math.cos(a), 0.0)


def lattice_camera(t):
    """Forward through the lattice at 0.28 cells per unit, weaving gently.
    z stays at 3 or more, so the camera is always in its wrapped regime."""
    return (wave(t, 1.6, 170.0), wave(t, 1.2, 110.0, 0.7), 3.0 + 0.28 * t)


def lattice_axis(t):
    """A slow sway of the view about the flight direction; z stays 1."""
    return (wave(t, 0.42, 200.0), wave(t, 0.32, 130.0, 1.1), 1.0)


def lattice_angle(t):
    return (0.0, 0.0, 0.0)


def greets_camera(t):
    return (wave(t, 1.2, 150.0, 2.0), wave(t, 0.9, 95.0), 3.0 + 0.24 * t)


def greets_axis(t):
    return (wave(t, 0.5, 160.0, 0.5), wave(t, 0.35, 120.0, 1.6), 1.0)


def figure_location(t):
    """In front of the fixed camera at depth 31..39. The hub wanders about
    140 pixels either side of the middle and from near row 120 down to the
    bottom of the snapshot strip (rows 196..323): the figure shows around
    the strip, and its trails, which sink, fill the lower half."""
    return (wave(t, 15.0, 260.0), -2.0 + wave(t, 10.0, 170.0, 0.8), -35.0 + wave(t, 4.0, 300.0))


def figure_axis(t):
    """Turns around the view direction once every 240 units; z stays 0.7."""
    a = TAU * t / 240.0
    return (math.cos(a), math.sin(a), 0.7)


# file name, what it is, points over time, end, key spacing, file step
PATH_FILES = [
    ("lightR.bsp", "Raycast light: a circle round the middle of the screen.", light_circle, 70.0, 10.0),
    ("l-camera.bsp", "Lattice camera position: a flight through the lattice.", lattice_camera, LATTICE_END, 15.0),
    ("l-axis.bsp", "Lattice camera orientation axis, normalised every frame.", lattice_axis, LATTICE_END, 15.0),
    ("l-angle.bsp", "Lattice camera orientation scalar w: its x, held at 0.", lattice_angle, LATTICE_END, 45.0),
    ("p-loc.bsp", "Particles figure position, in front of the fixed camera.", figure_location, PARTICLES_END, 30.0),
    ("p-axis.bsp", "Particles figure orientation axis, normalised every frame.", figure_axis, PARTICLES_END, 30.0),
    ("g-camera.bsp", "Greets camera position: a flight through the lattice.", greets_camera, GREETS_END, 15.0),
    ("g-axis.bsp", "Greets camera orientation axis, normalised every frame.", greets_axis, GREETS_END, 15.0),
]
FILE_STEP = 0.05


def path_keys(function, end, spacing):
    points, times = sampled(function, end, spacing)
    return [tuple(round(c, 6) for c in p) for p in points], times


def path_text(heading, points, times):
    text = MarkerFile(heading, "Each key: x, y, z, then its time in path time units.")
    text.blank()
    text.value("Key count", len(points))
    text.value("Step of the cursor, until the scene sets its own", FILE_STEP)
    for number, (point, time) in enumerate(zip(points, times), start=1):
        text.values(f"Key {number} at time {time:g}", list(point) + [time])
    return text.text()


def generate(out_dir):
    for name, heading, function, end, spacing in PATH_FILES:
        points, times = path_keys(function, end, spacing)
        with open(os.path.join(out_dir, name), "w", newline="\n") as out:
            out.write(path_text(heading, points, times))
    return [entry[0] for entry in PATH_FILES]
