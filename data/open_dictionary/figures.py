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


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", default=os.path.join(HERE, "..", "..", "..", "shared", "data"))
    parser.add_argument("--folder", default=HERE)
    parser.add_argument("--literary-readings", metavar="OUT.tsv",
                        help="also write the rows of both files with every literary or unlabelled "
                             "reading of 吳守禮's dictionary added (as 文), for fanqie-accuracy")
    args = parser.parse_args()

    rows = [row for name in ("RavlekTable.tsv", "RavlekTable.koktai.tsv")
            if os.path.exists(os.path.join(args.folder, name))
            for _, row in generator.read_tsv(os.path.join(args.folder, name))]
    merger = [row for _, row in generator.read_tsv(os.path.join(args.folder, "rhyme_merger.tsv"))]
    by_heading = {heading: row["平水韻"] for row in merger
                  for heading in [row["韻目"]] + [h for h in row["另見韻目"].split("、") if h]}
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

    if args.literary_readings:
        koktai = generator.read_koktai(os.path.join(args.data, "koktai",
                                                    "koktai_char_readings.tsv"))
        extra = [dict({c: "" for c in generator.RAVLEK_COLUMNS}, HanWord=ch, Ptype="文",
                      HanSpell=spell)
                 for ch, found in koktai.items() for (klass, spell) in found
                 if klass in ("文", "文白", "")]
        generator.write_tsv(args.literary_readings, generator.RAVLEK_COLUMNS, rows + extra)

    read = {r["HanWord"] for r in literary}
    for name, text in corpus_texts(args.data):
        han = [ch for ch in text if generator.is_han(ch)]
        unread = [ch for ch in han if ch not in read]
        print(f"{name}: {len(unread)} of {len(han)} characters unread by 通/文 "
              f"({100.0 * len(unread) / max(len(han), 1):.2f} %), {len(set(unread))} distinct")
    return 0


if __name__ == "__main__":
    sys.exit(main())
