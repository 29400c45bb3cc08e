"""What the web page's tests share: the page's fields as velmora-cli's options, and running
velmora-cli (VELMORA_CLI, the native build) on them."""

import os
import subprocess

CLI = os.environ.get("VELMORA_CLI", "")
DEFAULTS = {"message": "", "dot": "100", "frequency": "1000", "volume": "50", "wpm": "", "farnsworth": "",
            "wordGap": False, "foldKana": False, "rise": "", "exactPitch": False, "punctuation": False}

# velmora-cli's exit statuses as the page's outcomes; a refusal's kind is in its message.
EXIT_WRITTEN, EXIT_USAGE, EXIT_REFUSED, EXIT_OUT_OF_MEMORY = 0, 2, 3, 4


def fields(message="", **changes):
    return {**DEFAULTS, "message": message, **changes}


def cli_arguments(f):
    """The options that give velmora-cli the page's fields: a WPM stands in for the dot length."""
    args = ["-d", f["dot"]] if f["wpm"] == "" else ["--wpm", f["wpm"]]
    args += ["-f", f["frequency"], "-v", f["volume"]]
    for field, option in (("farnsworth", "--farnsworth"), ("rise", "--rise")):
        if f[field] != "":
            args += [option, f[field]]
    for field, option in (("wordGap", "--word-gap"), ("foldKana", "--fold-kana"), ("exactPitch", "--exact-pitch"),
                          ("punctuation", "--punctuation")):
        if f[field]:
            args.append(option)
    return args


def run_cli(f, wav_path, labels_path=None):
    """velmora-cli on the fields; returns (outcome name, standard error)."""
    if not CLI or not os.access(CLI, os.X_OK):
        raise RuntimeError(f"no native velmora-cli at '{CLI}': build the native preset first")
    args = cli_arguments(f) + (["--labels", labels_path] if labels_path else [])
    # Through a file: a message of a megabyte is longer than a command line may be.
    message = wav_path + ".message"
    with open(message, "w", encoding="utf-8") as out:
        out.write(f["message"])
    result = subprocess.run([CLI, *args, "-o", wav_path, "-i", message], capture_output=True, timeout=300)
    stderr = result.stderr.decode("utf-8", errors="replace")
    if result.returncode == EXIT_REFUSED:
        return ("nothing-to-sound" if "モールス信号にできる文字がありません" in stderr else "too-long"), stderr
    refused = "rise-refused" if "velmora-cli: --rise " in stderr else "speed-refused"
    names = {EXIT_WRITTEN: "written", EXIT_USAGE: refused, EXIT_OUT_OF_MEMORY: "out-of-memory"}
    return names.get(result.returncode, f"exit {result.returncode}"), stderr
