"""Numeric Tâi-lô readings: the syllable-shape check and the conversion to Taiwanese Phonetic
Symbols (臺灣方音符號). Plain functions, standard library only.

A reading is an optional initial, a rime and one tone digit, e.g. "tsan3", "tshiunn1", "hng5",
"m7". The tone must agree with the ending: a syllable closed by p, t, k or h carries tone 4 or 8;
any other syllable tone 1, 2, 3, 5 or 7.
"""

import re

INITIALS = ["tsh", "ts", "ph", "th", "kh", "ng", "p", "b", "m", "t", "n", "l", "k", "g", "h",
            "s", "j"]

# Each vowel group with the endings it takes in Tâi-lô ("" = open syllable). Nasal vowels are the
# group with "nn"; every open or nasal syllable may be closed by the glottal stop h.
_OPEN_AND_NASAL = ["", "h", "nn", "nnh"]
_RIMES = {
    "a": _OPEN_AND_NASAL + ["m", "n", "ng", "p", "t", "k"],
    "ai": _OPEN_AND_NASAL,
    "au": _OPEN_AND_NASAL,
    "e": _OPEN_AND_NASAL,
    "i": _OPEN_AND_NASAL + ["m", "n", "ng", "p", "t", "k"],
    "ia": _OPEN_AND_NASAL + ["m", "n", "ng", "p", "t", "k"],
    "iau": _OPEN_AND_NASAL,
    "io": ["", "h", "ng", "k"],
    "iu": _OPEN_AND_NASAL,
    "o": ["", "h", "nn", "nnh", "m", "ng", "p", "k"],
    "oo": ["", "h"],
    "u": ["", "h", "n", "t"],
    "ua": _OPEN_AND_NASAL + ["n", "ng", "t"],
    "uai": _OPEN_AND_NASAL,
    "ue": _OPEN_AND_NASAL,
    "ui": _OPEN_AND_NASAL,
}
RIMES = sorted({vowel + ending for vowel, endings in _RIMES.items() for ending in endings})
# Syllabic nasals, alone or after an initial ("m7", "hm2", "ng5", "sng1"), open or with h.
SYLLABIC = ["m", "mh", "ng", "ngh"]

_SHAPE = re.compile("^(?:%s)?(?:%s)[1-8]$" % (
    "|".join(INITIALS), "|".join(sorted(RIMES + SYLLABIC, key=len, reverse=True))))
_CHECKED_TONES = "48"
_OPEN_TONES = "12357"


def is_tailo_syllable(reading):
    """True when the reading has the shape of one numeric Tâi-lô syllable."""
    if not _SHAPE.match(reading):
        return False
    checked = reading[-2] in "ptkh"
    return reading[-1] in (_CHECKED_TONES if checked else _OPEN_TONES)


# Tone marks of the phonetic symbols; the entering tones are told apart by the stop symbol and
# tone 8 by its dot.
TONE_MARKS = {"1": "", "2": "ˋ", "3": "˪", "4": "", "5": "ˊ", "7": "˫", "8": "˙"}
INITIAL_SYMBOLS = {
    "p": "ㄅ", "ph": "ㄆ", "m": "ㄇ", "b": "ㆠ", "t": "ㄉ", "th": "ㄊ", "n": "ㄋ", "l": "ㄌ",
    "k": "ㄍ", "kh": "ㄎ", "g": "ㆣ", "ng": "ㄫ", "h": "ㄏ", "ts": "ㄗ", "tsh": "ㄘ", "s": "ㄙ",
    "j": "ㆡ",
}
# Before i the sibilants take their palatal symbols.
PALATAL_SYMBOLS = {"ts": "ㄐ", "tsh": "ㄑ", "s": "ㄒ", "j": "ㆢ"}
# Pieces of a rime, matched longest first from the left: nasal vowels, the vowel-and-coda
# symbols (an, ang, am, om, ong), ik and ing (spoken [ek], [eng]: ㄧㆤㆶ, ㄧㄥ), o before k/p (the
# open o of ㆦ), vowels, then codas.
RIME_PIECES = {
    "ainn": "ㆮ", "aunn": "ㆯ", "ann": "ㆩ", "enn": "ㆥ", "inn": "ㆪ", "onn": "ㆧ", "unn": "ㆫ",
    "ing": "ㄧㄥ", "ik": "ㄧㆤㆶ", "ang": "ㄤ", "ong": "ㆲ", "am": "ㆰ", "om": "ㆱ", "an": "ㄢ", "ok": "ㆦㆶ",
    "op": "ㆦㆴ", "ai": "ㄞ", "au": "ㄠ", "oo": "ㆦ",
    "a": "ㄚ", "e": "ㆤ", "i": "ㄧ", "o": "ㄜ", "u": "ㄨ",
    "ng": "ㆭ", "m": "ㆬ", "n": "ㄣ", "p": "ㆴ", "t": "ㆵ", "k": "ㆶ", "h": "ㆷ",
}
_PIECES_LONGEST_FIRST = sorted(RIME_PIECES, key=len, reverse=True)


def split_syllable(reading):
    """(initial, rime, tone) of a reading that passes is_tailo_syllable."""
    body, tone = reading[:-1], reading[-1]
    if body in SYLLABIC:
        return "", body, tone
    for initial in INITIALS:  # longest first where one is a prefix of another
        if body.startswith(initial) and body[len(initial):] in RIMES + SYLLABIC:
            return initial, body[len(initial):], tone
    return "", body, tone


def to_phonetic_symbols(reading):
    """The reading in Taiwanese Phonetic Symbols; ValueError for a reading of another shape."""
    if not is_tailo_syllable(reading):
        raise ValueError(f"not a Tâi-lô syllable: {reading!r}")
    initial, rime, tone = split_syllable(reading)
    symbols = []
    if initial:
        palatal = rime.startswith("i") and initial in PALATAL_SYMBOLS
        symbols.append(PALATAL_SYMBOLS[initial] if palatal else INITIAL_SYMBOLS[initial])
    rest = rime
    while rest:
        piece = next(p for p in _PIECES_LONGEST_FIRST if rest.startswith(p))
        symbols.append(RIME_PIECES[piece])
        rest = rest[len(piece):]
    symbols.append(TONE_MARKS[tone])
    return "".join(symbols)


# The phonetic symbols read back: each symbol's Tâi-lô letters. ㄐㄑㄒㆢ are the palatal forms of
# ts, tsh, s, j; ㆦ before a stop is the open o of ok/op; ㄧㆤㆶ is ik (ㄧㆶ, an older spelling,
# reads the same); ㄥ appears only in ㄧㄥ (ing).
_INITIALS_BACK = dict({symbol: initial for initial, symbol in INITIAL_SYMBOLS.items()},
                      **{symbol: initial for initial, symbol in PALATAL_SYMBOLS.items()})
_RIME_BACK = {symbol: piece for piece, symbol in RIME_PIECES.items() if len(symbol) == 1}
_RIME_BACK["ㄥ"] = "ng"
_TONES_BACK = {"ˋ": "2", "˪": "3", "ˊ": "5", "˫": "7", "˙": "8", "\u0358": "8"}
SYMBOL_LETTERS = "".join(sorted(set(_INITIALS_BACK) | set(_RIME_BACK)))
TONE_LETTERS = "".join(sorted(_TONES_BACK))


def from_phonetic_symbols(symbols):
    """The numeric Tâi-lô of one syllable in Taiwanese Phonetic Symbols (the inverse of
    to_phonetic_symbols; tone 8 may also be written with the dot U+0358, after a space);
    ValueError for anything else."""
    text = symbols.replace(" ", "")
    tone = ""
    if text and text[-1] in _TONES_BACK:
        tone, text = _TONES_BACK[text[-1]], text[:-1]
    initial = ""
    if text and text[0] in _INITIALS_BACK:
        initial, text = _INITIALS_BACK[text[0]], text[1:]
    if not text or any(symbol not in _RIME_BACK for symbol in text):
        raise ValueError(f"not one syllable of Taiwanese Phonetic Symbols: {symbols!r}")
    letters = []
    for i, symbol in enumerate(text):
        piece = _RIME_BACK[symbol]
        following = text[i + 1:i + 2]
        if symbol == "ㆦ" and following in ("ㆶ", "ㆴ"):
            piece = "o"
        if symbol == "ㆤ" and following == "ㆶ" and i > 0 and text[i - 1] == "ㄧ":
            piece = ""
        if symbol == "ㄥ" and (i == 0 or text[i - 1] != "ㄧ"):
            raise ValueError(f"ㄥ is written only after ㄧ: {symbols!r}")
        letters.append(piece)
    rime = "".join(letters)
    if not tone:
        tone = "4" if rime[-1] in "ptkh" else "1"
    reading = initial + rime + tone
    if initial in PALATAL_SYMBOLS and symbols.lstrip()[0] == PALATAL_SYMBOLS[initial] \
            and not rime.startswith("i"):
        raise ValueError(f"a palatal initial before a vowel other than i: {symbols!r}")
    if not is_tailo_syllable(reading):
        raise ValueError(f"not one syllable of Taiwanese Phonetic Symbols: {symbols!r}")
    return reading
