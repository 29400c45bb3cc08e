"""Saving through the save dialog, as a person does it, and the file that results."""
from gui_session import (DOT_FIELD, FILE_NAME_BOX, FREQUENCY_FIELD, ID_CANCEL, ID_NO, ID_OK, ID_YES, MESSAGE_FIELD,
                         READ_ONLY_CHECK, SAVE_DIALOG_TITLE, VOLUME_FIELD, WS_VISIBLE, GuiTestCase, child, main,
                         text_of, texts, windows_path)

DONE_CAPTION, DONE_TEXT = texts["kDoneCaption"], texts["kWrittenText"]


class Save(GuiTestCase):
    def save_as(self, name: str):
        dialog = self.open_save_dialog()
        self.enter_file_name(dialog, windows_path(self.work) + "\\" + name)

    def test_sos_is_saved_byte_for_byte_and_reported(self):
        self.app.replace_field(MESSAGE_FIELD, "SOS")
        dialog = self.open_save_dialog()
        self.assertEqual(text_of(child(dialog, FILE_NAME_BOX)), "", "the dialog opens with no name")
        self.assertEqual(text_of(child(dialog, 1136, "ComboBox")), texts["kWavFilterName"])  # the file-type list
        self.assertFalse(child(dialog, READ_ONLY_CHECK)["style"] & WS_VISIBLE, "the read-only box is hidden")
        self.assertFalse(self.app.window()["enabled"], "the dialog is modal and owned by the main window")
        self.enter_file_name(dialog, windows_path(self.work / "sos.wav"))
        self.expect_message(DONE_CAPTION, DONE_TEXT, "blue")
        self.assert_wav(self.work / "sos.wav", b"SOS")
        self.assertEqual(self.app.close(), 0, "closing right after a save ends the process with 0")

    def test_half_width_katakana_give_the_wabun_bytes(self):
        message = "ﾓｰﾙｽ ｼﾝｺﾞｳ".encode("cp932")  # the blank is dropped; ｰ and ﾞ are signs of their own
        self.assertTrue(self.desktop.probe("settext", str(MESSAGE_FIELD), message.hex()))
        for field, text in [(DOT_FIELD, "20"), (FREQUENCY_FIELD, "800"), (VOLUME_FIELD, "100")]:
            self.app.replace_field(field, text)
        self.assertEqual(self.app.field(MESSAGE_FIELD).encode("cp932"), message)
        self.save_as("wabun.wav")
        self.expect_message(DONE_CAPTION, DONE_TEXT, "blue")
        self.assert_wav(self.work / "wabun.wav", message, "20", "800", "100")

    def test_a_name_typed_without_extension_gets_wav(self):
        self.app.replace_field(MESSAGE_FIELD, "E")
        self.save_as("plain")
        self.expect_message(DONE_CAPTION, DONE_TEXT, "blue")
        self.assertFalse((self.work / "plain").exists())
        self.assert_wav(self.work / "plain.wav", b"E")

    def test_an_existing_file_is_replaced_only_after_confirmation(self):
        target = self.work / "old.wav"
        old = b"x" * 50000  # longer than the new file: nothing of it may remain
        target.write_bytes(old)
        self.app.replace_field(MESSAGE_FIELD, "ET")
        self.save_as("old.wav")
        self.answer_box(SAVE_DIALOG_TITLE, ID_NO, ID_NO)  # "no": back in the dialog, nothing written
        self.assertEqual(target.read_bytes(), old)
        dialog = self.desktop.wait_box(SAVE_DIALOG_TITLE, FILE_NAME_BOX)
        self.desktop.click(dialog, ID_OK, "Button")  # save the same name again
        self.answer_box(SAVE_DIALOG_TITLE, ID_YES, ID_YES)
        self.expect_message(DONE_CAPTION, DONE_TEXT, "blue")
        self.assert_wav(target, b"ET")

    def test_a_link_keeps_pointing_at_the_file_it_names(self):
        # Saving over a link replaces the file the link names; the link stays a link.
        (self.work / "other").mkdir()
        target = self.work / "other" / "target.wav"
        target.write_bytes(b"x" * 50000)
        (self.work / "link.wav").symlink_to("other/target.wav")
        self.app.replace_field(MESSAGE_FIELD, "ET")
        self.save_as("link.wav")
        self.answer_box(SAVE_DIALOG_TITLE, ID_YES, ID_YES)
        self.expect_message(DONE_CAPTION, DONE_TEXT, "blue")
        self.assertTrue((self.work / "link.wav").is_symlink())
        self.assert_wav(target, b"ET")
        self.assertEqual(sorted(p.name for p in (self.work / "other").iterdir()), ["target.wav"])

    def test_cancel_writes_nothing_and_the_next_run_works(self):
        self.app.replace_field(MESSAGE_FIELD, "E")
        dialog = self.open_save_dialog()
        self.desktop.click(dialog, FILE_NAME_BOX)
        self.desktop.type(windows_path(self.work / "cancelled.wav"))
        self.desktop.click(dialog, ID_CANCEL, "Button")
        self.desktop.wait_gone(SAVE_DIALOG_TITLE, FILE_NAME_BOX)
        self.assertTrue(self.desktop.stays_away(DONE_CAPTION, 1.5))
        self.assertTrue(self.desktop.stays_away(texts["kSorryCaption"], 0.5))
        self.assertEqual(sorted(p.name for p in self.work.iterdir()), ["velmora.log"])
        self.assertTrue(self.app.window()["enabled"])

        dialog = self.open_save_dialog()
        self.assertEqual(text_of(child(dialog, FILE_NAME_BOX)), "", "no name is remembered from the last run")
        self.enter_file_name(dialog, windows_path(self.work / "second.wav"))
        self.expect_message(DONE_CAPTION, DONE_TEXT, "blue")
        self.assert_wav(self.work / "second.wav", b"E")


if __name__ == "__main__":
    main(__name__)
