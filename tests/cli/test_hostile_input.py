"""velmora-cli on the input a new user, or a hostile file, gives it: huge messages without a code,
long names, interruptions, full disks, links, terminal escapes and malformed UTF-8. Each case
is one fault the program once had; the checks are what a user sees and what is left on disk.
"""

import filecmp
import os
import pty
import resource
import select
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from test_velmora_cli import (CLI, RUNNER, UNDER_WINE, OPEN_FAILED, WRITE_FAILED, NOTHING_TO_SOUND,  # noqa: E402
                              OUT_OF_MEMORY, CliTestCase, run, text, wav_model)

MiB = 1024 * 1024
native_only = unittest.skipIf(UNDER_WINE, "a property of the POSIX build")
# AddressSanitizer reserves terabytes of address space for its shadow at start-up, which no limit
# on virtual memory leaves room for, and holds freed blocks back in quarantine, which inflates
# the peak: the program's own use of memory cannot be seen through it.
unsanitized_only = unittest.skipIf(os.environ.get("VELMORA_CLI_SANITIZED") == "1",
                                   "AddressSanitizer's shadow and quarantine hide the program's own memory use")


def command(*args):
    return ([RUNNER] if RUNNER else []) + [CLI, *args]


def peak_memory(*args, stdin_path):
    """Runs the program with standard input from a file; returns (exit status, peak resident bytes)."""
    with open(stdin_path, "rb") as stdin:
        process = subprocess.Popen(command(*args), stdin=stdin, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        process.stderr.read()
        _, status, usage = os.wait4(process.pid, 0)
        process.returncode = os.waitstatus_to_exitcode(status)
    return process.returncode, usage.ru_maxrss * 1024


class Memory(CliTestCase):
    @native_only
    @unsanitized_only
    def test_peak_memory_is_a_small_multiple_of_the_message(self):
        size = 10 * MiB
        for name, content, args in [("zeros", b"\0" * size, ["-o", self.path("z.wav")]),
                                    ("kana", "あ".encode() * (size // 3), ["-o", self.path("k.wav")]),
                                    ("letters", b"E" * size, ["-d", "0", "-o", self.path("e.wav")])]:
            with self.subTest(message=name):
                with open(self.path("m.txt"), "wb") as f:
                    f.write(content)
                status, peak = peak_memory("-i", "-", *args, stdin_path=self.path("m.txt"))
                self.assertIn(status, (0, 3))
                self.assertLess(peak, 5 * size + 32 * MiB, f"peak {peak / MiB:.1f} MiB")

    @native_only
    @unsanitized_only
    def test_labels_cost_a_few_bytes_a_character(self):
        # 5 MB of E at a dot of 1 ms: 160 MB of audio and five million labels.
        with open(self.path("m.txt"), "wb") as f:
            f.write(b"E" * 5_000_000)
        args = ["-q", "-d", "1", "-i", "-", "-o", self.path("e.wav")]
        status, without = peak_memory(*args, stdin_path=self.path("m.txt"))
        self.assertEqual(status, 0)
        status, labelled = peak_memory(*args, "--labels", self.path("e.txt"), stdin_path=self.path("m.txt"))
        self.assertEqual(status, 0)
        self.assertLess(labelled, 1.3 * without + 32 * MiB,
                        f"{labelled / MiB:.1f} MiB with labels, {without / MiB:.1f} MiB without")
        with open(self.path("e.txt"), "rb") as track:
            self.assertEqual(sum(1 for _ in track), 5_000_000)

    @native_only
    @unsanitized_only
    def test_running_out_of_memory_is_a_message_and_an_exit_status(self):
        def limited(limit):
            return lambda: resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
        cases = [
            # The message itself cannot be held.
            (["-i", "-", "-o", self.path("a.wav")], b"E" * (64 * MiB), 96 * MiB, "out of memory"),
            # The image fits a WAV file, but not the memory left: not "too long".
            (["-d", "800000", "-o", self.path("b.wav"), "0" * 10], b"", 256 * MiB, OUT_OF_MEMORY),
        ]
        for args, stdin, limit, said in cases:
            with self.subTest(args=args[:3]):
                result = subprocess.run(command(*args), input=stdin, capture_output=True, preexec_fn=limited(limit))
                self.assertEqual(result.returncode, 4, text(result.stderr))
                self.assertIn(said, text(result.stderr))
                self.assertEqual(len(text(result.stderr).strip().splitlines()), 1)
        self.assertEqual(os.listdir(self.folder), [])

    @native_only
    @unsanitized_only
    def test_a_small_stack_is_enough(self):
        with open(self.path("m.txt"), "wb") as f:
            f.write(b"SOS " * 50_000)
        self.assertEqual(run("-q", "-i", self.path("m.txt"), "-o", self.path("a.wav")).returncode, 0)
        small = lambda: resource.setrlimit(resource.RLIMIT_STACK, (64 * 1024, 64 * 1024))  # noqa: E731
        for source, stdin in [(self.path("m.txt"), None), ("-", self.path("m.txt"))]:
            with self.subTest(source=source), open(stdin or os.devnull, "rb") as given:
                result = subprocess.run(command("-q", "-i", source, "-o", self.path("b.wav")), stdin=given,
                                        capture_output=True, preexec_fn=small)
                self.assertEqual(result.returncode, 0, text(result.stderr))
                self.assertTrue(filecmp.cmp(self.path("a.wav"), self.path("b.wav"), shallow=False))


class LongNames(CliTestCase):
    def test_names_up_to_the_systems_limit(self):
        # The longest name that the whole path allows: 255 bytes on Linux, MAX_PATH under Wine.
        longest = 255 if not UNDER_WINE else 259 - len("Z:" + self.folder + "/")
        for length in range(longest - 7, longest + 1):
            with self.subTest(length=length):
                name = "n" * (length - 4) + ".wav"
                result, data = self.create("-q", "E", name=name)
                self.assertEqual(result.returncode, 0, text(result.stderr))
                self.assertEqual(data, wav_model.wav(b"E"))
        self.assertEqual(len(os.listdir(self.folder)), 8, "nothing but the files")

    @native_only
    def test_paths_up_to_path_max(self):
        folder = self.folder
        while len(folder) < 4096 - 2 * 256:
            folder = os.path.join(folder, "d" * 200)
        os.makedirs(folder)
        target = os.path.join(folder, "n" * 251 + ".wav")
        self.assertGreater(len(target), 3800)
        result = run("-q", "-o", target, "E")
        self.assertEqual(result.returncode, 0, text(result.stderr))
        self.assertEqual(open(target, "rb").read(), wav_model.wav(b"E"))


class Signals(CliTestCase):
    def interrupt_during_save(self, signal_number):
        """Starts a save of about 170 MB over an old file, and sends the signal once the temporary
        file exists."""
        old = b"the old recording" * 100
        target = self.path("old.wav")
        with open(target, "wb") as f:
            f.write(old)
        process = subprocess.Popen(command("-q", "-d", "20000", "-o", target, "0" * 48), stderr=subprocess.PIPE,
                                   preexec_fn=lambda: signal.signal(signal.SIGINT, signal.SIG_DFL))
        deadline = time.monotonic() + 60
        while len(os.listdir(self.folder)) < 2 and process.poll() is None and time.monotonic() < deadline:
            time.sleep(0.0005)
        self.assertIsNone(process.poll(), "the save ended before the signal could be sent")
        process.send_signal(signal_number)
        process.communicate(timeout=60)
        return process.returncode, old

    def test_an_interrupted_save_leaves_the_old_file_and_no_temporary_file(self):
        # Wine passes SIGINT on as Ctrl+C; it ends a program on SIGTERM and SIGHUP without telling it.
        # SIGQUIT is Ctrl+\ at a terminal; SIGXCPU what a soft limit on processor time (ulimit -S -t) sends;
        # SIGALRM, SIGUSR1 and SIGUSR2 end a program by default.
        signals = (signal.SIGINT,) if UNDER_WINE else (signal.SIGINT, signal.SIGTERM, signal.SIGHUP, signal.SIGQUIT,
                                                        signal.SIGXCPU, signal.SIGALRM, signal.SIGUSR1, signal.SIGUSR2)
        for signal_number in signals:
            with self.subTest(signal=signal_number.name):
                status, old = self.interrupt_during_save(signal_number)
                self.assertEqual(status, 128 + signal_number)
                self.assertEqual(os.listdir(self.folder), ["old.wav"])
                self.assertEqual(open(self.path("old.wav"), "rb").read(), old)

    def test_an_interrupted_rewrite_in_place_is_the_old_file_or_the_new_one(self):
        # A target with a second hard link is rewritten where it is. Whenever SIGINT comes, the
        # target is the old file or the new one, and the status and the notice say which.
        target, twin = self.path("linked.wav"), self.path("twin.wav")
        old = b"o" * (190 * MiB)
        args = ["-q", "-d", "20000", "-o", target, "0" * 48]

        def fresh_target():
            for name in os.listdir(self.folder):
                os.unlink(self.path(name))
            with open(target, "wb") as f:
                f.write(old)
            os.link(target, twin)

        fresh_target()
        started = time.monotonic()
        self.assertEqual(subprocess.run(command(*args)).returncode, 0)
        whole = time.monotonic() - started
        new = open(target, "rb").read()
        for fraction in (0.3, 0.5, 0.6, 0.7, 0.8, 0.9):
            with self.subTest(fraction=fraction):
                fresh_target()
                process = subprocess.Popen(command(*args), stderr=subprocess.PIPE,
                                           preexec_fn=lambda: signal.signal(signal.SIGINT, signal.SIG_DFL))
                time.sleep(whole * fraction)
                process.send_signal(signal.SIGINT)
                _, err = process.communicate(timeout=60)
                data = open(target, "rb").read()
                self.assertIn(data, (old, new), "neither the old file nor the new one")
                self.assertEqual(os.stat(twin).st_ino, os.stat(target).st_ino)
                self.assertEqual(sorted(os.listdir(self.folder)), ["linked.wav", "twin.wav"])
                if UNDER_WINE and process.returncode == 0 and data == old and not err:
                    continue  # Wine's own handling, before the program's first statement, ends it with 0
                if process.returncode in (0, -signal.SIGINT):  # done, or ended before it set up its handler
                    self.assertEqual(data, new if process.returncode == 0 else old)
                    continue
                self.assertEqual(process.returncode, 128 + signal.SIGINT)
                said = "is new" if data == new else "is as it was"
                self.assertEqual(text(err), f"velmora-cli: interrupted; {target} {said}\n")

    def test_a_reader_that_goes_away_ends_the_program_by_sigpipe(self):
        process = subprocess.Popen(command("-q", "-d", "200", "-o", "-", "0" * 50), stdout=subprocess.PIPE)
        process.stdout.close()
        # Windows has no such signal: the write fails, and that is a failed write.
        self.assertEqual(process.wait(timeout=60), 1 if UNDER_WINE else -signal.SIGPIPE)

    @native_only
    def test_a_reader_that_goes_away_leaves_no_temporary_labels(self):
        # The audio goes to a pipe, by its name or as standard output, whose reader stops after 10
        # bytes; the labels staged beside it go with the program.
        fifo = self.path("fifo")
        os.mkfifo(fifo)
        for output in (fifo, "/dev/stdout"):
            with self.subTest(output=output):
                reader = subprocess.Popen(["head", "-c", "10"] + ([fifo] if output == fifo else []),
                                          stdin=subprocess.PIPE, stdout=subprocess.DEVNULL)
                args = ["-q", "-d", "100", "--labels", self.path("a.srt"), "-o", output, "PARIS " * 8]
                status = subprocess.run(command(*args), stdout=reader.stdin, timeout=60).returncode
                reader.stdin.close()
                reader.wait(timeout=60)
                self.assertEqual(status, -signal.SIGPIPE)
                self.assertEqual(os.listdir(self.folder), ["fifo"])

    @native_only
    def test_a_limit_on_the_file_size_is_a_failed_file(self):
        # A write past ulimit -f fails as a full disk does: the old file stays, no temporary file is left.
        old = b"the old recording"
        message = "PARIS " * 8
        cases = [["-o", "big.wav", message], ["-o", "big.wav", "--labels", "big.txt", message],
                 ["--batch", "-i", "drills.txt", "-o", "drills"]]
        if os.environ.get("VELMORA_CLI_SNDFILE") == "1":
            cases.append(["--noise", "0", "-o", "big.flac", message])  # noise, which FLAC cannot squeeze
        for args in cases:
            with self.subTest(args=args):
                for name in os.listdir(self.folder):
                    subprocess.run(["rm", "-rf", self.path(name)], check=True)
                with open(self.path("big.wav"), "wb") as f:
                    f.write(old)
                with open(self.path("drills.txt"), "w") as f:
                    f.write(message + "\nE\n")
                limit = lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (50_000, resource.RLIM_INFINITY))  # noqa: E731
                result = subprocess.run(command("-d", "100", *args), capture_output=True,
                                        cwd=self.folder, timeout=60, preexec_fn=limit)
                self.assertEqual(result.returncode, 1, text(result.stderr))
                self.assertIn("File too large", text(result.stderr))
                self.assertEqual(open(self.path("big.wav"), "rb").read(), old)
                expected = ["big.wav", "drills.txt"] + (["drills"] if "--batch" in args else [])
                self.assertEqual(sorted(os.listdir(self.folder)), sorted(expected))
                if "--batch" in args:  # the short line is written, the long one fails whole
                    self.assertEqual(os.listdir(self.path("drills")), ["0002.wav"])


class StandardOutput(CliTestCase):
    def test_a_report_that_cannot_be_written_is_a_failure(self):
        for args in (["-n", "SOS"], ["--help"], ["--version"], ["-V"], ["-o", "-", "SOS"]):
            with self.subTest(args=args):
                with open("/dev/full", "wb") as full:
                    result = subprocess.run(command(*args), stdout=full, stderr=subprocess.PIPE)
                self.assertEqual(result.returncode, 1)
                self.assertIn("standard output", text(result.stderr))


class Causes(CliTestCase):
    def test_a_failed_save_names_the_file_and_the_reason(self):
        result = run("-o", "nodir/x.wav", "SOS", cwd=self.folder)
        self.assertEqual(result.returncode, 1)
        if UNDER_WINE:
            self.assertIn(OPEN_FAILED + " (nodir/x.wav: ", text(result.stderr))
        else:
            self.assertIn(OPEN_FAILED + " (nodir/x.wav: No such file or directory)", text(result.stderr))
        result = run("-o", "/dev/full", "SOS")
        self.assertIn(WRITE_FAILED + " (/dev/full: ", text(result.stderr))

    def test_an_unreadable_message_says_why(self):
        cases = [(self.path("missing.txt"), "No such file" if not UNDER_WINE else ""), (self.folder, "it is a folder")]
        for source, why in cases:
            with self.subTest(source=source):
                result = run("-o", self.path("a.wav"), "-i", source)
                self.assertEqual(result.returncode, 2)
                self.assertIn(f"cannot read the message from '{source}': {why}", text(result.stderr))


class Usage(CliTestCase):
    def test_a_message_left_out_is_not_an_empty_message(self):
        cases = [(["-o", self.path("a.wav")], 2, "no message"), (["-n"], 2, "no message"),
                 (["-o", self.path("a.wav"), ""], 3, NOTHING_TO_SOUND), (["-o", "", "SOS"], 2, "output path is empty")]
        for args, status, said in cases:
            with self.subTest(args=args):
                result = run(*args)
                self.assertEqual(result.returncode, status)
                self.assertIn(said, text(result.stderr))
        self.assertEqual(os.listdir(self.folder), [])


class FieldWarnings(CliTestCase):
    def test_field_texts_that_cannot_sound_as_typed_are_pointed_out(self):
        cases = [
            (["-d", "abc"], "--dot 'abc' is read as 0 ms"),
            (["-d", "1k"], "--dot '1k' is read as 1 ms"),
            (["-f", "0"], "--freq '0' gives no tone"),
            (["-f", "9000"], "--freq '9000' gives no tone"),
            (["-f", "5000"], "--freq '5000' is silent"),
            (["-f", "3000"], "--freq '3000' is silent"),
            (["-f", "2500"], "--freq '2500' sounds as 2666.7 Hz"),
            (["-v", "0"], "--volume '0' is read as 0"),
            (["-v", "200"], "--volume '200' is read as 200, beyond 127"),
            (["-d", "4294967301"], "--dot '4294967301' is read as 5 ms: the number wraps around at 4294967296"),
            (["-f", "4294968296"], "--freq '4294968296' is read as 1000 Hz: the number wraps"),
            (["-v", "4294967246"], "--volume '4294967246' is read as -50: the number wraps"),
        ]
        for args, said in cases:
            with self.subTest(args=args):
                result, data = self.create(*args, "ET")
                self.assertEqual(result.returncode, 0)
                warnings = [line for line in text(result.stderr).splitlines() if "warning" in line]
                self.assertEqual(len(warnings), 1, warnings)
                self.assertIn(said, warnings[0])
                fields = dict(zip(("dot", "frequency", "volume"), (b"100", b"1000", b"50")))
                fields[{"-d": "dot", "-f": "frequency", "-v": "volume"}[args[0]]] = args[1].encode()
                self.assertEqual(data, wav_model.wav(b"ET", fields["dot"], fields["frequency"], fields["volume"]))
        for args in (["-f", "440"], ["-d", "100"], ["-v", "127"], ["-q", "-f", "0"]):
            with self.subTest(args=args):
                self.assertNotIn("warning", text(self.create(*args, "ET")[0].stderr))

    def test_the_dry_run_tells_the_tone_from_the_samples(self):
        minus_fifty = "4294967246"  # read through 64 bits and cut to 32: a volume of -50
        for freq, said, heard in [("5000", "no tone", False), ("3000", "sounds as 4000.0 Hz", True)]:
            with self.subTest(freq=freq):
                self.assertIn(said, text(run("-n", "-f", freq, "-v", minus_fifty, "E").stdout))
                _, data = self.create("-q", "-f", freq, "-v", minus_fifty, "E")
                self.assertEqual(data, wav_model.wav(b"E", freq=freq.encode(), volume=minus_fifty.encode()))
                self.assertEqual(any(s != 128 for s in data[44:]), heard)
        self.assertIn("(1 unit with a dot of 268435456 ms", text(run("-n", "-d", "268435456", "E").stdout))


@native_only
class Links(CliTestCase):
    def test_a_file_with_other_links_or_attributes_is_rewritten_in_place(self):
        old = b"x" * 100000
        with open(self.path("a.wav"), "wb") as f:
            f.write(old)
        os.link(self.path("a.wav"), self.path("b.wav"))
        with open(self.path("c.wav"), "wb") as f:
            f.write(old)
        try:
            os.setxattr(self.path("c.wav"), "user.velmora", b"kept")
        except OSError:
            self.skipTest("this file system has no user attributes")
        inodes = {name: os.stat(self.path(name)).st_ino for name in ("a.wav", "c.wav")}
        for name in ("a.wav", "c.wav"):
            self.assertEqual(run("-q", "-o", self.path(name), "SOS").returncode, 0)
            self.assertEqual(os.stat(self.path(name)).st_ino, inodes[name])
            self.assertEqual(open(self.path(name), "rb").read(), wav_model.wav(b"SOS"))
        self.assertEqual(open(self.path("b.wav"), "rb").read(), wav_model.wav(b"SOS"), "the other link sees it")
        self.assertEqual(os.getxattr(self.path("c.wav"), "user.velmora"), b"kept")
        self.assertEqual(sorted(os.listdir(self.folder)), ["a.wav", "b.wav", "c.wav"])

    def test_a_dangling_link_creates_the_file_it_names(self):
        os.mkdir(self.path("real"))
        os.symlink("real/new.wav", self.path("link.wav"))
        self.assertEqual(run("-q", "-o", self.path("link.wav"), "E").returncode, 0)
        self.assertTrue(os.path.islink(self.path("link.wav")))
        self.assertEqual(open(self.path("real/new.wav"), "rb").read(), wav_model.wav(b"E"))


def chattr(flag, path):
    """Makes a file or folder immutable (+i) or not: a real read-only target, root included."""
    return subprocess.run(["chattr", flag, path], capture_output=True).returncode == 0


class LinkedTargets(CliTestCase):
    """Saving through a symbolic link or over a file with other hard links, on Linux and under
    Wine: the file the link names is written, every link stays, and nothing else is left."""

    def test_the_file_a_link_names_is_written_and_the_links_stay(self):
        os.mkdir(self.path("other"))
        old = b"the old recording" * 100
        for name in ("target.wav", "twin.wav"):
            with open(self.path("other/" + name), "wb") as f:
                f.write(old)
        os.symlink("other/target.wav", self.path("link.wav"))
        os.symlink("other/new.wav", self.path("dangling.wav"))
        os.link(self.path("other/twin.wav"), self.path("hard.wav"))
        cases = [("link.wav", "other/target.wav"), ("dangling.wav", "other/new.wav"), ("hard.wav", "other/twin.wav")]
        for name, written in cases:
            with self.subTest(name=name):
                result = run("-q", "-o", self.path(name), "SOS")
                self.assertEqual(result.returncode, 0, text(result.stderr))
                self.assertEqual(open(self.path(written), "rb").read(), wav_model.wav(b"SOS"))
        self.assertEqual(os.readlink(self.path("link.wav")), "other/target.wav")
        self.assertEqual(os.readlink(self.path("dangling.wav")), "other/new.wav")
        self.assertEqual(os.stat(self.path("hard.wav")).st_ino, os.stat(self.path("other/twin.wav")).st_ino)
        self.assertEqual(sorted(os.listdir(self.folder)), ["dangling.wav", "hard.wav", "link.wav", "other"])
        self.assertEqual(sorted(os.listdir(self.path("other"))), ["new.wav", "target.wav", "twin.wav"])

    def test_a_read_only_file_behind_a_link_is_left_alone(self):
        os.mkdir(self.path("other"))
        with open(self.path("other/locked.wav"), "wb") as f:
            f.write(b"keep me")
        os.symlink("other/locked.wav", self.path("link.wav"))
        if not chattr("+i", self.path("other/locked.wav")):
            self.skipTest("this file system cannot make files immutable (chattr +i)")
        result = run("-o", self.path("link.wav"), "SOS")
        chattr("-i", self.path("other/locked.wav"))
        self.assertEqual(result.returncode, 1)
        self.assertIn(OPEN_FAILED, text(result.stderr))
        self.assertEqual(open(self.path("other/locked.wav"), "rb").read(), b"keep me")
        self.assertEqual(sorted(os.listdir(self.folder)), ["link.wav", "other"], "no temporary file is left")
        self.assertEqual(os.listdir(self.path("other")), ["locked.wav"])

    def test_a_folder_that_takes_no_new_files(self):
        folder = self.path("locked")
        os.mkdir(folder)
        with open(os.path.join(folder, "old.wav"), "wb") as f:
            f.write(b"an older recording")
        if not chattr("+i", folder):
            self.skipTest("this file system cannot make folders immutable (chattr +i)")
        self.addCleanup(chattr, "-i", folder)
        rewritten = run("-q", "-o", os.path.join(folder, "old.wav"), "SOS")
        refused = run("-o", os.path.join(folder, "new.wav"), "SOS")
        self.assertEqual(rewritten.returncode, 0, text(rewritten.stderr))
        self.assertEqual(open(os.path.join(folder, "old.wav"), "rb").read(), wav_model.wav(b"SOS"))
        self.assertEqual(refused.returncode, 1)
        denied = "アクセスが拒否されました" if UNDER_WINE else "Operation not permitted"
        self.assertIn(f"{OPEN_FAILED} ({folder}/new.wav: {denied}", text(refused.stderr))
        self.assertEqual(os.listdir(folder), ["old.wav"])


class LabelsWithTheAudio(CliTestCase):
    """--labels beside the WAV file: checked before anything is written, staged with it, and a
    failure that leaves the old WAV file, or says which file is new."""

    def test_labels_that_name_the_output_itself_are_a_usage_error(self):
        with open(self.path("old.wav"), "wb") as f:
            f.write(b"an older recording")
        os.symlink("old.wav", self.path("link.txt"))
        os.link(self.path("old.wav"), self.path("hard.txt"))
        cases = [("same.txt", "same.txt"), ("link.txt", "old.wav"), ("hard.txt", "old.wav"),
                 ("./old.txt", "sub/../old.txt")]
        os.mkdir(self.path("sub"))
        for labels, output in cases:
            with self.subTest(labels=labels, output=output):
                result = run("--labels", labels, "-o", output, "SOS", cwd=self.folder)
                self.assertEqual(result.returncode, 2, text(result.stderr))
                self.assertIn(f"--labels '{labels}' names the output file itself", text(result.stderr))
                self.assertEqual(sorted(os.listdir(self.folder)), ["hard.txt", "link.txt", "old.wav", "sub"])
                self.assertEqual(open(self.path("old.wav"), "rb").read(), b"an older recording")

    def test_no_file_written_is_the_input(self):
        message = b"SOS\nCQ\n"
        with open(self.path("message.txt"), "wb") as f:
            f.write(message)
        os.symlink("message.txt", self.path("link.wav"))
        os.link(self.path("message.txt"), self.path("hard.wav"))  # rewritten in place below, so still one file
        # A name the Windows code page has no form for, read through the wide calls all the same.
        os.link(self.path("message.txt"), self.path("m\U0001F600.txt"))
        os.mkdir(self.path("out"))
        cases = [
            (["-i", "message.txt", "-o", "message.txt"], "the output 'message.txt' is the input file itself"),
            (["-i", "message.txt", "-o", "link.wav"], "the output 'link.wav' is the input file itself"),
            (["-i", "hard.wav", "-o", "message.txt"], "the output 'message.txt' is the input file itself"),
            (["-i", "message.txt", "-o", "a.wav", "--labels", "./message.txt"],
             "--labels './message.txt' names the input file itself"),
            (["-i", "m\U0001F600.txt", "-o", "hard.wav"], "the output 'hard.wav' is the input file itself"),
            (["-i", "m\U0001F600.txt", "-o", "a.wav", "--labels", "message.txt"],
             "--labels 'message.txt' names the input file itself"),
            # A batch would rewrite its input (line 2's labels) or, with --overwrite, remove it.
            (["--batch", "-i", "out/0002.txt", "-o", "out", "--labels", ".txt", "--overwrite"],
             "the input 'out/0002.txt' is a file of a batch in the folder 'out'"),
            (["--batch", "-i", "out/0002.txt", "-o", "out", "--labels", ".txt"],
             "the input 'out/0002.txt' is a file of a batch in the folder 'out'"),
            # The same files reached through a redirected standard input ("< message.txt") or
            # output (">> message.txt", which would take the audio before the labels replaced it).
            (["-i", "-", "-o", "hard.wav"], "the output 'hard.wav' is the input file itself", "message.txt", None),
            (["-i", "-", "-o", "a.wav", "--labels", "message.txt"], "--labels 'message.txt' names the input file itself",
             "hard.wav", None),
            (["--batch", "-i", "-", "-o", "out", "--labels", ".txt", "--overwrite"],
             "the input '-' is a file of a batch in the folder 'out'", "out/0002.txt", None),
            (["-o", "-", "--labels", "message.txt", "SOS"],
             "--labels 'message.txt' names the file standard output goes to", None, "hard.wav"),
        ]
        for args, said, *redirected in cases:
            with self.subTest(args=args):
                with open(self.path("message.txt"), "wb") as f:
                    f.write(message)
                with open(self.path("out/0002.txt"), "wb") as f:
                    f.write(message)
                stdin_name, stdout_name = redirected or (None, None)
                with open(self.path(stdin_name or os.devnull), "rb") as stdin, \
                        open(self.path(stdout_name or os.devnull), "ab") as stdout:
                    result = subprocess.run(command(*args), stdin=stdin, stdout=stdout, stderr=subprocess.PIPE,
                                            timeout=120, cwd=self.folder)
                self.assertEqual(result.returncode, 2, text(result.stderr))
                self.assertIn(said, text(result.stderr))
                self.assertEqual(sorted(os.listdir(self.folder)),
                                 sorted(["hard.wav", "link.wav", "message.txt", "m\U0001F600.txt", "out"]))
                self.assertEqual(os.listdir(self.path("out")), ["0002.txt"])
                for name in ("message.txt", "out/0002.txt"):
                    self.assertEqual(open(self.path(name), "rb").read(), message)

    def test_a_failure_leaves_the_old_audio_or_says_which_file_is_new(self):
        os.symlink("/dev/full", self.path("full.txt"))  # a device: written, and failing, only when committed
        cases = [
            # Labels that cannot even be begun: nothing is written.
            ("missing/l.txt", 1, "cannot write the labels to missing/l.txt: ", "; nothing was written", False),
            # Labels that fail after the WAV file is in place: the message names it.
            ("full.txt", 1, "cannot write the labels to full.txt: ", "; old.wav is new, full.txt is as it was", True),
        ]
        for labels, status, said, then, replaced in cases:
            with self.subTest(labels=labels):
                with open(self.path("old.wav"), "wb") as f:
                    f.write(b"an older recording")
                result = run("--labels", labels, "-o", "old.wav", "SOS", cwd=self.folder)
                self.assertEqual(result.returncode, status, text(result.stderr))
                line = [line for line in text(result.stderr).splitlines() if "cannot write the labels" in line]
                self.assertEqual(len(line), 1, text(result.stderr))
                self.assertTrue(line[0].startswith("velmora-cli: " + said) and line[0].endswith(then), line[0])
                expected = wav_model.wav(b"SOS") if replaced else b"an older recording"
                self.assertEqual(open(self.path("old.wav"), "rb").read(), expected)
                self.assertEqual(sorted(os.listdir(self.folder)), ["full.txt", "old.wav"])


class RealFaults(CliTestCase):
    """Faults the system makes itself: a disk that fills up, a file another program holds."""

    @native_only
    def test_a_small_disk_that_fills_up(self):
        disk = self.path("disk")
        os.mkdir(disk)
        if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=128k", "tmpfs", disk], capture_output=True).returncode:
            self.skipTest("mounting a small tmpfs needs root")
        self.addCleanup(subprocess.run, ["umount", disk], capture_output=True)
        old = b"o" * 60000
        with open(os.path.join(disk, "old.wav"), "wb") as f:
            f.write(old)
        for name in ("old.wav", "new.wav"):  # about 350 kB: more than the disk holds
            with self.subTest(name=name):
                result = run("-o", os.path.join(disk, name), "0" * 20)
                self.assertEqual(result.returncode, 1)
                self.assertIn(WRITE_FAILED + f" ({disk}/{name}: No space left on device)", text(result.stderr))
                self.assertEqual(os.listdir(disk), ["old.wav"])
                self.assertEqual(open(os.path.join(disk, "old.wav"), "rb").read(), old)

    @unittest.skipUnless(os.environ.get("VELMORA_FILE_HOLDER"), "a Windows program holds the file")
    def test_a_file_another_program_holds_open(self):
        old = b"held by another program"
        with open(self.path("held.wav"), "wb") as f:
            f.write(old)
        holder = subprocess.Popen([RUNNER, os.environ["VELMORA_FILE_HOLDER"], self.path("held.wav")],
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.addCleanup(holder.wait, 60)
        self.addCleanup(holder.stdin.close)
        self.assertEqual(holder.stdout.readline().strip(), b"held")
        result = run("-o", self.path("held.wav"), "SOS")
        self.assertEqual(result.returncode, 1)
        self.assertIn(OPEN_FAILED + " (", text(result.stderr))
        self.assertEqual(os.listdir(self.folder), ["held.wav"])
        self.assertEqual(open(self.path("held.wav"), "rb").read(), old)


class EchoedText(CliTestCase):
    def test_control_and_format_characters_are_shown_by_their_code(self):
        with open(self.path("m.txt"), "wb") as f:
            f.write("E\x1b[31mE\u009bE\u202eE\u200bE\t".encode())
        result, _ = self.create("-i", self.path("m.txt"))
        err = text(result.stderr)
        for code in ("U+001B", "U+009B", "U+202E", "U+200B", "U+0009"):
            self.assertIn(f"velmora-cli: ({code}) ", err)
        for raw in ("\x1b", "\u009b", "\u202e", "\u200b", "\t"):
            self.assertNotIn(raw, err)

    def test_option_values_and_paths_are_echoed_safely(self):
        cases = [(["-n", "-d", "1\x1b[31m", "E"], "--dot '1<U+001B>[31m'"),
                 (["--\x1b[2J", "E"], "unknown option '--<U+001B>[2J'"),
                 (["-o", self.path("no/\u202ex.wav"), "E"], "no/<U+202E>x.wav")]
        for args, said in cases:
            with self.subTest(args=args):
                err = text(run(*args).stderr)
                self.assertIn(said, err)
                self.assertNotIn("\x1b", err)
                self.assertNotIn("\u202e", err)

    def test_the_report_has_one_line_per_character(self):
        result, _ = self.create("E" + " " * 40 + ",")
        lines = text(result.stderr).splitlines()
        self.assertIn("velmora-cli: ' ' (U+0020) has no Morse code; left out 40 times, at characters 2, 3, 4, ...", lines)
        self.assertIn("velmora-cli: ',' (U+002C) has no Morse code; left out once, at character 42", lines)
        many = "E" + "!\"#$%&'*+,-./:;<=>?@[\\]^_`{|}~" * 2
        lines = text(self.create(many)[0].stderr).splitlines()
        self.assertEqual(sum("left out" in line for line in lines), 21)
        self.assertIn("velmora-cli: and 10 more characters left out (20 times in all)", lines)

    def test_a_character_whose_second_byte_sounds_is_a_warning(self):
        result, data = self.create("アイウ")
        self.assertIn("velmora-cli: warning: 'ア' (U+30A2) has no Morse code, but its second byte sounds as 'A', "
                      "once, at character 1", text(result.stderr).splitlines())
        self.assertEqual(data, wav_model.wav("アイウ".encode("cp932")), "sounds as ACE, as in the window")

    def test_audio_named_to_go_to_a_terminal_is_refused(self):
        # As with -o - on a terminal: the audio's bytes would reach it as text and control sequences.
        master, slave = pty.openpty()
        self.addCleanup(os.close, master)
        terminal = os.ttyname(slave)
        os.symlink(terminal, self.path("link.wav"))
        names = ["CON", "con.wav", "CONOUT$"] if UNDER_WINE else [terminal, "/dev/stdout", self.path("link.wav")]
        for name in names:
            with self.subTest(name=name):
                process = subprocess.run(command("-o", name, "E"), stdin=slave, stdout=slave, stderr=subprocess.PIPE,
                                         timeout=60)
                self.assertEqual(process.returncode, 2)
                self.assertIn(f"will not write audio to a terminal ('{name}' is one)", text(process.stderr))
                shown = b""
                while select.select([master], [], [], 0.2)[0]:
                    shown += os.read(master, 65536)
                self.assertNotIn(b"RIFF", shown)
        os.close(slave)

    @native_only
    def test_reading_from_a_terminal_says_how_to_end(self):
        master, slave = pty.openpty()
        process = subprocess.Popen(command("-o", self.path("t.wav"), "-i", "-"), stdin=slave, stderr=subprocess.PIPE)
        os.close(slave)
        ready, _, _ = select.select([process.stderr], [], [], 30)
        self.assertTrue(ready)
        self.assertIn("end it with Ctrl+D", process.stderr.readline().decode())
        os.write(master, b"SOS\n\x04")
        process.communicate(timeout=30)
        os.close(master)
        self.assertEqual(process.returncode, 0)
        self.assertEqual(open(self.path("t.wav"), "rb").read(), wav_model.wav(b"SOS"))


class Utf8(CliTestCase):
    def test_overlong_forms_and_surrogates_are_not_utf8(self):
        for sequence in (b"\xe0\x80\x80", b"\xed\xa0\x80", b"\xf0\x80\x80\x80", b"\xf4\x90\x80\x80", b"\xc0\xaf"):
            with self.subTest(sequence=sequence):
                with open(self.path("m.txt"), "wb") as f:
                    f.write(b"E" + sequence + b"T")
                result, data = self.create("-i", self.path("m.txt"))
                err = text(result.stderr)
                self.assertIn(f"byte 0x{sequence[0]:02X} is not UTF-8; left out once, at character 2", err)
                self.assertEqual(data, wav_model.wav(b"ET"))


if __name__ == "__main__":
    unittest.main()
