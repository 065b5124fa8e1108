#!/usr/bin/env python3
"""Lists the rows of the digitised 1913 book (kam-jitian) that may be typed wrong, for review.

    python3 data/open_dictionary/find_source_faults.py [--data ../shared/data]

Three searches over the whole book, one candidate per line (tab-separated: kam_id, character,
reading as digitised, search, evidence):
  order     the row's syllable breaks the book's alphabetical order (its neighbours agree with
            each other, not with it);
  example   the row's own example spells the character otherwise, in a reading the book gives
            the character nowhere;
  taigan    吳守禮's transcription of the same book (koktai 台甘) gives the character literary
            readings, none of them the row's, one of them within one letter of it;
  lost      a literary row whose character the digitisation lost (●): the character that its own
            example spells with the row's reading, or the one character of its example that 台甘
            reads so, where the book gives that character no such reading elsewhere.
The decisions go into corrections.tsv (kam_id, character, as digitised, corrected, evidence),
which make_open_dictionary.py applies. Rows already decided there are not listed again.
"""

import argparse
import csv
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import koktai  # noqa: E402
from make_open_dictionary import is_han, read_corrections, read_tsv  # noqa: E402

# The book's order of initials (POJ): a syllable sorts by its initial in this order, then its rime.
INITIALS = ["chh", "ch", "kh", "ng", "ph", "th", "b", "g", "h", "j", "k", "l", "m", "n", "p",
            "s", "t"]
ORDER = ["", "b", "ch", "chh", "g", "h", "j", "k", "kh", "l", "m", "n", "ng", "p", "ph", "s",
         "t", "th"]


def syllable_key(word):
    """(initial's place, rime) of a POJ word without its tone, as the book sorts it."""
    letters = re.sub(r"[0-9]", "", word.lower())
    initial = next((i for i in INITIALS if letters.startswith(i) and len(letters) > len(i)), "")
    return ORDER.index(initial), letters[len(initial):]


def with_tone(poj):
    """A POJ syllable with its tone digit: 1 or 4 where the book writes none."""
    poj = poj.lower()
    if poj[-1:].isdigit():
        return poj
    return poj + ("4" if poj[-1:] in "ptkh" else "1")


def to_tailo(poj):
    """The mechanical POJ → Tâi-lô of kam_char_readings.tsv."""
    t = poj.replace("chh", "tsh").replace("ch", "ts").replace("oa", "ua").replace("oe", "ue")
    t = re.sub(r"ek(\d)$", r"ik\1", t)
    t = re.sub(r"eng(\d)$", r"ing\1", t)
    return t.replace("oonn", "onn")


def order_breaks(rows):
    keys = [syllable_key(r["word"]) for r in rows]
    for i in range(1, len(rows) - 1):
        before, here, after = keys[i - 1], keys[i], keys[i + 1]
        if before <= after and not (before <= here <= after):
            yield rows[i], (f"between {rows[i - 1]['word']} (#{rows[i - 1]['id']}) and "
                            f"{rows[i + 1]['word']} (#{rows[i + 1]['id']})")


def units(token):
    """The syllables of a 漢羅 token: a Han character each, and each run of letters."""
    han = "\u3400-\u9fff\U00020000-\U0003ffff"
    return re.findall(f"[{han}]|[^{han}\\-]+", token)


def example_readings(row, character):
    """The POJ readings that the row's example gives the character."""
    romanised = [t for t in re.split(r"[,;.:]\s*|\s+", row["exp"]) if t]
    written = [t for t in re.split(r"[,;.:]\s*|\s+", row["example"]) if t]
    if len(romanised) != len(written):
        return []
    found = []
    for poj, hanlo in zip(romanised, written):
        syllables = [s for s in poj.split("-") if s]
        pieces = units(hanlo)
        if character in pieces and len(pieces) == len(syllables):
            found += [with_tone(syllables[i]) for i, p in enumerate(pieces) if p == character]
    return found


def example_characters(row, spell):
    """The characters that the row's example spells with the reading (Tâi-lô)."""
    romanised = [t for t in re.split(r"[,;.:]\s*|\s+", row["exp"]) if t]
    written = [t for t in re.split(r"[,;.:]\s*|\s+", row["example"]) if t]
    if len(romanised) != len(written):
        return set()
    found = set()
    for poj, hanlo in zip(romanised, written):
        syllables = [s for s in poj.split("-") if s]
        pieces = units(hanlo)
        if len(syllables) == len(pieces):
            found |= {p for s, p in zip(syllables, pieces)
                      if len(p) == 1 and is_han(p) and to_tailo(with_tone(s)) == spell}
    return found


def near(a, b):
    """Whether two readings differ by one letter changed, added or dropped."""
    if abs(len(a) - len(b)) > 1:
        return False
    if len(a) == len(b):
        return sum(x != y for x, y in zip(a, b)) == 1
    short, long_ = sorted((a, b), key=len)
    return any(long_[:i] + long_[i + 1:] == short for i in range(len(long_)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", default=os.path.join(HERE, "..", "..", "..", "shared", "data"))
    args = parser.parse_args()
    with open(os.path.join(args.data, "kam-jitian", "kam_jitian.csv"), encoding="utf-8") as f:
        book = list(csv.DictReader(f))
    decided = {kam_id for kam_id, *_ in read_corrections(os.path.join(HERE, "corrections.tsv"))}
    readings = [row for _, row in read_tsv(os.path.join(args.data, "kam-jitian",
                                                        "kam_char_readings.tsv"))]
    book_readings = {}
    for r in readings:
        book_readings.setdefault(r["han"], set()).add(r["tailo"])
    by_id = {r["kam_id"]: r for r in readings}
    found = []
    for row, evidence in order_breaks(book):
        found.append((row, "order", evidence))
    for row in book:
        reading = by_id.get(row["id"])
        if reading is None or row["word"][:1].islower():
            continue
        ch = reading["han"]
        spelled = [to_tailo(p) for p in example_readings(row, ch)]
        other = [s for s in spelled if s != reading["tailo"] and s not in book_readings[ch]]
        if other and reading["tailo"] not in spelled:
            readings = ", ".join(sorted(set(other)))
            found.append((row, "example", f"the example reads {ch} {readings}"))
    taigan = {}
    with open(os.path.join(args.data, "koktai", "koktai_char_readings.tsv"), encoding="utf-8") as f:
        for entry in csv.DictReader(f, delimiter="\t", quoting=csv.QUOTE_NONE):
            head = entry["headword"].rstrip("·")
            for klass, spell in koktai.readings(entry["taigan"]):
                if klass in ("文", ""):
                    taigan.setdefault(head, []).append(spell)
    for row in book:
        reading = by_id.get(row["id"])
        if reading is None or reading["class"] != "文" or reading["han"] not in taigan:
            continue
        given = taigan[reading["han"]]
        if reading["tailo"] not in given and any(near(reading["tailo"], g) for g in given):
            readings = ", ".join(dict.fromkeys(given))
            found.append((row, "taigan", f"台甘 reads {reading['han']} {readings}"))
    taigan_all = {}
    with open(os.path.join(args.data, "koktai", "koktai_char_readings.tsv"), encoding="utf-8") as f:
        for entry in csv.DictReader(f, delimiter="\t", quoting=csv.QUOTE_NONE):
            for _, spell in koktai.readings(entry["taigan"]):
                taigan_all.setdefault(entry["headword"].rstrip("·"), set()).add(spell)
    for row in book:
        if row["chinese"] != "●" or not row["word"][:1].isupper():
            continue
        spell = to_tailo(with_tone(row["word"].split("[")[0]))
        named = {ch for ch in example_characters(row, spell)
                 if spell not in book_readings.get(ch, ()) and spell in taigan_all.get(ch, ())}
        how = "its own example spells it so, and 台甘 reads it so"
        if len(named) != 1:
            named = {ch for ch in row["example"] if is_han(ch)
                     and spell not in book_readings.get(ch, ()) and spell in taigan_all.get(ch, ())}
            how = "the one character of its example that 台甘 reads so"
        if len(named) == 1:
            found.append((row, "lost", f"{next(iter(named))} {spell}: {how}"))
    for row, search, evidence in sorted(found, key=lambda item: int(item[0]["id"])):
        if row["id"] in decided:
            continue
        print(f"{row['id']}\t{row['chinese']}\t{row['word']}\t{search}\t{evidence}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
