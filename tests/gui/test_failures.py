"""Runs that cannot end in a file: what the person is told, and that nothing is left behind."""
import os
import pathlib
import stat
import subprocess

from gui_session import (DOT_FIELD, ID_YES, MESSAGE_FIELD, SAVE_DIALOG_TITLE, BOX_TEXT, GuiTestCase,
                         main, texts, wait_until, windows_path)

SORRY, DONE = texts["kSorryCaption"], texts["kDoneCaption"]
OPEN_FAILED, WRITE_FAILED = texts["kOpenFailedText"], texts["kWriteFailedText"]
NOTHING_TO_SOUND, TOO_LONG = texts["kNothingToSoundText"], texts["kTooLongText"]


def chattr(flag: str, path: pathlib.Path) -> bool:
    return subprocess.run(["chattr", "-R", flag, str(path)], capture_output=True).returncode == 0


def contents(folder: pathlib.Path) -> dict:
    """Every file below `folder` with its bytes, the program's own log left out."""
    return {str(p.relative_to(folder)): p.read_bytes() if p.is_file() else None
            for p in sorted(folder.rglob("*")) if p.name != "velmora.log"}


class Failures(GuiTestCase):
    def answer_prompt_if_asked(self):
        """Says yes to the replace prompt if the dialog asks; waits until one of the two shows."""
        def prompt_or_result():
            if self.desktop.boxes(SORRY):
                return "result"
            if any(any(c["id"] == ID_YES for c in b["children"]) for b in self.desktop.boxes(SAVE_DIALOG_TITLE)):
                return "prompt"
            return None
        if wait_until(prompt_or_result, "the replace prompt or the message") == "prompt":
            self.answer_box(SAVE_DIALOG_TITLE, ID_YES, ID_YES)

    def test_unwritable_targets_are_reported_and_left_alone(self):
        probe = self.work / "probe"
        probe.touch()
        if not chattr("+i", probe):
            self.skipTest("the file system of the build folder cannot make files immutable (chattr +i)")
        chattr("-i", probe)
        probe.unlink()
        self.addCleanup(chattr, "-i", self.work)

        def read_only_file():
            (self.work / "kept.wav").write_bytes(b"keep me")
            chattr("+i", self.work / "kept.wav")
            return "kept.wav"

        def read_only_folder():
            (self.work / "locked").mkdir()
            chattr("+i", self.work / "locked")
            return "locked\\new.wav"

        self.app.replace_field(MESSAGE_FIELD, "E")
        for case in (read_only_file, read_only_folder):
            with self.subTest(case=case.__name__):
                name = case()
                before = contents(self.work)
                dialog = self.open_save_dialog()
                self.enter_file_name(dialog, windows_path(self.work) + "\\" + name)
                self.answer_prompt_if_asked()
                self.expect_message(SORRY, OPEN_FAILED, "warm")
                self.assertEqual(contents(self.work), before, "the target is unchanged and nothing was left")

    def test_runs_that_cannot_sound_are_refused_before_the_dialog(self):
        cases = [("", "100", NOTHING_TO_SOUND), (" .,?!", "100", NOTHING_TO_SOUND), ("E", "268435456", TOO_LONG)]
        for message, dot, text in cases:
            with self.subTest(message=message, dot=dot):
                self.app.replace_field(MESSAGE_FIELD, message)
                self.app.replace_field(DOT_FIELD, dot)
                self.app.click_create()
                self.desktop.wait_box(SORRY, BOX_TEXT)
                self.assertEqual(self.desktop.boxes(SAVE_DIALOG_TITLE), [], "no save dialog was shown")
                self.expect_message(SORRY, text, "warm")
                self.assertEqual(contents(self.work), {})

    def test_a_full_disk_is_reported_and_the_device_is_left_as_it_is(self):
        device = pathlib.Path("/dev/full")  # every write fails with "disk full"
        before = device.stat()
        self.assertTrue(stat.S_ISCHR(before.st_mode))
        names_before = set(os.listdir("/dev"))
        # Wine's save dialog will not name a device itself (Z:\dev\full. is "path not found"),
        # so the device is chosen through a link in the work folder: the program opens /dev/full.
        link = self.work / "full.wav"
        link.symlink_to(device)
        self.app.replace_field(MESSAGE_FIELD, "E")
        dialog = self.open_save_dialog()
        self.enter_file_name(dialog, windows_path(self.work) + "\\full.wav")
        self.answer_prompt_if_asked()
        self.expect_message(SORRY, WRITE_FAILED, "warm")
        after = device.stat()
        self.assertTrue(stat.S_ISCHR(after.st_mode), "/dev/full is still the character device")
        self.assertEqual(after.st_rdev, before.st_rdev)
        self.assertTrue(link.is_symlink() and os.readlink(link) == str(device), "the link was not replaced")
        self.assertEqual(sorted(p.name for p in self.work.iterdir()), ["full.wav", "velmora.log"])
        new_files = [n for n in set(os.listdir("/dev")) - names_before if (pathlib.Path("/dev") / n).is_file()]
        self.assertEqual(new_files, [], "no file was created beside the device")

    def test_a_name_longer_than_a_path_may_be_is_an_open_failure(self):
        # A path is at most 259 characters (MAX_PATH with its zero). Longer ones, up to far past
        # the 260 bytes of a small dialog buffer, must neither overflow the dialog nor fail
        # without a word; the longest that fits is written.
        self.app.replace_field(MESSAGE_FIELD, "E")
        folder = windows_path(self.work) + "\\"
        for length in (260, 264, 1000):
            with self.subTest(length=length):
                dialog = self.open_save_dialog()
                self.enter_file_name(dialog, folder + "n" * (length - len(folder) - 4) + ".wav")
                self.expect_message(SORRY, OPEN_FAILED, "warm")
                self.assertEqual(contents(self.work), {})
        longest = "n" * (259 - len(folder) - 4) + ".wav"
        dialog = self.open_save_dialog()
        self.enter_file_name(dialog, folder + longest)
        self.expect_message(DONE, texts["kWrittenText"], "blue")
        self.assert_wav(self.work / longest, b"E")


if __name__ == "__main__":
    main(__name__)
