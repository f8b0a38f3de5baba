"""The demo's key-frame path, step for step: keys with times, a cursor
advanced by a fixed step that stops short of the last key, at most one
segment passed per advance, and a uniform cubic B-spline through (near)
the keys. The checks run the committed paths through it."""

SIXTH = 0.16666666666666666
BASIS = [[-1, 3, -3, 1], [3, -6, 0, 4], [-3, 3, 3, 1], [1, 0, 0, 0]]


class SplinePath:
    def __init__(self, points, times, step=0.05):
        self.points, self.times, self.step = points, times, step
        self.time, self.segment = 0.0, 0

    @property
    def last(self):
        return len(self.times) - 1

    def advance(self):
        t = self.time + self.step
        if t < self.times[self.last]:
            self.time = t
        j = min(self.last, self.segment + 1)
        if self.time > self.times[j]:
            self.segment += 1

    def seek(self, t):
        """Sets the cursor and moves the segment forward to match it."""
        self.time = t
        while self.segment < self.last and t > self.times[self.segment + 1]:
            self.segment += 1

    def position(self):
        s, last = self.segment, self.last
        u = (self.time - self.times[s]) / (self.times[min(last, s + 1)] - self.times[s])
        weights = [SIXTH * (row[0] * u ** 3 + row[1] * u ** 2 + row[2] * u + row[3]) for row in BASIS]
        controls = [self.points[max(0, s - 1)], self.points[min(last, s)],
                    self.points[min(last, s + 1)], self.points[min(last, s + 2)]]
        return tuple(sum(w * p[axis] for w, p in zip(weights, controls)) for axis in range(3))
