"""The web page in headless Chromium, driven as a person drives it: typed into by its ids, 作成!!
pressed, the files it offers downloaded and compared with what the native velmora-cli writes.
Served by scripts/serve on 127.0.0.1. Keeps a screenshot in SCREENSHOT (under build/).

VELMORA_WEB names the site folder, VELMORA_CLI the native program. Needs Debian's chromium,
chromium-driver and python3-selenium (run with /usr/bin/python3)."""

import http.client
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest

from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.dirname(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "cli"))
from page_session import SERVE, PageSession  # noqa: E402
from test_learning import tone_runs  # noqa: E402
from web_cases import fields, run_cli  # noqa: E402

WEB = os.environ.get("VELMORA_WEB", "")
SCREENSHOT = os.environ.get("VELMORA_SCREENSHOT", os.path.join(WEB, "..", "page-screenshot.png"))
RATE = 8000


class Page(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.page = PageSession(WEB)
        cls.page.open()

    @classmethod
    def tearDownClass(cls):
        cls.page.close()

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="velmora-native-")

    def tearDown(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def native(self, f, extension="wav"):
        """The bytes velmora-cli writes for the fields: the WAV, or a label track."""
        wav, labels = os.path.join(self.folder, "n.wav"), os.path.join(self.folder, f"n.{extension}")
        outcome, _ = run_cli(f, wav, labels if extension != "wav" else None)
        self.assertEqual(outcome, "written")
        with open(labels if extension != "wav" else wav, "rb") as out:
            return out.read()

    def test_downloads_are_the_native_programs_bytes(self):
        cases = [
            fields("SOS"),
            fields("CQ DE ｲﾛﾊ あ (73)", dot="1.9", volume="200", frequency="2667"),
            fields("CQ CQ DE JA1ABC", wpm="20", farnsworth="10", wordGap=True),
            fields("ガッコウ　へ　いきます ①ⅰ", foldKana=True, wordGap=True),
        ]
        for f in cases:
            with self.subTest(**f):
                self.page.fill(f)
                self.assertEqual(self.page.create(), "written")
                self.assertEqual(self.page.download("download"), self.native(f))
                self.assertEqual(self.page.download("labels-srt"), self.native(f, "srt"))
                self.assertEqual(self.page.download("labels-vtt"), self.native(f, "vtt"))
        os.makedirs(os.path.dirname(os.path.abspath(SCREENSHOT)), exist_ok=True)
        self.page.driver.save_screenshot(SCREENSHOT)

    def test_shaping_pitch_and_punctuation_then_a_clamped_rise_and_a_refused_one(self):
        page = self.page
        f = fields("CQ DE JA1ABC, <AR> <SK>", rise="5", exactPitch=True, punctuation=True, wpm="20", wordGap=True,
                   frequency="600")
        page.fill(f)
        self.assertEqual(page.create(), "written")
        self.assertEqual(page.download("download"), self.native(f))
        srt = page.download("labels-srt")
        self.assertEqual(srt, self.native(f, "srt"))
        self.assertEqual(page.download("labels-vtt"), self.native(f, "vtt"))
        # The picture names the prosign as one character, under its elements, where the labels put it.
        entries = srt.decode("utf-8").strip().split("\n\n")
        k, times = next((n, e.split("\n")[1]) for n, e in enumerate(entries) if e.endswith("<AR> .-.-."))
        start, end = (sum(float(p) * m for p, m in zip(t.replace(",", ".").split(":"), (3600, 60, 1)))
                      for t in times.split(" --> "))
        page.driver.execute_script("const p = document.getElementById('player'); p.pause();"
                                   "p.currentTime = arguments[0]", (start + end) / 2)
        caption = f"Character {k + 1} of {len(entries)}: <AR>  ·−·−·"
        page.wait_for(lambda: page.element("now-playing").get_attribute("textContent") == caption, 5)

        page.fill(fields("EE", dot="20", rise="30"))
        self.assertEqual(page.create(), "written")
        self.assertIn("The rise of 30 ms is longer than half a dot: each edge takes 10 ms, half the shortest element.",
                      page.element("report").text)
        page.fill(fields("E", rise="5 ms"))
        self.assertEqual(page.create(), "rise-refused")
        self.assertIn("The rise “5 ms” is not a time in milliseconds", page.element("status").text)
        self.assertEqual(page.element("rise").get_attribute("aria-invalid"), "true")
        self.assertTrue(page.element("output").get_attribute("hidden"))

    def test_control_characters_in_a_field_are_shown_by_code_point(self):
        page = self.page
        for field, pasted, shown in [("dot", "5\x07", "The dot length “5<U+0007>” is read as 5 ms"),
                                     ("wpm", "\x1b[31m20", "The speed “<U+001B>[31m20” is not a number"),
                                     ("farnsworth", "5\u202e", "The Farnsworth speed “5<U+202E>” is not a number"),
                                     ("rise", "\u202e5", "The rise “<U+202E>5” is not a time")]:
            with self.subTest(field=field):
                page.fill(fields("E"))
                page.driver.execute_script("document.getElementById(arguments[0]).value = arguments[1]", field, pasted)
                page.create()
                self.assertIn(shown, page.element("report").text + page.element("status").text)

    def test_refusals_then_a_run_that_works_with_its_memory_back(self):
        page = self.page
        page.fill(fields("SOS"))
        self.assertEqual(page.create(), "written")
        heap = page.element("status").get_attribute("data-heap-in-use")
        self.assertRegex(heap or "", r"^\d+$")
        for f, outcome in [(fields("E", dot="536870912"), "too-long"), (fields("E", dot="268435455"), "out-of-memory"),
                           (fields("あ"), "nothing-to-sound"), (fields("E", wpm="5000"), "speed-refused")]:
            with self.subTest(outcome=outcome):
                page.fill(f)
                self.assertEqual(page.create(), outcome)
                self.assertTrue(page.element("output").get_attribute("hidden"))
                page.fill(fields("SOS"))
                self.assertEqual(page.create(), "written")
                self.assertEqual(page.download("download"), self.native(fields("SOS")))
                self.assertEqual(page.element("status").get_attribute("data-heap-in-use"), heap)

    def test_a_pasted_message_of_one_megabyte(self):
        f = fields(("PARIS ƒ ｱ " * 100000)[:1000000], dot="1")
        self.page.fill(fields("", dot="1"))
        # Pasted: the whole text arrives at once, as the input event of a paste delivers it.
        self.page.driver.execute_script(
            "const m = document.getElementById('message'); m.value = arguments[0];"
            "m.dispatchEvent(new InputEvent('input', {inputType: 'insertFromPaste'}));", f["message"])
        # The page's own thread goes on while the worker renders: a timer set every 5 ms fires
        # while the render is under way, in its last three quarters too.
        self.page.driver.execute_script(
            "delete document.getElementById('status').dataset.outcome; window.velmoraTicks = [];"
            "const tick = () => { velmoraTicks.push(performance.now());"
            "  if (!document.getElementById('status').dataset.outcome) setTimeout(tick, 5); };"
            "setTimeout(tick, 5);")
        self.assertEqual(self.page.create(seconds=120), "written")
        ticks = self.page.driver.execute_script("return velmoraTicks")
        start, render = self.page.driver.execute_script(
            "const m = performance.getEntriesByName('velmora: render').at(-1); return [m.startTime, m.duration]")
        self.assertTrue(any(start + render / 4 < t < start + render for t in ticks),
                        "the page's thread stood still while the worker rendered")
        self.assertEqual(self.page.download("download"), self.native(f))

    def test_the_keyboard_alone_makes_audio(self):
        page = self.page
        page.open()
        body = page.driver.find_element(By.TAG_NAME, "body")
        body.send_keys(Keys.TAB)  # the first field is the message
        self.assertEqual(page.driver.switch_to.active_element.get_attribute("id"), "message")
        page.driver.switch_to.active_element.send_keys("PARIS" + Keys.ENTER)
        self.assertEqual(page.wait_for(lambda: page.element("status").get_attribute("data-outcome")), "written")
        order = []
        while "labels-vtt" not in order and len(order) < 30:
            page.driver.switch_to.active_element.send_keys(Keys.TAB)
            order.append(page.driver.switch_to.active_element.get_attribute("id"))
        # The player's own buttons take a few presses of Tab of their own.
        self.assertEqual(list(dict.fromkeys(order)), ["dot", "frequency", "volume", "word-gap", "wpm", "farnsworth",
                                                      "fold-kana", "rise", "exact-pitch", "punctuation", "create",
                                                      "player", "download", "labels-srt", "labels-vtt"])

    def test_every_field_has_a_label_and_nothing_comes_from_another_host(self):
        unlabelled = self.page.driver.execute_script(
            "return [...document.querySelectorAll('input')].filter("
            "i => !document.querySelector(`label[for=\"${i.id}\"]`)).map(i => i.id)")
        self.assertEqual(unlabelled, [])
        origins = self.page.driver.execute_script(
            "return [...new Set(performance.getEntriesByType('resource').map(r => new URL(r.name).origin))]")
        self.assertLessEqual(set(origins), {self.page.address.rstrip("/")})
        policy = self.page.driver.execute_script(
            "return document.querySelector('meta[http-equiv=\"Content-Security-Policy\"]').content")
        self.assertIn("default-src 'none'", policy)

    def test_the_character_heard_is_marked_from_the_sample_spans(self):
        page = self.page
        page.fill(fields("ETA", dot="60"))
        self.assertEqual(page.create(), "written")
        runs = tone_runs(page.download("download")[44:])
        self.assertEqual(len(runs), 4)  # E, T, and A's two elements
        for sample, character in [((runs[0][0] + runs[0][1]) // 2, "0"), ((runs[1][0] + runs[1][1]) // 2, "1"),
                                  ((runs[1][1] + runs[2][0]) // 2, "-1"), (runs[3][1] - 4, "2")]:
            with self.subTest(sample=sample):
                page.driver.execute_script("const p = document.getElementById('player'); p.pause();"
                                           "p.currentTime = arguments[0]", sample / RATE)
                page.wait_for(lambda: page.element("picture").get_attribute("data-current") == character, 5)


class BrokenSite(unittest.TestCase):
    """A site whose module the browser cannot load."""

    def test_a_worker_that_cannot_start_leaves_create_refused(self):
        with tempfile.TemporaryDirectory() as folder:
            site = shutil.copytree(WEB, os.path.join(folder, "web"))
            with open(os.path.join(site, "velmora.js"), "r+b") as module:  # cut short, as by a copy that failed
                module.truncate(len(module.read()) // 2)
            page = PageSession(site)
            try:
                page.driver.get(page.address)
                status = page.element("status")
                page.wait_for(lambda: "worker stopped" in status.text, 20)
                page.element("message").send_keys("SOS" + Keys.ENTER)
                page.element("create").click()
                time.sleep(1)
                self.assertIn("worker stopped", status.text)
                self.assertEqual(page.element("create").get_attribute("aria-disabled"), "true")
            finally:
                page.close()

    def test_the_page_opened_as_a_file_says_it_cannot_start(self):
        page = PageSession(WEB)
        try:
            page.driver.get("file://" + os.path.abspath(os.path.join(WEB, "index.html")))
            status = page.element("status")
            page.wait_for(lambda: status.get_attribute("data-outcome") == "failed", 20)
            self.assertIn("not as a file", status.text)
        finally:
            page.close()


class Serve(unittest.TestCase):
    """scripts/serve as a careless or hostile client meets it."""

    def test_requests_reach_the_site_files_alone_and_each_gets_an_answer(self):
        server = subprocess.Popen([sys.executable, SERVE, "--port", "0", "--folder", WEB, "--quiet"],
                                  stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        try:
            port = int(server.stdout.readline().rsplit(":", 1)[-1].strip(" /\n"))
            up = "/.." * 12
            for path, status, kind in [
                    ("/", 200, "text/html"), ("/velmora.wasm", 200, "application/wasm"),
                    ("/render_worker.js", 200, "text/javascript"), ("/missing.js", 404, None),
                    (up + "/etc/passwd", 404, None), ("/%2e%2e" * 12 + "/etc/passwd", 404, None),
                    ("/..%2f" * 12 + "etc%2fpasswd", 404, None), ("//etc/passwd", 404, None),
                    ("/index.html%00", 404, None), ("/%00", 404, None), ("/", 200, "text/html")]:
                with self.subTest(path=path):
                    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
                    connection.request("GET", path)
                    response = connection.getresponse()
                    response.read()
                    connection.close()
                    self.assertEqual(response.status, status)
                    if kind:
                        self.assertEqual(response.getheader("Content-Type"), kind)
        finally:
            server.terminate()
            _, errors = server.communicate(timeout=10)
        self.assertEqual(errors, "", "a request made the server fail")

    def test_a_port_it_cannot_listen_on_is_said_so(self):
        with socket.socket() as taken:
            taken.bind(("127.0.0.1", 0))
            taken.listen()
            for port in (taken.getsockname()[1], 70000):
                with self.subTest(port=port):
                    result = subprocess.run([sys.executable, SERVE, "--port", str(port), "--folder", WEB],
                                            capture_output=True, text=True, timeout=20)
                    self.assertEqual(result.returncode, 1)
                    self.assertTrue(result.stderr.startswith(f"serve: cannot listen on 127.0.0.1:{port}: "))
                    self.assertNotIn("Traceback", result.stderr)

    def test_a_folder_whose_build_was_cut_short_is_refused(self):
        # Configuring writes the page and its scripts; the build writes the module.
        for lost in ("velmora.js", "velmora.wasm"):
            with self.subTest(lost=lost), tempfile.TemporaryDirectory() as folder:
                site = shutil.copytree(WEB, os.path.join(folder, "web"))
                os.remove(os.path.join(site, lost))
                result = subprocess.run([sys.executable, SERVE, "--port", "0", "--folder", site],
                                        capture_output=True, text=True, timeout=20)
                self.assertNotEqual(result.returncode, 0)
                self.assertIn(f"{lost} missing", result.stderr)


if __name__ == "__main__":
    unittest.main()
