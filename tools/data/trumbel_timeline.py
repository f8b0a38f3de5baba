"""The score's working surface: one long run of rows across every pattern,
with helpers to write notes, note lines and drum bars into it, and to cut it
into the module's patterns at the end.

Rows are absolute from the start of the song; a part may spill across a
pattern boundary (an echo, a held note's release) without caring where the
boundary is.
"""
import it_module as it

ROWS_PER_BAR = 16
NOTE_NAMES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}

# Drum-bar letters and the volumes they stand for; "." is silence.
DRUM_VOLUMES = {"X": 64, "x": 52, "o": 40, "g": 26}


def note_number(name):
    """'A4' -> 69: scientific pitch names, as MIDI (and IT) note numbers."""
    pitch = NOTE_NAMES[name[0]]
    rest = name[1:]
    if rest.startswith("#"):
        pitch += 1
        rest = rest[1:]
    elif rest.startswith("b"):
        pitch -= 1
        rest = rest[1:]
    return 12 * (int(rest) + 1) + pitch


class Timeline:
    def __init__(self, pattern_rows):
        self.pattern_rows = pattern_rows
        self.pattern_starts = []
        start = 0
        for rows in pattern_rows:
            self.pattern_starts.append(start)
            start += rows
        self.total_rows = start
        self.cells = {}  # (absolute row, channel) -> it.Cell

    def put(self, row, channel, cell):
        if not 0 <= row < self.total_rows:
            raise ValueError(f"row {row} outside the song's {self.total_rows} rows")
        if (row, channel) in self.cells:
            raise ValueError(f"two events on channel {channel} at row {row}")
        self.cells[(row, channel)] = cell

    def note(self, row, channel, instrument, note, volume):
        self.put(row, channel, it.Cell(note=note, instrument=instrument, volume=volume))

    def note_off(self, row, channel):
        """A note-off, unless something already starts there (which ends
        the old note anyway)."""
        if (row, channel) not in self.cells:
            self.put(row, channel, it.Cell(note=it.NOTE_OFF))

    def effect(self, row, channel, effect, parameter):
        self.put(row, channel, it.Cell(effect=effect, parameter=parameter))

    def patterns(self):
        patterns = []
        for start, rows in zip(self.pattern_starts, self.pattern_rows):
            pattern = it.Pattern(rows)
            for (row, channel), cell in self.cells.items():
                if start <= row < start + rows:
                    pattern.cells[(row - start, channel)] = cell
            patterns.append(pattern)
        return patterns


def line_events(start, text, step):
    """Parses a note line: one token per `step` rows, '|' between bars
    for the reader only. A note name starts a note, '-' holds it, '.' ends
    it. Returns (row, note or NOTE_OFF) events."""
    events = []
    sounding = False
    row = start
    for token in text.split():
        if token == "|":
            continue
        if token == ".":
            if sounding:
                events.append((row, it.NOTE_OFF))
            sounding = False
        elif token != "-":
            events.append((row, note_number(token)))
            sounding = True
        row += step
    return events


def write_events(timeline, events, channel, instrument, volume, delay=0, transpose=0):
    """Writes parsed line events, shifted by `delay` rows and `transpose`
    semitones: the same line serves the lead, its echo and its doubling."""
    for row, note in events:
        if note == it.NOTE_OFF:
            timeline.note_off(row + delay, channel)
        else:
            timeline.note(row + delay, channel, instrument, note + transpose, volume)


def drum_bar(timeline, start, channel, instrument, text, scale=1.0):
    """One bar of sixteenth steps: 'X', 'x', 'o', 'g' hit at falling
    volumes, '.' rests; `scale` softens the whole bar."""
    steps = text.replace(" ", "")
    if len(steps) != ROWS_PER_BAR:
        raise ValueError(f"a drum bar has 16 steps: {text!r}")
    for i, letter in enumerate(steps):
        if letter != ".":
            volume = max(1, int(DRUM_VOLUMES[letter] * scale))
            timeline.note(start + i, channel, instrument, note_number("C4"), volume)
