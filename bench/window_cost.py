#!/usr/bin/env python3
"""What a run costs in the window under Wine, against velmora-cli.exe doing the same work.

    bench/window_cost.py            # 5 alternated runs of a 30,000-character message
    bench/window_cost.py --runs 9 --length 6000

Builds the win32 preset's programs, then drives velmora.exe on a virtual display of its own with
the GUI tests' helpers (tests/gui/gui_session.py). The message goes into the field as a paste
would put it (30,000 characters would take minutes to type); the other fields keep their
defaults (dot 100 ms, 1000 Hz, volume 50); the dialog opens in the work folder and is given the
file's name. Each run times

  - from the click on the button to the save dialog's window showing: reading the fields,
    measuring and cleaning the message, building the whole audio image, and the dialog;
  - from Enter in the dialog to the outcome box's window showing: the dialog closing, the
    durable save, and the box;

and `wine velmora-cli.exe` on the same message from a file, from start to exit. The same is done
with the five characters "PARIS", whose audio costs next to nothing: what the long message adds
to that is the work itself, in the window and in the command-line program alike. A Windows
program's start-up alone is `velmora-cli.exe --version`.

Besides the wall-clock times it reads the processor time (user and system) that each program's
own process spent in the timed steps: what the program itself works, apart from the time it
waits for Wine, the display or the host's memory.

Every timed step follows an untimed native durable floor of the same size (bench/compare's), as
in bench/compare: on a virtual machine that hands free memory back to its host, memory left free
for a second or two must be supplied anew, page by page, and a step after a pause (the seconds a
person spends in the dialog, say) pays up to half a second more to write 184 MB. --no-prime
shows that.

A window shows when X maps it: xev on the root window reports the moment, so that nothing polls
(a process started every few milliseconds would compete with the program for the processors).
There is no window manager on the virtual display, and Wine waits up to 2 s for one to confirm
every window it hides (its log says "wait_for_withdrawn_state ... wait timed out"), which would
add 2 s to every dialog that closes. The prefix here is told that no manager is there
(X11 Driver "Managed" = "N"), as a desktop's manager would answer at once.
"""
import argparse
import os
import pathlib
import queue
import statistics
import subprocess
import sys
import threading
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
BUILD = ROOT / "build" / "win32"
sys.path.insert(0, str(ROOT / "tests" / "gui"))
sys.dont_write_bytecode = True  # no caches beside the tests' helpers

POLL = 0.005  # seconds between looks for the file


class MapWatcher:
    """The moments at which top-level windows are mapped, as X reports them."""

    def __init__(self, env: dict):
        self.env = env
        self.process = subprocess.Popen(["stdbuf", "-oL", "xev", "-root", "-event", "substructure"], env=env,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                        text=True, start_new_session=True)
        self.maps = queue.Queue()  # (moment, X window)
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        moment = None
        for line in self.process.stdout:
            if line.startswith("MapNotify event"):
                moment = time.perf_counter()
            elif moment is not None and "window 0x" in line:
                self.maps.put((moment, int(line.split("window ")[1].split(",")[0], 16)))
                moment = None

    def shown(self, title: str, since: float, while_waiting=lambda: None) -> float:
        """Seconds from `since` until a window named `title` was mapped."""
        while True:
            try:
                moment, window = self.maps.get(timeout=POLL)
            except queue.Empty:
                while_waiting()
                if time.perf_counter() - since > 600:
                    raise RuntimeError(f"no window {title!r} after 600 s")
                continue
            name = subprocess.run(["xdotool", "getwindowname", str(window)], env=self.env, capture_output=True,
                                  stdin=subprocess.DEVNULL).stdout.decode().strip()
            if moment >= since and name == title:
                return moment - since

    def stop(self):
        self.process.terminate()
        self.process.wait()


def processor_seconds(pid: int) -> float:
    """User and system time that process `pid` has used so far, all its threads together."""
    fields = pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")  # utime and stime


def build(skip: bool):
    """The win32 programs, and the native floor that primes the memory before each step."""
    if skip:
        return
    quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
    for preset, targets in (("win32", ["velmora", "velmora-cli", "velmora_window_probe"]),
                            ("native", ["velmora_save_floor"])):
        if not (ROOT / "build" / preset / "CMakeCache.txt").exists():
            subprocess.run(["cmake", "--preset", preset], cwd=ROOT, check=True, **quiet)
        subprocess.run(["cmake", "--build", "--preset", preset, "-j", str(os.cpu_count() or 2), "--target", *targets],
                       cwd=ROOT, check=True, **quiet)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=5, help="runs of each (default 5)")
    parser.add_argument("--length", type=int, default=30000, help="characters in the message (default 30000)")
    parser.add_argument("--no-build", action="store_true", help="use build/win32 as it is")
    parser.add_argument("--no-prime", dest="prime", action="store_false",
                        help="no untimed durable floor before each timed step")
    args = parser.parse_args()
    build(args.no_build)
    floor = ROOT / "build" / "native" / "bench" / "velmora_save_floor"

    folder = BUILD / "window-cost"
    os.environ.update(VELMORA_EXE=str(BUILD / "velmora.exe"), VELMORA_CLI=str(BUILD / "velmora-cli.exe"),
                      VELMORA_PROBE=str(BUILD / "tests" / "gui" / "velmora_window_probe.exe"),
                      VELMORA_GUI_DIR=str(folder), VELMORA_GUI_ARTIFACTS=str(folder / "artifacts"))
    os.environ.pop("DISPLAY", None)
    import gui_session as gui  # noqa: E402  (it reads the settings above)

    work = folder / "work"
    work.mkdir(parents=True, exist_ok=True)
    for old in work.glob("*.wav"):  # a file of an earlier run must not be taken for this one's
        old.unlink()
    # "PARIS " repeated; a long message is two equal halves (see set_message).
    long_message = "PARIS " * (args.length // 12 * 2) if args.length > 15000 else ("PARIS " * args.length)[:args.length]
    messages = {"long": long_message.encode("cp932"), "short": b"PARIS"}
    for name, text in messages.items():
        (work / f"{name}.txt").write_bytes(text)
    done_caption = gui.texts["kDoneCaption"]
    times = {f"{name} {what}": [] for name in messages
             for what in ("dialog", "saved", "box", "window", "cli", "window cpu", "cli cpu")}
    startup = []
    sizes = {}

    def prime(name: str):
        """Lets the memory that a run of this size needs be freed just before the step."""
        if args.prime and name in sizes:
            subprocess.run([str(floor), "durable", str(sizes[name]), str(work / "primer.bin")], check=True)
            os.sync()

    started_load = "{:.2f} {:.2f} {:.2f}".format(*os.getloadavg())
    session = gui.Session()  # a display, Wine prefix and wineserver of its own
    desktop = session.desktop
    app = watcher = None

    def set_message(text: bytes):
        """Puts the message in the field. The probe takes it on its command line, which holds
        32,767 characters at most: a longer message goes in as its first half, copied and
        pasted after itself from the keyboard."""
        if app.field(gui.MESSAGE_FIELD).encode("cp932") == text:
            return
        for attempt in range(3):  # a keystroke lost on a busy machine gets another go
            half = len(text) // 2 if len(text) > 15000 else len(text)
            if not desktop.probe("settext", str(gui.MESSAGE_FIELD), text[:half].hex()):
                raise RuntimeError("the probe could not set the message")
            if half < len(text):
                desktop.click(app.window(), gui.MESSAGE_FIELD)
                desktop.key("End", "shift+Home", "ctrl+c", "End", "ctrl+v")
            try:
                gui.wait_until(lambda: app.field(gui.MESSAGE_FIELD).encode("cp932") == text, "the message", 10)
                return
            except AssertionError:
                if attempt == 2:
                    raise

    def through_window(name: str):
        target = work / f"window-{name}.wav"
        target.unlink(missing_ok=True)
        set_message(messages[name])
        window = app.window()
        left, top, right, bottom = gui.child(window, gui.CREATE_BUTTON)["rect"]
        desktop._xdotool("mousemove", str(window["origin"][0] + (left + right) // 2),
                         str(window["origin"][1] + (top + bottom) // 2))
        prime(name)
        cpu = -processor_seconds(app.process.pid)
        start = time.perf_counter()
        desktop._xdotool("click", "1")
        to_dialog = watcher.shown(gui.SAVE_DIALOG_TITLE, start)
        cpu += processor_seconds(app.process.pid)
        dialog = desktop.wait_box(gui.SAVE_DIALOG_TITLE, gui.FILE_NAME_BOX)
        desktop.click(dialog, gui.FILE_NAME_BOX)
        desktop.type(target.name)
        time.sleep(0.5)  # the typed name settles before the clock starts
        prime(name)
        saved = []

        def look_for_the_file():
            if not saved and target.exists():
                saved.append(time.perf_counter() - start)
        cpu -= processor_seconds(app.process.pid)
        start = time.perf_counter()
        desktop.key("Return")
        to_box = watcher.shown(done_caption, start, look_for_the_file)
        cpu += processor_seconds(app.process.pid)
        box = desktop.wait_box(done_caption, gui.BOX_TEXT)
        desktop.click(box, gui.ID_OK)
        desktop.wait_gone(done_caption, gui.BOX_TEXT)
        for what, value in (("dialog", to_dialog), ("saved", (saved or [to_box])[0]), ("box", to_box),
                            ("window", to_dialog + to_box), ("window cpu", cpu)):
            times[f"{name} {what}"].append(value)

    def through_cli(name: str):
        target = work / f"cli-{name}.wav"
        target.unlink(missing_ok=True)
        prime(name)
        report = work / "cli-report.txt"
        with open(report, "wb") as out:
            start = time.perf_counter()
            process = subprocess.Popen(["wine", session.cli, "-e", "cp932", "-i", gui.windows_path(work / f"{name}.txt"),
                                        "-o", gui.windows_path(target)], env=session.wine.env,
                                       stdin=subprocess.DEVNULL, stdout=out, stderr=out)
            _, status, usage = os.wait4(process.pid, 0)
            times[f"{name} cli"].append(time.perf_counter() - start)
        process.returncode = os.waitstatus_to_exitcode(status)
        times[f"{name} cli cpu"].append(usage.ru_utime + usage.ru_stime)
        if process.returncode != 0:
            raise RuntimeError("velmora-cli.exe failed: " + report.read_text(errors="replace"))
        if (work / f"window-{name}.wav").exists():
            if target.read_bytes() != (work / f"window-{name}.wav").read_bytes():
                raise RuntimeError("the window and velmora-cli.exe wrote different files")
        sizes[name] = target.stat().st_size

    try:
        os.chdir(work)  # where the save dialog opens
        # A console program that is the first Windows program on the display waits for ever here,
        # so the window comes first; it is started anew once its prefix has the setting.
        app = gui.Velmora(desktop, session.exe, work / "velmora.log")
        session.wine.run("reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f")
        app.close()
        app = gui.Velmora(desktop, session.exe, work / "velmora.log")
        watcher = MapWatcher(desktop.env)
        for name in messages:  # warm-up: the program and the message in the cache, the sizes known
            through_cli(name)
        for values in times.values():
            values.clear()
        for run in range(args.runs):
            steps = [(through_window, "long"), (through_cli, "long"), (through_window, "short"), (through_cli, "short")]
            shift = run % len(steps)
            for step, name in steps[shift:] + steps[:shift]:
                step(name)
            start = time.perf_counter()
            session.wine.run(session.cli, "--version")
            startup.append(time.perf_counter() - start)
        app.close()
    finally:
        if watcher is not None:
            watcher.stop()
        if app is not None:
            app.end()
        session.stop()

    median = {key: statistics.median(values) for key, values in times.items()}
    window_work = median["long window"] - median["short window"]
    cli_work = median["long cli"] - median["short cli"]
    print(f"the window against velmora-cli.exe under Wine: a {len(messages['long']):,}-character message at the default "
          f"fields ({sizes['long'] / 1e6:.0f} MB of WAV), medians of {args.runs} alternated runs"
          + (", every step after an untimed native durable floor of its size" if args.prime else ""))
    print(f"load average (1, 5, 15 min): {started_load} at the start, "
          + "{:.2f} {:.2f} {:.2f} at the end".format(*os.getloadavg()))
    print()
    print(f"  window / velmora-cli.exe, the whole run: {median['long window'] / median['long cli']:.2f}")
    print(f"  window / velmora-cli.exe, the work (the long message less \"PARIS\"): {window_work / cli_work:.2f}"
          f"  (target: at most 1: {'met' if window_work <= cli_work else 'missed'})")
    print()
    print(f"  {'seconds':<52} {'long':>7} {'PARIS':>7}   long: min-max")
    rows = [("window: click to the save dialog", "dialog"), ("window: Enter to the file in place", "saved"),
            ("window: Enter to the outcome box", "box"), ("window: both", "window"),
            ("velmora-cli.exe: start to exit", "cli")]
    for label, what in rows:
        values = times[f"long {what}"]
        print(f"  {label:<52} {median['long ' + what]:7.3f} {median['short ' + what]:7.3f}   "
              f"{min(values):.3f}-{max(values):.3f}")
    print(f"  {'a Windows program started and ended (--version)':<52} {statistics.median(startup):7.3f}")
    print()
    print(f"  {'processor seconds of the program itself (user + system)':<52} {'long':>7} {'PARIS':>7}")
    for label, what in (("window: the click and Enter steps above", "window cpu"),
                        ("velmora-cli.exe: start to exit", "cli cpu")):
        print(f"  {label:<52} {median['long ' + what]:7.3f} {median['short ' + what]:7.3f}")
    window_cpu = median["long window cpu"] - median["short window cpu"]
    cli_cpu = median["long cli cpu"] - median["short cli cpu"]
    print(f"  window / velmora-cli.exe, processor time of the work: {window_cpu / cli_cpu:.2f}"
          f"  ({window_cpu:.3f} s against {cli_cpu:.3f} s)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
