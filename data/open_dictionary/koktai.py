"""Readings of 吳守禮《國臺對照活用辭典》 (the koktai data): its general Southern Min readings
(普閩) and its transcription of Campbell's 1913 dictionary (台甘), in numeric Tâi-lô.

The fields are free text in Taiwanese Phonetic Symbols with labels: (文) literary, (白) or (語)
colloquial, (俗) popular; a reading is a run of symbols that stands where a reading stands (at the
start, after a label or a separator), not one written after a character of an example word. A run
after "/" is another reading of what the run before it reads (豬ㄉㄨ/ㄉㄧ: 豬's, not the
headword's), and a label written right after an example's reading labels that reading. Notes
(after 按：, 另見, 見) are left out. Standard library only.
"""

import re

from tailo import SYMBOL_LETTERS, TONE_LETTERS, from_phonetic_symbols

LABELS = {"文": "文", "白": "白", "語": "白", "俗": "白", "文語": "文白", "文白": "文白"}
_TOKEN = re.compile(
    r"\((文語|文白|文|白|語|俗)\)"                       # a label
    r"|([%s]+(?:[%s]|\s?\u0358)?)" % (SYMBOL_LETTERS, TONE_LETTERS)  # a run of symbols
    + r"|(/)"                                             # another reading of the same
    + r"|([。，、；\s]|\([^)]*\))"                       # a separator or another bracket
    + r"|(.)", re.S)
_NOTES = re.compile(r"按：|另見|見【|＝|未收")


def readings(text, direct=None):
    """[(class, reading)] of one field, class 文, 白 or "" (unlabelled), in order, without
    repeats; runs that are not one syllable are left out. A label holds for the runs after it
    until the next label; `direct`, a set, also gets the (class, reading) of each run written
    right after its label ("(文)ㄉㄧ˫"), the surest of them."""
    text = _NOTES.split(text, 1)[0]
    found = []
    fresh_label = False
    label = ""
    standing = True  # whether a run here stands for the headword's reading
    last_run_stood = True  # whether the last run read the headword
    after_example = False  # right after a run of an example word
    for match in _TOKEN.finditer(text):
        tag, run, slash, separator, other = match.groups()
        if tag:
            if not after_example:
                label = LABELS[tag]
                standing = True
                fresh_label = True
                after_example = False
                continue
        elif slash:
            standing = last_run_stood
        elif run:
            if standing:
                try:
                    reading = from_phonetic_symbols(run)
                except ValueError:
                    reading = None
                if reading:
                    for klass in (label if label in ("文白",) else [label]):
                        if (klass, reading) not in found:
                            found.append((klass, reading))
                        if fresh_label and direct is not None:
                            direct.add((klass, reading))
            last_run_stood = standing
            after_example = not standing
            standing = False
            fresh_label = False
            continue
        elif separator:
            standing = True
        else:
            standing = False
        after_example = False
        fresh_label = False
    return found
