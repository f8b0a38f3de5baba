"""The soundtrack's instruments, each synthesised here from nothing: drums
from sine sweeps, noise and detuned square waves; bass, pad, lead and pluck
from band-limited wavetables with seamless loops; a bell by FM.

Every instrument has one sample. Pitched samples are tuned by their C5 speed
so that IT note n sounds at the pitch of MIDI note n. Volume envelopes are in
ticks (48 a second at tempo 120).
"""
import math

import it_module as it
import synth
from synth import SAMPLE_RATE, seconds


class Voice:
    """An instrument of the soundtrack: its sample and how it plays."""

    def __init__(self, sample, new_note_action=it.NNA_CUT, envelope=None, fadeout=0):
        self.sample = sample
        self.new_note_action = new_note_action
        self.envelope = envelope
        self.fadeout = fadeout


def unpitched(name, signal, volume=64):
    """A drum sample, played at its own rate at note C-5."""
    pcm = synth.to_pcm16(synth.fade_out_tail(signal, 0.01))
    return it.Sample(name, pcm, SAMPLE_RATE, volume)


def kick():
    """A sine whose pitch falls from 200 Hz to 48 Hz, with a noise click."""
    count = seconds(0.45)
    noise = synth.lowpass(synth.Noise(11).take(count), 3000.0)
    phase = 0.0
    body = []
    for n in range(count):
        t = n / SAMPLE_RATE
        frequency = 48.0 + 110.0 * math.exp(-t / 0.035) + 60.0 * math.exp(-t / 0.006)
        phase += 2.0 * math.pi * frequency / SAMPLE_RATE
        body.append(math.sin(phase) * math.exp(-t / 0.2) + noise[n] * 1.5 * math.exp(-t / 0.003))
    return Voice(unpitched("kick", synth.soft_clip(body, 1.6)))


def snare():
    """A falling 190 Hz tone for the body, high-passed noise for the rattle."""
    count = seconds(0.32)
    phase = 0.0
    tone = []
    for n in range(count):
        t = n / SAMPLE_RATE
        phase += 2.0 * math.pi * (185.0 + 60.0 * math.exp(-t / 0.01)) / SAMPLE_RATE
        tone.append(math.sin(phase) * math.exp(-t / 0.05))
    rattle = synth.lowpass(synth.highpass(synth.Noise(23).take(count), 1200.0), 8000.0)
    rattle = synth.multiply(rattle, synth.decay(count, 0.11))
    return Voice(unpitched("snare", synth.mix((0.7, tone), (1.6, rattle))))


def clap():
    """Three quick bursts of band-passed noise and a short tail."""
    count = seconds(0.35)
    noise = synth.bandpass(synth.Noise(37).take(count), 1400.0, 1.5)
    envelope = []
    for n in range(count):
        t = n / SAMPLE_RATE
        level = 0.0
        for burst in (0.0, 0.011, 0.022):
            if t >= burst:
                level = max(level, math.exp(-(t - burst) / 0.004))
        if t >= 0.03:
            level = max(level, 0.8 * math.exp(-(t - 0.03) / 0.09))
        envelope.append(level)
    return Voice(unpitched("clap", synth.multiply(noise, envelope)))


def metal(count, seed):
    """Six detuned square waves and noise, high-passed: the sound of hats
    and cymbals."""
    squares = [synth.square_wave(f, count) for f in (205.3, 304.4, 369.6, 522.7, 540.0, 800.0)]
    noise = synth.Noise(seed).take(count)
    raw = synth.mix(*[(0.5, s) for s in squares], (1.2, noise))
    return synth.highpass(synth.highpass(raw, 5500.0), 5500.0)


def closed_hat():
    count = seconds(0.09)
    return Voice(unpitched("closed hat", synth.multiply(metal(count, 41), synth.decay(count, 0.025))))


def open_hat():
    count = seconds(0.45)
    return Voice(unpitched("open hat", synth.multiply(metal(count, 43), synth.decay(count, 0.18))))


def crash():
    """A bright cymbal wash: metal plus noise high-passed lower, long decay."""
    count = seconds(1.8)
    wash = synth.highpass(synth.Noise(47).take(count), 3500.0)
    body = synth.mix((0.8, metal(count, 53)), (1.0, wash))
    envelope = [0.6 * math.exp(-n / SAMPLE_RATE / 0.6) + 0.4 * math.exp(-n / SAMPLE_RATE / 0.08)
                for n in range(count)]
    return Voice(unpitched("crash", synth.multiply(body, envelope)))


def riser():
    """Noise through a band-pass that sweeps from 300 Hz to 5 kHz over two
    seconds, growing louder: the build into a new section."""
    count = seconds(2.0)
    sweep = [300.0 * (5000.0 / 300.0) ** (n / count) for n in range(count)]
    swell = [(n / count) ** 1.5 for n in range(count)]
    filtered = synth.bandpass(synth.Noise(59).take(count), sweep, 3.0)
    return Voice(unpitched("riser", synth.multiply(filtered, swell)))


def pitched(name, attack, loop, fundamental_hz, volume=64, vibrato=(0, 0, 0)):
    """A sample of an attack part followed by a seamless loop part."""
    pcm = synth.to_pcm16(attack + loop)
    return it.Sample(name, pcm, synth.c5_speed(fundamental_hz), volume,
                     loop=(len(attack), len(attack) + len(loop)), vibrato=vibrato)


def bright_to_dark(loop_cycles, loop_period, bright, dark, fall, attack_time):
    """A wave whose brightness falls from one wavetable to another over
    the attack, then loops the dark one; both run at one phase so the blend
    never cancels."""
    attack_count = seconds(attack_time)
    weight = [math.exp(-n / SAMPLE_RATE / fall) for n in range(attack_count)]
    attack = synth.crossfade(
        synth.table_oscillator(bright, loop_cycles, loop_period, 0, attack_count),
        synth.table_oscillator(dark, loop_cycles, loop_period, 0, attack_count), weight)
    loop = synth.table_oscillator(dark, loop_cycles, loop_period, attack_count, loop_period)
    return attack, loop


def bass():
    """A saw and a square at 110 Hz whose filter closes after the pluck."""
    f0 = 110.0
    period = seconds(0.2)  # 22 cycles of 110 Hz
    saw = synth.saw_partials(f0, 2600.0)
    bright = synth.harmonic_table([s + 0.6 * q for s, q in zip(saw, synth.odd_partials(saw))])
    saw_dark = synth.saw_partials(f0, 420.0)
    dark = synth.harmonic_table([s + 0.6 * q for s, q in zip(saw_dark, synth.odd_partials(saw_dark))])
    attack, loop = bright_to_dark(22, period, bright, dark, 0.07, 0.3)
    envelope = it.Envelope([(0, 64), (10, 52), (14, 0)], sustain_node=1)
    return Voice(pitched("bass", attack, loop, f0), it.NNA_CUT, envelope)


def pad():
    """Three saws detuned by one hertz around 262 Hz and a square an octave
    below, softly filtered: a one-second loop that beats slowly like a
    chorus. Slow attack and long release come from the envelope."""
    period = SAMPLE_RATE  # one second: every whole-hertz wave loops
    waves = []
    for hz in (261, 262, 263):
        table = synth.harmonic_table(synth.saw_partials(float(hz), 1500.0))
        waves.append(synth.table_oscillator(table, hz, period, 0, period))
    sub_partials = synth.odd_partials(synth.saw_partials(131.0, 600.0))
    sub = synth.table_oscillator(synth.harmonic_table(sub_partials), 131, period, 0, period)
    loop = synth.mix((1.0, waves[0]), (1.0, waves[1]), (1.0, waves[2]), (1.2, sub))
    sample = it.Sample("pad", synth.to_pcm16(loop), synth.c5_speed(262.0), 64, loop=(0, period))
    envelope = it.Envelope([(0, 0), (30, 64), (60, 54), (150, 0)], sustain_node=2)
    return Voice(sample, it.NNA_NOTE_OFF, envelope, fadeout=32)


def lead():
    """A 30% pulse at 440 Hz beside a saw at 442 Hz, with a delayed vibrato
    from the sample's own settings: 24/256 of a cycle a tick (4.5 Hz), up to
    10/64 of a semitone either way, reached after 40 ticks."""
    period = seconds(0.5)  # 220 and 221 cycles
    pulse = synth.harmonic_table(cosine_amplitudes=synth.pulse_partials(440.0, 0.3, 3800.0))
    saw = synth.harmonic_table(synth.saw_partials(442.0, 3200.0))
    loop = synth.mix((1.0, synth.table_oscillator(pulse, 220, period, 0, period)),
                     (0.7, synth.table_oscillator(saw, 221, period, 0, period)))
    sample = it.Sample("lead", synth.to_pcm16(loop), synth.c5_speed(440.0), 64,
                       loop=(0, period), vibrato=(24, 10, 64))
    envelope = it.Envelope([(0, 0), (1, 64), (12, 50), (22, 0)], sustain_node=2)
    return Voice(sample, it.NNA_NOTE_OFF, envelope, fadeout=64)


def pluck():
    """A bright saw-square blend at 440 Hz that darkens within 80 ms; the
    envelope lets each note ring out under the next."""
    f0 = 440.0
    period = seconds(0.1)  # 44 cycles
    saw = synth.saw_partials(f0, 5000.0)
    bright = synth.harmonic_table([a * (1.0 if k % 2 else 0.5) for k, a in enumerate(saw, 1)])
    saw_dark = synth.saw_partials(f0, 900.0)
    dark = synth.harmonic_table([a * (1.0 if k % 2 else 0.5) for k, a in enumerate(saw_dark, 1)])
    attack, loop = bright_to_dark(44, period, bright, dark, 0.08, 0.15)
    envelope = it.Envelope([(0, 64), (6, 34), (24, 12), (50, 0)])
    return Voice(pitched("pluck", attack, loop, f0), it.NNA_NOTE_OFF, envelope)


def bell():
    """FM: a 440 Hz carrier and a modulator at 3.5 times it, whose depth
    fades faster than the tone, so the strike is bright and the ring pure."""
    count = seconds(1.8)
    out = []
    for n in range(count):
        t = n / SAMPLE_RATE
        index = 2.2 * math.exp(-t / 0.25)
        modulator = math.sin(2.0 * math.pi * 1540.0 * t)
        carrier = math.sin(2.0 * math.pi * 440.0 * t + index * modulator)
        octave = 0.25 * math.sin(2.0 * math.pi * 880.0 * t) * math.exp(-t / 0.3)
        out.append((carrier + octave) * math.exp(-t / 0.55) * min(1.0, n / 40.0))
    pcm = synth.to_pcm16(synth.fade_out_tail(out, 0.05))
    return Voice(it.Sample("bell", pcm, synth.c5_speed(440.0), 64), it.NNA_CONTINUE)


# Instrument numbers (1-based, in the module's order).
KICK, SNARE, CLAP, CLOSED_HAT, OPEN_HAT, CRASH, RISER, BASS, PAD, LEAD, PLUCK, BELL = range(1, 13)

BUILDERS = (kick, snare, clap, closed_hat, open_hat, crash, riser, bass, pad, lead, pluck, bell)


def build_voices():
    """Every voice, in instrument-number order."""
    return [build() for build in BUILDERS]
