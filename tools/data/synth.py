"""Sound synthesis for the soundtrack's samples: band-limited wavetables,
noise, simple filters and envelopes, and conversion to 16-bit PCM.

Deterministic by construction: noise comes from our own xorshift generator
(never the random module), loop phases are exact integer ratios, and the rest
is plain IEEE arithmetic, so one Python on one platform always writes the
same bytes.
"""
import math

SAMPLE_RATE = 22050
TABLE_SIZE = 4096
# Middle C, the pitch every pitched sample is tuned to play at note C-5.
MIDDLE_C_HZ = 261.6255653


class Noise:
    """White noise in [-1, 1) from a 32-bit xorshift generator."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF or 1

    def next(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x / 2147483648.0 - 1.0

    def take(self, count):
        return [self.next() for _ in range(count)]


def seconds(duration):
    """Number of samples in a duration in seconds."""
    return int(round(duration * SAMPLE_RATE))


def saw_partials(fundamental_hz, brightness_hz, top_hz=9500.0):
    """Sine amplitudes of a sawtooth softened by a low-pass roll-off at
    brightness_hz; partials stop below top_hz so nothing aliases."""
    amplitudes = []
    k = 1
    while k * fundamental_hz < top_hz:
        roll_off = 1.0 / (1.0 + (k * fundamental_hz / brightness_hz) ** 2)
        amplitudes.append((1.0 / k) * roll_off)
        k += 1
    return amplitudes


def odd_partials(amplitudes):
    """Keeps the odd harmonics only: from a saw's partials, a square's."""
    return [a if k % 2 == 1 else 0.0 for k, a in enumerate(amplitudes, start=1)]


def pulse_partials(fundamental_hz, duty, brightness_hz, top_hz=9500.0):
    """Cosine amplitudes of a pulse wave of the given duty cycle, softened
    like saw_partials."""
    amplitudes = []
    k = 1
    while k * fundamental_hz < top_hz:
        roll_off = 1.0 / (1.0 + (k * fundamental_hz / brightness_hz) ** 2)
        amplitudes.append(math.sin(math.pi * k * duty) / k * roll_off)
        k += 1
    return amplitudes


def harmonic_table(sine_amplitudes=(), cosine_amplitudes=()):
    """One cycle of a waveform from the amplitudes of its harmonics 1, 2, ...;
    TABLE_SIZE + 1 entries so interpolation never wraps."""
    table = []
    for i in range(TABLE_SIZE + 1):
        x = 2.0 * math.pi * i / TABLE_SIZE
        value = 0.0
        for k, a in enumerate(sine_amplitudes, start=1):
            value += a * math.sin(k * x)
        for k, a in enumerate(cosine_amplitudes, start=1):
            value += a * math.cos(k * x)
        table.append(value)
    return table


def table_oscillator(table, cycles, period, start, count):
    """Samples start .. start+count of a wave that runs `cycles` whole cycles
    every `period` samples. The phase is an exact integer ratio, so any
    stretch of `period` samples loops without a seam."""
    out = []
    for n in range(start, start + count):
        position = (n * cycles % period) * TABLE_SIZE / period
        i = int(position)
        frac = position - i
        out.append(table[i] + (table[i + 1] - table[i]) * frac)
    return out


def crossfade(a, b, weight_a):
    """a * w + b * (1 - w), sample by sample, w given per sample."""
    return [x * w + y * (1.0 - w) for x, y, w in zip(a, b, weight_a)]


def decay(count, time_constant, delay=0.0):
    """Exponential decay exp(-t / time_constant), held at 1 for `delay` seconds."""
    out = []
    for n in range(count):
        t = n / SAMPLE_RATE - delay
        out.append(1.0 if t <= 0.0 else math.exp(-t / time_constant))
    return out


def multiply(a, b):
    return [x * y for x, y in zip(a, b)]


def mix(*weighted):
    """Sum of (weight, signal) pairs; signals of equal length."""
    count = len(weighted[0][1])
    out = [0.0] * count
    for weight, signal in weighted:
        for n in range(count):
            out[n] += weight * signal[n]
    return out


def lowpass(signal, cutoff_hz):
    """One-pole low-pass filter."""
    a = 1.0 - math.exp(-2.0 * math.pi * cutoff_hz / SAMPLE_RATE)
    y = 0.0
    out = []
    for x in signal:
        y += a * (x - y)
        out.append(y)
    return out


def highpass(signal, cutoff_hz):
    """One-pole high-pass filter: the signal less its low-passed self."""
    return [x - y for x, y in zip(signal, lowpass(signal, cutoff_hz))]


def bandpass(signal, cutoff_hz, resonance):
    """State-variable band-pass. cutoff_hz is a number or a list with one
    cutoff per sample (for sweeps); resonance above 0.5 narrows the band."""
    damping = 1.0 / resonance
    low = band = 0.0
    out = []
    for n, x in enumerate(signal):
        fc = cutoff_hz[n] if isinstance(cutoff_hz, list) else cutoff_hz
        # Kept below a quarter of the rate, where this filter stays stable.
        f = 2.0 * math.sin(math.pi * min(fc, SAMPLE_RATE / 4.0) / SAMPLE_RATE)
        high = x - low - damping * band
        band += f * high
        low += f * band
        out.append(band)
    return out


def square_wave(frequency_hz, count):
    """A naive square wave: the metallic partials of cymbals and hats."""
    period = SAMPLE_RATE / frequency_hz
    return [1.0 if (n % period) < period / 2.0 else -1.0 for n in range(count)]


def soft_clip(signal, drive):
    """tanh saturation, scaled so a full-scale input stays full scale."""
    scale = 1.0 / math.tanh(drive)
    return [math.tanh(drive * x) * scale for x in signal]


def fade_out_tail(signal, duration):
    """Linear fade over the last `duration` seconds, so one-shot samples end
    at silence instead of a click."""
    count = min(len(signal), seconds(duration))
    out = list(signal)
    for i in range(count):
        out[len(out) - count + i] *= (count - i) / count
    return out


def to_pcm16(signal, peak=0.95):
    """Normalises to `peak` of full scale and rounds to signed 16-bit."""
    largest = max(abs(x) for x in signal)
    scale = peak * 32767.0 / largest if largest > 0.0 else 0.0
    return [max(-32768, min(32767, int(round(x * scale)))) for x in signal]


def c5_speed(fundamental_hz):
    """Playback rate that makes a sample whose wave has this fundamental
    sound middle C at note C-5."""
    return int(round(SAMPLE_RATE * MIDDLE_C_HZ / fundamental_hz))
