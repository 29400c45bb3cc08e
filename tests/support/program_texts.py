"""The program's texts, read from the one file that holds them (src/runtime/program_texts.h), so
that the tests expect exactly what the program shows: texts["kWrittenText"] is the UTF-8 form,
cp932["kWrittenText"] the bytes the program uses."""

import pathlib
import re

SOURCE = pathlib.Path(__file__).resolve().parents[2] / "src" / "runtime" / "program_texts.h"
ROW = re.compile(r"^inline constexpr ProgramText (k\w+)\{(.*?)\};", re.S | re.M)
LITERAL = re.compile(r'"((?:[^"\\]|\\.)*)"')
ESCAPES = {"n": 10, "r": 13, "t": 9, "0": 0, "\\": 92, '"': 34, "'": 39}


def c_bytes(literal):
    """The bytes of a C string literal's body: \\x runs over every hex digit, as in C."""
    out = bytearray()
    raw = literal.encode("utf-8")
    k = 0
    while k < len(raw):
        if raw[k] != 0x5C:
            out.append(raw[k])
            k += 1
            continue
        kind = chr(raw[k + 1])
        if kind == "x":
            digits = re.match(rb"[0-9A-Fa-f]+", raw[k + 2:]).group()
            value = int(digits, 16)
            if value > 0xFF:
                raise ValueError(f"hex escape out of range in {literal!r}")
            out.append(value)
            k += 2 + len(digits)
        else:
            out.append(ESCAPES[kind])
            k += 2
    return bytes(out)


def load():
    cp932, texts = {}, {}
    for name, body in ROW.findall(SOURCE.read_text(encoding="utf-8")):
        literals = LITERAL.findall(body)
        cp932[name] = b"".join(c_bytes(part) for part in literals[:-1])
        texts[name] = c_bytes(literals[-1]).decode("utf-8")
    return cp932, texts


cp932, texts = load()
