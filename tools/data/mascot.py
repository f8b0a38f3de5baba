"""Zibbet, the group's mascot: a round, striped-tailed civet drawn from
ellipses and polygons, at any place and size, so that the full picture and
the close-up flash share one drawing."""
import math

OUTLINE = (52, 26, 30)
FUR = (236, 146, 62)
FUR_DARK = (170, 84, 38)
CREAM = (252, 232, 196)
EAR_PINK = (246, 160, 170)
BLUSH = (250, 128, 128)
EYE_DARK = (36, 24, 52)
WHITE = (255, 255, 255)


class Pen:
    """Draws in Zibbet's own units: the body centre at (0, 0), one unit =
    `scale` pixels of the canvas, y downwards."""

    def __init__(self, draw, centre, scale):
        self.draw, self.cx, self.cy, self.scale = draw, centre[0], centre[1], scale

    def point(self, x, y):
        return self.cx + x * self.scale, self.cy + y * self.scale

    def ellipse(self, x, y, rx, ry, fill, outline=True):
        box = [self.point(x - rx, y - ry), self.point(x + rx, y + ry)]
        self.draw.ellipse(box, fill=fill, outline=OUTLINE if outline else None,
                          width=max(1, int(0.035 * self.scale)) if outline else 0)

    def polygon(self, points, fill, outline=True):
        self.draw.polygon([self.point(x, y) for x, y in points], fill=fill,
                          outline=OUTLINE if outline else None,
                          width=max(1, int(0.035 * self.scale)) if outline else 0)

    def line(self, points, fill, width):
        self.draw.line([self.point(x, y) for x, y in points], fill=fill, width=max(1, int(width * self.scale)),
                       joint="curve")

    def arc(self, x, y, rx, ry, start, end, fill, width):
        box = [self.point(x - rx, y - ry), self.point(x + rx, y + ry)]
        self.draw.arc(box, start, end, fill=fill, width=max(1, int(width * self.scale)))


def tail_curve(t):
    """The tail's spine, from the body (t = 0) to its curled tip (t = 1)."""
    angle = -0.3 + 2.6 * t
    radius = 0.95 - 0.35 * t
    return 0.55 + radius * math.sin(angle) * 0.9, 0.2 - radius * (1 - math.cos(angle)) * 0.9


def draw_tail(pen):
    steps = 40
    for i in range(steps, -1, -1):
        t = i / steps
        x, y = tail_curve(t)
        r = 0.2 - 0.09 * t
        stripe = int(t * 7) % 2 == 1
        pen.ellipse(x, y, r, r, FUR_DARK if stripe else FUR, outline=False)


def draw_ear(pen, side):
    s = side
    pen.polygon([(0.1 * s, -1.24), (0.6 * s, -1.9), (0.66 * s, -0.96)], FUR)
    pen.polygon([(0.24 * s, -1.2), (0.56 * s, -1.7), (0.58 * s, -1.08)], EAR_PINK, outline=False)


def draw_eye(pen, side):
    x = 0.25 * side
    pen.ellipse(x, -0.93, 0.15, 0.19, WHITE)
    pen.ellipse(x + 0.02, -0.9, 0.11, 0.145, EYE_DARK, outline=False)
    pen.ellipse(x - 0.02, -0.96, 0.04, 0.045, WHITE, outline=False)
    pen.ellipse(x + 0.05, -0.84, 0.018, 0.018, WHITE, outline=False)


def draw_face(pen):
    pen.ellipse(0.0, -0.66, 0.34, 0.22, CREAM, outline=False)
    for side in (-1, 1):
        pen.ellipse(0.43 * side, -0.7, 0.1, 0.06, BLUSH, outline=False)
        draw_eye(pen, side)
    pen.ellipse(0.0, -0.75, 0.065, 0.045, EYE_DARK, outline=False)
    pen.arc(-0.07, -0.68, 0.07, 0.06, 20, 160, OUTLINE, 0.03)
    pen.arc(0.07, -0.68, 0.07, 0.06, 20, 160, OUTLINE, 0.03)
    for k in (-1, 0, 1):
        pen.line([(0.09 * k - 0.03, -1.42), (0.09 * k, -1.28), (0.09 * k + 0.03, -1.42)], FUR_DARK, 0.05)


def draw_head(pen):
    for side in (-1, 1):
        draw_ear(pen, side)
    pen.ellipse(0.0, -0.88, 0.64, 0.56, FUR)
    draw_face(pen)


def draw_body(pen, waving):
    pen.ellipse(-0.36, 0.62, 0.2, 0.12, FUR_DARK)
    pen.ellipse(0.36, 0.62, 0.2, 0.12, FUR_DARK)
    pen.ellipse(0.0, 0.05, 0.72, 0.64, FUR)
    pen.ellipse(0.0, 0.15, 0.44, 0.42, CREAM, outline=False)
    pen.ellipse(-0.66, 0.05, 0.14, 0.24, FUR)
    if waving:
        pen.ellipse(0.78, -0.28, 0.14, 0.24, FUR)
    else:
        pen.ellipse(0.66, 0.05, 0.14, 0.24, FUR)


def draw_zibbet(draw, centre, scale, waving=True):
    pen = Pen(draw, centre, scale)
    draw_tail(pen)
    draw_body(pen, waving)
    draw_head(pen)
