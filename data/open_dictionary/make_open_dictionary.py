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
import csv
import io
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from rhyme_choice import (CODA_NAMES, EntryChooser, derive_merger, describe_score,  # noqa: E402
                          group_codas, reading_coda)
from koktai import readings as koktai_readings  # noqa: E402
from tailo import is_tailo_syllable, split_syllable, to_phonetic_symbols  # noqa: E402
import fanqie_rows  # noqa: E402
import reading_order  # noqa: E402

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
    rows = []
    fanqie_characters = []
    seen = set()
    for _, row in read_tsv(path):
        rows.append(row)
        entries.setdefault(row["字頭"], []).append(row)
        for ch in row["反切"]:
            if ch not in seen:
                seen.add(ch)
                fanqie_characters.append(ch)
    return entries, fanqie_characters, rows


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


CORRECTION_COLUMNS = ["kam_id", "han", "class", "tailo", "new_han", "new_class", "new_tailo",
                      "evidence"]


def read_corrections(path):
    """[(kam_id, row)] of the reviewed corrections of the digitised book: the row as digitised
    (han, class, tailo) and as corrected (new_han, new_class, new_tailo; all three empty: the row
    is not the book's and goes), with the evidence."""
    if not os.path.exists(path):
        return []
    rows = read_tsv(path)
    if rows and list(rows[0][1]) != CORRECTION_COLUMNS:
        raise SystemExit(f"{path}: the columns must be {', '.join(CORRECTION_COLUMNS)}")
    return [(row["kam_id"], row) for _, row in rows]


def apply_corrections(rows, corrections, report):
    """The book's rows with the corrections applied; a correction that does not find its row as
    digitised stops the run (the source changed under it)."""
    by_id = {}
    for kam_id, correction in corrections:
        if kam_id in by_id:
            raise SystemExit(f"corrections.tsv: kam_id {kam_id} twice")
        by_id[kam_id] = correction
    out = []
    used = set()
    for number, row in rows:
        correction = by_id.get(row["kam_id"])
        if correction is None:
            out.append((number, row))
            continue
        if (row["han"], row["class"], row["tailo"]) != (correction["han"], correction["class"],
                                                        correction["tailo"]):
            raise SystemExit(f"corrections.tsv: kam_id {row['kam_id']} is "
                             f"{row['han']} {row['class']} {row['tailo']} in the source, not "
                             f"{correction['han']} {correction['class']} {correction['tailo']}")
        used.add(row["kam_id"])
        if not correction["new_han"]:
            continue
        fixed = dict(row, han=correction["new_han"], **{"class": correction["new_class"]},
                     tailo=correction["new_tailo"])
        fixed["corrected"] = (f"數位版作「{row['han']}」{row['class']} {row['tailo']}，"
                              f"今校正：{correction['evidence']}" if row["han"] != "●" else
                              f"數位版失字（●），今補「{fixed['han']}」：{correction['evidence']}")
        out.append((number, fixed))
    missing = sorted(set(by_id) - used, key=int)
    if missing:
        raise SystemExit(f"corrections.tsv: kam_id {', '.join(missing)} not in the source")
    report.line(f"corrections.tsv: {len(used)} rows of the book corrected "
                f"({sum(1 for k in used if not by_id[k]['new_han'])} of them left out)")
    return out


def lost_rows(book_path, corrections):
    """The book's rows whose character the digitisation lost (●, left out of
    kam_char_readings.tsv) that a correction restores, in that file's shape, from the book's
    sheet (kam_jitian.csv): a capitalised word is the literary reading."""
    wanted = {kam_id for kam_id, c in corrections if c["han"] == "●"}
    if not wanted:
        return []
    rows = []
    with open(book_path, encoding="utf-8", newline="") as f:
        for row in csv.DictReader(f):
            if row["id"] not in wanted:
                continue
            poj = re.sub(r"\[.*", "", row["word"]).lower()
            if not poj[-1:].isdigit():
                poj += "4" if poj[-1:] in "ptkh" else "1"
            tailo = poj.replace("chh", "tsh").replace("ch", "ts").replace("oa", "ua")
            tailo = re.sub(r"ek(\d)$", r"ik\1", tailo.replace("oe", "ue"))
            tailo = re.sub(r"eng(\d)$", r"ing\1", tailo).replace("oonn", "onn")
            rows.append((0, {"han": row["chinese"], "class": "文" if row["word"][:1].isupper()
                             else "白", "poj": poj, "tailo": tailo, "lit_poj": "",
                             "lit_tailo": "", "kam_id": row["id"], "page": row["page"]}))
    return rows


def read_kam(path, report, corrections=(), book_path=None):
    """Campbell's readings in the book's order, one per character, class and reading; readings
    of another shape are reported and left out, and so are rows whose character is a placeholder
    (● for a character the digitisation could not encode, a bopomofo letter, a line). Also:
    character -> the distinct readings the book gives it."""
    readings = []
    seen = set()
    book_readings = {}
    placeholders = 0
    rows = read_tsv(path)
    if book_path:
        rows = sorted(rows + lost_rows(book_path, corrections), key=lambda r: int(r[1]["kam_id"]))
    for number, row in apply_corrections(rows, corrections, report):
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
        readings.append({"han": han, "class": klass, "spell": spell, "page": row["page"],
                         "literary": row["lit_tailo"], "corrected": row.get("corrected", "")})
    report.line(f"{os.path.basename(path)}: {placeholders} rows without a Han character left out")
    return with_literary_of_colloquial(readings, book_readings, report), book_readings


def with_literary_of_colloquial(readings, book_readings, report):
    """A character that the book gives only colloquial (白) rows gets the literary reading that
    those rows name in parentheses (lit_tailo), before the first row that names it."""
    literary = {han for han, found in book_readings.items() if any(k == "文" for k, _ in found)}
    out = []
    added = set()
    for reading in readings:
        lit = reading["literary"]
        key = (reading["han"], lit)
        if (reading["class"] == "白" and reading["han"] not in literary and lit
                and is_tailo_syllable(lit) and key not in added):
            added.add(key)
            out.append({"han": reading["han"], "class": "文", "spell": lit, "page": reading["page"],
                        "literary": "", "corrected": "", "named_by_colloquial": True})
        out.append(reading)
    report.line(f"literary readings named only by colloquial rows: {len(added)} readings of "
                f"{len({h for h, _ in added})} characters")
    return out


def phone_note(ptype, spell, page, named_by_colloquial=False):
    digit = spell[-1]
    source = (f"廈門音新字典（甘為霖，1913）第{page}頁。" if page
              else "廈門音新字典（甘為霖，1913）數位版增補。")
    if named_by_colloquial:
        source = f"廈門音新字典（甘為霖，1913）第{page}頁白讀條所注的文讀。"
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


def with_classes(readings, book_readings, koktai=None, report=None):
    """Each reading with its class: a character whose only reading in the book is one 文
    reading is read the same in both layers and gets 通, unless 吳守禮 gives it a different
    colloquial (白) reading: then it stays 文 (園 uan5, 白 hng5), and the colloquial row comes
    from 吳守禮 (koktai_rows)."""
    relabelled = set()
    for reading in readings:
        only_literary = book_readings[reading["han"]] == {("文", reading["spell"])}
        reading["ptype"] = "通" if only_literary else reading["class"]
        if only_literary:
            colloquial = other_colloquial(koktai or {}, reading["han"], reading["spell"])
            if colloquial:
                reading["ptype"] = "文"
                reading["colloquial_elsewhere"] = colloquial
                relabelled.add(reading["han"])
    if report is not None:
        report.line(f"通 relabelled 文 for a different colloquial reading of {KOKTAI_NAME}: "
                    f"{len(relabelled)} characters")
    return readings


def other_colloquial(koktai, ch, spell):
    """The colloquial (白) readings 吳守禮 gives a character that differ from its reading and
    that he does not also give as literary."""
    found = koktai.get(ch, {})
    return [s for (klass, s) in found if klass == "白" and s != spell and ("文", s) not in found]


# Variant pairs that Unihan links only through a third form, or whose sources differ, reviewed
# as one word: variant -> standard form, with the reason.
REVIEWED_VARIANTS = {
    "僞": ("偽", "僞、偽同字（廣韻 危睡切），Unihan 只經簡體「伪」相連"),
    # Common forms of Tang texts that Unihan does not link to their standard form.
    "髪": ("髮", "髪是髮的俗體（髟下犮），Unihan 未列"),
    "顇": ("悴", "顇、悴同義同音（廣韻 秦醉切），Unihan 未列"),
    "逈": ("迥", "逈是迥的俗體（廣韻 戶頂切），Unihan 未列"),
    "蹔": ("暫", "蹔、暫同音同義（廣韻 藏濫切），Unihan 只列其簡體"),
}
# Readings of a standard form that are another word than its variant, where the sources cannot
# tell (both rhyme alike): (variant, reading) -> the reason.
REFUSED_VARIANT_READINGS = {
    ("讐", "kiu5"): "仇 kiu5 是「仇匹」之仇（巨鳩切）；讐即讎，只讀 siu5（市流切）",
}


def shares_entry(variant, standard, spell, guangyun, pingshui, chooser):
    """Whether a reading of the standard form is one of the variant's too: the 廣韻 entry the
    reading takes among the standard form's entries (by its fanqie, or the nearest) is in a
    homophone group (小韻) that the variant has, or the variant's Pingshui rhymes hold the rhyme
    the reading takes. None where the variant has neither 廣韻 entries nor Pingshui rhymes."""
    tones = TONE_AGREEMENT[spell[-1]]
    own_entries = [e for e in guangyun.get(variant, []) if e["聲"] in tones]
    own_groups = [g for g in pingshui.get(variant, []) if rhyme_tone(g) in tones]
    if not guangyun.get(variant) and not pingshui.get(variant):
        return None
    entry, _, _ = chooser.choose(guangyun.get(standard, []), spell, tones)
    if entry is not None and any(e["小韻號"] == entry["小韻號"] for e in own_entries):
        return True
    own, score, _ = chooser.choose(own_entries, spell, tones)
    if own is not None:
        # Only where the variant's own fanqie reads so; where its fanqie characters have no
        # reading to tell, where its coda agrees.
        readable = chooser.synthesis(own, spell) is not None
        return score[0] == 0 if readable else score[1] == 0
    if entry is not None:
        return chooser.group_of(entry) in own_groups
    return bool(set(own_groups) & set(g for g in pingshui.get(standard, [])
                                       if rhyme_tone(g) in tones))


def variant_readings(readings, candidates, guangyun, pingshui, chooser, report):
    """A character that Unihan names as a variant of one with readings, and that has none of its
    own, gets copies of those of its standard form's readings that are the same word: where the
    two forms share a 廣韻 entry or a Pingshui rhyme for the reading (shares_entry), or the pair
    is reviewed (REVIEWED_VARIANTS). The standard form is the first of its variants with
    readings."""
    by_character = {}
    for reading in readings:
        by_character.setdefault(reading["han"], []).append(reading)
    added = []
    refused = 0
    unknown = 0
    for ch in sorted(set(candidates) | set(REVIEWED_VARIANTS)):
        if ch in by_character or not is_han(ch):
            continue
        if ch in REVIEWED_VARIANTS and REVIEWED_VARIANTS[ch][0] in by_character:
            standard = REVIEWED_VARIANTS[ch][0]
            added += [dict(source, han=ch, standard=standard) for source in by_character[standard]]
            continue
        standard = next((t for t in candidates.get(ch, []) if t in by_character), None)
        if standard is None:
            continue
        for source in by_character[standard]:
            if (ch, source["spell"]) in REFUSED_VARIANT_READINGS:
                refused += 1
                continue
            same = shares_entry(ch, standard, source["spell"], guangyun, pingshui, chooser)
            if same is None:
                unknown += 1
            if same is False:
                refused += 1
                continue
            added.append(dict(source, han=ch, standard=standard))
    report.line(f"variant forms: {len({r['han'] for r in added})} characters get "
                f"{len(added)} readings of their standard forms; {refused} readings not copied "
                f"(another word), {unknown} copied without 廣韻 or Pingshui data to check")
    return added


KOKTAI_SOURCES = {"pumin": "普閩", "taigan": "台甘"}
KOKTAI_NAME = "吳守禮《國臺對照活用辭典》"
KOTKAI_SOURCE_NOTE = KOKTAI_NAME


def read_koktai(path):
    """Character -> {(class, reading): [sources]} of 吳守禮's dictionary, in the file's order:
    class 文, 白 or "" (unlabelled), sources 普閩 (its general readings) and 台甘 (its
    transcription of the 1913 book)."""
    found = {}
    with open(path, encoding="utf-8", newline="") as f:
        for entry in csv.DictReader(f, delimiter="\t", quoting=csv.QUOTE_NONE):
            heads = [h for h in entry["headword"].rstrip("·").split("/")
                     if len(h) == 1 and is_han(h)]
            for field, source in KOKTAI_SOURCES.items():
                direct = set()
                for klass, spell in koktai_readings(entry[field], direct):
                    for head in heads:
                        sources = found.setdefault(head, {}).setdefault((klass, spell), [])
                        if source not in sources:
                            sources.append(source)
                for head in heads:
                    DIRECTLY_LABELLED.update((head, klass, spell) for klass, spell in direct)
    return found


# The reviewed doubtful rows (reviewed_rows.tsv): (character, reading) -> (decision, reason);
# "read as X" rhymes the reading as the form X, "no rhyme" leaves it without rhyme and entry,
# "keep" keeps it as it is; every one's Phone_desc gives the reason.
REVIEWED_ROWS = {}
READ_AS = {}


def read_reviewed_rows(path):
    REVIEWED_ROWS.clear()
    READ_AS.clear()
    if not os.path.exists(path):
        return
    for number, row in read_tsv(path):
        decision = row["decision"]
        if decision not in ("keep", "no rhyme") and not decision.startswith("read as "):
            raise SystemExit(f"{path}:{number}: unknown decision {decision!r}")
        REVIEWED_ROWS[(row["HanWord"], row["HanSpell"])] = (decision, row["reason"])
        if decision.startswith("read as "):
            READ_AS[(row["HanWord"], row["HanSpell"])] = [decision[len("read as "):]]


# (character, class, reading) of the readings 吳守禮 writes right after their label.
DIRECTLY_LABELLED = set()


def koktai_rows(koktai, readings, report):
    """The readings that 吳守禮's dictionary adds: all of a character the 1913 book does not
    have, and the literary (文) readings the book does not give a character it has. Each keeps
    its sources; where the book reads the character otherwise, the note says so."""
    book = {}
    for reading in readings:
        book.setdefault(reading["han"], []).append(reading)
    added = []
    for ch, found in koktai.items():
        own = book.get(ch, [])
        spells = {r["spell"] for r in own}
        # A reading the book gives only as colloquial that 吳守禮 labels literary, right after
        # the label, is added as a 文 row (地 ti7, 憐 lian5): the book lacks it as literary.
        literary_spells = {r["spell"] for r in own if r["ptype"] in "通文"}
        labelled = {k for k, _ in found if k}
        chosen = []
        for (klass, spell), sources in found.items():
            if any(c["spell"] == spell for c in chosen):
                continue
            if spell in spells and (klass != "文" or spell in literary_spells
                                    or (ch, klass, spell) not in DIRECTLY_LABELLED):
                continue
            # A character the book reads in one literary reading only gets 吳守禮's different
            # colloquial readings (with_classes made it 文).
            relabelled = any(r.get("colloquial_elsewhere") for r in own)
            if own and klass not in ("文", "文白") and not (relabelled and klass == "白"):
                continue
            chosen.append({"klass": klass, "spell": spell, "sources": sources,
                           "book_colloquial": spell in spells})
        for item in chosen:
            klass = item["klass"]
            if item["book_colloquial"]:
                ptype = "文"
            elif klass == "文白" or (not klass and len(chosen) == 1 and not labelled):
                ptype = "通"
            else:
                ptype = klass or "文"
            literary = [r["spell"] for r in own if r["ptype"] in "通文"]
            added.append({"han": ch, "class": ptype, "ptype": ptype, "spell": item["spell"],
                          "page": "", "literary": "", "corrected": "",
                          "koktai": item["sources"], "book_reads": literary,
                          "book_colloquial": item["book_colloquial"]})
    report.line(f"{KOKTAI_NAME}: {len(added)} readings, {len({r['han'] for r in added})} "
                f"characters ({len({r['han'] for r in added if r['han'] not in book})} that the "
                "1913 book lacks)")
    return added


def literary_spells(readings, candidates):
    """Character -> its literary (文, 通) readings in the book's order, for the fanqie
    characters; a character without one takes its variant forms'."""
    own = {}
    for reading in readings:
        if reading["ptype"] in "通文" and "standard" not in reading:
            own.setdefault(reading["han"], [])
            if reading["spell"] not in own[reading["han"]]:
                own[reading["han"]].append(reading["spell"])

    def literary(ch):
        if ch in own:
            return own[ch]
        return next((own[v] for v in candidates.get(ch, []) if v in own), [])
    return literary


def read_rhyme_reasons(path):
    """(character, reading) -> the recorded reason why its rhyme's coda differs from the
    reading's."""
    return {(row["HanWord"], row["HanSpell"]): row["reason"] for _, row in read_tsv(path)}


# Readings of the 1913 book whose coda is not that of the rhyme in a regular way of the Amoy
# literary layer; each names the reason a row carries.
CODA_PATTERNS = [
    (lambda initial, final, coda: coda == "m" and final[-1:] in "nt" and initial in
     ("p", "ph", "b", "m", "h"), "唇音聲母使 -m/-p 異化為 -n/-t（凡 huan5、法 huat4）"),
    (lambda initial, final, coda: final in ("it", "ik"), "廈門文讀 -it 與 -ik 相混（漆 tshik4、職 tsit4）"),
    (lambda initial, final, coda: coda == "n" and final[-1:] in "mp",
     "廈門文讀部分 -n/-t 韻字讀 -m/-p（忍 jim2、欣 him1）"),
    (lambda initial, final, coda: coda == "m" and final[-1:] in "nt",
     "廈門文讀部分 -m/-p 韻字讀 -n/-t（捷 tsiat8）"),
    (lambda initial, final, coda: coda == "ng" and final in ("in", "it", "ian", "iat"),
     "廈門文讀部分 -ng/-k 韻字讀 -n/-t（瓶 pin5）"),
    (lambda initial, final, coda: coda == "n" and final in ("ing", "ik", "iong", "iok"),
     "廈門文讀部分 -n/-t 韻字讀 -ng/-k"),
]


def irregular_coda(spell, rhyme, forms, pingshui, guangyun, chooser, codas):
    """Why a literary reading stands under a rhyme of another coda: only where neither the
    廣韻 entries of the reading's tone that the choice ranked nor the Pingshui rhymes of that tone
    of the character or its variant forms have the reading's coda (else the choice is wrong, and
    needs a reason in rhyme_reasons.tsv). The
    reason names the regular pattern of the Amoy literary layer where one applies."""
    coda = reading_coda(spell)
    tones = TONE_AGREEMENT[spell[-1]]
    # The entries the choice ranked: those of the first form that has one of an agreeing tone.
    entries = next((found for found in ([e for e in guangyun.get(form, []) if e["聲"] in tones]
                                        for form in forms) if found), [])
    if any(chooser.merger.get((e["聲"], e["韻"]), {}).get("coda") == coda for e in entries):
        return None
    for form in forms:
        for group in pingshui.get(form, []):
            if rhyme_tone(group) in tones and codas.get(group) == coda:
                return None
    initial, final, _ = split_syllable(spell)
    pattern = next((words for test, words in CODA_PATTERNS
                    if test(initial, final, codas.get(rhyme, ""))), "讀音的韻尾不合常例")
    return f"{pattern}；此字同聲調的韻都不是 {CODA_NAMES[coda]}"


# The Amoy 上 and 去 tones do not always keep the 廣韻's: a reading of tone 2, 3 or 7 whose
# character has neither a 廣韻 entry nor a Pingshui rhyme of its tone takes one of the other
# oblique (仄) tone, 上 or 去; 平 and 入 are never crossed.
OBLIQUE_TONES = ["上", "去"]


def choose_rhyme(reading, forms, pingshui, guangyun, chooser, codas):
    """The 廣韻 entry (or None), the Pingshui rhyme and the words that say why, for one reading.
    A colloquial reading that the book ties to a literary one (lit_tailo) takes that one's.
    Where nothing agrees in tone, a reading of an oblique tone takes the other oblique tone's
    (reading["tone_crossed"] says which)."""
    entry, rhyme, why, scored = choose_rhyme_of_tones(reading, forms, pingshui, guangyun,
                                                      chooser, codas, None)
    guide = rhyme_guide(reading)
    if rhyme or guide[-1] not in "237":
        return entry, rhyme, why, scored
    tones = [t for t in OBLIQUE_TONES if t not in TONE_AGREEMENT[guide[-1]]]
    entry, crossed, more, scored = choose_rhyme_of_tones(reading, forms, pingshui, guangyun,
                                                         chooser, codas, tones)
    if not crossed:
        return entry, rhyme, why, scored
    reading["tone_crossed"] = tones[0]
    return entry, crossed, why + [f"聲調例外：改取{tones[0]}聲（同為仄聲）"] + more, scored


def rhyme_guide(reading):
    spell = reading["spell"]
    if reading["ptype"] == "白" and reading.get("literary") and \
            is_tailo_syllable(reading["literary"]):
        return reading["literary"]
    return spell


def choose_rhyme_of_tones(reading, forms, pingshui, guangyun, chooser, codas, tones):
    spell = reading["spell"]
    guide = rhyme_guide(reading)
    tones = tones or TONE_AGREEMENT[guide[-1]]
    why = []
    if guide != spell:
        why.append(f"白讀，依其文讀 {guide} 擇韻")
    coda = reading_coda(guide)
    # A Pingshui rhyme of the reading's tone and coda, for where the nearest entry has another.
    fitting = next(((form, g) for form in forms for g in pingshui.get(form, [])
                    if rhyme_tone(g) in tones and codas.get(g) == coda), None)
    # A character with 廣韻 entries of its own is described by one of them, never by another
    # form's.
    entry_forms = [reading["han"]] if guangyun.get(reading["han"]) else forms
    # Nor does one with Pingshui rhymes or 廣韻 entries of its own, none of them of the
    # reading's class (平 or 仄), borrow another form's rhyme (阿 a2 is not 窕's 十七筱, 塢 oo1
    # not 十七虞); the reviewed exceptions are in reviewed_rows.tsv (陣 tin5 is 陳's).
    han = reading["han"]
    classes = {"平" if rhyme_tone(g) == "平" else "仄" for g in pingshui.get(han, [])}
    classes |= {"平" if e["聲"] == "平" else "仄" for e in guangyun.get(han, [])}
    level = "平" if guide[-1] in "15" else "仄"
    borrows = not classes or level in classes
    rhyme_forms = forms if borrows else [han] + READ_AS.get((han, spell), [])
    for form in entry_forms:
        entry, score, scored = chooser.choose(guangyun.get(form, []), guide, tones)
        if entry is None:
            continue
        group = chooser.group_of(entry)
        if codas.get(group) != coda and fitting is not None:
            why.append(f"最近的廣韻條目 {entry['反切']}切（{chooser.heading_of(entry)}韻）"
                       f"韻尾不合；" + ("" if fitting[0] == reading["han"] else f"依「{fitting[0]}」，")
                       + f"取平水韻中韻尾相合的{fitting[1]}，不取廣韻條目")
            return None, fitting[1], why, scored
        why.append(("" if form == reading["han"] else f"依「{form}」的廣韻條目，")
                   + f"廣韻 {entry['反切']}切（{chooser.heading_of(entry)}韻{entry['聲']}聲）："
                   + describe_score(score) + f"；{len(scored)} 個聲調相合的條目中最近")
        why.append(f"{chooser.heading_of(entry)}韻併入{group}")
        return entry, group, why, scored
    for form in rhyme_forms:
        found = [g for g in pingshui.get(form, []) if rhyme_tone(g) in tones]
        if not found:
            continue
        agreeing = [g for g in found if codas.get(g) == coda]
        group = (agreeing or found)[0]
        why.append(("" if form == reading["han"] else f"依「{form}」，")
                   + f"無聲調相合的廣韻條目；平水韻 {'、'.join(found)} 中"
                   + ("韻尾相合者" if agreeing else "無韻尾相合者，取第一個"))
        return None, group, why, []
    why.append("無聲調相合的廣韻條目，亦無平水韻"
               + ("（不借異體字的韻：此字自有廣韻條目或平水韻）" if len(rhyme_forms) < len(forms)
                  else ""))
    return None, "", why, []


def koktai_note(reading):
    """Phone_desc of a reading of 吳守禮's dictionary."""
    digit = reading["spell"][-1]
    note = (f"{CLASS_NOTES[reading['ptype']]} {reading['spell']}，{TONE_NAMES[digit]}"
            f"（第{digit}調）。{KOTKAI_SOURCE_NOTE}（{'、'.join(reading['koktai'])}）。")
    in_taigan = "台甘" in reading["koktai"]
    if reading.get("book_colloquial"):
        note += ("\n廈門音新字典（甘為霖，1913）數位版此音只作白讀"
                 + (f"，文讀作 {'、'.join(reading['book_reads'])}" if reading["book_reads"] else "")
                 + "；吳守禮作文讀，今補文讀一行。")
    elif reading["book_reads"]:
        note += (f"\n廈門音新字典（甘為霖，1913）數位版此字文讀作 {'、'.join(reading['book_reads'])}"
                 + ("；台甘錄該書亦有此音" if in_taigan else "，與此不同") + "，兩音並存。")
    elif in_taigan:
        note += "\n台甘錄廈門音新字典（甘為霖，1913）有此音，數位版未收。"
    else:
        note += "\n廈門音新字典（甘為霖，1913）數位版未收此音。"
    return note


def make_rows(readings, pingshui, guangyun, candidates, chooser, codas, reasons, report,
              koktai=None):
    """One RavlekTable row per reading, with the reasons of its rhyme and entry (key "why", not
    written). The 廣韻 entry and the Pingshui rhyme are looked up for the character, then for the
    standard form it was copied from, then for its other variant forms (the sources spell many
    characters in another form, e.g. 爲 for 為)."""
    rows = []
    stats = {"rhyme": 0, "guangyun": 0, "reasoned": 0, "unreasoned": 0}
    used_reasons = set()
    used_reviews = set()
    for reading in readings:
        han, spell, ptype = reading["han"], reading["spell"], reading["ptype"]
        forms = [han] + ([reading["standard"]] if "standard" in reading else [])
        forms += [v for v in candidates.get(han, []) if v not in forms]
        entry, rhyme, why, scored = choose_rhyme(reading, forms, pingshui, guangyun, chooser, codas)
        reviewed = REVIEWED_ROWS.get((han, spell))
        if reviewed and reviewed[0] == "no rhyme":
            entry, rhyme, scored = None, "", []
            why.append("已審，不取韻")
        if "koktai" in reading:
            note = koktai_note(reading)
        else:
            note = phone_note(ptype, spell, reading["page"], reading.get("named_by_colloquial"))
            if reading.get("colloquial_elsewhere"):
                note += (f"\n書中此字只此一音；{KOKTAI_NAME}另有白讀 "
                         f"{'、'.join(reading['colloquial_elsewhere'])}，故作文讀（不作文白通用）。")
            sources = [s for (k, sp), src in (koktai or {}).get(han, {}).items() if sp == spell
                       for s in src]
            if sources and "standard" not in reading:
                note += f"\n{KOKTAI_NAME}（{'、'.join(dict.fromkeys(sources))}）亦收此音。"
        if reading.get("corrected"):
            note += "\n" + reading["corrected"]
        if reviewed and "standard" not in reading:
            used_reviews.add((han, spell))
            note += f"\n已審：{reviewed[1]}。"
        if "standard" in reading:
            standard = reading["standard"]
            note += f"\n「{han}」是「{standard}」的異體字，讀音照「{standard}」。"
        if reading.get("tone_crossed") and ptype in "通文":
            note += (f"\n聲調例外：{spell} 是第{spell[-1]}調，此字的廣韻條目與平水韻都沒有"
                     f"{'或'.join(TONE_AGREEMENT[spell[-1]])}聲，廈門文讀上、去聲與廣韻不盡相合，"
                     f"取同為仄聲的{reading['tone_crossed']}聲。")
        if rhyme and ptype in "通文" and codas.get(rhyme) != reading_coda(spell):
            reason = reasons.get((han, spell))
            if reason is None:
                reason = irregular_coda(spell, rhyme, forms, pingshui, guangyun, chooser, codas)
            if reason is None:
                stats["unreasoned"] += 1
                report.line(f"{han} {spell}: {rhyme} ({CODA_NAMES[codas.get(rhyme, '')]}) "
                            "differs from the reading's coda and has no recorded reason")
            else:
                used_reasons.add((han, spell))
                stats["reasoned"] += 1
                note += f"\n韻尾例外：{spell} 在{rhyme}，{reason}。"
                why.append(f"韻尾例外：{reason}")
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
                "PtypeDesc": (f"廣韻 {entry['反切']}切，{chooser.heading_of(entry)}韻"
                              if entry["反切"] else ""),
                "Desc": entry["釋義"],
            })
            stats["guangyun"] += 1
        if rhyme:
            stats["rhyme"] += 1
        row["why"] = why
        row["candidates"] = scored
        row["source"] = "koktai" if "koktai" in reading else "book"
        rows.append(row)
    for key in sorted(set(REVIEWED_ROWS) - used_reviews):
        report.line(f"reviewed_rows.tsv: {key[0]} {key[1]} is no row; its review is unused")
    for key in sorted(set(reasons) - used_reasons):
        report.line(f"rhyme_reasons.tsv: {key[0]} {key[1]} is not a disagreeing row; its reason "
                    "is unused")
    total = len(rows)
    report.line(f"RavlekTable: {total} rows")
    report.line(f"  with a Pingshui rhyme: {stats['rhyme']} "
                f"({100.0 * stats['rhyme'] / total:.1f} %)")
    report.line(f"  with a 廣韻 entry of agreeing tone: {stats['guangyun']} "
                f"({100.0 * stats['guangyun'] / total:.1f} %)")
    report.line(f"  literary rows whose rhyme's coda differs from the reading's: "
                f"{stats['reasoned']} with a recorded reason, {stats['unreasoned']} without")
    return rows


def synthesis_rows(rows, guangyun, guangyun_rows, pingshui, merger, candidates, chooser, codas,
                   reasons, report):
    """The literary rows derived from the 廣韻 where the sources lack them (fanqie_rows.py), made
    like every row, with their own note."""
    by_fanqie = {}
    for entry in guangyun_rows:
        by_fanqie.setdefault(entry["反切"], entry)
    readings = fanqie_rows.derived_readings(rows, guangyun, pingshui, merger, by_fanqie)
    made = make_rows(readings, pingshui, guangyun, candidates, chooser, codas, reasons,
                     Report(io.StringIO())) if readings else []
    for row, reading in zip(made, readings):
        row["Phone_desc"] = reading["derived"]
    report.line(f"RavlekTable.synthesis.tsv: {len(made)} literary readings derived from the 廣韻")
    return made


def apply_use_order(args, guangyun, guangyun_rows, tables, report):
    """Puts each character's rows in the order of their use (reading_order.py) and maps the
    terra-pinyin phrases; returns (the notes of the reordered characters, the phrases)."""
    use = reading_order.UseOrder(args.terra, guangyun, guangyun_rows)
    notes = reading_order.order_by_use(tables, use)
    phrases = reading_order.phrase_readings(tables, use)
    report.line(f"order of use: {len({n['HanWord'] for n in notes})} characters reordered; "
                f"{len(phrases)} terra-pinyin phrases mapped")
    return notes, phrases


def write_use_order(folder, use_order):
    notes, phrases = use_order
    write_tsv(os.path.join(folder, "reading_order.terra.tsv"), reading_order.NOTE_COLUMNS, notes)
    write_tsv(os.path.join(folder, "phrases.terra.tsv"), reading_order.PHRASE_COLUMNS, phrases)


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


MERGER_COLUMNS = ["聲", "韻", "韻目", "平水韻", "韻尾", "同組字", "字數", "定法", "另見韻目"]


def merger_rows(merger):
    return [{"聲": tone, "韻": rhyme, "韻目": item["heading"], "平水韻": item["group"],
             "韻尾": item["coda"], "同組字": str(item["votes"]), "字數": str(item["total"]),
             "定法": item["decided"], "另見韻目": "、".join(item["others"])}
            for (tone, rhyme), item in merger.items()]


def arguments(argv=None):
    here = os.path.dirname(os.path.abspath(__file__))
    repo = os.path.dirname(os.path.dirname(here))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", default=os.path.join(repo, "..", "shared", "data"),
                        help="the shared open-data folder")
    parser.add_argument("--unihan", default="/usr/share/unicode/Unihan_Variants.txt.bz2")
    parser.add_argument("--rhymes", default=os.path.join(repo, "src", "dictionary", "rhymes.cpp"),
                        help="rhymes.cpp with the program's 106 rhyme names")
    parser.add_argument("--reasons", default=os.path.join(here, "rhyme_reasons.tsv"),
                        help="the reviewed reasons of rows whose rhyme's coda differs")
    parser.add_argument("--corrections", default=os.path.join(here, "corrections.tsv"),
                        help="the reviewed corrections of the digitised 1913 book")
    parser.add_argument("--terra", default=reading_order.TERRA,
                        help="terra_pinyin.dict.yaml of Debian's rime-data-terra-pinyin")
    parser.add_argument("--reviewed", default=os.path.join(here, "reviewed_rows.tsv"),
                        help="the reviewed doubtful rows and what is done with them")
    parser.add_argument("--output", default=here, help="folder to write the TSV files to")
    return parser.parse_args(argv)


def build(args, report):
    """Everything the files are made of: the rows (with their reasons), the base words and the
    rhyme merger."""
    names = read_rhyme_names(args.rhymes)
    pingshui = read_pingshui(os.path.join(args.data, "pingshui", "pingshui_chars.tsv"), names)
    guangyun, fanqie_characters, guangyun_rows = read_guangyun(
        os.path.join(args.data, "guangyun", "guangyun.tsv"))
    merger = derive_merger(guangyun_rows, pingshui, rhyme_tone)
    codas = group_codas(merger)
    corrections = read_corrections(args.corrections)
    readings, book_readings = read_kam(
        os.path.join(args.data, "kam-jitian", "kam_char_readings.tsv"), report, corrections,
        os.path.join(args.data, "kam-jitian", "kam_jitian.csv"))
    koktai_path = os.path.join(args.data, "koktai", "koktai_char_readings.tsv")
    koktai = read_koktai(koktai_path) if os.path.exists(koktai_path) else {}
    readings = with_classes(readings, book_readings, koktai, report)
    second = koktai_rows(koktai, readings, report)
    candidates = variant_candidates(read_variants(args.unihan))
    chooser = EntryChooser(merger, literary_spells(readings + second, candidates), REGISTER)
    copies = variant_readings(readings + second, candidates, guangyun, pingshui, chooser, report)
    reasons = read_rhyme_reasons(args.reasons) if os.path.exists(args.reasons) else {}
    read_reviewed_rows(args.reviewed)
    everything = make_rows(readings + copies + second, pingshui, guangyun, candidates, chooser,
                           codas, reasons, report, koktai)
    rows = [row for row in everything if row["source"] != "koktai"]
    koktai_table = [row for row in everything if row["source"] == "koktai"]
    base, plus = make_base_words(rows, fanqie_characters)
    args.synthesis_table = synthesis_rows(rows, guangyun, guangyun_rows, pingshui, merger,
                                          candidates, chooser, codas, reasons, report)
    # After the base words: the fanqie synthesis keeps the book's first literary reading.
    args.use_order = apply_use_order(args, guangyun, guangyun_rows,
                                     [rows, koktai_table, args.synthesis_table], report)
    return rows, base, plus, merger, koktai_table


def main():
    args = arguments()
    report = Report(sys.stderr)
    rows, base, plus, merger, koktai_table = build(args, report)
    report.line(f"RavlekTable.tsv: {len(rows)} rows, {len({r['HanWord'] for r in rows})} characters; "
                f"BaseWords.tsv: {len(base)} rows; BaseWordsPlus.tsv: {len(plus)} rows")

    os.makedirs(args.output, exist_ok=True)
    write_tsv(os.path.join(args.output, "RavlekTable.tsv"), RAVLEK_COLUMNS, rows)
    write_tsv(os.path.join(args.output, "BaseWords.tsv"), BASE_COLUMNS, base)
    write_tsv(os.path.join(args.output, "BaseWordsPlus.tsv"), BASE_COLUMNS, plus)
    write_tsv(os.path.join(args.output, "rhyme_merger.tsv"), MERGER_COLUMNS, merger_rows(merger))
    write_tsv(os.path.join(args.output, "RavlekTable.koktai.tsv"), RAVLEK_COLUMNS, koktai_table)
    write_tsv(os.path.join(args.output, "RavlekTable.synthesis.tsv"), RAVLEK_COLUMNS,
              args.synthesis_table)
    write_use_order(args.output, args.use_order)
    return 0


if __name__ == "__main__":
    sys.exit(main())
