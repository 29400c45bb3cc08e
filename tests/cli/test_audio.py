"""Clean audio for learners: sample rates and 16 bits, the exact pitch, shaped keying, pads,
practice noise and the encoded formats. Positions are computed here from the timing rules, and
the sound is measured by tests/oracle/spectrum.py on the file read back; FLAC, Ogg, Opus and MP3
are read back by ffmpeg and ffprobe."""

import json
import math
import os
import resource
import shutil
import subprocess
import sys
import unittest
import wave
from fractions import Fraction

sys.path.insert(0, os.path.dirname(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "oracle"))
import spectrum  # noqa: E402
from test_learning import tone_runs  # noqa: E402
from test_velmora_cli import CLI, OUT_OF_MEMORY, WRITTEN, CliTestCase, run, text, wav_model  # noqa: E402

CODES = wav_model.CODES
ENCODERS = os.environ.get("VELMORA_CLI_SNDFILE") == "1"
FFMPEG = shutil.which("ffmpeg") and shutil.which("ffprobe")
SANITIZED = os.environ.get("VELMORA_CLI_SANITIZED") == "1"
KiB = 1024


def boundaries(words, dot_ms, rate, gap_units=(3, 7), stretched=None):
    """(start, end) of every element in samples: each boundary at the sample nearest its exact
    time, a half rounding up. `stretched` gives whole-sample gaps (Farnsworth) instead of units."""
    unit = Fraction(dot_ms * rate, 1000)
    elements, at = [], Fraction(0)
    for w, word in enumerate(words):
        for c, character in enumerate(word):
            if w or c:
                if stretched:
                    at += stretched[1] if c == 0 else stretched[0]
                else:
                    at += unit * (gap_units[1] if c == 0 else gap_units[0])
            for k, element in enumerate(CODES[ord(character)]):
                if k:
                    at += unit
                start = at
                at += unit * (3 if element == "-" else 1)
                elements.append((math.floor(start + Fraction(1, 2)), math.floor(at + Fraction(1, 2))))
    return elements


def silent_runs(samples):
    """tone_runs for samples in steps from the silence (0 is silence)."""
    return tone_runs([s + 128 for s in samples])


class AudioCase(CliTestCase):
    def read(self, name="out.wav"):
        return spectrum.samples_of(self.path(name))

    def make(self, *args, name="out.wav"):
        result, data = self.create(*args, name=name)
        self.assertEqual(result.returncode, 0, text(result.stderr))
        return data


class SamplePositions(AudioCase):
    def test_elements_lie_at_the_nearest_sample_of_their_exact_time(self):
        # 60 ms at 44100/s is 2646 samples; at 11025/s it is 661.5, and at 22050/s a 27 ms dot
        # is 595.35: the boundaries fall between samples and must not drift.
        for rate, dot, words, word_gap in [(44100, 60, ["PARIS", "CQ"], True), (11025, 60, ["SOS5"], False),
                                           (22050, 27, ["HE", "5H"], True), (8000, 60, ["TEST"], False)]:
            with self.subTest(rate=rate, dot=dot):
                args = ["--rate", str(rate), "--bits", "16", "-f", "700", "-d", str(dot)]
                self.make(*args, *(["--word-gap"] if word_gap else []), " ".join(words))
                got_rate, samples = self.read()
                expected = boundaries(words if word_gap else ["".join(words)], dot, rate)
                self.assertEqual(got_rate, rate)
                self.assertEqual(len(samples), expected[-1][1], "the file ends where the last element ends")
                self.assertEqual(silent_runs(samples), expected)

    def test_farnsworth_gaps_and_labels_follow_the_rate(self):
        rate = 44100
        self.make("--rate", str(rate), "--wpm", "20", "--farnsworth", "10", "--word-gap", "--labels",
                  self.path("l.txt"), "PARIS CQ")
        _, samples = self.read()
        ta = (60 * 20 - 37.2 * 10) / (10 * 20)
        gaps = (round(3 * ta / 19 * rate), round(7 * ta / 19 * rate))
        expected = boundaries(["PARIS", "CQ"], 60, rate, stretched=gaps)
        self.assertEqual(silent_runs(samples), expected)
        rows = [line.split("\t") for line in open(self.path("l.txt"), encoding="utf-8").read().splitlines()]
        starts = [round(float(a) * rate) for a, _, _ in rows]
        self.assertEqual(starts[:2], [expected[0][0], expected[4][0]], "P and A start where their tone starts")
        self.assertEqual(round(float(rows[-1][1]) * rate), len(samples))


class Formats(AudioCase):
    def test_the_header_describes_every_rate_and_width(self):
        for rate in [8000, 11025, 16000, 22050, 32000, 44100, 48000]:
            for bits in ["8", "16"]:
                with self.subTest(rate=rate, bits=bits):
                    data = self.make("--rate", str(rate), "--bits", bits, "-d", "10", "E", name=f"{rate}-{bits}.wav")
                    with wave.open(self.path(f"{rate}-{bits}.wav"), "rb") as w:
                        frames = (rate * 10 + 500) // 1000  # 10 ms, to the nearest sample
                        self.assertEqual((w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes()),
                                         (1, int(bits) // 8, rate, frames))
                    self.assertEqual(len(data), 44 + frames * int(bits) // 8 + (frames * int(bits) // 8) % 2)
        if FFMPEG:
            probe = subprocess.run(["ffprobe", "-v", "error", "-show_streams", "-of", "json", self.path("44100-16.wav")],
                                   capture_output=True, text=True)
            stream = json.loads(probe.stdout)["streams"][0]
            self.assertEqual((stream["codec_name"], stream["sample_rate"], stream["bits_per_sample"]),
                             ("pcm_s16le", "44100", 16))

    def test_sixteen_bits_are_signed_and_peak_at_256_times_the_volume(self):
        self.make("--bits", "16", "-f", "500", "-v", "100", "-d", "40", "T")
        _, samples = self.read()
        self.assertEqual((max(samples), min(samples)), (25600, -25600), "500 Hz at 8000/s reaches both peaks")
        self.assertEqual(samples[0], 0, "every element starts at phase 0")

    def test_a_value_a_hair_below_half_a_step_rounds_down_on_every_system(self):
        # 0.49999999999999994, the double just below 1/2, is the nearest whole 0. A C library that
        # rounds as floor(x + 0.5) makes it 1, since the sum rounds to 1.0.
        self.assertEqual(math.sin(2 * math.pi / 12), 0.49999999999999994, "the sine of 1/12 of a cycle in doubles")
        exact = ["--exact-pitch", "--rate", "48000", "-f", "700", "-v", "1", "-d", "10", "E"]
        # 700 Hz at 48000/s: sample 280 is 1/12 of a cycle in, 440 is 5/12, 120 is 3/4 (-1 step).
        self.make(*exact)
        _, samples = self.read()
        self.assertEqual((samples[280], samples[440], samples[120]), (0, 0, -1))
        # A pad or a rise of 0.06249999999999999 ms is 0.49999999999999994 samples at 8000/s: none.
        for options, same_as in [(["--pad", "0.06249999999999999"], []),
                                 (["--rise", "0.06249999999999999"], ["--rise", "0"])]:
            with self.subTest(options=options):
                self.assertEqual(self.make(*options, "SOS", name="hair.wav"),
                                 self.make(*same_as, "SOS", name="none.wav"))


class Pitch(AudioCase):
    def test_the_exact_pitch_against_the_whole_sample_period(self):
        # A long dash: the tone measured over 3 s, 1800 cycles and more.
        for frequency, options, heard in [(600, ["--exact-pitch"], 600.0), (700, ["--exact-pitch"], 700.0),
                                          (900, ["--rate", "44100", "--bits", "16"], 900.0),
                                          (600, [], 8000 / 13), (900, [], 1000.0)]:
            with self.subTest(frequency=frequency, options=options):
                self.make(*options, "-f", str(frequency), "-d", "1000", "T")
                rate, samples = self.read()
                self.assertAlmostEqual(spectrum.pitch(samples, rate), heard, delta=0.5)


class Keying(AudioCase):
    def test_the_splatter_targets_of_a_dot_train(self):
        # 20 WPM, 600 Hz, volume 127: energy beyond 200 Hz (and 500 Hz) of the carrier against
        # the energy within 50 Hz of it.
        for options, beyond, most in [([], 200, -18.0), (["--rise", "5", "--bits", "16"], 200, -36.0),
                                      (["--rise", "5", "--bits", "16"], 500, -58.0), (["--rise", "5"], 500, -48.0),
                                      (["--rise", "8"], 200, -44.0)]:
            with self.subTest(options=options, beyond=beyond):
                self.make(*options, "--wpm", "20", "-f", "600", "-v", "127", "5555555555")
                rate, samples = self.read()
                measured = spectrum.splatter_db(samples, rate, 600, beyond)
                self.assertLessEqual(measured, most)
                if not options:
                    self.assertGreater(measured, -24.0, "keyed hard, the clicks are there to be measured")

    def test_the_edges_lie_inside_each_element(self):
        # No tone before an element's nominal start or after its nominal end; the full volume in
        # between. A rise longer than half a dot is held there, with a warning.
        for rise, warned in [("5", False), ("30", False), ("45", True)]:
            with self.subTest(rise=rise):
                result, _ = self.create("--rise", rise, "--rate", "44100", "--bits", "16", "-f", "600", "-v", "100",
                                        "--wpm", "20", "--word-gap", "SOS TEST")
                self.assertEqual(result.returncode, 0, text(result.stderr))
                self.assertEqual("--rise 45 is longer than half a dot" in text(result.stderr), warned)
                _, samples = self.read()
                expected = boundaries(["SOS", "TEST"], 60, 44100)
                previous = 0
                for start, end in expected:
                    self.assertFalse(any(samples[previous:start]), "silence between elements")
                    self.assertGreaterEqual(max(samples[start:end]), 25000)
                    previous = end
                self.assertEqual(len(samples), previous)
        _, held = self.create("--rise", "45", "--wpm", "20", "E", name="held.wav")
        _, half = self.create("--rise", "30", "--wpm", "20", "E", name="half.wav")
        self.assertEqual(held, half, "held to half of the 60 ms dot")

    def test_a_rise_of_more_samples_than_64_bits_count_is_held_with_a_warning(self):
        for rise in ["1" + "0" * 22, "9" * 400]:
            with self.subTest(digits=len(rise)):
                result, held = self.create("--rise", rise, "--wpm", "20", "E", name="huge.wav")
                self.assertEqual(result.returncode, 0, text(result.stderr))
                self.assertIn("is longer than half a dot: each edge takes 30 ms", text(result.stderr))
                self.assertEqual(held, self.create("--rise", "30", "--wpm", "20", "E", name="half.wav")[1])


class Pad(AudioCase):
    def test_silence_before_and_after(self):
        # The window's tone stays the window's: the pads are the only change.
        self.make("--pad", "250", "E")
        rate, samples = self.read()
        self.assertEqual(len(samples), 2000 + 800 + 2000)
        self.assertFalse(any(samples[:2000]) or any(samples[2800:]))
        self.assertEqual(bytes(s + 128 for s in samples[2000:2800]), wav_model.wav(b"E")[44:])
        self.make("--pad", "250", "--rate", "44100", "--bits", "16", "--labels", self.path("p.csv"), "E", name="p.wav")
        rate, samples = self.read("p.wav")
        self.assertEqual(len(samples), 11025 + 4410 + 11025)
        self.assertEqual(silent_runs(samples), [(11025, 11025 + 4410)])
        row = open(self.path("p.csv"), encoding="utf-8").read().splitlines()[1]
        self.assertTrue(row.startswith("0.250000,0.350000,E,"), row)
        self.assertEqual(self.make("--pad", "0", "SOS", name="zero.wav"), wav_model.wav(b"SOS"))

    def test_every_file_of_a_batch_gets_it(self):
        with open(self.path("drills.txt"), "w", encoding="utf-8") as f:
            f.write("E\nT\n")
        result = run("--batch", "--pad", "100", "-i", self.path("drills.txt"), "-o", self.path("out"))
        self.assertEqual(result.returncode, 0, text(result.stderr))
        for name, message in [("0001.wav", b"E"), ("0002.wav", b"T")]:
            data = open(os.path.join(self.path("out"), name), "rb").read()
            body = wav_model.wav(message)[44:]
            self.assertEqual(data[44:], bytes([128]) * 800 + body + bytes([128]) * 800)


    def test_pads_that_do_not_fit_a_wav_file_are_refused_and_named(self):
        # 2^31 - 1 bytes of samples at most: 1 073 741 416 samples of each pad and 800 of E.
        for pad, status in [("134217677", 0), ("134217678", 3)]:
            with self.subTest(pad=pad):
                result = run("--pad", pad, "-n", "E")
                self.assertEqual(result.returncode, status, text(result.stderr))
                said = text(result.stdout)
                self.assertIn("samples:  2147483632" if status == 0 else
                              "1 unit with a dot of 100 ms and the silence around them do not fit", said)


class Noise(AudioCase):
    def test_the_measured_ratio_is_the_asked_one(self):
        # The tone's mean power while it sounds, against the noise (the noisy file less the clean
        # one) within 500 Hz around the tone.
        for rate, snr in [(8000, 10.0), (16000, 20.0), (8000, 0.0)]:
            with self.subTest(rate=rate, snr=snr):
                args = ["--rate", str(rate), "--bits", "16", "-f", "1000", "-v", "5", "-d", "200", "TTTT"]
                self.make(*args, name="clean.wav")
                self.make(*args, "--noise", str(snr), "--seed", "7", name="noisy.wav")
                _, clean = self.read("clean.wav")
                _, noisy = self.read("noisy.wav")
                sounding = [s for start, end in silent_runs(clean) for s in clean[start:end]]
                signal = sum(s * s for s in sounding) / len(sounding)
                noise = [b - a for a, b in zip(clean, noisy)]
                band = spectrum.band_power(noise, rate, 1000 - 250, 1000 + 250)
                self.assertAlmostEqual(10 * math.log10(signal / band), snr, delta=1.0)

    def test_the_same_seed_gives_the_same_bytes(self):
        made = [self.make("--noise", "6", "--rise", "5", *seed, "CQ", name=f"{k}.wav")
                for k, seed in enumerate([["--seed", "42"], ["--seed", "42"], ["--seed", "43"], [], []])]
        self.assertEqual(made[0], made[1])
        self.assertNotEqual(made[0], made[2])
        self.assertNotEqual(made[3], made[4], "without --seed, a new seed every time")
        self.assertEqual(run("--seed", "1", "-n", "E").returncode, 2, "--seed needs --noise")


@unittest.skipUnless(ENCODERS and FFMPEG, "this build writes WAV only, or ffmpeg is not installed")
class EncodedFormats(AudioCase):
    def decode(self, name, sample_format):
        return subprocess.run(["ffmpeg", "-v", "error", "-i", self.path(name), "-f", sample_format, "-"],
                              capture_output=True, check=True).stdout

    def duration(self, name):
        probe = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0",
                                self.path(name)], capture_output=True, text=True, check=True)
        return float(probe.stdout)

    def test_flac_decodes_to_the_samples_of_the_wav(self):
        for options, sample_format in [([], "u8"), (["--rate", "44100", "--bits", "16", "--rise", "5"], "s16le"),
                                       (["--bits", "16", "--noise", "3", "--seed", "1", "--pad", "100"], "s16le")]:
            with self.subTest(options=options):
                wav = self.make(*options, "--wpm", "25", "-f", "650", "CQ DE JA1", name="x.wav")
                result, _ = self.create(*options, "--wpm", "25", "-f", "650", "CQ DE JA1", name="x.flac")
                self.assertEqual(result.returncode, 0, text(result.stderr))
                self.assertIn("FLACファイルを出力しました", text(result.stderr))
                self.assertEqual(self.decode("x.flac", sample_format), wav[44:])

    def test_lossy_formats_last_as_long_as_the_wav(self):
        # Encoders add a little at the ends (MP3 a frame or so); the length must otherwise hold.
        for name, options, slack in [("x.ogg", [], 0.01), ("x.oga", ["--rate", "22050"], 0.01),
                                     ("x.opus", ["--rate", "48000", "--rise", "5"], 0.03),
                                     ("x.mp3", ["--rate", "44100", "--pad", "200"], 0.1), ("x.MP3", [], 0.2)]:
            with self.subTest(name=name):
                wav = self.make(*options, "--wpm", "20", "PARIS", name="x.wav")
                with wave.open(self.path("x.wav"), "rb") as w:
                    seconds = w.getnframes() / w.getframerate()
                self.make(*options, "--wpm", "20", "PARIS", name=name)
                self.assertTrue(wav)
                self.assertAlmostEqual(self.duration(name), seconds, delta=slack)

    def test_format_names_streams_batches_and_labels(self):
        result = run("--format", "ogg", "-o", "-", "SOS")
        self.assertEqual(result.returncode, 0, text(result.stderr))
        self.assertEqual(result.stdout[:4], b"OggS")
        self.make("--format", "flac", "--labels", self.path("f.srt"), "SOS", name="named.bin")
        self.assertEqual(open(self.path("named.bin"), "rb").read(4), b"fLaC")
        self.make("--labels", self.path("w.srt"), "SOS", name="w.wav")
        self.assertEqual(open(self.path("f.srt"), encoding="utf-8").read(),
                         open(self.path("w.srt"), encoding="utf-8").read())
        with open(self.path("drills.txt"), "w", encoding="utf-8") as f:
            f.write("E\nT\n")
        result = run("--batch", "--format", "mp3", "-i", self.path("drills.txt"), "-o", self.path("out"))
        self.assertEqual(result.returncode, 0, text(result.stderr))
        self.assertEqual(sorted(os.listdir(self.path("out"))), ["0001.mp3", "0002.mp3"])

    def test_an_existing_target_is_replaced_as_a_wav_is(self):
        # A second hard link keeps sharing the file (rewritten in place); a symbolic link stays
        # and the file it names is written; no temporary file is left beside them.
        for name in ["linked.flac", "old.flac", "other.flac"]:
            with open(self.path(name), "wb") as f:
                f.write(b"old contents")
        os.link(self.path("linked.flac"), self.path("second.flac"))
        os.symlink("other.flac", self.path("pointer.flac"))
        for name, shared in [("linked.flac", "second.flac"), ("old.flac", None), ("pointer.flac", "other.flac")]:
            with self.subTest(name=name):
                self.make("SOS", name=name)
                self.assertEqual(self.decode(name, "u8"), wav_model.wav(b"SOS")[44:])
                if shared:
                    self.assertEqual(open(self.path(shared), "rb").read(), open(self.path(name), "rb").read())
        self.assertTrue(os.path.islink(self.path("pointer.flac")))
        self.assertEqual(sorted(os.listdir(self.folder)),
                         ["linked.flac", "old.flac", "other.flac", "pointer.flac", "second.flac"])

    @unittest.skipIf(SANITIZED, "AddressSanitizer's shadow leaves no room for a limit on virtual memory")
    def test_running_out_of_memory_while_encoding_is_status_4_never_a_crash(self):
        def limited(args, limit):
            return subprocess.run([CLI, *args], capture_output=True, timeout=120,
                                  preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_AS, (limit, limit)))

        # The least address space in which the program starts and reads its options; the
        # encoders start a little above it (libvorbis and LAME crash when they get none).
        low, high = 1024 * KiB, 256 * 1024 * KiB
        while high - low > 16 * KiB:
            middle = (low + high) // 2
            low, high = (low, middle) if limited(["-q", "-n", "E"], middle).returncode == 0 else (middle, high)
        for name in ["x.ogg", "x.mp3", "x.flac"]:
            for limit in range(high, high + 3 * 1024 * KiB, 32 * KiB):
                result = limited(["-q", "--rate", "48000", "--bits", "16", "-o", self.path(name), "E"], limit)
                self.assertIn(result.returncode, (0, 4), f"{name} in {limit // KiB} KiB: {text(result.stderr)}")
        # A target with another hard link keeps the encoded file in memory to rewrite it in place;
        # its line runs out, the old file stays, and the batch goes on.
        os.makedirs(self.path("out"))
        with open(self.path("out/0001.flac"), "wb") as f:
            f.write(b"old contents")
        os.link(self.path("out/0001.flac"), self.path("second.flac"))
        with open(self.path("drills.txt"), "w", encoding="utf-8") as f:
            f.write("E\nT\n")
        noisy = ["--rate", "48000", "--bits", "16", "--noise", "-30", "-v", "127", "--seed", "1", "--pad", "150000"]
        result = limited(["--batch", "--overwrite", "--format", "flac", *noisy, "-i", self.path("drills.txt"),
                          "-o", self.path("out")], high + 24 * 1024 * KiB)
        self.assertEqual(result.returncode, 4, text(result.stderr))
        self.assertIn("line 1: " + OUT_OF_MEMORY, text(result.stderr))
        self.assertEqual(open(self.path("second.flac"), "rb").read(), b"old contents")
        self.assertEqual(sorted(os.listdir(self.path("out"))), ["0001.flac", "0002.flac"])
        self.assertGreater(self.duration("out/0002.flac"), 300)
        self.assertEqual(sorted(n for n in os.listdir(self.folder) if n.startswith(".")), [])

    def test_what_a_format_cannot_take_is_a_usage_error(self):
        for args, said in [(["--format", "flac", "-o", "-"], "standard output cannot"),
                           (["--format", "mp3", "-o", "-"], "standard output cannot"),
                           (["--rate", "44100", "-o", self.path("x.opus")], "Opus takes 8000, 16000 or 48000"),
                           (["--format", "mp3", "-o", self.path("x.flac")], "named for FLAC"),
                           (["--format", "aiff", "-o", self.path("x.wav")], "unknown format 'aiff'")]:
            with self.subTest(args=args):
                result = run(*args, "E")
                self.assertEqual(result.returncode, 2)
                self.assertIn(said, text(result.stderr))


@unittest.skipIf(ENCODERS, "this build has the encoders")
class WavOnlyBuild(CliTestCase):
    def test_every_other_format_is_a_clear_usage_error(self):
        for args in [["-o", self.path("x.flac")], ["--format", "ogg", "-o", self.path("x.bin")],
                     ["-o", self.path("x.mp3")], ["--format", "opus", "-o", "-"]]:
            with self.subTest(args=args):
                result = run(*args, "E")
                self.assertEqual(result.returncode, 2)
                self.assertIn("writes WAV only: it was built without libsndfile", text(result.stderr))
        result, data = self.create("--format", "wav", "E", name="x.wav")
        self.assertIn(WRITTEN, text(result.stderr))
        self.assertEqual(data, wav_model.wav(b"E"))


if __name__ == "__main__":
    unittest.main()
