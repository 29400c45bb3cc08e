"""velmora-cli as a user runs it: its files checked against an independent model, read back by
other programs (Python's wave, soxi, the morse2ascii decoder), and its exit codes and messages.

VELMORA_CLI names the program; VELMORA_CLI_RUNNER (e.g. "wine") runs it, for the Windows build.
"""

import os
import random
import resource
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import unittest
import wave

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "oracle"))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "support"))
import wav_model  # noqa: E402
from program_texts import texts  # noqa: E402

CLI = os.environ["VELMORA_CLI"]
RUNNER = os.environ.get("VELMORA_CLI_RUNNER", "")
UNDER_WINE = RUNNER != ""

# The outcome lines: the caption, then the text, as the window's message boxes show them.
WRITTEN = f"{texts['kDoneCaption']}: {texts['kWrittenText']}"
OPEN_FAILED, WRITE_FAILED, NOTHING_TO_SOUND, TOO_LONG, OUT_OF_MEMORY = (
    f"{texts['kSorryCaption']}: {texts[name]}"
    for name in ("kOpenFailedText", "kWriteFailedText", "kNothingToSoundText", "kTooLongText", "kOutOfMemoryText"))


def run(*args, stdin=b"", limit_file_size=None, cwd=None):
    command = ([RUNNER] if RUNNER else []) + [CLI, *args]

    def limit():
        if limit_file_size is not None:
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (limit_file_size, resource.RLIM_INFINITY))

    return subprocess.run(command, input=stdin, capture_output=True, timeout=120, preexec_fn=limit, cwd=cwd)


def text(output):
    return output.decode("utf-8", errors="replace")


class CliTestCase(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="velmora-cli-")

    def tearDown(self):
        subprocess.run(["chattr", "-R", "-i", self.folder], capture_output=True)
        shutil.rmtree(self.folder, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.folder, name)

    def create(self, *args, name="out.wav", stdin=b""):
        """Runs the program writing `name`; returns (result, file bytes or None)."""
        target = self.path(name)
        result = run("-o", target, *args, stdin=stdin)
        data = open(target, "rb").read() if os.path.exists(target) else None
        return result, data


class WorkedExamples(CliTestCase):
    def test_files_match_the_model_byte_for_byte(self):
        for message, size in [("E", 844), ("ET", 5644), ("A", 4044), ("SOS", 21644), ("a b", 13644)]:
            with self.subTest(message=message):
                result, data = self.create(message)
                self.assertEqual(result.returncode, 0, text(result.stderr))
                self.assertEqual(len(data), size)
                self.assertEqual(data, wav_model.wav(message.encode()))
                self.assertIn(WRITTEN, text(result.stderr))

    def test_the_header_of_E_and_its_first_samples(self):
        _, data = self.create("E")
        self.assertEqual(data[:44].hex(" "), "52 49 46 46 44 03 00 00 57 41 56 45 66 6d 74 20 10 00 00 00 01 00 01 00 "
                                             "40 1f 00 00 40 1f 00 00 01 00 08 00 64 61 74 61 20 03 00 00")
        self.assertEqual(list(data[44:52]), [128, 163, 178, 163, 128, 92, 78, 92])
        self.assertEqual(data[44:], bytes([128, 163, 178, 163, 128, 92, 78, 92]) * 100)

    def test_other_readers_agree_on_the_format(self):
        self.create("SOS")
        with wave.open(self.path("out.wav"), "rb") as w:
            self.assertEqual((w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes()), (1, 1, 8000, 21600))
        soxi = subprocess.run(["soxi", self.path("out.wav")], capture_output=True, text=True)
        self.assertIn("Sample Rate    : 8000", soxi.stdout)
        self.assertIn("Channels       : 1", soxi.stdout)
        self.assertIn("8-bit Unsigned Integer PCM", soxi.stdout)
        self.assertIn("21600 samples", soxi.stdout)

    def test_dot_length_zero_writes_the_header_alone(self):
        for message in ["SOS", ""]:
            with self.subTest(message=message):
                result, data = self.create("-d", "0", "--", message)
                self.assertEqual(result.returncode, 0, text(result.stderr))
                self.assertEqual(data, wav_model.wav(message.encode(), dot=b"0"))
                self.assertEqual(len(data), 44)


class RandomCases(CliTestCase):
    """Messages and field texts nobody wrote down, against the model."""

    def test_random_messages_and_fields(self):
        rng = random.Random(1207)
        alphabet = "abcXYZ0189() .,!?-ｲﾛﾊﾆﾎﾍﾄｦﾞﾟｰｧ｡ｱﾝアあ漢～"
        field_texts = ["", "0", "1", "2", "7", "12", "1.9", ".5", "3abc", "-4", "+4", " 4", "4294967297"]
        for case in range(40):
            message = "".join(rng.choice(alphabet) for _ in range(rng.randint(0, 12)))
            dot = rng.choice(field_texts)
            freq = rng.choice(["1000", "440", "800", "1500", "2000", "2667", "0", "9000", "1", "333", "4294967295"])
            volume = rng.choice(["50", "0", "127", "1", "77", "12.7"])
            with self.subTest(case=case, message=message, dot=dot, freq=freq, volume=volume):
                result, data = self.create("-d", dot, "-f", freq, "-v", volume, "--", message, name=f"{case}.wav")
                expected = wav_model.wav(message.encode("cp932"), dot.encode(), freq.encode(), volume.encode())
                if expected is None:
                    self.assertEqual(result.returncode, 3, text(result.stderr))
                    self.assertIsNone(data)
                else:
                    self.assertEqual(result.returncode, 0, text(result.stderr))
                    self.assertEqual(data, expected)

    def test_volumes_beyond_the_labels_range_wrap(self):
        for volume in ["128", "200", "255", "1000"]:
            with self.subTest(volume=volume):
                _, data = self.create("-v", volume, "TEST", name=f"v{volume}.wav")
                self.assertEqual(data, wav_model.wav(b"TEST", volume=volume.encode()))


@unittest.skipUnless(shutil.which("morse2ascii"), "morse2ascii is not installed")
class IndependentDecoder(CliTestCase):
    """What we write, read back by a Morse decoder that knows nothing of Velmora."""

    def decode(self, path):
        # The decoder prints its banner on standard error and the text on standard output.
        out = subprocess.run(["morse2ascii", path], capture_output=True).stdout
        return "".join(out.decode("ascii", errors="replace").replace("\0", "").split()).lower()

    def test_messages_decode_to_their_cleaned_text(self):
        cases = [("SOS", "100"), ("PARIS", "100"), ("CQ CQ DE VELMORA", "60"), ("THE QUICK BROWN FOX 1984", "80"),
                 ("HELLO, WORLD!", "120")]
        for message, dot in cases:
            with self.subTest(message=message, dot=dot):
                result, _ = self.create("-q", "-d", dot, "--", message)
                self.assertEqual(result.returncode, 0)
                cleaned = "".join(c for c in message if c.isalnum()).lower()
                self.assertEqual(self.decode(self.path("out.wav")), cleaned)


class ExitCodesAndMessages(CliTestCase):
    def test_usage_errors_name_the_problem_and_point_to_help(self):
        cases = [
            (["--bogus", "SOS"], "unknown option"),
            (["-x", "SOS"], "unknown option"),
            (["SOS"], "no output file"),
            (["-o"], "needs a value"),
            (["-o", self.path("a.wav"), "-i", "-", "SOS"], "not both"),
            (["-o", self.path("a.wav"), "-e", "latin1", "SOS"], "unknown encoding"),
        ]
        for args, problem in cases:
            with self.subTest(args=args):
                result = run(*args)
                self.assertEqual(result.returncode, 2)
                self.assertIn(problem, text(result.stderr))
                self.assertIn("--help", text(result.stderr))
        self.assertEqual(os.listdir(self.folder), [])

    def test_refusals_come_before_any_file(self):
        cases = [([""], NOTHING_TO_SOUND), ([" ., "], NOTHING_TO_SOUND), (["あいう"], NOTHING_TO_SOUND),
                 (["-d", "268435456", "E"], TOO_LONG), (["-d", "4294967295", "E"], TOO_LONG),
                 (["-d", "536870912", "E"], TOO_LONG)]
        for args, message in cases:
            with self.subTest(args=args):
                result, data = self.create(*args)
                self.assertEqual(result.returncode, 3)
                self.assertIn(message, text(result.stderr))
                self.assertIsNone(data)

    def test_a_folder_that_does_not_exist(self):
        result = run("-o", self.path("no/such/folder/x.wav"), "SOS")
        self.assertEqual(result.returncode, 1)
        self.assertIn(OPEN_FAILED, text(result.stderr))

    def test_a_full_disk_is_reported_and_the_device_stays_a_device(self):
        result = run("-o", "/dev/full", "SOS")
        self.assertEqual(result.returncode, 1)
        self.assertIn(WRITE_FAILED, text(result.stderr))
        self.assertTrue(stat.S_ISCHR(os.stat("/dev/full").st_mode))

    @unittest.skipIf(UNDER_WINE, "/dev/stdout is a name of Linux")
    def test_dev_stdout_into_a_pipe_gets_the_file(self):
        self.assertEqual(run("-q", "-o", self.path("file.wav"), "SOS").returncode, 0)
        result = run("-q", "-o", "/dev/stdout", "SOS")  # capture_output: a pipe
        self.assertEqual(result.returncode, 0, text(result.stderr))
        with open(self.path("file.wav"), "rb") as f:
            self.assertEqual(result.stdout, f.read())

    def test_a_failed_write_leaves_the_old_file_byte_for_byte(self):
        old = b"an older recording, kept safe" * 10
        with open(self.path("keep.wav"), "wb") as f:
            f.write(old)
        result = run("-o", self.path("keep.wav"), "SOS", limit_file_size=4096)
        self.assertEqual(result.returncode, 1, text(result.stderr))
        self.assertIn(WRITE_FAILED, text(result.stderr))
        self.assertEqual(open(self.path("keep.wav"), "rb").read(), old)
        self.assertEqual(os.listdir(self.folder), ["keep.wav"], "no temporary file is left behind")

    def test_a_read_only_file_is_left_unchanged(self):
        old = b"read-only"
        with open(self.path("ro.wav"), "wb") as f:
            f.write(old)
        if os.geteuid() == 0:
            if subprocess.run(["chattr", "+i", self.path("ro.wav")], capture_output=True).returncode != 0:
                self.skipTest("this file system has no immutable attribute")
        else:
            os.chmod(self.path("ro.wav"), 0o444)
        result = run("-o", self.path("ro.wav"), "SOS")
        self.assertEqual(result.returncode, 1)
        self.assertIn(OPEN_FAILED, text(result.stderr))
        subprocess.run(["chattr", "-i", self.path("ro.wav")], capture_output=True)
        self.assertEqual(open(self.path("ro.wav"), "rb").read(), old)

    def test_quiet_says_nothing(self):
        result, data = self.create("-q", "S O S!")
        self.assertEqual(result.returncode, 0)
        self.assertEqual(result.stderr, b"")
        self.assertEqual(data, wav_model.wav(b"SOS"))


class MessagesAndEncodings(CliTestCase):
    def test_half_width_katakana_from_utf8_and_from_cp932_give_the_wabun_bytes(self):
        _, from_utf8 = self.create("ｲﾛﾊ", name="u.wav")
        with open(self.path("m.txt"), "wb") as f:
            f.write("ｲﾛﾊ".encode("cp932"))
        _, from_cp932 = self.create("-e", "cp932", "-i", self.path("m.txt"), name="c.wav")
        self.assertEqual(from_utf8, wav_model.wav("ｲﾛﾊ".encode("cp932")))
        self.assertEqual(from_cp932, from_utf8)
        self.assertEqual(len(from_utf8), 44 + 31 * 800)

    def test_left_out_characters_are_reported_with_their_positions(self):
        result, data = self.create("Aア,😀")
        self.assertEqual(result.returncode, 0)
        err = text(result.stderr)
        self.assertIn("'ア' (U+30A2) has no Morse code, but its second byte sounds as 'A', once, at character 2", err)
        self.assertIn("',' (U+002C) has no Morse code; left out once, at character 3", err)
        self.assertIn("'😀' (U+1F600) is not in code page 932; left out once, at character 4", err)
        self.assertNotIn("character 1\n", err)
        self.assertEqual(data, wav_model.wav(b"AA"), "the window would send the second byte of ア as A")

    def test_message_from_a_file_and_from_standard_input(self):
        with open(self.path("m.txt"), "wb") as f:
            f.write(b"SOS\r\n")
        _, from_file = self.create("-q", "-i", self.path("m.txt"), name="f.wav")
        _, from_stdin = self.create("-q", "-i", "-", stdin=b"SOS\n", name="s.wav")
        self.assertEqual(from_file, wav_model.wav(b"SOS"))
        self.assertEqual(from_stdin, from_file)

    def test_words_are_joined_and_options_may_follow_them(self):
        _, data = self.create("S", "O", "S", "--dot=50")
        self.assertEqual(data, wav_model.wav(b"SOS", dot=b"50"))

    def test_standard_output(self):
        result = run("-q", "-o", "-", "SOS")
        self.assertEqual(result.returncode, 0)
        self.assertEqual(result.stdout, wav_model.wav(b"SOS"))

    def test_field_texts_are_read_as_the_window_reads_them(self):
        for dot, same_as in [("1.9", "1"), ("0100", "100"), ("12abc", "12"), ("", "0"), ("-5", "0"), ("1e3", "1")]:
            with self.subTest(dot=dot):
                _, a = self.create("-d", dot, "ET", name="a.wav")
                _, b = self.create("-d", same_as, "ET", name="b.wav")
                self.assertEqual(a, b)


class DryRun(CliTestCase):
    def test_reports_the_run_without_writing(self):
        result = run("-n", "-o", self.path("never.wav"), "S O S")
        self.assertEqual(result.returncode, 0)
        out = text(result.stdout)
        for line in ["message:  SOS", "elements: ... --- ...", "units:    27", "samples:  21600 (a file of 21644 bytes)",
                     "duration: 2.700 s", "speed:    12 WPM", "1000 Hz sounds as 1000.0 Hz"]:
            self.assertIn(line, out)
        self.assertEqual(os.listdir(self.folder), [])

    def test_reports_refusals_with_their_exit_code(self):
        result = run("-n", "")
        self.assertEqual(result.returncode, 3)
        self.assertIn("nothing to sound", text(result.stdout))
        self.assertIn(NOTHING_TO_SOUND, text(result.stderr))

    def test_silent_tones_are_pointed_out(self):
        for freq in ["0", "4000", "9000"]:
            with self.subTest(freq=freq):
                self.assertIn("no tone", text(run("-n", "-f", freq, "E").stdout))


class HelpAndVersion(unittest.TestCase):
    def test_help_and_version(self):
        result = run("--help")
        self.assertEqual(result.returncode, 0)
        self.assertIn("Usage: velmora-cli", text(result.stdout))
        version = run("--version")
        self.assertEqual(version.returncode, 0)
        self.assertRegex(text(version.stdout), r"^velmora-cli \d+\.\d+\.\d+")


if __name__ == "__main__":
    unittest.main()
