"""The options Morse learners use: speed in WPM, word gaps, Farnsworth timing, label tracks and
batches. Element positions are computed here from the timing rules and read back from the WAV."""

import io
import os
import shutil
import subprocess
import sys
import unittest
import wave

sys.path.insert(0, os.path.dirname(__file__))
from test_velmora_cli import NOTHING_TO_SOUND, UNDER_WINE, WRITTEN, CliTestCase, run, text, wav_model  # noqa: E402

RATE = 8000
CODES = wav_model.CODES


def expected_elements(words, unit, character_gap, word_gap, sequence_of=lambda character: CODES[ord(character)]):
    """(start, end) of every element, in samples, for words of sounded characters."""
    elements, position = [], 0
    for w, word in enumerate(words):
        for c, character in enumerate(word):
            if w or c:
                position += word_gap if c == 0 else character_gap
            for k, element in enumerate(sequence_of(character)):
                if k:
                    position += unit
                span = unit * (3 if element == "-" else 1)
                elements.append((position, position + span))
                position += span
    return elements, position


def tone_runs(samples):
    """(start, end) of each stretch of tone: an element starts at phase 0, whose sample is silence,
    and its other silent samples are single; eight silent samples in a row are a gap."""
    runs, start, silent = [], None, 0
    for i, s in enumerate(samples):
        if s != 128:
            if start is None:
                start = i - 1
            silent = 0
            end = i + 1
        elif start is not None:
            silent += 1
            if silent == 8:
                runs.append((start, end))
                start = None
    if start is not None:
        runs.append((start, end))
    return runs


class Timing(CliTestCase):
    def test_wpm_is_the_dot_length_of_paris(self):
        for wpm, dot in [("20", "60"), ("12", "100"), ("13.5", "89"), ("5", "240")]:
            with self.subTest(wpm=wpm):
                _, by_speed = self.create("-q", "--wpm", wpm, "PARIS", name="w.wav")
                _, by_dot = self.create("-q", "-d", dot, "PARIS", name="d.wav")
                self.assertEqual(by_speed, by_dot)
                self.assertEqual(by_speed, wav_model.wav(b"PARIS", dot=dot.encode()))
        self.assertEqual(run("-o", self.path("x.wav"), "--wpm", "20", "-d", "60", "E").returncode, 2)
        # The dot must round to 1 ms or more and fit a field, never wrap into another length.
        for wpm, status, said in [("2000", 0, "(a dot of 1 ms)"), ("2500", 2, "shorter than 1 ms"),
                                  ("5e-7", 2, "longer than 2147483647 ms"), ("1e-300", 2, "longer than")]:
            result = run("-n", "--wpm", wpm, "E")
            self.assertEqual(result.returncode, status, wpm)
            self.assertIn(said, text(result.stdout + result.stderr), wpm)

    def test_word_gaps_at_their_sample_positions(self):
        result, data = self.create("--word-gap", "-d", "10", " CQ  CQ\tDE\u3000JA1, TEST ")
        self.assertEqual(result.returncode, 0, text(result.stderr))
        self.assertNotIn("U+0020", text(result.stderr), "whitespace parts words and is not left out")
        elements, length = expected_elements(["CQ", "CQ", "DE", "JA1", "TEST"], 80, 240, 560)
        self.assertEqual(len(data), 44 + length, "no gap before the first or after the last word")
        self.assertEqual(tone_runs(data[44:]), elements)

    def test_farnsworth_stretches_only_the_gaps(self):
        result, data = self.create("--wpm", "20", "--farnsworth", "10", "--word-gap", "PARIS PARIS")
        self.assertEqual(result.returncode, 0, text(result.stderr))
        ta = (60 * 20 - 37.2 * 10) / (10 * 20)
        elements, length = expected_elements(["PARIS", "PARIS"], 480, round(3 * ta / 19 * RATE),
                                             round(7 * ta / 19 * RATE))
        self.assertEqual(len(data), 44 + length)
        self.assertEqual(tone_runs(data[44:]), elements)
        # One stretched gap of 5229 samples: an odd data chunk, which RIFF pads with one 0 byte.
        result, data = self.create("--wpm", "20", "--farnsworth", "10", "AB")
        elements, length = expected_elements(["AB"], 480, round(3 * ta / 19 * RATE), 0)
        self.assertEqual((length % 2, len(data), data[-1]), (1, 44 + length + 1, 0))
        self.assertEqual(int.from_bytes(data[4:8], "little"), 36 + length + 1)
        with wave.open(io.BytesIO(data)) as w:
            self.assertEqual(w.getnframes(), length)
        self.assertEqual(tone_runs(data[44:-1]), elements)
        dry = text(run("-n", "--wpm", "20", "--farnsworth", "10", "E").stdout)
        self.assertIn("10 WPM overall, characters at 20 WPM", dry)
        # At 0.5 WPM overall, characters at 12: ta = (60 x 12 - 37.2 x 0.5) / (0.5 x 12) s = 116.9 s,
        # 3 ta / 19 and 7 ta / 19 apart, whole samples at 8000 a second.
        slow = text(run("-n", "--farnsworth", "0.5", "PARIS").stdout)
        self.assertIn("gaps:     18458 ms between characters, 43068 ms between words", slow)
        slowest = run("-n", "--wpm", "20", "--farnsworth", "0.0001", "PARIS PARIS")
        self.assertEqual(slowest.returncode, 3)
        self.assertIn("(93 units with a dot of 60 ms and gaps for 0.0001 WPM overall do not fit a WAV file)",
                      text(slowest.stdout))
        self.assertEqual(run("-n", "--wpm", "20", "--farnsworth", "20", "E").returncode, 2, "s must be below c")

    def test_farnsworth_keeps_words_apart_and_runs_at_its_overall_speed(self):
        _, implied = self.create("--wpm", "20", "--farnsworth", "10", "PARIS PARIS PARIS PARIS", name="i.wav")
        _, given = self.create("--wpm", "20", "--farnsworth", "10", "--word-gap", "PARIS PARIS PARIS PARIS")
        self.assertEqual(implied, given)
        # Four words at 10 WPM take 4 x 6 s, the word gap after the last included; each of the 20
        # gaps is a whole number of samples.
        ta = (60 * 20 - 37.2 * 10) / (10 * 20)
        self.assertAlmostEqual(len(implied) - 44 + round(7 * ta / 19 * RATE), 24 * RATE, delta=20 * 0.5)
        self.assertIn("--word-gap", text(run("--help").stdout).split("--farnsworth")[1].split("--labels")[0])

    def test_a_farnsworth_speed_whose_word_gap_fits_no_file_is_a_usage_error(self):
        # The word gap, 7/19 of the stretch, may take at most the 2^31 - 1 samples a file holds.
        slowest = 60 / ((2**31 - 1) / RATE * 19 / 7 + 37.2 / 20)
        for speed, status in [("1e-300", 2), (f"{slowest * 0.999:.9g}", 2), (f"{slowest * 1.001:.9g}", 0)]:
            with self.subTest(speed=speed):
                result = run("-o", self.path("f.wav"), "--wpm", "20", "--farnsworth", speed, "E")
                self.assertEqual(result.returncode, status, text(result.stderr))
                self.assertEqual(os.path.exists(self.path("f.wav")), status == 0)
                if status == 2:
                    self.assertIn("longer than a WAV file holds", text(result.stderr))

    def test_speeds_are_decimal_and_a_rounded_one_is_pointed_out(self):
        for option in ("--wpm", "--farnsworth"):
            for value in ("0x10", "0x1p4", "inf", "nan", "Infinity", "1e", " 5", "5 "):
                with self.subTest(option=option, value=value):
                    result = run("-n", "--wpm", "30", option, value, "E")
                    self.assertEqual(result.returncode, 2)
                    self.assertIn("a decimal number above 0", text(result.stderr))
        # The dot is a whole number of milliseconds: the speed heard, and a warning past 1 %.
        for wpm, dot, heard in [("2400", 1, "1200"), ("700", 2, "600"), ("800", 2, "600"), ("13.5", 89, None),
                                ("1.5e1", 80, None)]:
            with self.subTest(wpm=wpm):
                result = run("-n", "--wpm", wpm, "E")
                self.assertEqual(result.returncode, 0)
                self.assertIn(f"(a dot of {dot} ms)", text(result.stdout))
                warning = f"warning: --wpm {wpm} sounds as {heard} WPM"
                if heard:
                    self.assertIn(warning, text(result.stderr))
                else:
                    self.assertNotIn("sounds as", text(result.stderr))

    def test_a_word_gap_only_where_whitespace_was_typed(self):
        # The second byte of ＝ ａ メ is 0x81: with @ after it, it is no ideographic space.
        _, plain = self.create("--word-gap", "AB", name="ab.wav")
        for message in ("A＝@B", "Aａ@B", "Aメ@B", "A＝＝@B"):
            with self.subTest(message=message):
                result, data = self.create("--word-gap", message)
                self.assertEqual(data, plain)
                cp932 = run("-n", "-e", "cp932", "--word-gap", "-i", "-", stdin=message.encode("cp932"))
                self.assertIn("elements: .- -...\n", text(cp932.stdout))
        _, spaced = self.create("--word-gap", "A＝　B", name="s.wav")
        self.assertEqual(tone_runs(spaced[44:]), expected_elements(["A", "B"], 800, 2400, 5600)[0])

    def test_a_byte_order_mark_starts_the_input_and_is_no_character(self):
        with open(self.path("bom.txt"), "wb") as f:
            f.write(b"\xef\xbb\xbfSOS\n")
        for source, stdin in [(self.path("bom.txt"), b""), ("-", b"\xef\xbb\xbfSOS")]:
            with self.subTest(source=source):
                result, data = self.create("-i", source, stdin=stdin)
                self.assertEqual((result.returncode, text(result.stderr)), (0, f"{WRITTEN}\n"))
                self.assertEqual(data, wav_model.wav(b"SOS"))
        # Only at the very start, and code page 932 has none: there its bytes are the message's.
        self.assertIn("U+FEFF", text(run("-n", "E\ufeffE").stderr))
        self.assertIn("0xEF 0xBB", text(run("-n", "-e", "cp932", "-i", self.path("bom.txt")).stderr))


class Labels(CliTestCase):
    def test_labels_lie_on_the_tone_and_the_gaps_between_them_are_silent(self):
        result, data = self.create("--word-gap", "--wpm", "25", "--farnsworth", "15", "--labels",
                                   self.path("l.txt"), "SOS ｲﾛﾊ (1)")
        self.assertEqual(result.returncode, 0, text(result.stderr))
        samples = data[44:]
        rows = [line.split("\t") for line in open(self.path("l.txt"), encoding="utf-8").read().splitlines()]
        labels = [(round(float(a) * RATE), round(float(b) * RATE), t.split(" ")) for a, b, t in rows]
        self.assertEqual([c for _, _, (c, _) in labels], list("SOSｲﾛﾊ(1)"))
        self.assertEqual([e for _, _, (_, e) in labels], [CODES[ord(c)] for c in "SOS"] +
                         [CODES[b] for b in "ｲﾛﾊ".encode("cp932")] + [CODES[ord(c)] for c in "(1)"])
        previous_end = 0
        for start, end, _ in labels:
            self.assertNotEqual(samples[start + 1], 128, "a label starts on its first element")
            self.assertNotEqual(samples[end - 1], 128, "and ends on its last")
            self.assertTrue(all(s == 128 for s in samples[previous_end:start]), "the gap before it is silent")
            previous_end = end
        self.assertEqual(previous_end, len(samples))

    def test_every_format_and_standard_output(self):
        for name, first in [("l.srt", "1\n00:00:00,000 --> 00:00:00,100\nE .\n"),
                            ("l.vtt", "WEBVTT\n\n00:00:00.000 --> 00:00:00.100\nE .\n"),
                            ("l.csv", "start,end,character,elements\n0.000000,0.100000,E,.\n")]:
            with self.subTest(format=name):
                result = run("-q", "--labels", self.path(name), "-o", "-", "ET")
                self.assertEqual(result.stdout, wav_model.wav(b"ET"))
                self.assertTrue(open(self.path(name), encoding="utf-8").read().startswith(first))
        self.assertEqual(run("--labels", self.path("l.doc"), "-o", self.path("x.wav"), "E").returncode, 2)


class Batch(CliTestCase):
    def test_a_refused_line_does_not_stop_the_others(self):
        with open(self.path("drills.txt"), "w", encoding="utf-8") as f:
            f.write("SOS\r\nPARIS\n\n!!!\nCQ\n")
        result = run("--batch", "-i", self.path("drills.txt"), "-o", self.path("out"), "--labels", "x.srt")
        self.assertEqual(result.returncode, 3, "the worst outcome: a refused line")
        self.assertIn(f"line 4: {NOTHING_TO_SOUND}", text(result.stderr))
        self.assertIn(f"line 5: {WRITTEN}", text(result.stderr))
        self.assertEqual(sorted(os.listdir(self.path("out"))),
                         ["0001.srt", "0001.wav", "0002.srt", "0002.wav", "0005.srt", "0005.wav"])
        for name, message in [("0001.wav", b"SOS"), ("0002.wav", b"PARIS"), ("0005.wav", b"CQ")]:
            self.assertEqual(open(os.path.join(self.path("out"), name), "rb").read(), wav_model.wav(message))


    def batch(self, lines, *options, folder="out"):
        with open(self.path("lines.txt"), "wb") as f:
            f.write(lines)
        return run("--batch", "-i", self.path("lines.txt"), "-o", self.path(folder), *options)

    def files(self, folder="out"):
        return {name: open(os.path.join(self.path(folder), name), "rb").read()
                for name in sorted(os.listdir(self.path(folder)))}

    def test_a_batch_with_nothing_to_sound_is_refused(self):
        for lines in (b"", b"\n\r\n\n", b"\xef\xbb\xbf\n"):
            with self.subTest(lines=lines):
                result = self.batch(lines)
                self.assertEqual(result.returncode, 3)
                self.assertIn("the input has no line to sound", text(result.stderr))
                self.assertFalse(os.path.exists(self.path("out")), "nothing is made")

    def test_an_earlier_batch_in_the_folder_is_refused_or_removed(self):
        self.assertEqual(self.batch(b"SOS\nE\nT\n", "--labels", ".srt").returncode, 0)
        with open(os.path.join(self.path("out"), "notes.txt"), "wb") as f:
            f.write(b"mine")
        before = self.files()
        result = self.batch(b"CQ\n!!!\n", "--labels", "x.srt")
        self.assertEqual(result.returncode, 2)
        self.assertIn("0001.srt, 0001.wav, 0002.srt, 0002.wav, 0003.srt, 0003.wav; give --overwrite",
                      text(result.stderr))
        self.assertEqual(self.files(), before, "nothing is touched")
        # With --overwrite the folder holds this run alone: line 1 replaces its files, line 2 is
        # refused, and no file of the earlier run is left beside them. Files of other names stay.
        result = self.batch(b"CQ\n!!!\n", "--labels", "x.srt", "--overwrite")
        self.assertEqual(result.returncode, 3)
        self.assertIn("removed 4 files of an earlier batch", text(result.stderr))
        after = self.files()
        self.assertEqual(sorted(after), ["0001.srt", "0001.wav", "notes.txt"])
        self.assertEqual(after["0001.wav"], wav_model.wav(b"CQ"))
        self.assertEqual(self.batch(b"E\n", "--overwrite").returncode, 0, "a folder of other files is no batch")
        self.assertEqual(sorted(self.files()), ["0001.srt", "0001.wav", "notes.txt"], "only .wav without labels")
        self.assertEqual(run("--overwrite", "-o", self.path("x.wav"), "E").returncode, 2, "only with --batch")

    def test_numbers_past_9999_lines_keep_the_names_sorted(self):
        result = self.batch(b"E\n" + b"\n" * 9998 + b"T\n", "--labels", ".txt")
        self.assertEqual(result.returncode, 0, text(result.stderr))
        self.assertEqual(sorted(self.files()), ["00001.txt", "00001.wav", "10000.txt", "10000.wav"])
        self.assertEqual(self.files()["10000.wav"], wav_model.wav(b"T"))

    def test_a_folder_that_cannot_be_made_is_a_file_failure(self):
        with open(self.path("file"), "wb") as f:
            f.write(b"x")
        for folder, status in [("missing/deeper", 1), ("file", 1)]:
            with self.subTest(folder=folder):
                result = self.batch(b"E\n", folder=folder)
                self.assertEqual(result.returncode, status)
                self.assertIn("cannot make the folder", text(result.stderr))
        result = self.batch(b"E\n", "--labels", os.path.join("labels", "x.vtt"))
        self.assertEqual(result.returncode, 2)
        self.assertIn("--labels gives only the extension", text(result.stderr))
        self.assertFalse(os.path.exists(self.path("out")))
        # A folder whose earlier files cannot be removed: line 1's file is rewritten where it is,
        # line 2's stays and is named.
        self.assertEqual(self.batch(b"E\nE\n").returncode, 0)
        subprocess.run(["chattr", "+i", self.path("out")], check=True)
        result = self.batch(b"T\n", "--overwrite")
        self.assertEqual(result.returncode, 1)
        self.assertIn("cannot remove 0002.wav of an earlier batch", text(result.stderr))
        self.assertEqual(self.files(), {"0001.wav": wav_model.wav(b"T"), "0002.wav": wav_model.wav(b"E")})

    @unittest.skipUnless(UNDER_WINE, "every name is a name on POSIX systems")
    def test_a_folder_whose_name_the_system_cannot_write_is_refused_first(self):
        # No line's file can be named in the Windows code page: the batch stops before it makes
        # the folder, or with --overwrite before it removes an earlier batch's files.
        self.assertEqual(self.batch(b"E\nT\n").returncode, 0)
        before = self.files()
        for options, made in [((), False), (("--overwrite",), True)]:
            with self.subTest(options=options):
                if made:
                    shutil.copytree(self.path("out"), self.path("d\U0001F600"))
                result = self.batch(b"E\nT\n", *options, folder="d\U0001F600")
                self.assertEqual(result.returncode, 2)
                self.assertIn("cannot be written on this system", text(result.stderr))
                self.assertEqual(os.path.exists(self.path("d\U0001F600")), made)
                if made:
                    self.assertEqual(self.files("d\U0001F600"), before, "the earlier batch's files stay")


class FoldKana(CliTestCase):
    def test_a_sentence_typed_in_full_width(self):
        typed, half_width = "ガッコウ　へ　いきます。ＡＢＣ１２３", "ｶﾞﾂｺｳ　ﾍ　ｲｷﾏｽ｡ABC123"
        result, data = self.create("--fold-kana", typed)
        self.assertEqual(result.returncode, 0, text(result.stderr))
        self.assertEqual(data, wav_model.wav(half_width.encode("cp932")))
        self.assertIn("'。' (U+3002) has no Morse code; left out once, at character 12", text(result.stderr))
        _, words = self.create("--fold-kana", "--word-gap", "--labels", self.path("k.txt"), typed, name="w.wav")
        self.assertEqual(words, self.create("--word-gap", half_width, name="h.wav")[1])
        shown = [line.split("\t")[2].split(" ")[0] for line in open(self.path("k.txt"), encoding="utf-8")]
        self.assertEqual(shown, list("ガガッコウへいきますＡＢＣ１２３"), "each character as it was typed")

    def test_small_kana_sound_as_wabun_sends_them(self):
        for typed, full_size in [("キャッ", "ｷﾔﾂ"), ("きゃっ", "ｷﾔﾂ"), ("ｷｬｯ", "ｷﾔﾂ"), ("ヴァイオリン", "ｳﾞｱｲｵﾘﾝ"),
                                 ("ぁぃぅぇぉゎョュ", "ｱｲｳｴｵﾜﾖﾕ")]:
            with self.subTest(typed=typed):
                result, data = self.create("--fold-kana", typed)
                self.assertEqual((result.returncode, text(result.stderr)), (0, f"{WRITTEN}\n"))
                self.assertEqual(data, wav_model.wav(full_size.encode("cp932")))
        # Typed without --fold-kana, a half-width small kana is the window's byte, which has no code.
        self.assertEqual(self.create("ｷｬ", name="w.wav")[1], wav_model.wav("ｷｬ".encode("cp932")))
        # What is left out is named as typed, each typed form counted on its own.
        report = text(self.create("--fold-kana", "ア。｡!！")[0].stderr)
        for line in ["'。' (U+3002) has no Morse code; left out once, at character 2",
                     "'｡' (U+FF61) has no Morse code; left out once, at character 3",
                     "'!' (U+0021) has no Morse code; left out once, at character 4",
                     "'！' (U+FF01) has no Morse code; left out once, at character 5"]:
            self.assertIn(line, report)


class CodeList(unittest.TestCase):
    def test_the_list_is_the_code_table(self):
        listed = {}
        for line in text(run("--list-codes").stdout).splitlines():
            parts = line.split()
            if len(parts) == 4 and parts[3] == "units":
                listed[parts[0].encode("cp932")] = (parts[1], int(parts[2]))
        self.assertEqual(len(listed), 113)
        for byte, sequence in CODES.items():
            self.assertEqual(listed[bytes([byte])][0], sequence)


def punctuated(character):
    """The elements of one character or prosign with --punctuation, from the independent model."""
    (sequence,) = wav_model.sequences(character.encode("cp932"), punctuation=True)
    return sequence


class Punctuation(CliTestCase):
    MARKS = "".join(wav_model.ITU_MARKS)

    def test_files_match_the_model_byte_for_byte(self):
        # Every mark; prosigns in either case, and what is none; a double-byte character whose
        # second byte is a letter (ア), '@' (ァ, the ideographic space) or '_' (ダ); the window's
        # parentheses replaced.
        for message in [self.MARKS, "CQ DE JA1ABC <KN>", "<SOS> <sk> <A R> <> <A1> a<b> <AR", "(1) アァ\u3000ダ＠ ｲﾛﾊ"]:
            with self.subTest(message=message):
                result, data = self.create("--punctuation", "-d", "20", "--", message)
                self.assertEqual(result.returncode, 0, text(result.stderr))
                self.assertEqual(data, wav_model.wav(message.encode("cp932"), dot=b"20", punctuation=True))
        # Code page 932 as given: a lead byte before a byte that ends no character stands alone.
        with open(self.path("m.txt"), "wb") as f:
            f.write(b"\x88<AR>\x81(\x83@\x83A")
        _, data = self.create("-q", "--punctuation", "-e", "cp932", "-d", "20", "-i", self.path("m.txt"))
        self.assertEqual(data, wav_model.wav(b"\x88<AR>\x81(\x83@\x83A", dot=b"20", punctuation=True))

    def test_marks_and_prosigns_read_back_from_the_wav(self):
        words = [list("QTH"), list("TOKYO."), ["<BT>"], list("73,"), ["<SK>"]]
        result, data = self.create("--punctuation", "--word-gap", "-d", "10", "QTH  TOKYO. <BT> 73, <SK>")
        self.assertEqual(result.returncode, 0, text(result.stderr))
        elements, length = expected_elements(words, 80, 240, 560, punctuated)
        self.assertEqual(len(data), 44 + length)
        self.assertEqual(tone_runs(data[44:]), elements)
        sk = tone_runs(data[44:])[-6:]
        self.assertEqual([b[0] - a[1] for a, b in zip(sk, sk[1:])], [80] * 5, "<SK>: one unit between its letters")

    def test_the_exact_tone_at_44100_sounds_them_too(self):
        import spectrum  # noqa: E402 (tests/oracle, on the path through test_velmora_cli)

        result, _ = self.create("--punctuation", "--word-gap", "--rate", "44100", "--bits", "16", "-d", "60",
                                "<AR> 73, <SK>")
        self.assertEqual(result.returncode, 0, text(result.stderr))
        _, samples = spectrum.samples_of(self.path("out.wav"))
        unit = 2646  # 60 ms at 44100 samples a second
        elements, length = expected_elements([["<AR>"], list("73,"), ["<SK>"]], unit, 3 * unit, 7 * unit, punctuated)
        self.assertEqual(len(samples), length)
        self.assertEqual(tone_runs([s + 128 for s in samples]), elements)

    @unittest.skipUnless(shutil.which("morse2ascii"), "morse2ascii is not installed")
    def test_an_independent_decoder_reads_the_marks_and_the_prosigns(self):
        def decode(*options):
            out = subprocess.run(["morse2ascii", *options, self.path("out.wav")], capture_output=True).stdout
            return out.decode("ascii", errors="replace").replace("\0", "").strip()

        # Between two E's, each mark decodes as itself (the decoder writes a mark between letters twice).
        self.create("-q", "--punctuation", "-d", "60", "--", "E" + "E".join(self.MARKS) + "E")
        self.assertEqual([set(group) for group in decode().lower().split("e")[1:-1]],
                         [{mark} for mark in self.MARKS])
        # Its element notation: each prosign is one character, no character gap inside.
        self.create("-q", "--punctuation", "--word-gap", "-d", "60", "CQ <KN> <AR> <SOS>")
        self.assertEqual(decode("-m").split(), ["-.-.", "--.-", "/", "-.--.", "/", ".-.-.", "/", "...---..."])

    def test_labels_show_each_mark_and_prosign_as_typed(self):
        result, _ = self.create("--punctuation", "--fold-kana", "--labels", self.path("p.csv"), "<AR> ＜ＳＫ＞ 5?")
        self.assertEqual(result.returncode, 0, text(result.stderr))
        with open(self.path("p.csv"), encoding="utf-8") as f:
            rows = [line.split(",") for line in f.read().splitlines()[1:]]
        self.assertEqual([(t, e) for _, _, t, e in rows],
                         [("<AR>", ".-.-."), ("＜ＳＫ＞", "...-.-"), ("5", "....."), ("?", "..--..")])

    @unittest.skipUnless(shutil.which("ffmpeg"), "ffmpeg is not installed")
    def test_a_webvtt_reader_shows_the_prosigns_and_the_ampersand(self):
        # A cue's '<' opens a tag and '&' a character reference, unless written as references.
        result, _ = self.create("-q", "--punctuation", "--labels", self.path("p.vtt"), "<AR> & <SK> 1")
        self.assertEqual(result.returncode, 0, text(result.stderr))
        ass = subprocess.run(["ffmpeg", "-v", "error", "-i", self.path("p.vtt"), "-f", "ass", "-"],
                             capture_output=True, check=True).stdout.decode("utf-8")
        cues = [line.split(",", 9)[9] for line in ass.splitlines() if line.startswith("Dialogue:")]
        self.assertEqual(cues, ["<AR> .-.-.", "& .-...", "<SK> ...-.-", "1 .----"])
        self.assertNotIn("U+003C", text(result.stderr), "the brackets of a prosign are not left out")

    def test_what_is_left_out_follows_the_table_in_force(self):
        result = run("-n", "--punctuation", "a<b <> ! ~")
        said = text(result.stderr)
        self.assertIn("'<' (U+003C) has no Morse code; left out 2 times, at characters 2 and 5", said)
        self.assertIn("'>' (U+003E) has no Morse code; left out once, at character 6", said)
        self.assertIn("'~' (U+007E) has no Morse code", said)
        self.assertNotIn("'!'", said)
        self.assertIn("elements: .- -... -.-.--", text(result.stdout))
        self.assertIn("'!' (U+0021) has no Morse code", text(run("-n", "a!").stderr), "the window's table has no '!'")
        # A byte that is not UTF-8 gives no byte to the message: the brackets around it still close.
        with open(self.path("m.txt"), "wb") as f:
            f.write(b"<A\xffR>")
        result = run("-n", "--punctuation", "-i", self.path("m.txt"))
        self.assertEqual(text(result.stderr), "velmora-cli: byte 0xFF is not UTF-8; left out once, at character 3\n")
        self.assertIn("elements: .-.-.\n", text(result.stdout))

    def test_the_list_is_the_table_in_force(self):
        listed = {}
        out = text(run("--list-codes", "--punctuation").stdout)
        for line in out.splitlines():
            parts = line.split()
            if len(parts) == 4 and parts[3] == "units":
                listed[parts[0].encode("cp932")] = (parts[1], int(parts[2]))
        self.assertEqual(listed.pop(b"<AR>"), (".-.-.", 16), "the prosign line, worked through")
        self.assertEqual({byte[0]: sequence for byte, (sequence, _) in listed.items()}, wav_model.PUNCTUATION_CODES)
        for sequence, units in listed.values():
            self.assertEqual(units, wav_model.units_of(sequence), sequence)
        self.assertIn("Prosigns: letters in angle brackets", out)


if __name__ == "__main__":
    unittest.main()
