"""The 廣韻 entry and the Pingshui rhyme of a reading, chosen by agreement with the reading.

The 206 rhymes of the 廣韻 merge into the 106 of the Pingshui list; the merger is derived from the
two tables (each 廣韻 rhyme goes to the Pingshui group that most of its characters are filed in)
and a few hand decisions (HAND_MERGER), and written to rhyme_merger.tsv for review.

For each reading, among the character's 廣韻 entries of the reading's tone category, the entry is
the one whose fanqie reads as the reading (the upper character's literary initial, the lower
character's literary final with the entry's coda), failing that the nearest: coda first, then
initial, then vowel. Where no entry agrees in tone, the rhyme is the character's Pingshui rhyme of
the reading's tone whose coda agrees with the reading's. Standard library only.
"""

from tailo import is_tailo_syllable, split_syllable

# The coda of a rhyme group (攝): -ng/-k, -n/-t, -m/-p, or none.
SHE_CODA = {"通": "ng", "江": "ng", "宕": "ng", "梗": "ng", "曾": "ng", "臻": "n", "山": "n",
            "深": "m", "咸": "m"}
CODA_NAMES = {"ng": "-ng/-k", "n": "-n/-t", "m": "-m/-p", "": "無鼻音、塞音韻尾"}
TONE_ORDER = "平上去入"

# Where the two tables do not decide a 廣韻 rhyme's Pingshui group by a clear majority (three in
# five of its characters, or no character at all), the group is decided here, with the reason.
MAJORITY = 0.6
HAND_MERGER = {
    ("平", "祭"): ("上平八齊", "祭韻平聲的字（栘等）併入齊韻，與祭韻去聲入八霽一致"),
    ("平", "佳"): ("上平九佳", "佳韻是九佳的韻目；入六麻、四支的是佳韻字另有的讀音"),
    ("上", "廢"): ("上聲十賄", "廢韻上聲只有幾個字，平水韻未收；廢韻去聲入十一隊，上聲隨之入十賄"),
    ("入", "嚴"): ("入聲十七洽", "業韻入十七洽（洽狎業乏），平水韻的定例；平水韻表收業韻字不多而分散"),
    ("入", "刪"): ("入聲八黠", "鎋韻入八黠（黠鎋），平水韻的定例"),
}
# The name a 廣韻 rhyme is given where its usual heading is shared with another rhyme of another
# Pingshui group (the source heads 釅 with 梵).
HEADING_OVERRIDE = {("去", "嚴"): "釅"}


def reading_coda(spell):
    """"ng", "n", "m" or "" for the coda of a numeric Tâi-lô reading; syllabic m and ng count as
    their nasal."""
    _, rime, _ = split_syllable(spell)
    rime = rime[:-1] if rime.endswith("h") and len(rime) > 1 else rime
    if rime.endswith("nn"):
        return ""
    for ending, coda in (("ng", "ng"), ("k", "ng"), ("n", "n"), ("t", "n"), ("m", "m"),
                         ("p", "m")):
        if rime.endswith(ending):
            return coda
    return ""


def derive_merger(guangyun_rows, pingshui, rhyme_tone):
    """(tone, rhyme) -> dict(heading, group, coda, votes, total, decided) for every 廣韻 rhyme
    that a majority of its characters or a hand decision files; one that no character of the
    Pingshui table decides is left out (its entries take no part)."""
    votes = {}
    headings = {}
    she = {}
    for row in guangyun_rows:
        key = (row["聲"], row["韻"])
        if not key[0]:
            continue
        headings.setdefault(key, {}).setdefault(row["韻目"], 0)
        headings[key][row["韻目"]] += 1
        she.setdefault(key, {}).setdefault(row["攝"], 0)
        she[key][row["攝"]] += 1
        tally = votes.setdefault(key, {})
        for group in pingshui.get(row["字頭"], []):
            if rhyme_tone(group) == key[0]:
                tally[group] = tally.get(group, 0) + 1
    merger = {}
    for key in sorted(votes, key=lambda k: (TONE_ORDER.index(k[0]), k[1])):
        tally = votes[key]
        total = sum(tally.values())
        best = max(sorted(tally), key=tally.get) if tally else ""
        share = tally.get(best, 0) / total if total else 0.0
        heading = HEADING_OVERRIDE.get(key) or max(sorted(headings[key]), key=headings[key].get)
        coda = SHE_CODA.get(max(sorted(she[key]), key=she[key].get), "")
        if key in HAND_MERGER:
            group, reason = HAND_MERGER[key]
            decided = f"hand: {reason}"
        elif share >= MAJORITY:
            group, decided = best, "derived"
        elif not total:
            continue  # no character to decide by: its entries take no part in the choice
        else:
            raise SystemExit(f"the 廣韻 rhyme {key[0]}{key[1]} ({heading}) has no clear Pingshui "
                             f"group ({best} {share:.2f}); decide it in HAND_MERGER")
        merger[key] = {"heading": heading, "group": group, "coda": coda,
                       "votes": tally.get(group, 0), "total": total, "decided": decided,
                       "headings": headings[key]}
    return with_own_headings(merger)


def with_own_headings(merger):
    """Each rhyme's entries that the source heads with another rhyme of the same tone and
    Pingshui group (the closed 桓 of 寒, 諄 of 真, 戈 of 歌: one rhyme of the merger, two of the
    廣韻) keep their own heading; a heading of another tone or group is a slip of the source, and
    the entry takes the rhyme's. "others" lists the headings kept besides the rhyme's own."""
    home = {}  # heading -> the rhyme most of its entries are filed under
    for key, item in merger.items():
        for name, count in item["headings"].items():
            if count > home.get(name, (None, 0))[1]:
                home[name] = (key, count)
    for key, item in merger.items():
        own = {}
        if key not in HEADING_OVERRIDE:
            for name in item["headings"]:
                other = home[name][0]
                if other[0] == key[0] and merger[other]["group"] == item["group"]:
                    own[name] = name
        item["own"] = own
        item["others"] = [name for name in sorted(own) if name != item["heading"]]
        del item["headings"]
    return merger


def group_codas(merger):
    """Pingshui group -> its coda, which every 廣韻 rhyme merged into it shares."""
    codas = {}
    for key, item in merger.items():
        if codas.setdefault(item["group"], item["coda"]) != item["coda"]:
            raise SystemExit(f"{item['group']} merges rhymes of different codas ({key})")
    return codas


# Initials that the literary layer lets stand for one another (aspiration of 全濁, nasal and oral
# partners, the sibilants of 全濁, labiodental h- and p-, the 知 group's t-/ts-, 日 j-/l-, the
# zero initial's j- and g-/h-).
RELATED_INITIALS = {frozenset(pair) for pair in [
    ("p", "ph"), ("t", "th"), ("k", "kh"), ("ts", "tsh"), ("b", "m"), ("l", "n"), ("g", "ng"),
    ("s", "ts"), ("s", "tsh"), ("h", "p"), ("h", "ph"), ("t", "ts"), ("th", "tsh"), ("j", "l"),
    ("", "j"), ("", "g"), ("", "h"), ("h", "k"), ("b", "h"),
]}
STOPS = {"ng": "k", "n": "t", "m": "p"}


def initial_distance(wanted, given):
    if wanted == given:
        return 0
    return 1 if frozenset((wanted, given)) in RELATED_INITIALS else 2


def with_coda(final, coda):
    """A lower character's final with the entry's coda in place of its own (忍 jim in a -n
    rhyme gives -in)."""
    for nasal, stop in (("ng", "k"), ("n", "t"), ("m", "p")):
        if final.endswith(nasal) and not final.endswith("nn") and not (
                nasal == "n" and final.endswith("ng")):
            return final[:-len(nasal)] + coda if coda else final
        if final.endswith(stop):
            return final[:-1] + STOPS[coda] if coda else final
    return final


def nucleus(final):
    """The vowel of a final without its medial and coda: "iong" -> "o", "uan" -> "a"."""
    core = final
    for ending in ("nnh", "nn", "ng", "n", "m", "p", "t", "k", "h"):
        if core.endswith(ending) and len(core) > len(ending):
            core = core[:-len(ending)]
            break
    if len(core) > 1 and core[0] in "iu":
        core = core[1:]
    return core


def final_distance(wanted, given, coda):
    aligned = with_coda(given, coda)
    if wanted == aligned:
        return 0
    return 1 if nucleus(wanted) == nucleus(aligned) else 2


class EntryChooser:
    """Chooses the 廣韻 entry and the Pingshui rhyme of readings; `literary` gives a character's
    literary readings (numeric Tâi-lô) for the fanqie's upper and lower characters."""

    def __init__(self, merger, literary, register):
        self.merger = merger
        self.literary = literary
        self.register = register

    def synthesis(self, entry, spell):
        """(initial distance, final distance) of the reading from what the entry's fanqie gives;
        None where a fanqie character has no literary reading."""
        if len(entry["反切"]) != 2:
            return None
        upper, lower = entry["反切"]
        uppers = [split_syllable(s) for s in self.literary(upper) if is_tailo_syllable(s)]
        lowers = [split_syllable(s) for s in self.literary(lower) if is_tailo_syllable(s)]
        if not uppers or not lowers:
            return None
        initial, final, _ = split_syllable(spell)
        coda = self.merger[(entry["聲"], entry["韻"])]["coda"]
        return (min(initial_distance(initial, u[0]) for u in uppers),
                min(final_distance(final, low[1], coda) for low in lowers))

    def score(self, entry, spell, digit, tones, index):
        coda = self.merger[(entry["聲"], entry["韻"])]["coda"]
        found = self.synthesis(entry, spell)
        initial_d, final_d = found if found is not None else (3, 3)
        reads = found is not None and initial_d <= 1 and final_d == 0
        register_agrees = entry["清濁"] in self.register[digit].get(entry["聲"], ())
        return (0 if reads else 1, 0 if coda == reading_coda(spell) else 1, initial_d, final_d,
                0 if register_agrees else 1, tones.index(entry["聲"]), index)

    def choose(self, entries, spell, tones):
        """(entry, score, scored) of the best entry of an agreeing tone, or (None, None, [])."""
        digit = spell[-1]
        scored = [(self.score(e, spell, digit, tones, i), e)
                  for i, e in enumerate(entries)
                  if e["聲"] in tones and (e["聲"], e["韻"]) in self.merger]
        if not scored:
            return None, None, []
        scored.sort(key=lambda pair: pair[0])
        return scored[0][1], scored[0][0], scored

    def group_of(self, entry):
        return self.merger[(entry["聲"], entry["韻"])]["group"]

    def heading_of(self, entry):
        """The entry's own rhyme heading (桓 for 都寒切's 寒 entry's partner 官 ...), or its
        rhyme's where the source's heading is a slip."""
        item = self.merger[(entry["聲"], entry["韻"])]
        return item["own"].get(entry["韻目"], item["heading"])


def describe_score(score):
    """Words for a score tuple of EntryChooser.score."""
    reads, coda, initial, final, register, _, _ = score
    words = ["反切合成讀作此音" if reads == 0 else "反切合成不合"]
    words.append("韻尾合" if coda == 0 else "韻尾不合")
    words.append({0: "聲母同", 1: "聲母相近", 2: "聲母不同", 3: "反切字無文讀"}[initial])
    words.append({0: "韻母同", 1: "主要元音同", 2: "元音不同", 3: ""}[final])
    words.append("清濁合聲調" if register == 0 else "清濁與聲調不合")
    return "，".join(w for w in words if w)
