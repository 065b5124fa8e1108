#!/usr/bin/env python3
"""Makes the open dictionary (RavlekTable.tsv, BaseWords.tsv, BaseWordsPlus.tsv) from open data.

Sources (each folder's README under the shared data folder gives its licence):
  kam-jitian/kam_char_readings.tsv  readings and classes of Campbell's 1913 dictionary
  pingshui/pingshui_chars.tsv        the characters of the 106 Pingshui rhymes
  guangyun/guangyun.tsv              the 廣韻 entries: fanqie, initial class, division, gloss
  Unihan_Variants.txt.bz2            Unicode's variant forms (Debian package unicode-data)

The output is deterministic: the same sources give the same bytes. Readings that are not one
numeric Tâi-lô syllable are reported on standard error and left out; so is a summary of how many
rows found a Pingshui rhyme and a 廣韻 entry.

The files have a header line with the field names, then one row per line; inside a value a tab,
line feed, carriage return and backslash are written \\t, \\n, \\r and \\\\.
"""

import argparse
import bz2
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from tailo import is_tailo_syllable, to_phonetic_symbols  # noqa: E402

RAVLEK_COLUMNS = [
    "HanWord", "Ptype", "HanSpell", "Spell_P", "Spell_P_Han", "Initial_C_type",
    "PoemRhyme", "hong5se3", "PoemRhyme2", "PtypeDesc", "Phone_desc", "Desc",
]
BASE_COLUMNS = ["HanWord", "HanSpell"]

TONE_NAMES = {"1": "陰平", "2": "陰上", "3": "陰去", "4": "陰入", "5": "陽平", "7": "陽去",
              "8": "陽入"}
CLASS_NOTES = {"通": "文白通用音", "文": "文讀（讀書音）", "白": "白讀（話音）"}

# The Middle Chinese tones a Taiwanese tone digit comes from, most likely first: tone 7 (陽去)
# holds the old 去 tone and the voiced 上 tone.
TONE_AGREEMENT = {"1": ["平"], "5": ["平"], "2": ["上"], "3": ["去"], "7": ["去", "上"],
                  "4": ["入"], "8": ["入"]}
# Within an agreeing tone, the upper (陰) register comes from voiceless initials and the lower
# (陽) from voiced ones; tone 2 also takes the sonorant (次濁) 上. Entries whose initial agrees
# are preferred; the tone alone decides when none does.
VOICELESS = {"全清", "次清"}
VOICED = {"全濁", "次濁"}
REGISTER = {
    "1": {"平": VOICELESS}, "3": {"去": VOICELESS}, "4": {"入": VOICELESS},
    "5": {"平": VOICED}, "8": {"入": VOICED},
    "2": {"上": VOICELESS | {"次濁"}},
    "7": {"去": VOICED, "上": {"全濁"}},
}
RHYME_GROUP_TONES = {"上平": "平", "下平": "平", "上聲": "上", "去聲": "去", "入聲": "入"}

# Variant kinds of Unihan that name another form of the same character, in the order tried.
VARIANT_FIELDS = ["kZVariant", "kSemanticVariant", "kSpecializedSemanticVariant"]


class Report:
    def __init__(self, stream):
        self.stream = stream

    def line(self, text):
        print(text, file=self.stream)


def read_tsv(path):
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    header = lines[0].split("\t")
    rows = []
    for number, line in enumerate(lines[1:], start=2):
        fields = line.split("\t")
        if len(fields) != len(header):
            raise SystemExit(f"{path}:{number}: {len(fields)} fields, expected {len(header)}")
        rows.append((number, dict(zip(header, fields))))
    return rows


def read_rhyme_names(rhymes_source):
    """The 106 rhyme names exactly as the program lists them."""
    with open(rhymes_source, encoding="utf-8") as f:
        names = re.findall(r'QStringLiteral\("([^"]+)"\)', f.read())
    if len(names) != 106:
        raise SystemExit(f"{rhymes_source}: expected 106 rhyme names, found {len(names)}")
    return names


def rhyme_tone(name):
    return RHYME_GROUP_TONES[name[:2]]


def read_pingshui(path, names):
    """Character -> its rhyme names in the fixed order of the 106. The source spells two heads
    differently (刪, 篠), so its categories are matched by tone group and number; each
    category's own head character belongs to it (the source lost 先 from 下平一先)."""
    by_stem = {name[:-1]: name for name in names}
    order = {name: i for i, name in enumerate(names)}
    rhymes = {}
    heads = {}
    for _, row in read_tsv(path):
        name = by_stem.get(row["category_short"][:-1])
        if name is None:
            raise SystemExit(f"{path}: unknown category {row['category_short']}")
        heads[name] = row["category_short"][-1]
        rhymes.setdefault(row["char"], set()).add(name)
    for name, head in heads.items():
        rhymes.setdefault(head, set()).add(name)
    return {ch: sorted(found, key=order.get) for ch, found in rhymes.items()}


def read_guangyun(path):
    entries = {}
    fanqie_characters = []
    seen = set()
    for _, row in read_tsv(path):
        entries.setdefault(row["字頭"], []).append(row)
        for ch in row["反切"]:
            if ch not in seen:
                seen.add(ch)
                fanqie_characters.append(ch)
    return entries, fanqie_characters


def read_variants(path):
    """Character -> the characters Unihan names as its variants, in VARIANT_FIELDS order."""
    listed = {}
    with bz2.open(path, "rt", encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            code, field, values = line.rstrip("\n").split("\t")
            if field not in VARIANT_FIELDS:
                continue
            ch = chr(int(code[2:], 16))
            for value in values.split():
                target = chr(int(value.split("<")[0][2:], 16))
                listed.setdefault(ch, {}).setdefault(field, []).append(target)
    return {ch: [t for field in VARIANT_FIELDS for t in fields.get(field, [])]
            for ch, fields in listed.items()}


def agreeing_entry(entries, digit):
    """The first 廣韻 entry whose tone agrees with the tone digit, preferring one whose initial
    agrees with the register; None where no tone agrees."""
    for want_register in (True, False):
        for tone in TONE_AGREEMENT[digit]:
            for entry in entries:
                if entry["聲"] != tone:
                    continue
                if want_register and entry["清濁"] not in REGISTER[digit].get(tone, ()):
                    continue
                return entry
    return None


def agreeing_rhyme(rhymes, tones):
    for tone in tones:
        for name in rhymes:
            if rhyme_tone(name) == tone:
                return name
    return ""


def is_han(ch):
    code = ord(ch)
    return (0x3400 <= code <= 0x4DBF or 0x4E00 <= code <= 0x9FFF or 0xF900 <= code <= 0xFAFF
            or 0x20000 <= code <= 0x3FFFF)


def read_kam(path, report):
    """Campbell's readings in the book's order, one per character, class and reading; readings
    of another shape are reported and left out, and so are rows whose character is a placeholder
    (● for a character the digitisation could not encode, a bopomofo letter, a line). Also:
    character -> the distinct readings the book gives it."""
    readings = []
    seen = set()
    book_readings = {}
    placeholders = 0
    for number, row in read_tsv(path):
        han, klass, spell = row["han"], row["class"], row["tailo"]
        if len(han) != 1 or not is_han(han):
            placeholders += 1
            continue
        book_readings.setdefault(han, set()).add((klass, spell))
        if (han, klass, spell) in seen:
            continue
        seen.add((han, klass, spell))
        if not is_tailo_syllable(spell):
            report.line(f"{os.path.basename(path)}:{number}: {han} {klass} {spell!r} is not one "
                        "Tâi-lô syllable; left out")
            continue
        readings.append({"han": han, "class": klass, "spell": spell, "page": row["page"]})
    report.line(f"{os.path.basename(path)}: {placeholders} rows without a Han character left out")
    return readings, book_readings


def phone_note(ptype, spell, page):
    digit = spell[-1]
    source = (f"廈門音新字典（甘為霖，1913）第{page}頁。" if page
              else "廈門音新字典（甘為霖，1913）數位版增補。")
    return f"{CLASS_NOTES[ptype]} {spell}，{TONE_NAMES[digit]}（第{digit}調）。{source}"


def variant_candidates(variants):
    """Character -> its variant forms: those its own Unihan listing names first, then those
    whose listing names it, each in code-point order of the listing character."""
    candidates = {}
    for ch, targets in sorted(variants.items()):
        candidates.setdefault(ch, []).extend(t for t in targets if t != ch)
    for ch, targets in sorted(variants.items()):
        for target in targets:
            if target != ch:
                candidates.setdefault(target, []).append(ch)
    return candidates


def with_classes(readings, book_readings):
    """Each reading with its class: a character whose only reading in the book is one 文
    reading is read the same in both layers and gets 通."""
    for reading in readings:
        only_literary = book_readings[reading["han"]] == {("文", reading["spell"])}
        reading["ptype"] = "通" if only_literary else reading["class"]
    return readings


def variant_readings(readings, candidates, report):
    """A character that Unihan names as a variant of one with readings, and that has none of its
    own, gets copies of its standard form's readings (the first of its variants that has any)."""
    by_character = {}
    for reading in readings:
        by_character.setdefault(reading["han"], []).append(reading)
    added = []
    for ch in sorted(candidates):
        if ch in by_character or not is_han(ch):
            continue
        standard = next((t for t in candidates[ch] if t in by_character), None)
        if standard is None:
            continue
        added += [dict(source, han=ch, standard=standard) for source in by_character[standard]]
    report.line(f"variant forms: {len({r['han'] for r in added})} characters get "
                f"{len(added)} readings of their standard forms")
    return added


def make_rows(readings, pingshui, guangyun, candidates, report):
    """One RavlekTable row per reading. The 廣韻 entry and the Pingshui rhyme are looked up for
    the character, then for the standard form it was copied from, then for its other variant
    forms (the sources spell many characters in another form, e.g. 爲 for 為)."""
    rows = []
    stats = {"rhyme": 0, "guangyun": 0}
    for reading in readings:
        han, spell, ptype = reading["han"], reading["spell"], reading["ptype"]
        digit = spell[-1]
        forms = [han] + ([reading["standard"]] if "standard" in reading else [])
        forms += [v for v in candidates.get(han, []) if v not in forms]
        entry = next((e for e in (agreeing_entry(guangyun.get(f, []), digit) for f in forms)
                      if e is not None), None)
        tones = TONE_AGREEMENT[digit]
        if entry is not None and entry["聲"] in tones:
            tones = [entry["聲"]] + [t for t in tones if t != entry["聲"]]
        rhyme = next((r for r in (agreeing_rhyme(pingshui.get(f, []), tones) for f in forms)
                      if r), "")
        note = phone_note(ptype, spell, reading["page"])
        if "standard" in reading:
            standard = reading["standard"]
            note += f"\n「{han}」是「{standard}」的異體字，讀音照「{standard}」。"
        row = {column: "" for column in RAVLEK_COLUMNS}
        row.update({"HanWord": han, "Ptype": ptype, "HanSpell": spell,
                    "Spell_P": to_phonetic_symbols(spell), "PoemRhyme": rhyme,
                    "Phone_desc": note})
        if entry is not None:
            division = entry["等"]
            lower = entry["反切"][1:2]
            row.update({
                "Initial_C_type": entry["清濁"],
                "hong5se3": f"{division}等{'洪' if division in '一二' else '細'}" if division else "",
                "PoemRhyme2": next((r for r in (agreeing_rhyme(pingshui.get(f, []), [entry["聲"]])
                                                for f in [lower] + candidates.get(lower, [])) if r), ""),
                "PtypeDesc": f"廣韻 {entry['反切']}切" if entry["反切"] else "",
                "Desc": entry["釋義"],
            })
            stats["guangyun"] += 1
        if rhyme:
            stats["rhyme"] += 1
        rows.append(row)
    total = len(rows)
    report.line(f"RavlekTable: {total} rows")
    report.line(f"  with a Pingshui rhyme of agreeing tone: {stats['rhyme']} "
                f"({100.0 * stats['rhyme'] / total:.1f} %)")
    report.line(f"  with a 廣韻 entry of agreeing tone: {stats['guangyun']} "
                f"({100.0 * stats['guangyun'] / total:.1f} %)")
    return rows


def make_base_words(rows, fanqie_characters):
    first_literary = {}
    for row in rows:
        if row["Ptype"][0] in "通文" and row["HanWord"] not in first_literary:
            first_literary[row["HanWord"]] = row["HanSpell"]
    base = [{"HanWord": ch, "HanSpell": first_literary[ch]}
            for ch in fanqie_characters if ch in first_literary]
    in_base = {row["HanWord"] for row in base}
    plus = [{"HanWord": ch, "HanSpell": spell}
            for ch, spell in first_literary.items() if ch not in in_base]
    return base, plus


def escape(value):
    return (value.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")
            .replace("\r", "\\r"))


def write_tsv(path, columns, rows):
    lines = ["\t".join(columns)]
    lines += ["\t".join(escape(row[column]) for column in columns) for row in rows]
    data = ("\n".join(lines) + "\n").encode("utf-8")
    temp = path + ".tmp"
    with open(temp, "wb") as f:
        f.write(data)
    os.replace(temp, path)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    repo = os.path.dirname(os.path.dirname(here))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", default=os.path.join(repo, "..", "shared", "data"),
                        help="the shared open-data folder")
    parser.add_argument("--unihan", default="/usr/share/unicode/Unihan_Variants.txt.bz2")
    parser.add_argument("--rhymes", default=os.path.join(repo, "src", "dictionary", "rhymes.cpp"),
                        help="rhymes.cpp with the program's 106 rhyme names")
    parser.add_argument("--output", default=here, help="folder to write the three TSV files to")
    args = parser.parse_args()

    report = Report(sys.stderr)
    names = read_rhyme_names(args.rhymes)
    pingshui = read_pingshui(os.path.join(args.data, "pingshui", "pingshui_chars.tsv"), names)
    guangyun, fanqie_characters = read_guangyun(
        os.path.join(args.data, "guangyun", "guangyun.tsv"))
    readings, book_readings = read_kam(
        os.path.join(args.data, "kam-jitian", "kam_char_readings.tsv"), report)
    readings = with_classes(readings, book_readings)
    candidates = variant_candidates(read_variants(args.unihan))
    readings += variant_readings(readings, candidates, report)
    rows = make_rows(readings, pingshui, guangyun, candidates, report)
    base, plus = make_base_words(rows, fanqie_characters)
    report.line(f"RavlekTable.tsv: {len(rows)} rows, {len({r['HanWord'] for r in rows})} characters; "
                f"BaseWords.tsv: {len(base)} rows; BaseWordsPlus.tsv: {len(plus)} rows")

    os.makedirs(args.output, exist_ok=True)
    write_tsv(os.path.join(args.output, "RavlekTable.tsv"), RAVLEK_COLUMNS, rows)
    write_tsv(os.path.join(args.output, "BaseWords.tsv"), BASE_COLUMNS, base)
    write_tsv(os.path.join(args.output, "BaseWordsPlus.tsv"), BASE_COLUMNS, plus)
    return 0


if __name__ == "__main__":
    sys.exit(main())
