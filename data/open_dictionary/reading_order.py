"""Readings in the order of their use: terra-pinyin's per-reading weights (Debian's
rime-data-terra-pinyin, LGPL-3) name, through the regular Mandarin reflex of each 廣韻 entry,
which entry a Mandarin reading belongs to; a character's rows of one class are put in the order of
the summed weights of their entries (the book's order where the weights do not decide). Also maps
terra-pinyin's phrases to Taiwanese readings the same way."""

import os
import re

from tailo import split_syllable

TERRA = "/usr/share/rime-data/terra_pinyin.dict.yaml"

PINYIN_INITIALS = ("zh", "ch", "sh", "b", "p", "m", "f", "d", "t", "n", "l", "g", "k", "h", "j",
                   "q", "x", "r", "z", "c", "s", "y", "w")

# 廣韻 initial (母) -> the Mandarin initials it regularly gives ("" the zero initial, y/w).
INITIALS = {}
for names, initials in (("幫滂並", "b p"), ("明", "m"), ("非敷奉", "f"), ("微", "w _"),
                        ("端透定", "d t"), ("泥娘", "n"), ("來", "l"),
                        ("精清從心邪", "z c s j q x"), ("知徹澄", "zh ch"),
                        ("莊初崇生俟", "zh ch sh z c s"), ("章昌船書常", "zh ch sh"), ("日", "r _"),
                        ("見溪群", "g k j q"), ("曉匣", "h x _"), ("影云以", "_"), ("疑", "_ n")):
    for name in names:
        INITIALS[name] = {"" if i == "_" else i for i in initials.split()}

# 攝 -> the endings of the Mandarin finals its rhymes regularly give (舒聲, then 入聲).
FINALS = {
    "通": ("ong", "eng"), "江": ("ang",), "宕": ("ang",), "曾": ("eng", "ing", "ong"),
    "梗": ("eng", "ing", "ong"), "臻": ("en", "in", "un"), "深": ("en", "in"), "山": ("an",),
    "咸": ("an",), "果": ("o", "e", "a"), "假": ("a", "e"), "遇": ("u", "ü"),
    "蟹": ("ai", "ei", "i", "a", "e"), "止": ("i", "er"), "效": ("ao",), "流": ("ou", "iu", "u"),
}
ENTERING_FINALS = {
    "通": ("u", "ü", "ou", "iu"), "江": ("o", "e", "üe", "ue", "ao"),
    "宕": ("o", "e", "üe", "ue", "ao"), "曾": ("e", "o", "i", "ai", "ei", "u", "ü"),
    "梗": ("e", "o", "i", "ai", "ei", "u", "ü"), "臻": ("i", "u", "ü", "e"),
    "深": ("i", "e", "a", "u"), "山": ("a", "e", "o", "ie", "üe", "ue"),
    "咸": ("a", "e", "ie"),
}

def split_pinyin(syllable):
    """'zhong4' -> ('zh', 'ong', 4); y/w count as the zero initial (their vowel kept)."""
    tone = int(syllable[-1]) if syllable[-1].isdigit() else 5
    body = syllable.rstrip("012345").replace("v", "ü")
    initial = next((i for i in PINYIN_INITIALS if body.startswith(i)), "")
    final = body[len(initial):]
    if initial in ("y", "w"):
        final = body
        initial = ""
    return initial, final, tone


def reflex_tone(entry):
    """The Mandarin tones the entry's tone and voicing regularly give."""
    voiced = entry["清濁"] in ("全濁", "次濁")
    tone = entry["聲"]
    if tone == "平":
        return {2} if voiced else {1}
    if tone == "上":
        return {4} if entry["清濁"] == "全濁" else {3}
    if tone == "去":
        return {4}
    if entry["清濁"] == "全濁":
        return {2}
    if entry["清濁"] == "次濁":
        return {4}
    return {1, 2, 3, 4}


def final_fits(entry, final):
    table = ENTERING_FINALS if entry["聲"] == "入" else FINALS
    endings = table.get(entry["攝"])
    if endings is None:
        return True
    if not final.endswith(("n", "ng")) and any(e.endswith("n") or e.endswith("ng")
                                                  for e in endings):
        return False
    return final.endswith(endings) and not (final.endswith("ng") and "ng" not in
                                             "".join(e for e in endings if e.endswith("ng")))


def matching_entry(syllable, entries, preferred=()):
    """The one entry (one sound: entries of the same initial, rhyme, division and tone count as one,
    the fanqie in `preferred` first) whose regular reflex is this Mandarin syllable, else None.
    Initial, tone and final must fit; failing any entry that fits all three, one that fits tone and
    final. Where several sounds fit, the one among `preferred` if only one is."""
    initial, final, tone = split_pinyin(syllable)
    shape = [e for e in entries if final_fits(e, final) and tone in reflex_tone(e)]
    full = [e for e in shape if initial in INITIALS.get(e["母"], set())]
    for found in (full, shape):
        sounds = {e["音韻描述"] for e in found}
        if len(sounds) > 1:
            # Several sounds fit: one that the character's rows carry decides, if only one does.
            found = [e for e in found if e["反切"] in preferred]
            sounds = {e["音韻描述"] for e in found}
            if len(sounds) != 1:
                return None
        if sounds:
            return next((e for e in found if e["反切"] in preferred), found[0])
    return None


def read_terra(path):
    """(character -> [(syllable, weight %)] for characters with several weighted readings,
    [(phrase, syllables)] of the phrases)."""
    singles = {}
    phrases = []
    with open(path, encoding="utf-8") as f:
        body = f.read().split("\n...\n", 1)[1]
    for line in body.split("\n"):
        fields = line.split("\t")
        if len(fields) < 2 or line.startswith("#"):
            continue
        word, code = fields[0], fields[1]
        if len(word) == 1:
            weight = fields[2] if len(fields) > 2 else ""
            if weight.endswith("%"):
                singles.setdefault(word, []).append((code, float(weight[:-1])))
        elif len(code.split()) == len(word):
            phrases.append((word, code.split()))
    return {ch: found for ch, found in singles.items() if len(found) > 1}, phrases


def row_fanqie(row):
    found = re.match(r"廣韻 (\S+)切", row["PtypeDesc"])
    return found.group(1) if found else ""


def character_entries(han, rows_of, guangyun, by_fanqie):
    entries = list(guangyun.get(han, []))
    known = {e["反切"] for e in entries}
    for row in rows_of:
        fanqie = row_fanqie(row)
        if fanqie and fanqie not in known and fanqie in by_fanqie:
            entries.append(by_fanqie[fanqie])
            known.add(fanqie)
    return entries


class UseOrder:
    def __init__(self, terra_path, guangyun, guangyun_rows):
        self.singles, self.phrases = read_terra(terra_path)
        self.guangyun = guangyun
        self.by_fanqie = {}
        for row in guangyun_rows:
            self.by_fanqie.setdefault(row["反切"], row)

    def entry_of(self, han, syllable, rows_of):
        entry = matching_entry(syllable, character_entries(han, rows_of, self.guangyun,
                                                            self.by_fanqie),
                               {row_fanqie(r) for r in rows_of})
        return entry["反切"] if entry else ""


def order_by_use(tables, use):
    """Reorders, in place, each character's rows of one class among the places they hold in each
    table, by the summed terra-pinyin weight of their 廣韻 entry (stable: the book's order where the
    weights are equal, except that of rows of one entry the one read with the fanqie's initial
    comes first). Returns the notes of the reordered characters."""
    all_rows = {}
    first_literary = {}
    for table in tables:
        for row in table:
            all_rows.setdefault(row["HanWord"], []).append(row)
            if row["Ptype"][:1] in "通文":
                first_literary.setdefault(row["HanWord"], row["HanSpell"])

    def fanqie_initial_differs(row):
        # Of rows of one entry, the one whose initial is the upper fanqie character's comes first.
        upper = first_literary.get(row_fanqie(row)[:1])
        return bool(upper) and split_syllable(upper)[0] != split_syllable(row["HanSpell"])[0]
    notes = []
    for han, readings in sorted(use.singles.items()):
        rows_of = all_rows.get(han)
        if not rows_of:
            continue
        weights = {}
        evidence = []
        for syllable, weight in readings:
            fanqie = use.entry_of(han, syllable, rows_of)
            evidence.append(f"{syllable} {weight:g}% → {fanqie + '切' if fanqie else '？'}")
            if fanqie:
                weights[fanqie] = weights.get(fanqie, 0.0) + weight
        if len(set(weights.values())) < 2 and len(weights) < 2:
            continue
        for table in tables:
            places = {}
            for i, row in enumerate(table):
                if row["HanWord"] == han:
                    places.setdefault(row["Ptype"][:1], []).append(i)
            for ptype, where in places.items():
                group = [table[i] for i in where]
                ordered = sorted(group, key=lambda r: (-weights.get(row_fanqie(r), -1.0),
                                                       fanqie_initial_differs(r)))
                if ordered == group:
                    continue
                for i, row in zip(where, ordered):
                    table[i] = row
                notes.append({"HanWord": han, "Ptype": ptype,
                              "書序": " ".join(r["HanSpell"] for r in group),
                              "用法次序": " ".join(r["HanSpell"] for r in ordered),
                              "依據": "；".join(evidence)})
    return notes


def phrase_readings(tables, use):
    """terra-pinyin's phrases mapped to Taiwanese readings: for each character of a phrase that
    has literary readings of more than one 廣韻 entry, the first 通 or 文 reading of the entry its
    Mandarin reading names ("-" where none is sure). Only phrases where some character is named;
    a phrase given with several readings, once, with its readings joined by "/"."""
    rows_by_han = {}
    for table in tables:
        for row in table:
            if row["Ptype"][:1] in "通文":
                rows_by_han.setdefault(row["HanWord"], []).append(row)
    ambiguous = {han for han, rows in rows_by_han.items()
                 if len({row_fanqie(r) for r in rows}) > 1}
    cache = {}
    out = []
    for word, syllables in use.phrases:
        if not any(ch in ambiguous for ch in word):
            continue
        readings = []
        for ch, syllable in zip(word, syllables):
            if ch not in ambiguous:
                readings.append("-")
                continue
            key = (ch, syllable)
            if key not in cache:
                fanqie = use.entry_of(ch, syllable, rows_by_han[ch])
                cache[key] = next((r["HanSpell"] for r in rows_by_han[ch]
                                   if fanqie and row_fanqie(r) == fanqie), "-")
            readings.append(cache[key])
        if any(r != "-" for r in readings):
            out.append({"詞": word, "拼音": " ".join(syllables), "讀音": readings})
    # A phrase terra-pinyin gives several readings (好色 hao3 se4, hao4 se4) names a character's
    # reading only where they agree.
    merged = {}
    for row in out:
        kept = merged.get(row["詞"])
        if kept is None:
            merged[row["詞"]] = row
            continue
        kept["拼音"] += "/" + row["拼音"]
        kept["讀音"] = [a if a == b else "-" for a, b in zip(kept["讀音"], row["讀音"])]
    return [dict(row, 讀音=" ".join(row["讀音"])) for row in merged.values()
            if any(r != "-" for r in row["讀音"])]


NOTE_COLUMNS = ["HanWord", "Ptype", "書序", "用法次序", "依據"]
PHRASE_COLUMNS = ["詞", "拼音", "讀音"]


def terra_path(data_path):
    return data_path if data_path else TERRA


def available(path):
    return os.path.exists(path)
