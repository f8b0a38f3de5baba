"""Writes Impulse Tracker modules (.it): the IMPM header with its order list,
instruments with volume envelopes, sample headers, packed patterns and
uncompressed 16-bit signed mono sample data.

Only what our soundtrack needs: instrument mode, one sample per instrument,
no song message, no MIDI configuration, no edit history.
"""
import struct

NOTE_OFF = 255
ORDER_END = 255
NOTE_COUNT = 120          # C-0 .. B-9; IT note n sounds like MIDI note n
MAX_CHANNELS = 64
MAX_ENVELOPE_NODES = 25

# The effect column numbers letters from A = 1.
EFFECT_SET_SPEED = 1      # Axx
EFFECT_SET_TEMPO = 20     # Txx

# New note actions of an instrument: what happens to a note still sounding
# when the next note starts on its channel.
NNA_CUT = 0
NNA_CONTINUE = 1
NNA_NOTE_OFF = 2

TRACKER_VERSION = 0x0214  # written and needed: Impulse Tracker 2.14 format

HEADER_SIZE = 0xC0
INSTRUMENT_SIZE = 554
SAMPLE_HEADER_SIZE = 80
PATTERN_HEADER_SIZE = 8

FLAG_STEREO = 0x01
FLAG_INSTRUMENTS = 0x04
FLAG_LINEAR_SLIDES = 0x08
SPECIAL_ROW_HIGHLIGHTS = 0x04

SAMPLE_HAS_DATA = 0x01
SAMPLE_16_BIT = 0x02
SAMPLE_LOOPED = 0x10
SAMPLE_SIGNED = 0x01      # the Cvt byte

ENVELOPE_ON = 0x01
ENVELOPE_SUSTAIN = 0x04


class Envelope:
    """A volume envelope: (tick, level 0..64) nodes; the note holds at the
    sustain node until its note-off."""

    def __init__(self, nodes, sustain_node=None):
        if not 2 <= len(nodes) <= MAX_ENVELOPE_NODES:
            raise ValueError("an envelope has 2 to 25 nodes")
        ticks = [t for t, _ in nodes]
        if ticks[0] != 0 or ticks != sorted(set(ticks)):
            raise ValueError("envelope ticks start at 0 and rise")
        self.nodes = nodes
        self.sustain_node = sustain_node


class Sample:
    """16-bit mono PCM. loop is (start, end) in samples, end exclusive, or
    None; vibrato is the automatic (speed, depth, sweep) of IT samples."""

    def __init__(self, name, pcm, c5_speed, volume=64, loop=None, vibrato=(0, 0, 0)):
        if loop is not None and not 0 <= loop[0] < loop[1] <= len(pcm):
            raise ValueError(f"sample {name}: loop {loop} outside its {len(pcm)} samples")
        self.name = name
        self.pcm = pcm
        self.c5_speed = c5_speed
        self.volume = volume
        self.loop = loop
        self.vibrato = vibrato


class Instrument:
    """Plays one sample over the whole keyboard."""

    def __init__(self, name, sample_number, new_note_action=NNA_CUT, fadeout=0,
                 volume_envelope=None, global_volume=128):
        self.name = name
        self.sample_number = sample_number  # 1-based
        self.new_note_action = new_note_action
        self.fadeout = fadeout
        self.volume_envelope = volume_envelope
        self.global_volume = global_volume


class Cell:
    """One channel of one row; None leaves a field empty."""

    def __init__(self, note=None, instrument=None, volume=None, effect=None, parameter=0):
        self.note = note
        self.instrument = instrument
        self.volume = volume
        self.effect = effect
        self.parameter = parameter


class Pattern:
    def __init__(self, rows):
        self.rows = rows
        self.cells = {}  # (row, channel) -> Cell


class Module:
    def __init__(self, name, speed, tempo, channel_pans, orders, instruments, samples, patterns,
                 global_volume=128, mix_volume=48, rows_per_beat=4, rows_per_measure=16):
        self.name = name
        self.speed = speed
        self.tempo = tempo
        self.channel_pans = channel_pans  # 0 left .. 64 right, one per channel used
        self.orders = orders              # pattern indices; the end marker is added on writing
        self.instruments = instruments
        self.samples = samples
        self.patterns = patterns
        self.global_volume = global_volume
        self.mix_volume = mix_volume
        self.rows_per_beat = rows_per_beat
        self.rows_per_measure = rows_per_measure


def padded(text, size):
    """Latin-1 text in a fixed field, always ending with a zero byte."""
    raw = text.encode("latin-1")[:size - 1]
    return raw + bytes(size - len(raw))


def header_bytes(module, order_count):
    """The fixed 0xC0 bytes before the order list."""
    pans = bytearray()
    for channel in range(MAX_CHANNELS):
        if channel < len(module.channel_pans):
            pans.append(module.channel_pans[channel])
        else:
            pans.append(32 | 128)  # centred and disabled
    head = struct.pack(
        "<4s26sBBHHHHHHHHBBBBBBHII", b"IMPM", padded(module.name, 26),
        module.rows_per_beat, module.rows_per_measure,
        order_count, len(module.instruments), len(module.samples), len(module.patterns),
        TRACKER_VERSION, TRACKER_VERSION, FLAG_STEREO | FLAG_INSTRUMENTS | FLAG_LINEAR_SLIDES,
        SPECIAL_ROW_HIGHLIGHTS, module.global_volume, module.mix_volume, module.speed, module.tempo,
        128, 0, 0, 0, 0)
    channel_volumes = bytes([64] * MAX_CHANNELS)
    return head + bytes(pans) + channel_volumes


def envelope_bytes(envelope, neutral_level):
    """An envelope block; a missing envelope is written switched off and
    flat at its neutral level (full volume, centre pan, no pitch change)."""
    if envelope is None:
        flags, nodes, sustain = 0, [(0, neutral_level), (1, neutral_level)], 0
    else:
        flags = ENVELOPE_ON
        nodes = envelope.nodes
        sustain = 0
        if envelope.sustain_node is not None:
            flags |= ENVELOPE_SUSTAIN
            sustain = envelope.sustain_node
    out = struct.pack("<BBBBBB", flags, len(nodes), 0, 0, sustain, sustain)
    for tick, level in nodes:
        out += struct.pack("<BH", level, tick)
    out += bytes(3 * (MAX_ENVELOPE_NODES - len(nodes)) + 1)
    return out


def instrument_bytes(instrument):
    head = struct.pack(
        "<4s12sBBBBHbBBBBBHBB26sBBBBH", b"IMPI", padded("", 12), 0,
        instrument.new_note_action, 0, 0, instrument.fadeout, 0, 60,
        instrument.global_volume, 32 | 128, 0, 0, TRACKER_VERSION, 1, 0,
        padded(instrument.name, 26), 0, 0, 0, 0xFF, 0xFFFF)
    keyboard = bytearray()
    for note in range(NOTE_COUNT):
        keyboard += bytes([note, instrument.sample_number])
    flat = envelope_bytes(None, 0)  # panning and pitch: unused
    out = head + bytes(keyboard) + envelope_bytes(instrument.volume_envelope, 64) + flat + flat + bytes(4)
    assert len(out) == INSTRUMENT_SIZE
    return out


def sample_header_bytes(sample, data_offset):
    flags = SAMPLE_HAS_DATA | SAMPLE_16_BIT
    loop_start, loop_end = 0, 0
    if sample.loop is not None:
        flags |= SAMPLE_LOOPED
        loop_start, loop_end = sample.loop
    speed, depth, sweep = sample.vibrato
    return struct.pack(
        "<4s12sBBBB26sBBIIIIIIIBBBB", b"IMPS", padded("", 12), 0, 64, flags, sample.volume,
        padded(sample.name, 26), SAMPLE_SIGNED, 32, len(sample.pcm), loop_start, loop_end,
        sample.c5_speed, 0, 0, data_offset, speed, depth, sweep, 0)


def packed_pattern(pattern):
    """Rows of (channel | 0x80, mask, fields...) entries, each row ended by a
    zero; every entry carries its own mask, which keeps the packing simple."""
    body = bytearray()
    for row in range(pattern.rows):
        for channel in range(MAX_CHANNELS):
            cell = pattern.cells.get((row, channel))
            if cell is None:
                continue
            mask = 0
            fields = bytearray()
            if cell.note is not None:
                mask |= 1
                fields.append(cell.note)
            if cell.instrument is not None:
                mask |= 2
                fields.append(cell.instrument)
            if cell.volume is not None:
                mask |= 4
                fields.append(cell.volume)
            if cell.effect is not None:
                mask |= 8
                fields += bytes([cell.effect, cell.parameter])
            if mask:
                body += bytes([(channel + 1) | 0x80, mask]) + fields
        body.append(0)
    return struct.pack("<HH4x", len(body), pattern.rows) + bytes(body)


def sample_data_bytes(sample):
    return struct.pack(f"<{len(sample.pcm)}h", *sample.pcm)


def module_bytes(module):
    """The whole .it file. The order list ends with the end marker, so the
    song stops after its last pattern instead of looping."""
    if len(module.channel_pans) > MAX_CHANNELS:
        raise ValueError("an IT module has at most 64 channels")
    orders = list(module.orders) + [ORDER_END]
    order_count = len(orders)

    table_size = 4 * (len(module.instruments) + len(module.samples) + len(module.patterns))
    position = HEADER_SIZE + order_count + table_size
    instrument_offsets, sample_offsets, pattern_offsets, data_offsets = [], [], [], []
    for _ in module.instruments:
        instrument_offsets.append(position)
        position += INSTRUMENT_SIZE
    for _ in module.samples:
        sample_offsets.append(position)
        position += SAMPLE_HEADER_SIZE
    packed = [packed_pattern(p) for p in module.patterns]
    for p in packed:
        pattern_offsets.append(position)
        position += len(p)
    for s in module.samples:
        data_offsets.append(position)
        position += 2 * len(s.pcm)

    tables = bytes(orders) + struct.pack(
        f"<{len(instrument_offsets) + len(sample_offsets) + len(pattern_offsets)}I",
        *(instrument_offsets + sample_offsets + pattern_offsets))
    out = bytearray(header_bytes(module, order_count)) + tables
    for instrument in module.instruments:
        out += instrument_bytes(instrument)
    for sample, offset in zip(module.samples, data_offsets):
        out += sample_header_bytes(sample, offset)
    for p in packed:
        out += p
    for sample in module.samples:
        out += sample_data_bytes(sample)
    assert len(out) == position
    return bytes(out)
