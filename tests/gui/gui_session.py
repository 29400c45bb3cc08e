"""What the end-to-end tests need to use velmora.exe as a person does.

A display of their own (Xvfb), a Wine prefix of their own (kept under the build folder, made
once), a wineserver of their own, and the program started fresh for every test. Windows are
found by their titles with xdotool and looked at from outside by the probe
(window_probe_win32.cpp); everything the program is asked to do goes in as real mouse clicks
and keystrokes.

The tests' own prefix keeps them apart from the unit tests, which share the project's prefix
under a wineserver that has no display. Every process started here is ended here, by its id;
`wineserver -k` only ever runs on the tests' own prefix.
"""
import contextlib
import fcntl
import json
import os
import pathlib
import re
import select
import shutil
import subprocess
import sys
import time
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "oracle"))
import wav_model  # noqa: E402

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "support"))
from program_texts import texts  # noqa: E402

CP932 = "cp932"
MAIN_CAPTION = "Velmora"
SAVE_DIALOG_TITLE = texts["kSaveDialogTitle"]

# Control ids of the form, and of the parts of the system's dialogs the tests touch.
MESSAGE_FIELD, DOT_FIELD, FREQUENCY_FIELD, VOLUME_FIELD, CREATE_BUTTON = 1001, 1003, 1005, 1007, 1008
FILE_NAME_BOX = 1148  # the save dialog's file-name combo box (cmb13)
READ_ONLY_CHECK = 1040  # the save dialog's "open as read-only" check box (chx1)
ID_OK, ID_CANCEL, ID_YES, ID_NO = 1, 2, 6, 7
BOX_TEXT = 0xFFFF  # the static control holding a message box's text

WS_VISIBLE = 0x10000000
WINE_FONTS = r"Z:\usr\share\wine\fonts"  # where Debian's fonts-wine puts them
WAIT = 30.0  # seconds; generous, since the unit tests may share the machine's processors


def setting(name: str) -> str:
    value = os.environ.get(name, "")
    if not value:
        raise unittest.SkipTest(f"{name} is not set: run these tests through ctest")
    return value


def windows_path(path: pathlib.Path) -> str:
    return "Z:" + str(path.resolve()).replace("/", "\\")


def wait_until(condition, what: str, timeout: float = WAIT, interval: float = 0.1):
    """Polls `condition` until it gives something true, and returns that."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


def text_of(window: dict) -> str:
    return bytes.fromhex(window["text"]).decode(CP932)


def child(window: dict, control_id: int, class_name: str = "") -> dict:
    for c in window["children"]:
        if c["id"] == control_id and class_name in ("", c["class"]):
            return c
    raise AssertionError(f"no control {control_id} in window {text_of(window)!r}")


class Display:
    """An Xvfb server on a display number it picks itself."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, start_new_session=True)
        os.close(write_end)
        number = b""
        try:
            while not number.endswith(b"\n"):
                ready, _, _ = select.select([read_end], [], [], WAIT)
                chunk = os.read(read_end, 16) if ready else b""
                if not chunk:
                    raise RuntimeError("Xvfb did not start")
                number += chunk
        except BaseException:
            self.stop()
            raise
        finally:
            os.close(read_end)
        self.name = ":" + number.decode().strip()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class Wine:
    """The tests' own prefix and wineserver, on the given display."""

    # The mark names what a finished prefix holds, so that one without Wine's fonts is made anew.
    READY_MARK = ".velmora-gui-prefix-with-wine-fonts"

    def __init__(self, prefix: pathlib.Path, display: Display):
        self.prefix = prefix
        env = dict(os.environ)
        env.pop("WINESERVER", None)
        # Only the diagnostics that explain a window that cannot show (no display driver, say).
        env.update(WINEPREFIX=str(prefix), WINEARCH="win64", WINEDEBUG="-all,err+winediag",
                   WINEDLLOVERRIDES="mscoree,mshtml=", LC_ALL="ja_JP.UTF-8", DISPLAY=display.name)
        self.env = env
        self.server = None

    def _run(self, *command, timeout=120, check=True):
        return subprocess.run(list(command), env=self.env, stdin=subprocess.DEVNULL, capture_output=True,
                              timeout=timeout, check=check)

    def prepare(self):
        """Makes the prefix once (about 15 s), then starts a wineserver that stays for the tests."""
        self._run("wineserver", "-k", check=False)  # a server left behind by an interrupted run
        self._run("wineserver", "-w", check=False)
        if not (self.prefix / self.READY_MARK).exists():
            shutil.rmtree(self.prefix, ignore_errors=True)
            self.prefix.mkdir(parents=True)
            self._run("wineboot", "-i", timeout=300, check=False)
            # Wine draws the frame and caption itself: with no window manager on the display
            # nobody else would, and the caption belongs in the screenshots.
            self._run("wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Decorated", "/d", "N", "/f")
            # Wine's own fonts, where Debian's Wine 8 does not look for them: Marlett for the
            # caption buttons. A font path loads only scalable faces, so the code page bitmap
            # FixedSys, which has no double-byte glyphs, does not take over the form's font.
            self._run("wine", "reg", "add", r"HKCU\Software\Wine\Fonts", "/v", "Path", "/d", WINE_FONTS, "/f")
            self._run("wineserver", "-w", timeout=300)
            (self.prefix / self.READY_MARK).touch()
        self.server = subprocess.Popen(["wineserver", "-f", "-p", "600"], env=self.env, stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)

    def stop(self):
        self._run("wineserver", "-k", check=False, timeout=60)
        self._run("wineserver", "-w", check=False, timeout=60)
        if self.server is not None:
            try:
                self.server.wait(30)
            except subprocess.TimeoutExpired:
                self.server.kill()
                self.server.wait()

    def start(self, exe: str, log: pathlib.Path) -> subprocess.Popen:
        with open(log, "ab") as out:
            return subprocess.Popen(["wine", exe], env=self.env, stdin=subprocess.DEVNULL, stdout=out, stderr=out)

    def run(self, *command, timeout=60) -> subprocess.CompletedProcess:
        return self._run("wine", *command, timeout=timeout, check=False)


class Desktop:
    """The display as a person sees it: windows by title, the mouse and the keyboard."""

    def __init__(self, display: Display, wine: Wine, probe: str):
        self.env = dict(wine.env, DISPLAY=display.name)
        self.wine = wine
        self.probe_exe = probe

    def _xdotool(self, *args) -> str:
        result = subprocess.run(["xdotool", *args], env=self.env, stdin=subprocess.DEVNULL, capture_output=True,
                                timeout=WAIT)
        return result.stdout.decode()

    # --- looking -------------------------------------------------------------------------

    def x_windows(self, title: str) -> list:
        """The visible X windows whose name is exactly `title`."""
        pattern = "^" + re.sub(r"([.^$*+?()\[\]{}|\\])", r"\\\1", title) + "$"
        return [int(w) for w in self._xdotool("search", "--onlyvisible", "--name", pattern).split()]

    def probe(self, *args):
        """The probe's answer: its JSON, or True for a command that answers nothing; None if it failed."""
        result = self.wine.run(self.probe_exe, *args)
        if result.returncode != 0:
            return None
        out = result.stdout.decode()
        return json.loads(out) if out.strip() else True

    def main_window(self) -> dict:
        found = self.probe("main")
        if not found or not found.get("found"):
            raise AssertionError("the main window is not there")
        return found

    def boxes(self, caption: str) -> list:
        """Every visible top-level window with this caption, topmost first. A probe that fails is
        asked again, and failing three times is an error: it never counts as "no window"."""
        for _ in range(3):
            found = self.probe("box", caption.encode(CP932).hex())
            if isinstance(found, list):
                return found
        raise AssertionError(f"the probe could not look for windows {caption!r}")

    def wait_box(self, caption: str, having: int, timeout: float = WAIT) -> dict:
        """Waits for a window with this caption that holds the control `having`."""
        def find():
            for box in self.boxes(caption):
                if any(c["id"] == having for c in box["children"]):
                    return box
            return None
        box = wait_until(find, f"a window {caption!r} with control {having}", timeout)
        wait_until(lambda: self.x_windows(caption), f"the X window {caption!r}", timeout)
        return box

    def wait_gone(self, caption: str, having: int, timeout: float = WAIT):
        wait_until(lambda: not any(any(c["id"] == having for c in b["children"]) for b in self.boxes(caption)),
                   f"the window {caption!r} to close", timeout)

    def stays_away(self, caption: str, seconds: float = 2.0) -> bool:
        """True if no window with this caption shows within `seconds`."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if self.boxes(caption):
                return False
            time.sleep(0.2)
        return True

    def screenshot(self, x_window, path: pathlib.Path):
        path.parent.mkdir(parents=True, exist_ok=True)
        target = ["-window", str(x_window)] if x_window else ["-window", "root"]
        subprocess.run(["import", *target, str(path)], env=self.env, stdin=subprocess.DEVNULL,
                       capture_output=True, timeout=WAIT, check=True)

    def pixels(self, x_window: int) -> tuple:
        """The X window's pixels as (width, height, RGB bytes)."""
        ppm = subprocess.run(["import", "-window", str(x_window), "-depth", "8", "ppm:-"], env=self.env,
                             stdin=subprocess.DEVNULL, capture_output=True, timeout=WAIT, check=True).stdout
        magic, size, depth, data = ppm.split(b"\n", 3)
        width, height = map(int, size.split())
        assert magic == b"P6" and depth == b"255"
        return width, height, data

    # --- doing ---------------------------------------------------------------------------

    def click(self, window: dict, control_id: int, class_name: str = ""):
        """A left click in the middle of a control of `window`."""
        left, top, right, bottom = child(window, control_id, class_name)["rect"]
        x = window["origin"][0] + (left + right) // 2
        y = window["origin"][1] + (top + bottom) // 2
        self._xdotool("mousemove", str(x), str(y), "click", "1")

    def drag(self, start: tuple, end: tuple):
        """Presses the left button at `start`, moves to `end` in two steps and lets go."""
        middle = ((start[0] + end[0]) // 2, (start[1] + end[1]) // 2)
        self._xdotool("mousemove", *map(str, start), "mousedown", "1", "sleep", "0.2", "mousemove", *map(str, middle),
                      "sleep", "0.2", "mousemove", *map(str, end), "sleep", "0.2", "mouseup", "1")

    def double_click(self, point: tuple):
        self._xdotool("mousemove", *map(str, point), "click", "--repeat", "2", "--delay", "80", "1")

    def type(self, text: str):
        self._xdotool("type", "--delay", "12", text)

    def key(self, *keys: str):
        self._xdotool("key", "--delay", "30", *keys)


class Velmora:
    """One run of the program, from its start to its exit."""

    def __init__(self, desktop: Desktop, exe: str, log: pathlib.Path):
        self.desktop = desktop
        self.process = desktop.wine.start(exe, log)

        def shown():
            if self.process.poll() is not None:
                raise AssertionError(f"the program ended at start with exit code {self.process.returncode}: "
                                     + log.read_text(errors="replace"))
            return desktop.x_windows(MAIN_CAPTION) and (desktop.probe("main") or {}).get("found")
        wait_until(shown, "the main window")

    def window(self) -> dict:
        return self.desktop.main_window()

    def field(self, control_id: int) -> str:
        return text_of(child(self.window(), control_id))

    def fields(self) -> tuple:
        window = self.window()
        return tuple(text_of(child(window, i)) for i in (MESSAGE_FIELD, DOT_FIELD, FREQUENCY_FIELD, VOLUME_FIELD))

    def replace_field(self, control_id: int, text: str):
        """Clicks into the field, selects its text from the keyboard and types `text` over it."""
        for attempt in range(2):  # a keystroke lost on a busy machine gets one more go
            self.desktop.click(self.window(), control_id)
            self.desktop.key("End", "shift+Home", "Delete")
            if text:
                self.desktop.type(text)
            try:
                wait_until(lambda: self.field(control_id) == text, f"field {control_id} to read {text!r}", 10)
                return
            except AssertionError:
                if attempt:
                    raise

    def click_create(self):
        self.desktop.click(self.window(), CREATE_BUTTON)

    def close(self) -> int:
        """Closes the window from the keyboard (Alt+F4) and returns the exit code."""
        if self.process.poll() is None:
            self.desktop.click(self.window(), MESSAGE_FIELD)
            self.desktop.key("alt+F4")
        return self.process.wait(WAIT)

    def end(self):
        """Makes sure the process is gone, however the test ended: a test that failed half-way
        may have left a dialog up, which no keystroke should be trusted to clear."""
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        wait_until(lambda: not self.desktop.x_windows(MAIN_CAPTION), "the main window to go", timeout=10)


class Session:
    """One display, prefix and wineserver for a test module.

    The prefix is shared by the suites, and by any other run of them from the same build folder
    (another ctest in the same tree, say): a file lock held for the whole session keeps them
    from starting or killing each other's programs.
    """

    def __init__(self):
        self.exe = setting("VELMORA_EXE")
        self.probe_exe = setting("VELMORA_PROBE")
        self.cli = os.environ.get("VELMORA_CLI", "")
        self.build = pathlib.Path(setting("VELMORA_GUI_DIR"))
        self.artifacts = pathlib.Path(setting("VELMORA_GUI_ARTIFACTS"))
        self.suite = pathlib.Path(sys.argv[0]).stem
        self.build.mkdir(parents=True, exist_ok=True)
        self.lock = open(self.build / "session.lock", "w")
        fcntl.flock(self.lock, fcntl.LOCK_EX)
        for old in self.artifacts.glob(f"failed.{self.suite}.*.png"):
            old.unlink()
        self.display = self.wine = None
        try:
            self.display = Display()
            self.wine = Wine(self.build / "wine", self.display)
            self.wine.prepare()
        except BaseException:
            self.stop()
            raise
        self.desktop = Desktop(self.display, self.wine, self.probe_exe)

    def failure_shot(self, test_id: str) -> pathlib.Path:
        return self.artifacts / f"failed.{self.suite}.{test_id.split('.', 1)[1]}.png"

    def stop(self):
        try:
            if self.wine is not None:
                self.wine.stop()
        finally:
            if self.display is not None:
                self.display.stop()
            self.lock.close()  # releases the lock


class GuiTestCase(unittest.TestCase):
    """A test with a freshly started program and a work folder of its own."""

    session: Session = None

    @classmethod
    def setUpClass(cls):
        if GuiTestCase.session is None:
            raise unittest.SkipTest("no GUI session")
        cls.desktop = GuiTestCase.session.desktop

    def setUp(self):
        session = GuiTestCase.session
        self.work = session.build / "work" / self.id().split(".", 1)[1]
        if self.work.exists():
            subprocess.run(["chattr", "-R", "-i", str(self.work)], capture_output=True)
            shutil.rmtree(self.work)
        self.work.mkdir(parents=True)
        self.app = Velmora(self.desktop, session.exe, self.work / "velmora.log")
        self.addCleanup(self.app.end)

    def tearDown(self):
        result = getattr(getattr(self, "_outcome", None), "result", None)
        failed = result is not None and any(t is self for t, _ in result.failures + result.errors)
        if failed:  # what the screen showed when it went wrong
            with contextlib.suppress(Exception):
                self.desktop.screenshot(None, GuiTestCase.session.failure_shot(self.id()))

    # --- the steps of a run, as a person takes them ------------------------------------------

    def open_save_dialog(self) -> dict:
        self.app.click_create()
        return self.desktop.wait_box(SAVE_DIALOG_TITLE, FILE_NAME_BOX)

    def enter_file_name(self, dialog: dict, name: str):
        self.desktop.click(dialog, FILE_NAME_BOX)
        self.desktop.type(name)
        self.desktop.key("Return")

    def answer_box(self, caption: str, having: int, button: int):
        box = self.desktop.wait_box(caption, having)
        self.desktop.click(box, button)
        self.desktop.wait_gone(caption, having)

    def expect_message(self, caption: str, text: str, icon: str) -> dict:
        """Waits for the message box, checks it, dismisses it with OK."""
        box = self.desktop.wait_box(caption, BOX_TEXT)
        self.assertEqual(text_of(child(box, BOX_TEXT)), text)
        self.assertEqual(box["class"], "#32770")
        self.assertFalse(self.app.window()["enabled"], "the box is modal and owned by the main window")
        self.assertEqual(self.icon_colour(caption), icon)
        self.answer_box(caption, BOX_TEXT, ID_OK)
        self.assertTrue(self.app.window()["enabled"])
        return box

    def assert_wav(self, path: pathlib.Path, message: bytes, dot="100", frequency="1000", volume="50"):
        """The file must be byte for byte what the rules give, and what velmora-cli writes."""
        written = path.read_bytes()
        expected = wav_model.wav(message, dot.encode(), frequency.encode(), volume.encode())
        self.assertEqual(len(written), len(expected))
        self.assertTrue(written == expected, "the file differs from the independently computed bytes")
        cli = GuiTestCase.session.cli
        if not cli:
            print("velmora-cli is not built: compared with the computed bytes only")
            return
        source = self.work / "cli-message.txt"
        source.write_bytes(message)
        twin = self.work / "cli-twin.wav"
        result = GuiTestCase.session.wine.run(cli, "-q", "-e", "cp932", "-i", windows_path(source), "-d", dot,
                                              "-f", frequency, "-v", volume, "-o", windows_path(twin))
        self.assertEqual(result.returncode, 0, result.stderr.decode(errors="replace"))
        self.assertTrue(written == twin.read_bytes(), "the file differs from velmora-cli's for the same fields")

    def icon_colour(self, caption: str) -> str:
        """'blue' for the information icon, 'warm' for the exclamation icon, as drawn on screen."""
        box = self.desktop.boxes(caption)[0]
        x_window = self.desktop.x_windows(caption)[0]
        width, _, data = self.desktop.pixels(x_window)
        left, top, right, bottom = child(box, 0x440)["rect"]  # the icon's static control
        dx = box["origin"][0] - box["outer"][0]
        dy = box["origin"][1] - box["outer"][1]
        blue = warm = 0
        for y in range(top + dy, bottom + dy):
            for x in range(left + dx, right + dx):
                r, g, b = data[3 * (y * width + x): 3 * (y * width + x) + 3]
                blue += b > r + 80
                warm += r > b + 100 and g > 60
        return "blue" if blue > 2 * warm else "warm" if warm > 2 * blue else "unclear"


def main(module_name: str):
    """Runs the module's tests inside one session; the exit code tells ctest the result."""
    session = None
    try:
        session = Session()
        GuiTestCase.session = session
        program = unittest.main(module=module_name, exit=False, verbosity=2)
        success = program.result.wasSuccessful()
    except unittest.SkipTest as skip:
        print(f"skipped: {skip}")
        success = True
    finally:
        if session is not None:
            session.stop()
    sys.exit(0 if success else 1)
