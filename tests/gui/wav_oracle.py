"""The WAV file the program must write, computed here from the published rules alone.

Nothing of the program's code is used: the code table is written out below from the Morse and
Wabun codes, and the samples follow the sine formula directly, so that a fault shared by the
program and its command-line twin still shows.
"""
import math
import struct

# Each sequence with the characters that carry it (code page 932 text).
_CODES = {
    ".-": "aAｲ", ".-.-": "ﾛ", "-...": "bBﾊ", "-.-.": "cCﾆ", "-..": "dDﾎ", ".": "eEﾍ", "..-..": "ﾄ",
    "..-.": "fFﾁ", "--.": "gGﾘ", "....": "hHﾇ", "..": "iIﾞ", "-.--.": "ﾙ", ".---": "jJｦ", "-.-": "kKﾜ",
    ".-..": "lLｶ", "--": "mMﾖ", "-.": "nNﾀ", "---": "oOﾚ", "---.": "ｿ", ".--.": "pPﾂ", "--.-": "qQﾈ",
    ".-.": "rRﾅ", "...": "sSﾗ", "-": "tTﾑ", "..-": "uUｳ", "..--": "ﾉ", ".-...": "ｵ", "...-": "vVｸ",
    ".--": "wWﾔ", "-..-": "xXﾏ", "-.--": "yYｹ", "--..": "zZﾌ", "----": "ｺ", "-.---": "ｴ", ".-.--": "ﾃ",
    "--.--": "ｱ", "-.-.-": "ｻ", "-.-..": "ｷ", "-..--": "ﾕ", "-...-": "ﾒ", "..-.-": "ﾐ", "--.-.": "ｼ",
    "--..-": "ﾋ", "-..-.": "ﾓ", ".---.": "ｾ", "---.-": "ｽ", ".-.-.": "ﾝ", "..--.": "ﾟ", ".--.-": "ｰ",
    "-.--.-": "(", ".-..-.": ")", ".----": "1", "..---": "2", "...--": "3", "....-": "4", ".....": "5",
    "-....": "6", "--...": "7", "---..": "8", "----.": "9", "-----": "0",
}
CODE_TABLE = {ch.encode("cp932")[0]: seq for seq, chars in _CODES.items() for ch in chars}
assert len(CODE_TABLE) == 113

TWO_PI = 6.283185307179586


def tone(span, frequency, volume):
    period = 8000 // frequency
    step = TWO_PI / period
    return bytes((128 + math.floor(volume * math.sin((j % period) * step))) % 256 for j in range(span))


def expected_wav(message: bytes, dot=100, frequency=1000, volume=50) -> bytes:
    """The file for a message (code page 932 bytes) and the three numbers of the form."""
    unit = 8 * dot
    samples = bytearray()
    for ch in (b for b in message if b in CODE_TABLE):
        if samples:
            samples += bytes([128]) * (3 * unit)  # between characters
        for k, element in enumerate(CODE_TABLE[ch]):
            if k:
                samples += bytes([128]) * unit  # between elements
            samples += tone(unit if element == "." else 3 * unit, frequency, volume)
    header = b"RIFF" + struct.pack("<I", len(samples) + 36) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, 8000, 8000, 1, 8)
    header += b"data" + struct.pack("<I", len(samples))
    return header + bytes(samples)


if __name__ == "__main__":
    # The worked examples the file format is known by.
    e = expected_wav(b"E")
    assert len(e) == 844 and e[:44].hex(" ") == (
        "52 49 46 46 44 03 00 00 57 41 56 45 66 6d 74 20 10 00 00 00 01 00 01 00 "
        "40 1f 00 00 40 1f 00 00 01 00 08 00 64 61 74 61 20 03 00 00")
    assert list(e[44:52]) == [128, 163, 178, 163, 128, 92, 78, 92]
    assert len(expected_wav(b"SOS")) == 21644
    assert list(tone(8, 1000, 128)) == [128, 218, 0, 218, 128, 37, 0, 37]
    print("oracle ok")
