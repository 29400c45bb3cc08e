"""A small spectral analysis of the audio read back from a file, written here from the
definitions (a radix-2 FFT, energy by frequency, zero crossings), so that the tests and
bench/spectrum measure the sound without sharing a line with the program that made it."""

import cmath
import math
import struct
import wave


def samples_of(path):
    """(rate, samples in steps from the silence) of a PCM WAV file, 8 or 16 bits."""
    with wave.open(path, "rb") as w:
        rate, width, frames = w.getframerate(), w.getsampwidth(), w.readframes(w.getnframes())
    if width == 1:
        return rate, [b - 128 for b in frames]
    return rate, list(struct.unpack(f"<{len(frames) // 2}h", frames))


def fft(values):
    """The discrete Fourier transform of `values`, zero-padded to a power of two."""
    n = 1
    while n < len(values):
        n *= 2
    a = [complex(v) for v in values] + [0j] * (n - len(values))
    j = 0
    for i in range(1, n):  # bit-reversed order
        bit = n >> 1
        while j & bit:
            j ^= bit
            bit >>= 1
        j |= bit
        if i < j:
            a[i], a[j] = a[j], a[i]
    size = 2
    while size <= n:
        half = size // 2
        twiddles = [cmath.exp(-2j * math.pi * k / size) for k in range(half)]
        for start in range(0, n, size):
            for k in range(half):
                u, v = a[start + k], a[start + k + half] * twiddles[k]
                a[start + k], a[start + k + half] = u + v, u - v
        size *= 2
    return a


def power_spectrum(values, rate):
    """(hertz of each bin, |X|^2) from 0 to half the rate."""
    spectrum = fft(values)
    n = len(spectrum)
    return [(k * rate / n, abs(spectrum[k]) ** 2) for k in range(n // 2 + 1)]


def splatter_db(values, rate, carrier, beyond):
    """The energy further than `beyond` hertz from the carrier, against the energy within 50 Hz
    of it, in decibels."""
    spectrum = power_spectrum(values, rate)
    near = sum(p for f, p in spectrum if abs(f - carrier) <= 50)
    far = sum(p for f, p in spectrum if abs(f - carrier) > beyond)
    return 10 * math.log10(far / near)


def band_power(values, rate, low, high):
    """The mean power of `values` within [low, high] hertz (Parseval: the one-sided bins count
    twice)."""
    n = len(values)
    spectrum = fft(values)
    size = len(spectrum)
    total = 0.0
    for k in range(1, size // 2):
        if low <= k * rate / size <= high:
            total += 2 * abs(spectrum[k]) ** 2
    return total / (size * n)


def pitch(values, rate):
    """The frequency of a steady tone from its rising zero crossings, each placed between its
    two samples by linear interpolation: cycles counted over the time they take."""
    crossings = []
    for i in range(1, len(values)):
        a, b = values[i - 1], values[i]
        if a < 0 <= b and b != a:
            crossings.append(i - 1 + (-a) / (b - a))
    return (len(crossings) - 1) * rate / (crossings[-1] - crossings[0])
