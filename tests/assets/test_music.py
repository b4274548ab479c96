"""bgm.ogg is Ogg Vorbis of the right shape, and it loops without a click or a gap."""

import os
import struct
import subprocess
import tempfile
import unittest
import wave

import numpy as np

import assetlib as A

RATE = 22050
BAR = RATE * 60 * 4 // 105  # samples in one 4/4 bar at 105 BPM


def ogg_pages(data):
    """Yields (granule position, serial, payload) for each Ogg page."""
    pos = 0
    while pos < len(data):
        if data[pos:pos + 4] != b"OggS":
            raise ValueError("no page at offset %d" % pos)
        granule, serial = struct.unpack_from("<qI", data, pos + 6)
        nseg = data[pos + 26]
        lacing = data[pos + 27:pos + 27 + nseg]
        start = pos + 27 + nseg
        end = start + sum(lacing)
        if end > len(data):
            raise ValueError("truncated page at offset %d" % pos)
        yield granule, serial, data[start:end]
        pos = end


def vorbis_info(path):
    with open(path, "rb") as f:
        data = f.read()
    pages = list(ogg_pages(data))
    head = pages[0][2]
    if head[0:7] != b"\x01vorbis":
        raise ValueError("first packet is not a Vorbis identification header")
    channels = head[11]
    rate = struct.unpack_from("<I", head, 12)[0]
    return dict(channels=channels, rate=rate, samples=pages[-1][0],
                serials={p[1] for p in pages}, size=len(data))


def decode(path):
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "out.wav")
        subprocess.run(["oggdec", "--quiet", "-o", wav, path], check=True)
        with wave.open(wav) as w:
            frames = w.readframes(w.getnframes())
            ch = w.getnchannels()
    return np.frombuffer(frames, dtype="<i2").reshape(-1, ch).astype(np.float64) / 32768.0


class Music(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.path = A.path("bgm.ogg")
        cls.info = vorbis_info(cls.path)
        cls.pcm = decode(cls.path)

    def test_stream_shape(self):
        i = self.info
        self.assertEqual(i["channels"], 2)
        self.assertEqual(i["rate"], RATE)
        self.assertEqual(len(i["serials"]), 1, "more than one logical stream")
        self.assertLess(i["size"], 1.5 * 1024 * 1024)
        seconds = i["samples"] / RATE
        self.assertTrue(30.0 <= seconds <= 90.0, "%.1f s" % seconds)
        self.assertEqual(i["samples"] % BAR, 0, "not a whole number of bars at 105 BPM")
        self.assertEqual(len(self.pcm), i["samples"], "decoded length differs from the stream's")

    def test_loop_seam_has_no_click(self):
        x = self.pcm
        step = np.abs(np.diff(x, axis=0))
        seam = np.abs(x[0] - x[-1])
        # a click is a jump larger than almost every step inside the music
        limit = np.percentile(step, 99.5, axis=0)
        self.assertTrue(np.all(seam <= limit), "seam step %s vs 99.5th percentile %s" % (seam, limit))
        # and the slope carries on: the first sample is near the continuation of the last two
        curve = np.abs(x[2:] - 2 * x[1:-1] + x[:-2])
        seam_curve = np.abs(x[0] - 2 * x[-1] + x[-2])
        self.assertTrue(np.all(seam_curve <= np.percentile(curve, 99.5, axis=0)))

    def test_loop_seam_has_no_gap_or_fade(self):
        x = self.pcm
        win = RATE // 20  # 50 ms
        whole = np.sqrt((x ** 2).mean())
        for name, part in (("end", x[-win:]), ("start", x[:win])):
            with self.subTest(part=name):
                self.assertGreater(np.sqrt((part ** 2).mean()), 0.25 * whole, "quiet at the " + name)
        bar_rms = [np.sqrt((x[k:k + BAR] ** 2).mean()) for k in range(0, len(x), BAR)]
        self.assertGreater(bar_rms[0], 0.5 * bar_rms[-1], "first bar much quieter than the last")
        self.assertGreater(bar_rms[-1], 0.5 * bar_rms[0], "last bar much quieter than the first")

    def test_beat_follows_the_sweep_tempo(self):
        """The strongest periodicity of the note onsets is the beat, 60/105 s."""
        mono = self.pcm.mean(axis=1)
        hop = 256
        n = len(mono) // hop
        energy = np.log1p(1000.0 * (mono[:n * hop].reshape(n, hop) ** 2).mean(axis=1))
        onset = np.maximum(np.diff(energy), 0.0)
        onset -= onset.mean()
        spectrum = np.fft.rfft(onset, 2 * len(onset))
        ac = np.fft.irfft(spectrum * np.conj(spectrum))[:len(onset)]
        lags = np.arange(len(ac)) * hop / RATE
        window = (lags > 0.3) & (lags < 1.0)
        best = lags[window][np.argmax(ac[window])]
        self.assertAlmostEqual(best, 60.0 / 105.0, delta=0.02)

    def test_not_clipped_nor_too_quiet(self):
        peak = np.abs(self.pcm).max()
        self.assertLess(peak, 0.999)
        self.assertGreater(peak, 0.5)
        clipped = (np.abs(self.pcm) > 0.99).mean()
        self.assertLess(clipped, 1e-4)


if __name__ == "__main__":
    A.run(globals())
