"""An independent model of the files Velmora writes, built from the published codes and the
timing rules, to check the programs' output byte for byte against cases nobody wrote down."""

import math
import struct

INTERNATIONAL = {
    "A": ".-", "B": "-...", "C": "-.-.", "D": "-..", "E": ".", "F": "..-.", "G": "--.", "H": "....",
    "I": "..", "J": ".---", "K": "-.-", "L": ".-..", "M": "--", "N": "-.", "O": "---", "P": ".--.",
    "Q": "--.-", "R": ".-.", "S": "...", "T": "-", "U": "..-", "V": "...-", "W": ".--", "X": "-..-",
    "Y": "-.--", "Z": "--..", "0": "-----", "1": ".----", "2": "..---", "3": "...--", "4": "....-",
    "5": ".....", "6": "-....", "7": "--...", "8": "---..", "9": "----.",
}

WABUN = {
    "ｲ": ".-", "ﾛ": ".-.-", "ﾊ": "-...", "ﾆ": "-.-.", "ﾎ": "-..", "ﾍ": ".", "ﾄ": "..-..", "ﾁ": "..-.",
    "ﾘ": "--.", "ﾇ": "....", "ﾙ": "-.--.", "ｦ": ".---", "ﾜ": "-.-", "ｶ": ".-..", "ﾖ": "--", "ﾀ": "-.",
    "ﾚ": "---", "ｿ": "---.", "ﾂ": ".--.", "ﾈ": "--.-", "ﾅ": ".-.", "ﾗ": "...", "ﾑ": "-", "ｳ": "..-",
    "ﾉ": "..--", "ｵ": ".-...", "ｸ": "...-", "ﾔ": ".--", "ﾏ": "-..-", "ｹ": "-.--", "ﾌ": "--..",
    "ｺ": "----", "ｴ": "-.---", "ﾃ": ".-.--", "ｱ": "--.--", "ｻ": "-.-.-", "ｷ": "-.-..", "ﾕ": "-..--",
    "ﾒ": "-...-", "ﾐ": "..-.-", "ｼ": "--.-.", "ﾋ": "--..-", "ﾓ": "-..-.", "ｾ": ".---.", "ｽ": "---.-",
    "ﾝ": ".-.-.", "ﾞ": "..", "ﾟ": "..--.", "ｰ": ".--.-", "(": "-.--.-", ")": ".-..-.",
}


def code_table():
    """Byte of code page 932 -> element sequence, for the 113 characters that can be sounded."""
    table = {}
    for character, sequence in INTERNATIONAL.items():
        table[ord(character)] = sequence
        table[ord(character.lower())] = sequence
    for character, sequence in WABUN.items():
        (byte,) = character.encode("cp932")
        table[byte] = sequence
    return table


CODES = code_table()

# With --punctuation: the ITU-R M.1677-1 marks, with the customary codes of ! & ; _ and $, which
# the recommendation lacks; its ( and ) replace the Wabun brackets.
ITU_MARKS = {
    ".": ".-.-.-", ",": "--..--", "?": "..--..", "'": ".----.", "!": "-.-.--", "/": "-..-.", "(": "-.--.",
    ")": "-.--.-", "&": ".-...", ":": "---...", ";": "-.-.-.", "=": "-...-", "+": ".-.-.", "-": "-....-",
    "_": "..--.-", '"': ".-..-.", "$": "...-..-", "@": ".--.-.",
}
PUNCTUATION_CODES = {**CODES, **{ord(mark): sequence for mark, sequence in ITU_MARKS.items()}}
LETTERS = b"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"


def is_pair(two):
    """Whether two bytes are one double-byte character: a lead byte, then a byte that can end one."""
    return (len(two) == 2 and (0x81 <= two[0] <= 0x9F or 0xE0 <= two[0] <= 0xFC)
            and 0x40 <= two[1] <= 0xFC and two[1] != 0x7F)


def sequences(message, punctuation=False):
    """The element sequence of each sounded character of code page 932 bytes, in order. The window's
    table sounds each byte with a code on its own. With punctuation the bytes are read character by
    character: a prosign (letters in angle brackets) is one character of its letters' elements run
    on, and a double-byte character sounds as its second byte only when that is a letter or a
    katakana of the window's table."""
    if not punctuation:
        return [CODES[b] for b in clean(message)]
    found, k = [], 0
    while k < len(message):
        end = k + 1
        while end < len(message) and message[end] in LETTERS:
            end += 1
        if message[k] == ord("<") and end > k + 1 and message[end:end + 1] == b">":
            found.append("".join(CODES[b] for b in message[k + 1:end]))
            k = end + 1
        elif is_pair(message[k:k + 2]):
            if message[k + 1] in CODES:
                found.append(CODES[message[k + 1]])
            k += 2
        else:
            if message[k] in PUNCTUATION_CODES:
                found.append(PUNCTUATION_CODES[message[k]])
            k += 1
    return found


def units_of(sequence):
    return sum(1 if e == "." else 3 for e in sequence) + len(sequence) - 1 + 3


def clean(message):
    return bytes(b for b in message if b in CODES)


def field_number(text):
    """The number a field's text gives: its leading decimal digits and fraction, truncated through
    a 64-bit integer to the low 32 bits. Summed digit by digit in doubles, as the program does."""
    digits = b""
    for b in text:
        if not 0x30 <= b <= 0x39:
            break
        digits += bytes([b])
    value = 0.0
    place = 1.0
    for d in reversed(digits):
        value += (d - 0x30) * place
        place *= 10.0
    rest = text[len(digits):]
    if rest[:1] == b".":
        divisor = 10.0
        for b in rest[1:]:
            if not 0x30 <= b <= 0x39:
                break
            value += (b - 0x30) / divisor
            divisor *= 10.0
    if math.isnan(value) or math.isinf(value) or abs(value) >= 2.0**63:
        return 0
    low = int(value) & 0xFFFFFFFF
    return low - 2**32 if low >= 2**31 else low


def tone_sample(period, volume, j):
    step = 6.283185307179586 / period
    return (128 + math.floor(volume * math.sin((j % period) * step))) % 256


def wav(message, dot=b"100", freq=b"1000", volume=b"50", punctuation=False):
    """The file for this message and these field texts (all bytes), or None when the run is refused."""
    characters = sequences(message, punctuation)
    d, f, v = field_number(dot), field_number(freq), field_number(volume)
    units = sum(units_of(sequence) for sequence in characters) - 3
    if d != 0 and (units < 0 or not 0 <= units * d * 8 < 2**31):
        return None
    count = max(units, 0) * d * 8 if d != 0 else 0
    header = b"RIFF" + struct.pack("<I", count + 36) + b"WAVEfmt " + struct.pack("<IHHIIHH", 16, 1, 1, 8000, 8000, 1, 8)
    header += b"data" + struct.pack("<I", count)
    samples = bytearray([128]) * count
    period = 8000 // (f & 0xFFFFFFFF) if f & 0xFFFFFFFF else 0
    pattern = [tone_sample(period, v, j) for j in range(period)] if period else []
    at = 0
    for sequence in characters:
        for k, element in enumerate(sequence):
            span = (8 if element == "." else 24) * d
            if pattern:
                for j in range(span):
                    samples[at + j] = pattern[j % period]
            gap = 24 * d if k == len(sequence) - 1 else 8 * d
            at += span + gap
    return header + bytes(samples)
