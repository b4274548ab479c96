"""The background music: a 32-bar loop in A minor at 105 BPM, synthesised here.

One sweep of the board takes about 4.6 s, which is two bars of 4/4 at 105 BPM,
so every musical phrase spans one sweep. The loop is rendered on a circular
buffer: a note that rings past the last sample continues at the first, and the
echo and room effects are computed circularly too, so the file loops without a
click or a gap. Nothing fades at the ends.
"""

import os
import subprocess
import tempfile
import wave

import numpy as np

RATE = 22050
BPM = 105
BEAT = RATE * 60 // BPM          # 12600 samples, exact at this rate and tempo
BAR = 4 * BEAT
BARS = 32
LENGTH = BARS * BAR              # 1,612,800 samples, about 73.1 s
SERIAL = 20240611                # fixed Ogg stream serial, for reproducible files

TAU = 2.0 * np.pi


def midi_hz(m):
    return 440.0 * 2.0 ** ((m - 69) / 12.0)


# ---------------------------------------------------------------------------
# The score

# chord per bar: (pad voicing, bass root)
AM7 = ((57, 60, 64, 67), 45)
FMAJ7 = ((53, 57, 60, 64), 41)
CMAJ7 = ((55, 59, 60, 64), 48)
G = ((55, 59, 62, 67), 43)
DM7 = ((53, 57, 60, 62), 38)
EM7 = ((55, 59, 62, 64), 40)
E7 = ((56, 59, 62, 64), 40)

VERSE = [AM7, FMAJ7, CMAJ7, G] * 2
BRIDGE = [DM7, EM7, FMAJ7, G, DM7, EM7, FMAJ7, E7]
CHORDS = VERSE + VERSE + BRIDGE + VERSE
assert len(CHORDS) == BARS

# melodies: (beat within the 8-bar section, length in beats, midi note)
MELODY_A = [
    (0, 1.5, 76), (1.5, .5, 74), (2, 1, 72), (3, 1, 74),
    (4, 2, 72), (6, 1, 69), (7, .5, 72), (7.5, .5, 74),
    (8, 1.5, 76), (9.5, .5, 79), (10, 1, 76), (11, 1, 74),
    (12, 2, 74), (14, 1, 71),
    (16, 1.5, 72), (17.5, .5, 76), (18, 1.5, 81), (19.5, .5, 79),
    (20, 1.5, 76), (21.5, .5, 74), (22, 2, 72),
    (24, 1, 71), (25, 1, 72), (26, 1, 74), (27, 1, 76),
    (28, 3, 74),
]
MELODY_B = [
    (0, 1.5, 81), (1.5, .5, 79), (2, 1, 76), (3, 1, 72),
    (4, 1.5, 72), (5.5, .5, 69), (6, 1, 72), (7, 1, 76),
    (8, 1.5, 79), (9.5, .5, 76), (10, 1, 74), (11, 1, 72),
    (12, 1.5, 71), (13.5, .5, 74), (14, 2, 79),
    (16, 1, 81), (17, .5, 79), (17.5, 1.5, 76), (19, 1, 72),
    (20, 1, 74), (21, 1, 72), (22, 2, 69),
    (24, 1, 72), (25, 1, 74), (26, 1, 76), (27, 1, 79),
    (28, 2, 76), (30, 1, 74), (31, 1, 71),
]


# ---------------------------------------------------------------------------
# Instruments: each returns a mono signal starting at the note's onset.

def t_axis(n):
    return np.arange(n) / RATE


def env_ar(n, attack, release_start, release):
    """Linear attack, hold, then exponential release starting at release_start (seconds)."""
    t = t_axis(n)
    e = np.minimum(1.0, t / max(attack, 1e-4))
    rel = np.where(t > release_start, np.exp(-(t - release_start) / release), 1.0)
    return e * rel


def pad_voice(freq, seconds, rng):
    n = int((seconds + 1.6) * RATE)
    t = t_axis(n)
    out = np.zeros(n)
    for det in (-0.004, 0.0, 0.0045):
        f = freq * (1.0 + det)
        ph = rng.random() * TAU
        for h in range(1, 7):
            out += np.sin(TAU * f * h * t + ph * h) / (h ** 1.8)
    out *= env_ar(n, 0.35, seconds, 0.45)
    # a slow swell keeps the pad breathing
    out *= 0.85 + 0.15 * np.sin(TAU * t / (4 * BAR / RATE) + rng.random() * TAU)
    return out / 3.0


def bass_note(freq, seconds):
    n = int((seconds + 0.25) * RATE)
    t = t_axis(n)
    f = freq * (1.0 + 0.03 * np.exp(-t / 0.02))  # a soft pluck at the start
    ph = TAU * np.cumsum(f) / RATE
    body = np.sin(ph) + 0.35 * np.sin(2 * ph) + 0.12 * np.sin(3 * ph)
    env = env_ar(n, 0.006, seconds, 0.06) * (0.65 + 0.35 * np.exp(-t / 0.18))
    return np.tanh(1.3 * body * env) * 0.8


def epiano(freq, seconds):
    """A soft electric-piano tone from two-operator FM with a decaying index."""
    n = int((seconds + 0.9) * RATE)
    t = t_axis(n)
    index = 1.6 * np.exp(-t / 0.35) + 0.25
    mod = np.sin(TAU * freq * t)
    tone = np.sin(TAU * freq * t + index * mod)
    tine = 0.18 * np.sin(TAU * freq * 4.0 * t) * np.exp(-t / 0.05)
    env = env_ar(n, 0.004, seconds, 0.25) * (0.55 + 0.45 * np.exp(-t / 0.6))
    return (tone + tine) * env


def pluck(freq, seconds):
    n = int((seconds + 0.5) * RATE)
    t = t_axis(n)
    out = np.zeros(n)
    for h, a in ((1, 1.0), (2, 0.45), (3, 0.2), (4, 0.1)):
        out += a * np.sin(TAU * freq * h * t) * np.exp(-t * (6.0 + 5.0 * h))
    return out * np.minimum(1.0, t / 0.003)


def kick():
    n = int(0.42 * RATE)
    t = t_axis(n)
    f = 48.0 + 95.0 * np.exp(-t / 0.035)
    ph = TAU * np.cumsum(f) / RATE
    return np.sin(ph) * np.exp(-t / 0.16) * np.minimum(1.0, t / 0.002)


def snare(rng):
    n = int(0.3 * RATE)
    t = t_axis(n)
    noise = rng.standard_normal(n)
    # a band of noise: difference of two smoothings
    lo = np.convolve(noise, np.ones(3) / 3.0, mode="same")
    band = lo - np.convolve(lo, np.ones(12) / 12.0, mode="same")
    tone = np.sin(TAU * 185.0 * t) * np.exp(-t / 0.05)
    return (1.4 * band * np.exp(-t / 0.06) + 0.6 * tone) * np.minimum(1.0, t / 0.001)


def hat(rng, length):
    n = int(length * RATE)
    t = t_axis(n)
    noise = rng.standard_normal(n)
    high = noise - np.convolve(noise, np.ones(4) / 4.0, mode="same")
    return high * np.exp(-t / (length / 4.0))


# ---------------------------------------------------------------------------
# Mixing on a circular stereo buffer

class Loop:
    def __init__(self):
        self.dry = np.zeros((LENGTH, 2))
        self.send = np.zeros((LENGTH, 2))   # goes through echo and room

    def add(self, sig, start, gain, pan=0.0, send=0.0):
        """Adds sig at sample start; what rings past the end wraps to the start."""
        left = gain * np.cos((pan + 1.0) * np.pi / 4.0) * np.sqrt(2.0)
        right = gain * np.sin((pan + 1.0) * np.pi / 4.0) * np.sqrt(2.0)
        pos = start % LENGTH
        i = 0
        while i < len(sig):
            k = min(len(sig) - i, LENGTH - pos)
            chunk = sig[i:i + k]
            self.dry[pos:pos + k, 0] += chunk * left
            self.dry[pos:pos + k, 1] += chunk * right
            if send:
                self.send[pos:pos + k, 0] += chunk * left * send
                self.send[pos:pos + k, 1] += chunk * right * send
            i += k
            pos = 0


def soften(x):
    """One gentle low-pass step (average of neighbours), applied circularly."""
    return 0.25 * np.roll(x, 1, axis=0) + 0.5 * x + 0.25 * np.roll(x, -1, axis=0)


def circular_echo(x, delay, feedback, repeats):
    """A ping-pong echo whose repeats wrap around the loop."""
    out = np.zeros_like(x)
    cur = x
    for k in range(1, repeats + 1):
        cur = soften(np.roll(cur, delay, axis=0)) * feedback
        cur = cur[:, ::-1]  # alternate sides
        out += cur
    return out


def circular_room(x):
    """A small room from four circular comb filters with damping."""
    out = np.zeros_like(x)
    for d, g in ((1123, 0.62), (1381, 0.6), (1667, 0.58), (1913, 0.56)):
        cur = x
        for _ in range(14):
            cur = soften(np.roll(cur, d, axis=0)) * g
            out += cur
    # decorrelate the two sides a little
    out[:, 1] = np.roll(out[:, 1], 211)
    return out * 0.18


# ---------------------------------------------------------------------------

def render():
    rng = np.random.default_rng(105)
    loop = Loop()
    at = lambda bar, beat: int(round(bar * BAR + beat * BEAT))  # noqa: E731

    # pad: one chord per bar, slightly wider than the bar so chords overlap smoothly
    for bar, (voicing, root) in enumerate(CHORDS):
        for i, m in enumerate(voicing):
            sig = pad_voice(midi_hz(m), 4 * BEAT / RATE, rng)
            loop.add(sig, at(bar, 0), 0.07, pan=(-0.5, 0.5, -0.25, 0.25)[i], send=0.5)

    # bass: a syncopated figure on the root, with the octave on the last off-beat
    figure = [(0, 1.5, 0), (1.5, 0.5, 0), (2, 1.0, 0), (3, 0.5, 7), (3.5, 0.5, 12)]
    for bar, (voicing, root) in enumerate(CHORDS):
        quiet = bar < 4
        for beat, length, step in figure:
            if quiet and beat not in (0, 2):
                continue
            sig = bass_note(midi_hz(root + step), length * BEAT / RATE * 0.9)
            loop.add(sig, at(bar, beat), 0.22 if beat in (0, 2) else 0.17, pan=0.0)

    # melodies over the second and fourth verse
    for base, tune in ((8, MELODY_A), (24, MELODY_B)):
        for beat, length, m in tune:
            sig = epiano(midi_hz(m), length * BEAT / RATE * 0.92)
            loop.add(sig, at(base, beat), 0.16, pan=0.1, send=0.45)

    # arpeggio: sixteenths through the chord over the bridge, softer echo of it elsewhere
    order = [0, 1, 2, 3, 2, 1, 2, 3]
    for bar, (voicing, root) in enumerate(CHORDS):
        if 16 <= bar < 24:
            gain, notes = 0.11, 16
        elif 4 <= bar < 8:
            gain, notes = 0.065, 8
        else:
            continue
        step = 4.0 / notes
        for k in range(notes):
            m = voicing[order[k % 8]] + 12
            sig = pluck(midi_hz(m), step * BEAT / RATE)
            loop.add(sig, at(bar, k * step), gain * (1.0 if k % 4 == 0 else 0.75),
                     pan=-0.35 if k % 2 else 0.35, send=0.6)

    # drums
    k_sig = kick()
    for bar in range(BARS):
        full = bar >= 8
        kicks = [0, 2] + ([2.5] if bar % 2 == 1 and full else [])
        for b in kicks:
            loop.add(k_sig, at(bar, b), 0.45 if full else 0.38)
        if bar >= 4:
            for b in (1, 3):
                loop.add(snare(rng), at(bar, b), 0.15 if full else 0.09, pan=0.05, send=0.2)
        for e in range(8):
            accent = 1.0 if e % 2 else 0.6
            length = 0.2 if (e == 7 and bar % 2 == 1 and full) else 0.04
            loop.add(hat(rng, length), at(bar, e * 0.5), 0.05 * accent * (1.0 if full else 0.7),
                     pan=0.3)
        if bar == 23:  # a short fill into the last verse
            for k, b in enumerate((3.0, 3.25, 3.5, 3.75)):
                loop.add(snare(rng), at(bar, b), 0.08 + 0.04 * k, pan=-0.1, send=0.25)

    wet = circular_echo(loop.send, int(0.75 * BEAT), 0.33, 5) + circular_room(loop.send)
    mix = loop.dry + wet
    # gentle bus compression and a fixed headroom
    mix = np.tanh(mix * 1.1) / 1.1
    mix *= 0.88 / np.max(np.abs(mix))
    return mix


def write_wav(path, mix):
    data = np.round(np.clip(mix, -1.0, 1.0) * 32767.0).astype("<i2")
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(data.tobytes())


def generate(out_path):
    mix = render()
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "bgm.wav")
        write_wav(wav, mix)
        subprocess.run(["oggenc", "--quiet", "-q", "4", "--serial", str(SERIAL),
                        "-o", out_path, wav], check=True)
