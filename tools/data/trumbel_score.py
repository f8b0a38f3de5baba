"""The score of "Trumbel", the demo's soundtrack: A minor, 120 beats a
minute, four bars (64 rows, 8 seconds) a pattern, one section a scene.

    patterns  scene      section
     0 -  3   raycast    intro: pad, bell, then pluck arpeggio, bass, hats, a roll
     4 -  8   lattice    the beat: drums, bass pulse, pads, arpeggio, theme A
     9 - 13   starwarp   the lift: F-G-C-E, open hats, claps, theme B up high
    14 - 18   particles  the break: no drums, bell and lead over Dm-Am-F-E, a build
    19 - 22   blobby     the groove: Am-G-F-E, broken beat, funk bass, stabs, riff
    23 - 28   greets     theme A again in full, then the ending without drums
    29        (32 rows)  the last chord dies away and the song ends
"""
import it_module as it
from trumbel_sounds import (BASS, BELL, CLAP, CLOSED_HAT, CRASH, KICK, LEAD, OPEN_HAT, PAD, PLUCK,
                            RISER, SNARE)
from trumbel_timeline import ROWS_PER_BAR, Timeline, drum_bar, line_events, note_number, write_events

ROWS_PER_PATTERN = 64
SECTION_PATTERNS = (("raycast", 4), ("lattice", 5), ("starwarp", 5), ("particles", 5),
                    ("blobby", 4), ("greets", 6))
TAIL_ROWS = 32
SPEED = 6
TEMPO = 120

# Channels, and where each sits between left (0) and right (64).
KICK_CH, SNARE_CH, CLAP_CH, HAT_CH, OPEN_HAT_CH, CRASH_CH, RISER_CH, BASS_CH = range(8)
PAD_CHS = (8, 9, 10)
ARP_CH, LEAD_CH, ECHO_CH, BELL_CH, SPEED_CH, TEMPO_CH = range(11, 17)
CHANNEL_PANS = (32, 30, 36, 42, 22, 26, 32, 32, 16, 32, 48, 14, 32, 52, 44, 32, 32)

# Chord progressions, one chord a bar.
MAIN = ("Am", "F", "C", "G")
LIFT = ("F", "G", "C", "E")
BREAK = ("Dm", "Am", "F", "E")
GROOVE = ("Am", "G", "F", "E")
CLOSING = ("F", "G", "Am", "Am")

PAD_VOICINGS = {"Am": ("A3", "C4", "E4"), "F": ("A3", "C4", "F4"), "C": ("G3", "C4", "E4"),
                "G": ("G3", "B3", "D4"), "E": ("G#3", "B3", "E4"), "Dm": ("A3", "D4", "F4")}
BASS_ROOTS = {"Am": "A2", "F": "F2", "C": "C3", "G": "G2", "E": "E2", "Dm": "D3"}
ARPEGGIOS = {"Am": ("A4", "C5", "E5", "A5"), "F": ("F4", "A4", "C5", "F5"),
             "C": ("G4", "C5", "E5", "G5"), "G": ("G4", "B4", "D5", "G5"),
             "E": ("G#4", "B4", "E5", "G#5"), "Dm": ("A4", "D5", "F5", "A5")}
ARP_ORDER = (0, 1, 2, 3, 2, 1, 2, 3)

# Melodies: eighth notes, or sixteenths for the groove riffs.
THEME_A1 = "A4 - C5 - E5 - - D5 | C5 - - - A4 - - . | G4 - C5 - E5 - G5 - | F5 - E5 - D5 - - ."
THEME_A2 = "A4 - C5 - E5 - - D5 | C5 - - - A5 - G5 - | E5 - - - G5 - E5 - | D5 - - - B4 - - ."
THEME_B1 = "A5 - - - C6 - A5 - | B5 - - - D6 - B5 G5 | C6 - - - E6 - - D6 | B5 - - - G#5 - - ."
THEME_B2 = "A5 - C6 - F6 - E6 - | D6 - - - B5 - G5 - | E6 - - - D6 - C6 - | B5 - - - G#5 - E5 ."
BREAK_1 = "F5 - - - E5 - D5 - | E5 - - - - - - . | C5 - - - A4 - C5 - | B4 - - - - - - ."
BREAK_2 = "F5 - - - A5 - - - | G5 - - - E5 - - - | F5 - - - E5 - C5 - | G#5 - - - B5 - - ."
INTRO_BELL_1 = "E5 - - - - - - - | C5 - - - - - - - | G5 - - - - - - - | D5 - - - B4 - - -"
INTRO_BELL_2 = "A5 - - - E5 - - - | F5 - - - C5 - - - | E5 - - - G5 - - - | D5 - - - B4 - - -"
RIFF_1 = ("A5 - - G5 - - E5 - - - D5 - E5 - - . | D5 - - B4 - - D5 - - - G5 - - - . . | "
          "C5 - - A4 - - C5 - - - F5 - E5 - - . | B4 - - G#4 - - B4 - - - E5 - - - . .")
RIFF_2 = ("E5 - - A5 - - C6 - - - B5 - A5 - - . | B5 - - G5 - - D5 - - - G5 - B5 - - . | "
          "A5 - - F5 - - C5 - - - F5 - A5 - - . | G#5 - - - B5 - - - E6 - - - . . . .")
CLOSING_1 = "E5 - - - D5 - C5 - | C5 - - - - - - - | E5 - - - D5 - C5 - | B4 - - - - - - ."
CLOSING_2 = "A4 - - - C5 - - - | B4 - - - D5 - - - | C5 - - - B4 - - - | A4 - - - - - - -"

# Drum bars, sixteenth steps.
FOUR_ON_THE_FLOOR = "X...X...X...X..."
BACKBEAT = "....X.......X..."
OFFBEAT_HATS = "..x...x...x...x."
SIXTEENTH_HATS = ".gxg.gxg.gxg.gxg"
LIFT_HATS = "gg.ggg.ggg.ggg.g"
GROOVE_KICK = "X......x..X....."
GROOVE_SNARE = "....X....g..X.g."
GROOVE_HATS = "xgogxgogxgogxgog"
FILL_SNARE = "....X...x.x.xXXX"
ROLL_EIGHTHS = "o.o.o.o.x.x.x.x."
ROLL_SIXTEENTHS = "xxxxxxxxXXXXXXXX"


def bar_rows(start):
    return [start + bar * ROWS_PER_BAR for bar in range(4)]


def pads(tl, start, chords, volumes, instrument=PAD):
    """Sustained three-note chords, struck again only when the chord changes.
    volumes: one per bar."""
    previous = None
    for row, chord, volume in zip(bar_rows(start), chords, volumes):
        if chord != previous:
            for channel, name in zip(PAD_CHS, PAD_VOICINGS[chord]):
                tl.note(row, channel, instrument, note_number(name), volume)
        previous = chord


def stabs(tl, start, chords, volume):
    """Short pluck chords on the off-beats: the groove's rhythm guitar."""
    for row, chord in zip(bar_rows(start), chords):
        for step in (2, 6, 10, 13):
            for channel, name in zip(PAD_CHS, PAD_VOICINGS[chord]):
                tl.note(row + step, channel, PLUCK, note_number(name), volume)


def bass_long(tl, start, chords, volume):
    """One held root a bar."""
    for row, chord in zip(bar_rows(start), chords):
        tl.note(row, BASS_CH, BASS, note_number(BASS_ROOTS[chord]), volume)


def bass_pulse(tl, start, chords, volume):
    """Eighth notes on the root, jumping an octave on the off-beats."""
    for row, chord in zip(bar_rows(start), chords):
        root = note_number(BASS_ROOTS[chord])
        for step, octave in enumerate((0, 0, 12, 0, 0, 12, 0, 12)):
            tl.note(row + 2 * step, BASS_CH, BASS, root + octave, volume)


def bass_groove(tl, start, chords, volume):
    """A syncopated sixteenth line with short notes: the funk bass."""
    for row, chord in zip(bar_rows(start), chords):
        root = BASS_ROOTS[chord]
        octave = root[:-1] + str(int(root[-1]) + 1)
        line = f"{root} - . {root} . . {octave} - . {root} . {root} {octave} . {root} ."
        write_events(tl, line_events(row, line, 1), BASS_CH, BASS, volume)


def arpeggio(tl, start, chords, step, volume, octave=0):
    """Chord tones up and down, every `step` rows."""
    for row, chord in zip(bar_rows(start), chords):
        tones = [note_number(n) + 12 * octave for n in ARPEGGIOS[chord]]
        for i, offset in enumerate(range(0, ROWS_PER_BAR, step)):
            tl.note(row + offset, ARP_CH, PLUCK, tones[ARP_ORDER[i % len(ARP_ORDER)]], volume)


def lead(tl, start, line, volume=50, step=2, echo=True, bell_octave=None):
    """The lead line, with an echo three rows behind on the other side and,
    if asked, the bell doubling it `bell_octave` octaves up."""
    events = line_events(start, line, step)
    write_events(tl, events, LEAD_CH, LEAD, volume)
    if echo:
        write_events(tl, events, ECHO_CH, LEAD, volume * 2 // 5, delay=3)
    if bell_octave is not None:
        bell(tl, start, line, volume // 2, step, 12 * bell_octave)


def bell(tl, start, line, volume, step=2, transpose=0):
    notes = [(row, note) for row, note in line_events(start, line, step) if note != it.NOTE_OFF]
    write_events(tl, notes, BELL_CH, BELL, volume, transpose=transpose)


def drums(tl, start, bars, scale=1.0):
    """bars: per bar, a dict of instrument -> drum-bar text."""
    channels = {KICK: KICK_CH, SNARE: SNARE_CH, CLAP: CLAP_CH, CLOSED_HAT: HAT_CH, OPEN_HAT: OPEN_HAT_CH}
    for row, bar in zip(bar_rows(start), bars):
        for instrument, text in bar.items():
            drum_bar(tl, row, channels[instrument], instrument, text, scale)


def crash(tl, row, volume=50):
    tl.note(row, CRASH_CH, CRASH, note_number("C4"), volume)


def riser(tl, start):
    """Rises through the last bar into the next pattern's downbeat."""
    tl.note(start + 3 * ROWS_PER_BAR, RISER_CH, RISER, note_number("C4"), 40)


def main_beat(hats=OFFBEAT_HATS, clap=False, fill=False):
    bar = {KICK: FOUR_ON_THE_FLOOR, SNARE: BACKBEAT, CLOSED_HAT: hats}
    if clap:
        bar[CLAP] = BACKBEAT
    last = {**bar, SNARE: FILL_SNARE} if fill else bar
    return [bar, bar, bar, last]


def lift_beat(fill=False):
    bar = {KICK: FOUR_ON_THE_FLOOR, SNARE: BACKBEAT.replace("X", "x"), CLAP: BACKBEAT,
           CLOSED_HAT: LIFT_HATS, OPEN_HAT: OFFBEAT_HATS.replace("x", "o")}
    last = {**bar, SNARE: FILL_SNARE} if fill else bar
    return [bar, bar, bar, last]


def groove_beat(fill=False):
    bar = {KICK: GROOVE_KICK, SNARE: GROOVE_SNARE, CLAP: "............x...", CLOSED_HAT: GROOVE_HATS}
    last = {**bar, SNARE: FILL_SNARE, OPEN_HAT: "..............o."} if fill else bar
    return [bar, bar, bar, last]


def intro(tl, starts):
    p0, p1, p2, p3 = starts
    pads(tl, p0, MAIN, (14, 20, 26, 30))
    bell(tl, p0, INTRO_BELL_1, 28)
    pads(tl, p1, MAIN, (32, 32, 32, 32))
    arpeggio(tl, p1, MAIN, 2, 16)
    bell(tl, p1, INTRO_BELL_2, 24)
    pads(tl, p2, MAIN, (32, 32, 32, 32))
    arpeggio(tl, p2, MAIN, 1, 20)
    bass_long(tl, p2, MAIN, 40)
    drums(tl, p2, [{CLOSED_HAT: OFFBEAT_HATS}] * 4, scale=0.6)
    pads(tl, p3, MAIN, (32, 32, 32, 32))
    arpeggio(tl, p3, MAIN, 1, 24)
    bass_pulse(tl, p3, MAIN, 40)
    drums(tl, p3, [{CLOSED_HAT: OFFBEAT_HATS},
                   {CLOSED_HAT: OFFBEAT_HATS},
                   {CLOSED_HAT: OFFBEAT_HATS, KICK: FOUR_ON_THE_FLOOR, SNARE: ROLL_EIGHTHS},
                   {CLOSED_HAT: OFFBEAT_HATS, KICK: FOUR_ON_THE_FLOOR, SNARE: ROLL_SIXTEENTHS}], scale=0.8)
    riser(tl, p3)


def the_beat(tl, starts):
    p4, p5, p6, p7, p8 = starts
    crash(tl, p4)
    for p in starts:
        pads(tl, p, MAIN, (24, 24, 24, 24))
        bass_pulse(tl, p, MAIN, 44)
        arpeggio(tl, p, MAIN, 1, 18)
    drums(tl, p4, main_beat())
    drums(tl, p5, main_beat(SIXTEENTH_HATS, clap=True))
    drums(tl, p6, main_beat(SIXTEENTH_HATS, clap=True))
    drums(tl, p7, main_beat(SIXTEENTH_HATS, clap=True))
    drums(tl, p8, main_beat(SIXTEENTH_HATS, clap=True, fill=True))
    lead(tl, p6, THEME_A1)
    lead(tl, p7, THEME_A2)
    lead(tl, p8, THEME_A1, bell_octave=1)
    riser(tl, p8)


def the_lift(tl, starts):
    p9, p10, p11, p12, p13 = starts
    crash(tl, p9)
    crash(tl, p11, 40)
    for p in starts:
        pads(tl, p, LIFT, (24, 24, 24, 24))
        bass_pulse(tl, p, LIFT, 46)
        arpeggio(tl, p, LIFT, 1, 18, octave=1 if p in (p12, p13) else 0)
        drums(tl, p, lift_beat(fill=p == p13))
    lead(tl, p10, THEME_B1, volume=48)
    lead(tl, p11, THEME_B2, volume=48)
    lead(tl, p12, THEME_B1, volume=48, bell_octave=-1)
    lead(tl, p13, THEME_B2, volume=48, bell_octave=-1)


def the_break(tl, starts):
    p14, p15, p16, p17, p18 = starts
    crash(tl, p14, 44)
    for p in starts:
        pads(tl, p, BREAK, (26, 26, 26, 26))
    for p in (p14, p15, p16, p17):
        bass_long(tl, p, BREAK, 40)
    bell(tl, p14, BREAK_1, 40)
    bell(tl, p15, BREAK_2, 40)
    arpeggio(tl, p15, BREAK, 2, 16)
    arpeggio(tl, p16, BREAK, 2, 18)
    arpeggio(tl, p17, BREAK, 1, 18)
    lead(tl, p16, BREAK_1, volume=42)
    lead(tl, p17, BREAK_2, volume=42)
    drums(tl, p16, [{CLOSED_HAT: OFFBEAT_HATS}] * 4, scale=0.6)
    drums(tl, p17, [{CLOSED_HAT: SIXTEENTH_HATS}] * 4, scale=0.6)
    # The build back into the beat.
    bass_pulse(tl, p18, BREAK, 44)
    arpeggio(tl, p18, BREAK, 1, 22)
    drums(tl, p18, [{KICK: FOUR_ON_THE_FLOOR, CLOSED_HAT: OFFBEAT_HATS},
                    {KICK: FOUR_ON_THE_FLOOR, CLOSED_HAT: SIXTEENTH_HATS},
                    {KICK: FOUR_ON_THE_FLOOR, CLOSED_HAT: SIXTEENTH_HATS, SNARE: ROLL_EIGHTHS},
                    {KICK: FOUR_ON_THE_FLOOR, CLOSED_HAT: SIXTEENTH_HATS, SNARE: ROLL_SIXTEENTHS}], scale=0.8)
    riser(tl, p18)


def the_groove(tl, starts):
    p19, p20, p21, p22 = starts
    crash(tl, p19)
    for p in starts:
        stabs(tl, p, GROOVE, 26)
        bass_groove(tl, p, GROOVE, 48)
        drums(tl, p, groove_beat(fill=p == p22))
    arpeggio(tl, p19, GROOVE, 2, 18, octave=1)
    lead(tl, p20, RIFF_1, volume=48, step=1)
    lead(tl, p21, RIFF_2, volume=48, step=1)
    lead(tl, p22, RIFF_1, volume=48, step=1, bell_octave=0)
    riser(tl, p22)


def the_greets(tl, starts, tail):
    p23, p24, p25, p26, p27, p28 = starts
    crash(tl, p23)
    for p in (p23, p24, p25, p26):
        pads(tl, p, MAIN, (26, 26, 26, 26))
        bass_pulse(tl, p, MAIN, 46)
        arpeggio(tl, p, MAIN, 1, 18, octave=1 if p in (p25, p26) else 0)
        drums(tl, p, main_beat(SIXTEENTH_HATS, clap=True, fill=p == p26))
    lead(tl, p23, THEME_A1, bell_octave=1)
    lead(tl, p24, THEME_A2, bell_octave=1)
    lead(tl, p25, THEME_A1, bell_octave=0)
    lead(tl, p26, THEME_A2, bell_octave=0)
    # The ending: the drums leave, the closing phrase settles on A.
    crash(tl, p27, 44)
    pads(tl, p27, MAIN, (32, 30, 28, 26))
    pads(tl, p28, CLOSING, (26, 24, 24, 24))
    bass_long(tl, p27, MAIN, 40)
    bass_long(tl, p28, CLOSING, 36)
    arpeggio(tl, p27, MAIN, 2, 18)
    arpeggio(tl, p28, CLOSING[:2], 2, 14)
    lead(tl, p27, CLOSING_1, volume=40)
    lead(tl, p28, CLOSING_2, volume=42)
    bell(tl, p28 + 2 * ROWS_PER_BAR, "A5", 30)
    bell(tl, tail, "E5", 20)
    # Everything lets go a second into the tail and has faded before the end.
    for channel in (BASS_CH, LEAD_CH, ECHO_CH) + PAD_CHS:
        tl.note_off(tail + 8, channel)


def compose():
    """The whole song as a Timeline: every section, then the tail."""
    pattern_rows = [ROWS_PER_PATTERN] * sum(count for _, count in SECTION_PATTERNS) + [TAIL_ROWS]
    tl = Timeline(pattern_rows)
    starts = tl.pattern_starts
    tl.effect(0, SPEED_CH, it.EFFECT_SET_SPEED, SPEED)
    tl.effect(0, TEMPO_CH, it.EFFECT_SET_TEMPO, TEMPO)
    intro(tl, starts[0:4])
    the_beat(tl, starts[4:9])
    the_lift(tl, starts[9:14])
    the_break(tl, starts[14:19])
    the_groove(tl, starts[19:23])
    the_greets(tl, starts[23:29], starts[29])
    return tl
