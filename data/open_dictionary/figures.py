#!/usr/bin/env python3
"""The figures that say how far the open dictionary's readings and rhymes can be trusted.

    python3 data/open_dictionary/figures.py [--data ../shared/data] [--folder data/open_dictionary]

Reads RavlekTable.tsv and, where present, RavlekTable.koktai.tsv. Prints: the share of literary (通, 文) rows with a 廣韻 entry that carry the Pingshui rhyme its
rhyme merges into (rhyme_merger.tsv); the literary readings filed under a rhyme of another coda
although the character has one of the reading's coda (in the Pingshui table or among its 廣韻
entries of the reading's tone); and the characters that the default classes (通, 文) leave
unread in 唐詩三百首, 古文觀止 (with repeats) and all Tang poems. With --literary-readings it
also writes the readings that `fanqie-accuracy --dictionary` compares the fanqie synthesis with
when both sources count.
"""

import argparse
import json
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_open_dictionary as generator  # noqa: E402
from rhyme_choice import reading_coda  # noqa: E402


def corpus_texts(data):
    folder = os.path.join(data, "chinese-poetry")

    def paragraphs(node):
        if isinstance(node, dict):
            for key, value in node.items():
                if key == "paragraphs":
                    yield from value
                elif key != "abstract":
                    yield from paragraphs(value)
        elif isinstance(node, list):
            for item in node:
                yield from paragraphs(item)

    with open(os.path.join(folder, "tangshisanbaishou.json"), encoding="utf-8") as f:
        yield "唐詩三百首", "".join(paragraphs(json.load(f)))
    with open(os.path.join(folder, "guwenguanzhi.json"), encoding="utf-8") as f:
        yield "古文觀止", "".join(paragraphs(json.load(f)))
    with open(os.path.join(folder, "quantangshi_tang.jsonl"), encoding="utf-8") as f:
        yield "全唐詩", "".join("".join(json.loads(line)["paragraphs"]) for line in f)


def compare(old_folder, folder):
    """What changed between two versions of the files, per file and in all."""
    def load(base, name):
        path = os.path.join(base, name)
        rows = [row for _, row in generator.read_tsv(path)] if os.path.exists(path) else []
        return {(r["HanWord"], r["HanSpell"]): r for r in rows}

    both_old, both_new = {}, {}
    for name in ("RavlekTable.tsv", "RavlekTable.koktai.tsv"):
        old, new = load(old_folder, name), load(folder, name)
        both_old.update(old)
        both_new.update(new)
        print(f"{name}: {len(old)} -> {len(new)} (character, reading) rows; "
              f"{len(set(new) - set(old))} gained, {len(set(old) - set(new))} removed")
    kept = set(both_old) & set(both_new)
    gained = set(both_new) - set(both_old)
    print(f"both files: {len(gained)} rows gained, {len(set(both_old) - set(both_new))} removed; "
          f"rhymes added to kept rows: {sum(1 for k in kept if not both_old[k]['PoemRhyme'] and both_new[k]['PoemRhyme'])}, "
          f"removed: {sum(1 for k in kept if both_old[k]['PoemRhyme'] and not both_new[k]['PoemRhyme'])}, "
          f"changed: {sum(1 for k in kept if both_old[k]['PoemRhyme'] and both_new[k]['PoemRhyme'] and both_old[k]['PoemRhyme'] != both_new[k]['PoemRhyme'])}")
    ik = [k for k in gained if k[1][-3:-1] == "ik"]
    print(f"-ik rows gained: {len(ik)}")
    relabelled = {k[0] for k in kept if both_old[k]["Ptype"] == "通" and both_new[k]["Ptype"] == "文"}
    colloquial = [k for k in gained if both_new[k]["Ptype"] == "白"]
    print(f"通 relabelled 文: {len(relabelled)} characters; colloquial (白) rows gained: "
          f"{len(colloquial)}, {sum(1 for k in colloquial if k[0] in relabelled)} of them of a "
          "relabelled character")
    desc = sum(1 for k in kept if both_old[k]["PtypeDesc"] != both_new[k]["PtypeDesc"])
    print(f"PtypeDesc changed: {desc} rows")
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", default=os.path.join(HERE, "..", "..", "..", "shared", "data"))
    parser.add_argument("--folder", default=HERE)
    parser.add_argument("--literary-readings", metavar="OUT.tsv",
                        help="also write the rows of both files with every literary or unlabelled "
                             "reading of 吳守禮's dictionary added (as 文), for fanqie-accuracy")
    parser.add_argument("--compare", metavar="OLD_FOLDER",
                        help="only print what changed since the files in OLD_FOLDER (rows gained "
                             "and removed, rhymes added, 通 relabelled, colloquial rows gained)")
    args = parser.parse_args()
    if args.compare:
        return compare(args.compare, args.folder)

    rows = [row for name in ("RavlekTable.tsv", "RavlekTable.koktai.tsv")
            if os.path.exists(os.path.join(args.folder, name))
            for _, row in generator.read_tsv(os.path.join(args.folder, name))]
    merger = [row for _, row in generator.read_tsv(os.path.join(args.folder, "rhyme_merger.tsv"))]
    by_heading = {heading: row["平水韻"] for row in merger
                  for heading in [row["韻目"]] + [h for h in row.get("另見韻目", "").split("、") if h]}
    by_rhyme = {(row["聲"], row["韻"]): row["平水韻"] for row in merger}
    codas = {row["平水韻"]: row["韻尾"] for row in merger}
    names = generator.read_rhyme_names(os.path.join(HERE, "..", "..", "src", "dictionary",
                                                    "rhymes.cpp"))
    pingshui = generator.read_pingshui(
        os.path.join(args.data, "pingshui", "pingshui_chars.tsv"), names)
    guangyun, _, _ = generator.read_guangyun(os.path.join(args.data, "guangyun", "guangyun.tsv"))

    literary = [r for r in rows if r["Ptype"][:1] in "通文"]
    with_entry = [r for r in literary if re.search(r"，(.)韻$", r["PtypeDesc"])]
    agreeing = [r for r in with_entry
                if by_heading.get(r["PtypeDesc"][-2]) == r["PoemRhyme"]]
    print(f"literary rows with a 廣韻 entry under the entry's Pingshui rhyme: {len(agreeing)} of "
          f"{len(with_entry)} ({100.0 * len(agreeing) / max(len(with_entry), 1):.2f} %)")

    other_coda = []
    for r in literary:
        coda = reading_coda(r["HanSpell"])
        if not r["PoemRhyme"] or codas.get(r["PoemRhyme"]) == coda:
            continue
        tones = generator.TONE_AGREEMENT[r["HanSpell"][-1]]
        have = {g for g in pingshui.get(r["HanWord"], []) if generator.rhyme_tone(g) in tones}
        have |= {by_rhyme[(e["聲"], e["韻"])] for e in guangyun.get(r["HanWord"], [])
                 if e["聲"] in tones and (e["聲"], e["韻"]) in by_rhyme}
        if any(codas.get(g) == coda for g in have):
            other_coda.append(f"{r['HanWord']} {r['HanSpell']} {r['PoemRhyme']}")
    print(f"literary readings under a rhyme of another coda where the character has one of the "
          f"reading's coda: {len(other_coda)}"
          + (f" ({', '.join(other_coda)})" if other_coda else ""))

    unrhymed = [r for r in literary if r["HanWord"] in pingshui and not r["PoemRhyme"]]
    same_class = [r for r in unrhymed if any(
        (generator.rhyme_tone(g) == "平") == (r["HanSpell"][-1] in "15")
        and (generator.rhyme_tone(g) == "入") == (r["HanSpell"][-1] in "48")
        for g in pingshui[r["HanWord"]])]
    print(f"literary rows of characters in the Pingshui table without a rhyme: {len(unrhymed)}, "
          f"{len(same_class)} of them with a rhyme of the reading's 平/仄 class there"
          + (f" ({', '.join(r['HanWord'] + ' ' + r['HanSpell'] for r in same_class)})"
             if same_class else ""))

    def level(tone):
        return "平" if tone == "平" else "仄"
    unsupported = []
    for r in literary:
        own = {level(generator.rhyme_tone(g)) for g in pingshui.get(r["HanWord"], [])}
        own |= {level(e["聲"]) for e in guangyun.get(r["HanWord"], [])}
        if r["PoemRhyme"] and own and ("平" if r["HanSpell"][-1] in "15" else "仄") not in own:
            unsupported.append(f"{r['HanWord']} {r['HanSpell']}")
    print(f"literary rows with a rhyme whose 平/仄 class neither the character's own 廣韻 entries "
          f"nor its Pingshui rhymes have: {len(unsupported)} ({', '.join(unsupported)})")

    if args.literary_readings:
        koktai = generator.read_koktai(os.path.join(args.data, "koktai",
                                                    "koktai_char_readings.tsv"))
        extra = [dict({c: "" for c in generator.RAVLEK_COLUMNS}, HanWord=ch, Ptype="文",
                      HanSpell=spell)
                 for ch, found in koktai.items() for (klass, spell) in found
                 if klass in ("文", "文白", "")]
        generator.write_tsv(args.literary_readings, generator.RAVLEK_COLUMNS, rows + extra)

    read = {r["HanWord"] for r in literary}
    rhymed = {r["HanWord"] for r in literary if r["PoemRhyme"]}
    for name, text in corpus_texts(args.data):
        if name == "全唐詩":
            counts = {}
            for ch in text:
                if generator.is_han(ch):
                    counts[ch] = counts.get(ch, 0) + 1
            common = sorted(counts, key=lambda c: (-counts[c], c))[:3000]
            unrhymed = [c for c in common if c in read and c not in rhymed]
            print(f"the 3,000 commonest characters of 全唐詩: {len(unrhymed)} have literary "
                  f"readings but no rhyme ({''.join(unrhymed)}), "
                  f"{sum(1 for c in common if c not in read)} no literary reading")
        han = [ch for ch in text if generator.is_han(ch)]
        unread = [ch for ch in han if ch not in read]
        print(f"{name}: {len(unread)} of {len(han)} characters unread by 通/文 "
              f"({100.0 * len(unread) / max(len(han), 1):.2f} %), {len(set(unread))} distinct")
    return 0


if __name__ == "__main__":
    sys.exit(main())
