"""The main window as a person meets it: the form, the keys, resizing and closing."""
import time

from gui_session import (CREATE_BUTTON, DOT_FIELD, FREQUENCY_FIELD, ID_CANCEL, MAIN_CAPTION, MESSAGE_FIELD,
                         SAVE_DIALOG_TITLE, VOLUME_FIELD, FILE_NAME_BOX, GuiTestCase, child, main, text_of,
                         texts, wait_until)

WS_MAXIMIZEBOX, WS_THICKFRAME, WS_CLIPSIBLINGS = 0x00010000, 0x00040000, 0x04000000
WS_EX_CLIENTEDGE = 0x200

# The form as designed: id, class, text, style, extended style, x, y, width, height.
FORM = [
    (1000, "Static", texts["kMessageLabel"], 0x50000000, 0, 0, 0, 473, 20),
    (1001, "Edit", "", 0x50000080, WS_EX_CLIENTEDGE, 0, 20, 474, 20),
    (1002, "Static", texts["kDotLabel"], 0x50000002, 0, 0, 40, 190, 20),
    (1003, "Edit", "100", 0x50002080, WS_EX_CLIENTEDGE, 193, 40, 93, 20),
    (1004, "Static", texts["kFrequencyLabel"], 0x50000002, 0, 287, 40, 90, 20),
    (1005, "Edit", "1000", 0x50002080, WS_EX_CLIENTEDGE, 380, 40, 94, 20),
    (1006, "Static", texts["kVolumeLabel"], 0x50000002, 0, 0, 60, 153, 18),
    (1007, "Edit", "50", 0x50002000, WS_EX_CLIENTEDGE, 156, 60, 49, 20),
    (1008, "Button", texts["kCreateButton"], 0x50000000, 0, 207, 60, 267, 20),
]


class FreshWindow(GuiTestCase):
    def test_fresh_window_shows_the_form_as_designed(self):
        window = self.app.window()
        self.assertEqual(text_of(window), "Velmora")
        self.assertEqual(window["class"], "NORMAL0")
        self.assertEqual(window["client"], [0, 0, 474, 80])
        self.assertEqual(self.app.fields(), ("", "100", "1000", "50"))
        self.assertEqual([c["id"] for c in window["children"]], [row[0] for row in FORM])
        for control_id, cls, text, style, exstyle, x, y, width, height in FORM:
            with self.subTest(control=control_id):
                c = child(window, control_id)
                self.assertEqual(c["class"].lower(), cls.lower())
                self.assertEqual(text_of(c), text)
                self.assertEqual(hex(c["style"]), hex(style))
                self.assertEqual(c["exstyle"] & WS_EX_CLIENTEDGE, exstyle)
                self.assertEqual(c["rect"], [x, y, x + width, y + height])
        # The X window is the whole window (Wine draws the frame): its size is the outer size.
        x_window = self.desktop.x_windows(MAIN_CAPTION)[0]
        width, height, _ = self.desktop.pixels(x_window)
        left, top, right, bottom = window["outer"]
        self.assertEqual((width, height), (right - left, bottom - top))
        self.desktop.screenshot(x_window, self.session.artifacts / "window.png")

    def test_caption_buttons_and_labels_are_drawn_in_real_glyphs(self):
        """Wine's own Marlett draws the close button's cross (without it Wine writes the letter
        "r" there), and the labels' face has glyphs for double-byte characters (a code page
        bitmap face draws each of them as a solid block)."""
        window = self.app.window()
        width, _, data = self.desktop.pixels(self.desktop.x_windows(MAIN_CAPTION)[0])

        def black(x, y):
            return max(data[3 * (y * width + x): 3 * (y * width + x) + 3]) < 40

        # The X window is the whole window: the client area starts past the frame and caption,
        # and the close button is the caption's last square.
        border = window["origin"][0] - window["outer"][0]
        client_top = window["origin"][1] - window["outer"][1]
        caption = client_top - border
        cross = {(x, y) for y in range(border, client_top) for x in range(width - border - caption, width - border)
                 if black(x, y)}
        self.assertTrue(cross, "the close button shows no glyph")
        low, high = min(x for x, _ in cross), max(x for x, _ in cross)
        mirrored = {(low + high - x, y) for x, y in cross}
        self.assertGreater(len(cross & mirrored) / len(cross | mirrored), 0.8, "the close button shows no cross")

        for label in (1000, 1002, 1004, 1006):
            with self.subTest(label=label):
                offset = (border, client_top) * 2
                left, top, right, bottom = [a + b for a, b in zip(child(window, label)["rect"], offset)]
                ink = sum(black(x, y) for y in range(top, bottom) for x in range(left, right))
                self.assertGreater(ink, 50, "the label shows no text")
                blocks = [(x, y) for y in range(top, bottom - 7) for x in range(left, right - 3)
                          if all(black(x + i, y + j) for i in range(4) for j in range(8))]
                self.assertFalse(blocks, f"solid blocks where characters belong, the first at {blocks[:1]}")

    def test_window_has_no_maximise_box_and_keeps_its_size(self):
        window = self.app.window()
        style = window["style"] & ~WS_CLIPSIBLINGS
        self.assertEqual(hex(style), hex(0x10CA0000))
        self.assertFalse(style & (WS_MAXIMIZEBOX | WS_THICKFRAME))
        left, top, right, bottom = window["outer"]
        # Drag the bottom-right corner outwards, then double-click the caption.
        self.desktop.drag((right - 2, bottom - 2), (right + 80, bottom + 60))
        self.desktop.double_click(((left + right) // 2, (top + window["origin"][1]) // 2))
        after = self.app.window()
        self.assertEqual(after["client"], [0, 0, 474, 80])
        self.assertEqual(after["outer"], window["outer"])

    def test_executable_carries_its_icon_and_version(self):
        resources = self.desktop.probe("resources", self.session.exe)
        self.assertEqual(resources["icons"], 1, "icon group 101 with one icon")
        self.assertRegex(resources["version"], r"^\d+\.\d+\.\d+\.0$")

    def test_closing_the_window_ends_the_process_with_exit_code_0(self):
        self.assertEqual(self.app.close(), 0)
        self.assertEqual(self.desktop.x_windows(MAIN_CAPTION), [])


class Keyboard(GuiTestCase):
    def test_tab_keeps_the_focus_in_the_field(self):
        for field, before, after in [(MESSAGE_FIELD, "", "A7"), (DOT_FIELD, "100", "1007")]:
            with self.subTest(field=field):
                others = {i: self.app.field(i) for i in (MESSAGE_FIELD, DOT_FIELD, FREQUENCY_FIELD, VOLUME_FIELD)}
                self.desktop.click(self.app.window(), field)
                self.desktop.key("End", "Tab")
                self.desktop.type(after[len(before):])
                wait_until(lambda: self.app.field(field) == after, f"{after!r} in field {field}", timeout=10)
                self.assertTrue(child(self.app.window(), field)["focus"])
                others.pop(field)
                for other, text in others.items():
                    self.assertEqual(self.app.field(other), text)

    def test_enter_in_a_field_does_not_run_the_command(self):
        self.app.replace_field(MESSAGE_FIELD, "E")
        for field in (MESSAGE_FIELD, DOT_FIELD, VOLUME_FIELD):
            with self.subTest(field=field):
                self.desktop.click(self.app.window(), field)
                before = self.app.field(field)
                # A key after Return reaches the field only once Return is handled, and only if no
                # dialog has taken the keyboard: a command that Return ran would be showing by then.
                self.desktop.key("Return", "End")
                self.desktop.type("7")
                wait_until(lambda: self.app.field(field) == before + "7", f"the 7 typed after Return in {field}",
                           timeout=10)
                self.assertTrue(self.desktop.stays_away(SAVE_DIALOG_TITLE, 2.0))
                self.assertTrue(self.desktop.stays_away(texts["kSorryCaption"], 0.5))
        self.assertEqual(self.app.fields(), ("E7", "1007", "1000", "507"))

    def test_numeric_fields_refuse_letters(self):
        cases = [(DOT_FIELD, "a1b2", "10012"), (FREQUENCY_FIELD, "x5-", "10005"), (VOLUME_FIELD, "q", "50")]
        for field, typed, expected in cases:
            with self.subTest(field=field):
                self.desktop.click(self.app.window(), field)
                self.desktop.key("End")
                self.desktop.type(typed)
                wait_until(lambda: self.app.field(field) == expected, f"{expected!r} in field {field}", timeout=5)

    def test_volume_field_takes_only_what_its_width_shows(self):
        self.desktop.click(self.app.window(), VOLUME_FIELD)
        self.desktop.key("End")
        typed = "1234567890123456"
        self.desktop.type(typed)
        wait_until(lambda: len(self.app.field(VOLUME_FIELD)) > 2, "some digits in the volume field", timeout=5)
        text = self.app.field(VOLUME_FIELD)

        def settled():  # the same text twice, half a second apart: every key typed has been handled
            nonlocal text
            time.sleep(0.5)
            now, text = text, self.app.field(VOLUME_FIELD)
            return now == text

        wait_until(settled, "the volume field to take no more keys", timeout=15)
        self.assertTrue(("50" + typed).startswith(text), text)
        self.assertLess(len(text), len("50" + typed), "the field has no automatic scrolling")

    def test_only_a_click_of_the_button_runs_the_command(self):
        self.app.replace_field(MESSAGE_FIELD, "E")
        self.desktop.probe("command", str(CREATE_BUTTON), "1")  # a notification other than BN_CLICKED
        self.assertTrue(self.desktop.stays_away(SAVE_DIALOG_TITLE, 2.0))
        self.desktop.probe("command", str(CREATE_BUTTON), "0")  # the click itself, by the same way
        dialog = self.desktop.wait_box(SAVE_DIALOG_TITLE, FILE_NAME_BOX)
        self.desktop.click(dialog, ID_CANCEL, "Button")
        self.desktop.wait_gone(SAVE_DIALOG_TITLE, FILE_NAME_BOX)


if __name__ == "__main__":
    main(__name__)
