"""The web page's WebAssembly module under node, through the calls its worker makes, against the
native velmora-cli on the same field texts and options: the same outcome, the same WAV and label
bytes, the same warnings and report of left-out characters.

VELMORA_WEB names the site folder (build/wasm/web), VELMORA_CLI the native program."""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from web_cases import fields, run_cli  # noqa: E402

WEB = os.environ.get("VELMORA_WEB", "")
RUNNER = os.path.join(os.path.dirname(__file__), "module_runner.js")
OPTION_SPELLING = {"dot": "--dot", "frequency": "--freq", "volume": "--volume", "wpm": "--wpm"}

CASES = [
    # The worked examples, at the window's defaults.
    fields("E"), fields("ET"), fields("A"), fields("SOS"), fields("a b"),
    # Field texts read as the window reads them, wraps included.
    fields("SOS", dot="1.9"), fields("SOS", dot="4294967301"), fields("PARIS", dot="3abc"), fields("E", dot="+4"),
    fields("E", dot=" 4"), fields("E", dot="-4"), fields("SOS", dot="0"), fields("SOS", dot=""),
    fields("SOS", volume="200"), fields("SOS", volume="12.7"), fields("SOS", volume="0"),
    fields("SOS", frequency="4294967295"), fields("SOS", frequency="2667"), fields("SOS", frequency="9000"),
    # Control and format characters in a field's text are named by code point, never echoed raw.
    fields("E", dot="5\t"), fields("E", dot="\u202e100"), fields("E", volume="5\x1b[31m"),
    fields("E", frequency="1000\u200b"),
    # Refusals: nothing to sound, and audio longer than a WAV file holds.
    fields(""), fields("あいう"), fields(" "), fields("E", dot="536870912"), fields("EEEE", dot="134217728"),
    # Characters at the edges of code page 932: the read-back rule, the NEC and IBM rows, the
    # user-defined area, second bytes that sound, and characters it lacks.
    fields("～〜¥‾"), fields("アイウ①ⅰ∵￢"), fields("\ue000\ue757漢字"), fields("ｦﾟｰ｡ 😀é"),
    fields("(ｲﾛﾊ)0123456789 abc XYZ"),
    # Learner options, alone and together.
    fields("CQ CQ DE JA1ABC", wordGap=True), fields("PARIS PARIS", wpm="20"), fields("PARIS", wpm="13.5"),
    fields("CQ DE ｲﾛﾊ", wpm="20", farnsworth="10", wordGap=True), fields("THE QUICK FOX", farnsworth="5.5"),
    fields("ガッコウ　へ　いきます", foldKana=True, wordGap=True), fields("ｶﾞ パ Ａ１ ゐ", foldKana=True),
    # Speeds that are refused.
    fields("E", wpm="abc"), fields("E", wpm="5000"), fields("E", wpm="0.0000001"), fields("E", farnsworth="20"),
    fields("E", dot="0", farnsworth="5"), fields("E", farnsworth=" 5"), fields("E", wpm="0x10"), fields("E", wpm="inf"),
    fields("E E", farnsworth="0.0001"),
    # Shaped keying and the exact pitch: a rise of 0 takes the exact tone too; a rise longer than half
    # a dot is held to it; a frequency or volume the exact tone cannot sound; rises that are refused.
    fields("PARIS", rise="5", frequency="600"), fields("SOS", rise="0"), fields("EE", rise="2.5", dot="60"),
    fields("EE", rise="30", dot="20"), fields("SOS", exactPitch=True, frequency="700"),
    fields("SOS", exactPitch=True, frequency="5000"), fields("SOS", exactPitch=True, volume="200"),
    fields("E", rise="abc"), fields("E", rise="-1"), fields("E", rise="1e3"), fields("E", rise=" 5"),
    # The ITU marks and prosigns, as typed in the labels; a bracket left open is no prosign.
    fields("RST 599, QTH TOKYO. <BT> 73 <SK>", punctuation=True, wordGap=True),
    fields("(ｲﾛﾊ) <AR> <sos> a=b? \"$@\" <AR", punctuation=True),
    # With the learner options.
    fields("CQ DE JA1ABC <KN>", punctuation=True, rise="5", wpm="20", farnsworth="10", frequency="600"),
    fields("ガッコウ　へ、<AR>", foldKana=True, wordGap=True, punctuation=True, exactPitch=True),
    # A long message: 30,000 characters, 184 MB of audio.
    fields("PARIS " * 5000),
]


def run_module(cases, folder):
    listing = os.path.join(folder, "cases.json")
    with open(listing, "w", encoding="utf-8") as out:
        json.dump(cases, out)
    subprocess.run(["node", RUNNER, WEB, listing, folder], check=True, timeout=600)
    return [json.loads(read(os.path.join(folder, f"{n}.json"))) for n in range(len(cases))]


def read(path):
    if not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        return f.read()


def cli_report(stderr):
    """velmora-cli's warnings and left-out lines, without its name in front."""
    lines = [line.removeprefix("velmora-cli: ") for line in stderr.splitlines()]
    warnings = [line.removeprefix("warning: ") for line in lines if line.startswith("warning: --")]
    left_out = [line for line in lines if not line.startswith(("warning: --", "完了", "残念"))]
    return warnings, left_out


class ModuleAgainstNative(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="velmora-web-")
        cls.results = run_module(CASES, cls.folder)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def native(self, n, extension):
        path = os.path.join(self.folder, f"native-{n}.{extension}")
        outcome, stderr = run_cli(CASES[n], os.path.join(self.folder, f"native-{n}.wav"),
                                  path if extension != "wav" else None)
        return outcome, stderr, read(path)

    def test_outcomes_and_bytes_match_the_native_program(self):
        for n, case in enumerate(CASES):
            with self.subTest(n=n, message=case["message"][:40], **{k: v for k, v in case.items() if k != "message"}):
                outcome, _, wav = self.native(n, "wav")
                self.assertEqual(self.results[n]["outcome"], outcome)
                self.assertEqual(read(os.path.join(self.folder, f"{n}.wav")), wav)
                os.remove(os.path.join(self.folder, f"native-{n}.wav")) if wav is not None else None

    def test_label_tracks_match_the_native_program(self):
        for n, case in enumerate(CASES[:-1]):
            for extension in ("srt", "vtt"):
                with self.subTest(n=n, message=case["message"], extension=extension):
                    _, _, labels = self.native(n, extension)
                    self.assertEqual(read(os.path.join(self.folder, f"{n}.{extension}")), labels)

    def test_warnings_and_left_out_characters_are_the_native_programs(self):
        for n, case in enumerate(CASES[:-1]):
            with self.subTest(n=n, message=case["message"]):
                outcome, stderr, _ = self.native(n, "wav")
                if outcome in ("speed-refused", "rise-refused"):
                    continue
                report = self.results[n]["report"]
                warnings = [f"{OPTION_SPELLING[w['field']]} " + (w["typed"] if w["field"] == "wpm" else f"'{w['typed']}'") +
                            f" {w['said']}" for w in report["warnings"]]
                if "riseWarning" in report:
                    warnings.append("--rise %g %s" % (float(case["rise"]), report["riseWarning"]))
                self.assertEqual((warnings, report["leftOut"]), cli_report(stderr))

    def test_each_run_gives_its_memory_back(self):
        self.assertEqual({r["heapInUse"] for r in self.results}, {self.results[0]["heapInUse"]})


class ModuleLimits(unittest.TestCase):
    """What only the module meets: a heap of 2 GiB at most."""

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="velmora-web-")

    def tearDown(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def test_audio_the_heap_cannot_hold_is_out_of_memory_and_the_next_run_works(self):
        # 2,147,483,640 samples fit a WAV file, but not beside the module in 2 GiB.
        cases = [fields("SOS"), fields("E", dot="268435455"), fields("SOS"), fields("E", dot="536870912"),
                 fields("SOS")]
        results = run_module(cases, self.folder)
        self.assertEqual([r["outcome"] for r in results],
                         ["written", "out-of-memory", "written", "too-long", "written"])
        self.assertEqual(len({read(os.path.join(self.folder, f"{n}.wav")) for n in (0, 2, 4)}), 1)
        self.assertEqual(len({r["heapInUse"] for r in results}), 1)

    def test_a_zero_character_in_a_field_is_read_as_typed(self):
        # Only the page can be given one: the text goes whole, and the field rule reads up to it,
        # with the warning any other character there gives.
        results = run_module([fields("E", dot="5\u00002"), fields("E", dot="5")], self.folder)
        self.assertEqual([r["outcome"] for r in results], ["written", "written"])
        self.assertEqual(read(os.path.join(self.folder, "0.wav")), read(os.path.join(self.folder, "1.wav")))
        self.assertEqual([w["typed"] for w in results[0]["report"]["warnings"]], ["5<U+0000>2"])

    def test_a_message_of_one_megabyte(self):
        case = fields(("PARIS ƒ ｱ " * 100000)[:1000000], dot="1")
        results = run_module([case], self.folder)
        self.assertEqual(results[0]["outcome"], "written")
        native = os.path.join(self.folder, "native.wav")
        self.assertEqual(run_cli(case, native)[0], "written")
        self.assertEqual(read(os.path.join(self.folder, "0.wav")), read(native))


if __name__ == "__main__":
    unittest.main()
