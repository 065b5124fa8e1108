"""Literary readings the sources lack, derived from the 廣韻 where the derivation is sure: a 廣韻
entry of a character that none of its rows reads, in a Pingshui rhyme the character is filed under,
that differs from the entry of one of its literary readings in tone only (same initial 母, rhyme
韻, division 等 and rounding 呼; neither entering). The reading is that reading with the tone the
entry's tone and voicing give (a reading whose coda is an exception to its rhyme's is no base) (平: voiceless 1, voiced 5; 上: 2, full-voiced 7; 去: voiceless 3,
voiced 7), taken only where every such reading gives the same one (教 kau3 古孝切 → kau1 古肴切)."""

import re

SOUND = ("母", "韻", "等", "呼")


def entry_tone(entry):
    voiced = entry["清濁"] in ("全濁", "次濁")
    if entry["聲"] == "平":
        return "5" if voiced else "1"
    if entry["聲"] == "上":
        return "7" if entry["清濁"] == "全濁" else "2"
    if entry["聲"] == "去":
        return "7" if voiced else "3"
    return None


def row_fanqie(row):
    found = re.match(r"廣韻 (\S+)切", row["PtypeDesc"])
    return found.group(1) if found else ""


def derived_readings(rows, guangyun, pingshui, merger, by_fanqie):
    """The derived readings (dicts as make_rows takes them, with key "derived": the note) of the
    book's rows `rows`, in the order of the characters' first rows."""
    literary = {}
    for row in rows:
        # A reading whose coda is not its rhyme's is no sure base for another tone.
        if row["Ptype"][:1] in "通文" and "韻尾例外" not in row["Phone_desc"]:
            literary.setdefault(row["HanWord"], []).append(row)
    out = []
    for han, own in literary.items():
        read = {row_fanqie(r) for r in own}
        spells = {r["HanSpell"] for r in own}
        groups = set(pingshui.get(han, []))
        done = set()
        for entry in guangyun.get(han, []):
            tone = entry_tone(entry)
            if tone is None or entry["反切"] in read or entry["反切"] in done:
                continue
            group = merger.get((entry["聲"], entry["韻"]), {}).get("group")
            if group not in groups:
                continue
            made = {}
            for row in own:
                base = by_fanqie.get(row_fanqie(row))
                spell = row["HanSpell"]
                if (base is None or base["聲"] in ("入", entry["聲"]) or not spell[-1].isdigit()
                        or any(base[k] != entry[k] for k in SOUND)):
                    continue
                made.setdefault(spell[:-1] + tone, []).append((spell, base["反切"]))
            if len(made) != 1:
                continue
            [(spell, sources)] = made.items()
            if spell in spells:
                continue
            done.add(entry["反切"])
            spells.add(spell)
            groups.discard(group)
            source_spell, source_fanqie = sources[0]
            out.append({"han": han, "spell": spell, "ptype": "文", "page": "",
                        "derived": f"反切合成的文讀 {spell}：廣韻 {entry['反切']}切（{entry['韻目']}韻"
                                   f"{entry['聲']}聲），與本字讀音 {source_spell}（廣韻 "
                                   f"{source_fanqie}切）聲母、韻母同，只改聲調；兩書皆未收此音。"})
        # A Pingshui rhyme of the character that none of its readings takes and the 廣韻 gives
        # it no entry of: the same, from the rhyme its literary reading's entry has in that tone.
        taken = {r["PoemRhyme"] for r in own}
        for group in sorted(groups - taken):
            made = {}
            for row in own:
                base = by_fanqie.get(row_fanqie(row))
                spell = row["HanSpell"]
                if base is None or base["聲"] == "入" or not spell[-1].isdigit():
                    continue
                for tone in ("平", "上", "去"):
                    if tone != base["聲"] and merger.get((tone, base["韻"]), {}).get("group") == group:
                        digit = entry_tone({"聲": tone, "清濁": base["清濁"]})
                        made.setdefault(spell[:-1] + digit, []).append((spell, base["反切"]))
            if len(made) != 1:
                continue
            [(spell, sources)] = made.items()
            if spell in spells or any(e["聲"] in ("平" if group[1] == "平" else "上去")
                                      and merger.get((e["聲"], e["韻"]), {}).get("group") == group
                                      for e in guangyun.get(han, [])):
                continue
            spells.add(spell)
            source_spell, source_fanqie = sources[0]
            out.append({"han": han, "spell": spell, "ptype": "文", "page": "",
                        "derived": f"反切合成的文讀 {spell}：平水韻{group}，與本字讀音 {source_spell}"
                                   f"（廣韻 {source_fanqie}切）聲母、韻母同，只改聲調；廣韻此字無此音，"
                                   f"兩書皆未收。"})
    return out
