#!/usr/bin/env python3
"""Explains why each row of a character got its rhyme and its 廣韻 entry.

    python3 data/open_dictionary/explain.py 平 [行 …] [--data ../shared/data]

For each reading of the character: the reading, the chosen 廣韻 entry and Pingshui rhyme, the
steps that chose them, and every 廣韻 entry of an agreeing tone in the order the choice ranks
them. It runs the same code as make_open_dictionary.py over the same sources.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_open_dictionary  # noqa: E402
from rhyme_choice import describe_score  # noqa: E402


class Quiet:
    def line(self, _text):
        pass


def main():
    characters, options = [], []
    argv = sys.argv[1:]
    while argv:
        item = argv.pop(0)
        if item.startswith("--"):
            options += [item] + ([argv.pop(0)] if argv and "=" not in item else [])
        else:
            characters.append(item)
    if not characters:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    args = make_open_dictionary.arguments(options)
    rows, _, _, merger, koktai_rows = make_open_dictionary.build(args, Quiet())
    rows = rows + koktai_rows
    wanted = "".join(characters)
    for ch in wanted:
        found = [row for row in rows if row["HanWord"] == ch]
        if not found:
            print(f"{ch}: no row")
            continue
        for row in found:
            print(f"{ch} {row['Ptype']} {row['HanSpell']}  →  {row['PoemRhyme'] or '（無韻）'}"
                  f"  {row['PtypeDesc'] or '（無廣韻條目）'}")
            for step in row["why"]:
                print(f"    {step}")
            for score, entry in row["candidates"]:
                key = (entry["聲"], entry["韻"])
                print(f"      {entry['反切']}切 {merger[key]['heading']}韻{entry['聲']}聲 "
                      f"{entry['清濁']} → {merger[key]['group']}：{describe_score(score)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
