"""The score of "Trumbel", the demo's soundtrack: A minor, 120 beats a
minute, four bars (64 rows, 8 seconds) a pattern, one section a scene, each
as many patterns as its scene lasts 8-second blocks (timing.SCENE_TOTALS):

    scene      section
    raycast    intro: pad and bell, more layers if there is room, then a roll
    lattice    the beat: drums, bass pulse, pads, arpeggio, theme A
    starwarp   the lift: F-G-C-E, open hats, claps, theme B up high
    particles  the break: no drums, bell and lead over Dm-Am-F-E, a build
    blobby     the groove: Am-G-F-E, broken beat, funk bass, stabs, riff
    greets     theme A again in full, then two patterns of ending without drums
    (32 rows)  the last chord dies away and the song ends
"""
import it_module as it
from timing import MUSIC_BAR, SCENE_TOTALS
from trumbel_sounds import (BASS, BELL, CLAP, CLOSED_HAT, CRASH, KICK, LEAD, OPEN_HAT, PAD, PLUCK,
                            RISER, SNARE)
from trumbel_timeline import ROWS_PER_BAR, Timeline, drum_bar, line_events, note_number, write_events

ROWS_PER_PATTERN = 64  # 8 seconds: one block of MUSIC_BAR scene-time units
SCENE_ORDER = ("raycast", "lattice", "starwarp", "particles", "blobby", "greets")
SECTION_PATTERNS = tuple((scene, SCENE_TOTALS[scene] // MUSIC_BAR) for scene in SCENE_ORDER)
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
    """Pad and bell first; each further opening pattern adds a layer (the
    arpeggio, then bass and hats); the last rolls into the beat, and carries
    the bell too when it is the only one."""
    *opening, last = starts
    for i, p in enumerate(opening):
        if i == 0:
            pads(tl, p, MAIN, (14, 20, 26, 30))
            bell(tl, p, INTRO_BELL_1, 28)
        elif i == 1:
            pads(tl, p, MAIN, (32, 32, 32, 32))
            arpeggio(tl, p, MAIN, 2, 16)
            bell(tl, p, INTRO_BELL_2, 24)
        else:
            pads(tl, p, MAIN, (32, 32, 32, 32))
            arpeggio(tl, p, MAIN, 1, 20)
            bass_long(tl, p, MAIN, 40)
            drums(tl, p, [{CLOSED_HAT: OFFBEAT_HATS}] * 4, scale=0.6)
    pads(tl, last, MAIN, (32, 32, 32, 32))
    arpeggio(tl, last, MAIN, 1, 24)
    bass_pulse(tl, last, MAIN, 40)
    drums(tl, last, [{CLOSED_HAT: OFFBEAT_HATS},
                     {CLOSED_HAT: OFFBEAT_HATS},
                     {CLOSED_HAT: OFFBEAT_HATS, KICK: FOUR_ON_THE_FLOOR, SNARE: ROLL_EIGHTHS},
                     {CLOSED_HAT: OFFBEAT_HATS, KICK: FOUR_ON_THE_FLOOR, SNARE: ROLL_SIXTEENTHS}], scale=0.8)
    if not opening:
        bell(tl, last, INTRO_BELL_1, 24)
    riser(tl, last)


def the_beat(tl, starts):
    """A plain beat first, then claps and sixteenth hats; theme A over the
    last three patterns, the last with a fill and a riser."""
    first, *middle, last = starts
    crash(tl, first)
    for p in starts:
        pads(tl, p, MAIN, (24, 24, 24, 24))
        bass_pulse(tl, p, MAIN, 44)
        arpeggio(tl, p, MAIN, 1, 18)
    drums(tl, first, main_beat())
    for p in middle:
        drums(tl, p, main_beat(SIXTEENTH_HATS, clap=True))
    drums(tl, last, main_beat(SIXTEENTH_HATS, clap=True, fill=True))
    themes = [(THEME_A1, None), (THEME_A2, None), (THEME_A1, 1)]
    for p, (line, bell_octave) in zip(starts[1:][-len(themes):], themes[-(len(starts) - 1):]):
        lead(tl, p, line, bell_octave=bell_octave)
    riser(tl, last)


def the_lift(tl, starts):
    """F-G-C-E under theme B from the second pattern on, the bell joining
    and the arpeggio going up an octave for the last two."""
    first, *_, last = starts
    crash(tl, first)
    for p in starts:
        up = p in starts[-2:]
        pads(tl, p, LIFT, (24, 24, 24, 24))
        bass_pulse(tl, p, LIFT, 46)
        arpeggio(tl, p, LIFT, 1, 18, octave=1 if up else 0)
        drums(tl, p, lift_beat(fill=p == last))
    for i, p in enumerate(starts[1:]):
        if i == 1:
            crash(tl, p, 40)
        bell_octave = -1 if p in starts[-2:] else None
        lead(tl, p, (THEME_B1, THEME_B2)[i % 2], volume=48, bell_octave=bell_octave)


def the_break(tl, starts):
    """No drums: the bell, then the arpeggio, then the lead over Dm-Am-F-E,
    hats creeping back; the last pattern builds back into a beat."""
    *calm, last = starts
    crash(tl, starts[0], 44)
    for p in starts:
        pads(tl, p, BREAK, (26, 26, 26, 26))
    for i, p in enumerate(calm):
        bass_long(tl, p, BREAK, 40)
        if i < 2:
            bell(tl, p, (BREAK_1, BREAK_2)[i], 40)
        if i == 1:
            arpeggio(tl, p, BREAK, 2, 16)
        if i >= 2:
            arpeggio(tl, p, BREAK, 2 if i == 2 else 1, 18)
            lead(tl, p, (BREAK_1, BREAK_2)[i % 2], volume=42)
            drums(tl, p, [{CLOSED_HAT: OFFBEAT_HATS if i == 2 else SIXTEENTH_HATS}] * 4, scale=0.6)
    # The build back into the beat.
    bass_pulse(tl, last, BREAK, 44)
    arpeggio(tl, last, BREAK, 1, 22)
    drums(tl, last, [{KICK: FOUR_ON_THE_FLOOR, CLOSED_HAT: OFFBEAT_HATS},
                     {KICK: FOUR_ON_THE_FLOOR, CLOSED_HAT: SIXTEENTH_HATS},
                     {KICK: FOUR_ON_THE_FLOOR, CLOSED_HAT: SIXTEENTH_HATS, SNARE: ROLL_EIGHTHS},
                     {KICK: FOUR_ON_THE_FLOOR, CLOSED_HAT: SIXTEENTH_HATS, SNARE: ROLL_SIXTEENTHS}], scale=0.8)
    riser(tl, last)


def the_groove(tl, starts):
    """Stabs, funk bass and a broken beat; the arpeggio first, then the
    riffs, the bell doubling the third."""
    first, *_, last = starts
    crash(tl, first)
    for p in starts:
        stabs(tl, p, GROOVE, 26)
        bass_groove(tl, p, GROOVE, 48)
        drums(tl, p, groove_beat(fill=p == last))
    arpeggio(tl, first, GROOVE, 2, 18, octave=1)
    for i, p in enumerate(starts[1:]):
        lead(tl, p, (RIFF_1, RIFF_2)[i % 2], volume=48, step=1, bell_octave=0 if i % 3 == 2 else None)
    riser(tl, last)


def the_greets(tl, starts, tail):
    """Theme A again over the full beat, ending on its second phrase; then
    two patterns of ending without drums, and the tail."""
    *theme, ending_1, ending_2 = starts
    crash(tl, theme[0])
    themes = [(THEME_A1, 1), (THEME_A2, 1), (THEME_A1, 0), (THEME_A2, 0)][-len(theme):]
    for p, (line, bell_octave) in zip(theme, themes):
        up = p in theme[-2:]
        pads(tl, p, MAIN, (26, 26, 26, 26))
        bass_pulse(tl, p, MAIN, 46)
        arpeggio(tl, p, MAIN, 1, 18, octave=1 if up else 0)
        drums(tl, p, main_beat(SIXTEENTH_HATS, clap=True, fill=p == theme[-1]))
        lead(tl, p, line, bell_octave=bell_octave)
    # The ending: the drums leave, the closing phrase settles on A.
    crash(tl, ending_1, 44)
    pads(tl, ending_1, MAIN, (32, 30, 28, 26))
    pads(tl, ending_2, CLOSING, (26, 24, 24, 24))
    bass_long(tl, ending_1, MAIN, 40)
    bass_long(tl, ending_2, CLOSING, 36)
    arpeggio(tl, ending_1, MAIN, 2, 18)
    arpeggio(tl, ending_2, CLOSING[:2], 2, 14)
    lead(tl, ending_1, CLOSING_1, volume=40)
    lead(tl, ending_2, CLOSING_2, volume=42)
    bell(tl, ending_2 + 2 * ROWS_PER_BAR, "A5", 30)
    bell(tl, tail, "E5", 20)
    # Everything lets go a second into the tail and has faded before the end.
    for channel in (BASS_CH, LEAD_CH, ECHO_CH) + PAD_CHS:
        tl.note_off(tail + 8, channel)


SECTIONS = {"raycast": intro, "lattice": the_beat, "starwarp": the_lift, "particles": the_break,
            "blobby": the_groove}


def compose():
    """The whole song as a Timeline: every section, then the tail."""
    pattern_rows = [ROWS_PER_PATTERN] * sum(count for _, count in SECTION_PATTERNS) + [TAIL_ROWS]
    tl = Timeline(pattern_rows)
    starts = tl.pattern_starts
    tl.effect(0, SPEED_CH, it.EFFECT_SET_SPEED, SPEED)
    tl.effect(0, TEMPO_CH, it.EFFECT_SET_TEMPO, TEMPO)
    first = 0
    for scene, count in SECTION_PATTERNS:
        section = starts[first:first + count]
        if scene == "greets":
            the_greets(tl, section, starts[first + count])
        else:
            SECTIONS[scene](tl, section)
        first += count
    return tl
