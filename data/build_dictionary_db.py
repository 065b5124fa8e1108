#!/usr/bin/env python3
"""Builds a dictionary database (SQLite) from its tab-separated text source.

A table's rows may be split over NAME.tsv and further NAME.*.tsv files (rows of another source
under another licence), which follow in name order. Each TSV file has a header line with the column names, then one row per line. Inside a value
"\\N" alone stands for null, and "\\n", "\\r", "\\t", "\\\\" stand for a line feed, a carriage return,
a tab and a backslash.
Every row is checked before anything is written. Given the reviewed 206 → 106 rhyme merger
(--merger), a RavlekTable row must also carry the Pingshui rhyme of the 廣韻 rhyme named in its
PtypeDesc ("廣韻 博墨切，德韻"), and a literary (通, 文) row a rhyme whose coda is its reading's,
unless its Phone_desc records the reason ("韻目例外：", "韻尾例外："); the counts are printed.
 the database appears atomically (a temporary
file renamed into place), so a failed build never leaves a half-written file behind.
"""

import argparse
import hashlib
import os
import re
import sqlite3
import sys
import tempfile

RAVLEK_COLUMNS = [
    "HanWord", "Ptype", "HanSpell", "Spell_P", "Spell_P_Han", "Initial_C_type",
    "PoemRhyme", "hong5se3", "PoemRhyme2", "PtypeDesc", "Phone_desc", "Desc",
]
BASE_COLUMNS = ["HanWord", "HanSpell"]
TABLES = [
    ("RavlekTable", RAVLEK_COLUMNS),
    ("BaseWords", BASE_COLUMNS),
    ("BaseWordsPlus", BASE_COLUMNS),
]
READING_CLASSES = "通文今古白"
SPELL_SHAPE = re.compile(r"^[a-z]+[1-9]$")


class BadRow(Exception):
    pass


def read_rhyme_names(rhymes_source):
    """The 106 Pingshui rhyme names, taken from the program's own list so the two never differ."""
    with open(rhymes_source, encoding="utf-8") as f:
        names = re.findall(r'QStringLiteral\("([^"]+)"\)', f.read())
    if len(names) != 106:
        raise BadRow(f"{rhymes_source}: expected 106 rhyme names, found {len(names)}")
    return names


def unescape(field):
    if field == "\\N":
        return None
    out = []
    i = 0
    while i < len(field):
        ch = field[i]
        if ch != "\\":
            out.append(ch)
            i += 1
            continue
        if i + 1 >= len(field):
            raise BadRow("a backslash ends the value")
        code = field[i + 1]
        if code == "n":
            out.append("\n")
        elif code == "r":
            out.append("\r")
        elif code == "t":
            out.append("\t")
        elif code == "\\":
            out.append("\\")
        else:
            raise BadRow(f"unknown escape \\{code}")
        i += 2
    return "".join(out)


def check_spell(value):
    if value and not SPELL_SHAPE.match(value):
        raise BadRow(f"HanSpell {value!r} is not letters followed by one tone digit")


def check_ravlek_row(row, rhyme_names):
    han_word, ptype, han_spell = row[0], row[1], row[2]
    if not han_word:
        raise BadRow("HanWord is empty")
    if not ptype or ptype[0] not in READING_CLASSES:
        raise BadRow(f"Ptype {ptype!r} does not begin with one of {READING_CLASSES}")
    check_spell(han_spell)
    rhyme = row[RAVLEK_COLUMNS.index("PoemRhyme")]
    if rhyme and not any(rhyme.startswith(name) for name in rhyme_names):
        raise BadRow(f"PoemRhyme {rhyme!r} does not begin with a Pingshui rhyme name")


ENTRY_RHYME = re.compile(r"，(.)韻$")


def reading_coda(spell):
    """"ng", "n", "m" or "" for the coda of a numeric Tâi-lô reading (syllabic m, ng count)."""
    body = spell[:-1]
    if len(body) > 1 and body.endswith("h"):
        body = body[:-1]
    if body.endswith("nn"):
        return ""
    for ending, coda in (("ng", "ng"), ("k", "ng"), ("n", "n"), ("t", "n"), ("m", "m"),
                         ("p", "m")):
        if body.endswith(ending):
            return coda
    return ""


def read_merger(path):
    """The reviewed merger: 廣韻 rhyme heading (the rhyme's, and the other headings its entries
    keep, 另見韻目) -> Pingshui rhyme, and Pingshui rhyme -> coda."""
    groups, codas = {}, {}
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    header = lines[0].split("\t")
    for number, line in enumerate(lines[1:], start=2):
        if not line:
            continue
        row = dict(zip(header, line.split("\t")))
        others = row.get("另見韻目") or ""
        for heading in [row["韻目"]] + [h for h in others.split("、") if h]:
            if groups.setdefault(heading, row["平水韻"]) != row["平水韻"]:
                raise BadRow(f"{path}:{number}: {heading} merges into two Pingshui rhymes")
        if codas.setdefault(row["平水韻"], row["韻尾"]) != row["韻尾"]:
            raise BadRow(f"{path}:{number}: {row['平水韻']} has two codas")
    return groups, codas


class RhymeAgreement:
    """Checks that each row's rhyme agrees with its 廣韻 entry and its reading's coda, unless a
    reason is recorded, and counts them."""

    def __init__(self, groups, codas):
        self.groups, self.codas = groups, codas
        self.counts = {"entry": 0, "entry_agrees": 0, "entry_reason": 0, "literary": 0,
                       "coda_agrees": 0, "coda_reason": 0}

    def check(self, row):
        ptype, spell, rhyme = row[1], row[2] or "", row[RAVLEK_COLUMNS.index("PoemRhyme")] or ""
        desc = row[RAVLEK_COLUMNS.index("PtypeDesc")] or ""
        note = row[RAVLEK_COLUMNS.index("Phone_desc")] or ""
        found = ENTRY_RHYME.search(desc)
        if found and found.group(1) in self.groups:
            self.counts["entry"] += 1
            group = self.groups[found.group(1)]
            if group == rhyme:
                self.counts["entry_agrees"] += 1
            elif "韻目例外：" in note:
                self.counts["entry_reason"] += 1
            else:
                raise BadRow(f"PoemRhyme {rhyme!r} is not {group}, where {found.group(1)}韻 "
                             "merges, and no reason is recorded")
        if ptype[:1] in "通文" and rhyme and spell:
            self.counts["literary"] += 1
            if self.codas.get(rhyme) == reading_coda(spell):
                self.counts["coda_agrees"] += 1
            elif "韻尾例外：" in note:
                self.counts["coda_reason"] += 1
            else:
                raise BadRow(f"the coda of {spell} differs from {rhyme}'s and no reason is "
                             "recorded")

    def summary(self):
        c = self.counts
        return (f"rows with a 廣韻 entry: {c['entry']}, {c['entry_agrees']} under its rhyme, "
                f"{c['entry_reason']} otherwise with a reason; literary rows with a rhyme: "
                f"{c['literary']}, {c['coda_agrees']} of the reading's coda, {c['coda_reason']} "
                "otherwise with a reason")


def check_base_row(row, _rhyme_names):
    if not row[0]:
        raise BadRow("HanWord is empty")
    check_spell(row[1])


def read_table(path, columns, check_row, rhyme_names):
    with open(path, "rb") as f:
        raw = f.read()
    if raw.startswith(b"\xef\xbb\xbf"):
        raise BadRow(f"{path}: starts with a byte-order mark")
    if b"\r" in raw:
        raise BadRow(f"{path}: holds a carriage return (line ends must be LF)")
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as e:
        raise BadRow(f"{path}: not UTF-8 ({e})")
    lines = text.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    if not lines or lines[0].split("\t") != columns:
        raise BadRow(f"{path}:1: header must be {chr(9).join(columns)!r}")
    rows = []
    for number, line in enumerate(lines[1:], start=2):
        fields = line.split("\t")
        try:
            if len(fields) != len(columns):
                raise BadRow(f"{len(fields)} columns, expected {len(columns)}")
            row = [unescape(field) for field in fields]
            check_row(row, rhyme_names)
        except BadRow as e:
            raise BadRow(f"{path}:{number}: {e}")
        rows.append(row)
    return rows


def table_files(source, name):
    """The files of a table: NAME.tsv, then the NAME.*.tsv that hold rows under another licence
    (RavlekTable.koktai.tsv), in name order."""
    extra = sorted(f for f in os.listdir(source)
                   if f.startswith(name + ".") and f.endswith(".tsv") and f != name + ".tsv")
    return [os.path.join(source, name + ".tsv")] + [os.path.join(source, f) for f in extra]


INDEXED_COLUMNS = {"RavlekTable": ("HanWord", "HanSpell", "PoemRhyme"),
                   "BaseWords": ("HanWord",), "BaseWordsPlus": ("HanWord",)}


SHIPPED_NOTES_COLUMNS = ["HanWord", "Ptype", "HanSpell", "Phone_desc_sha1", "Desc_sha1"]


def note_hash(text):
    """The first 16 hex digits of the SHA-1 of a note's UTF-8 (null counts as empty), as the
    program's dictionary upgrade computes it."""
    return hashlib.sha1((text or "").encode("utf-8")).hexdigest()[:16]


def shipped_notes(tables):
    """RavlekShippedNotes: per reading (character, class, reading) the hashes of the notes as
    shipped, by which a dictionary upgrade tells a note the user changed from one they did not."""
    name, columns, rows = next(t for t in tables if t[0] == "RavlekTable")
    at = {column: columns.index(column) for column in columns}
    notes = [[row[at["HanWord"]], row[at["Ptype"]], row[at["HanSpell"]],
              note_hash(row[at["Phone_desc"]]), note_hash(row[at["Desc"]])] for row in rows]
    return ("RavlekShippedNotes", SHIPPED_NOTES_COLUMNS, notes)


def write_database(output, tables):
    folder = os.path.dirname(os.path.abspath(output))
    os.makedirs(folder, exist_ok=True)
    handle, temp_path = tempfile.mkstemp(prefix=".Ravlek-", suffix=".db.tmp", dir=folder)
    os.close(handle)
    try:
        db = sqlite3.connect(temp_path)
        with db:
            for name, columns, rows in tables:
                column_list = ", ".join(f"{column} TEXT" for column in columns)
                db.execute(f"CREATE TABLE {name} ({column_list})")
                marks = ", ".join("?" for _ in columns)
                db.executemany(f"INSERT INTO {name} VALUES ({marks})", rows)
                # What ravlek-cli lookup asks SQLite for: a character, a spelling or a rhyme
                # that begins with the text typed. The rows are always read in an explicit order.
                for column in INDEXED_COLUMNS.get(name, ()):
                    db.execute(f"CREATE INDEX {name}_{column} ON {name} ({column})")
        db.close()
        os.replace(temp_path, output)
    except BaseException:
        if os.path.exists(temp_path):
            os.remove(temp_path)
        raise


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--source", required=True, help="folder holding the three TSV files")
    parser.add_argument("--rhymes", required=True, help="rhymes.cpp with the 106 rhyme names")
    parser.add_argument("--output", required=True, help="database file to write")
    parser.add_argument("--merger", help="rhyme_merger.tsv: check each rhyme against it")
    args = parser.parse_args()
    try:
        rhyme_names = read_rhyme_names(args.rhymes)
        agreement = RhymeAgreement(*read_merger(args.merger)) if args.merger else None

        def check_ravlek(row, names):
            check_ravlek_row(row, names)
            if agreement:
                agreement.check(row)
        checks = {"RavlekTable": check_ravlek}
        tables = []
        for name, columns in TABLES:
            rows = []
            for path in table_files(args.source, name):
                rows += read_table(path, columns, checks.get(name, check_base_row), rhyme_names)
            tables.append((name, columns, rows))
    except (BadRow, OSError) as e:
        print(f"build_dictionary_db: {e}", file=sys.stderr)
        return 1
    if agreement:
        print(f"build_dictionary_db: {agreement.summary()}")
    tables.append(shipped_notes(tables))
    write_database(args.output, tables)
    return 0


if __name__ == "__main__":
    sys.exit(main())
