#!/usr/bin/env python3
"""Measures "first reading right" on the evaluation sets: the reading the program writes above
each case's character in a handout (ravlek-cli romanize --html: the first reading of the first
class that has one, or the metre's), against the case's answer; the held-out quarter separately.

    python3 tools/reading-eval/measure.py --cli build/app/ravlek-cli --app-dir build/app
        [--phrases data/open_dictionary/classical_readings.tsv ...] [--list]

The handout's readings are the program's own choice: the metre's, and the phrases' of the phrase
files in the application folder. With --phrases, each prose line's readings are chosen again from
those phrase files, as the program's phrase choice does (the longest phrase that covers a character
and names a reading it has; ours before terra-pinyin's on equal length), on top of the handout's
readings: to try a phrase file before it ships.
"""

import argparse
import html
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
RUBY = re.compile(r'<span class="c">(?:<ruby title="([^"]*)">(.)<rt>([^<]*)</rt></ruby>|([^<]))'
                  r'</span>')


def read_tsv(path):
    with open(path, encoding="utf-8") as f:
        lines = f.read().rstrip("\n").split("\n")
    header = lines[0].split("\t")
    return [dict(zip(header, line.split("\t"))) for line in lines[1:] if line]


def handout_cells(cli, app_dir, blocks):
    """Per block of lines, its characters (as the handout writes them) with (groups, first
    reading): groups is [(class, [readings])] in the order shown."""
    with tempfile.NamedTemporaryFile("w", encoding="utf-8", suffix=".txt", delete=False) as f:
        f.write("\n\n".join(blocks) + "\n")
        path = f.name
    try:
        out = subprocess.run([cli, "--app-dir", app_dir, "romanize", "--html", "--numeric", path],
                             capture_output=True, text=True, check=True).stdout
    finally:
        os.unlink(path)
    cells = []
    for m in RUBY.finditer(out):
        if m.group(4) is not None:
            cells.append((html.unescape(m.group(4)), [], ""))
            continue
        groups = []
        for part in html.unescape(m.group(1)).split("; "):
            ptype, _, readings = part.partition(" ")
            groups.append((ptype, readings.split(", ")))
        cells.append((m.group(2), groups, m.group(3)))
    # Blank lines write no cells: walk the blocks' characters in step.
    result = []
    at = 0
    for block in blocks:
        chars = [c for c in block if c not in "\n "]
        result.append(cells[at:at + len(chars)])
        at += len(chars)
    if at != len(cells):
        raise SystemExit(f"the handout has {len(cells)} cells, the texts {at} characters")
    return result


class Phrases:
    def __init__(self, paths):
        self.table = {}  # phrase -> (readings per character, rank)
        for rank, path in enumerate(paths):
            for row in read_tsv(path):
                if "拼音" in row:
                    word = row["詞"]
                    readings = [("" if r == "-" else r) for r in row["讀音"].split(" ")]
                else:
                    pattern = row["詞"]
                    at = pattern.index("[")
                    word = pattern.replace("[", "").replace("]", "")
                    readings = [""] * len(word)
                    readings[at] = row["讀音"]
                kept = self.table.get(word)
                if kept:
                    kept[0][:] = [k or r for k, r in zip(kept[0], readings)]
                else:
                    self.table[word] = (readings, rank)
        self.longest = max((len(w) for w in self.table), default=0)

    def choose(self, text, has):
        best = [("", 0, 0)] * len(text)  # reading, length, rank
        for start in range(len(text)):
            for size in range(min(self.longest, len(text) - start), 1, -1):
                found = self.table.get(text[start:start + size])
                if not found:
                    continue
                readings, rank = found
                for i, reading in enumerate(readings):
                    at = start + i
                    _, length, kept_rank = best[at]
                    if not reading or size < length or (size == length and kept_rank <= rank):
                        continue
                    if has(at, reading):
                        best[at] = (reading, size, rank)
        return [b[0] for b in best]


def first_after_choice(groups, chosen):
    """The first reading shown once `chosen` leads its group."""
    if not groups:
        return ""
    first_group = groups[0][1]
    return chosen if chosen and chosen in first_group else first_group[0]


def measure(cases, cells_of, phrases):
    results = []
    for case, cells in zip(cases, cells_of):
        at = int(case["位"]) - 1
        if phrases is not None:
            text = "".join(c for c, _, _ in cells)
            chosen = phrases.choose(
                text, lambda i, r: any(r in readings for _, readings in cells[i][1]))
            first = first_after_choice(cells[at][1], chosen[at]) or cells[at][2]
        else:
            first = cells[at][2]
        if cells[at][0] != case["字"]:
            raise SystemExit(f"{case['編號']}: place {at + 1} holds {cells[at][0]}, not {case['字']}")
        results.append((case, first))
    return results


def report(name, results, listing):
    for part, keep in (("tuned", lambda c: not c["留存"]), ("held out", lambda c: c["留存"])):
        chosen = [(c, f) for c, f in results if keep(c)]
        right = sum(1 for c, f in chosen if f == c["讀音"])
        share = 100.0 * right / len(chosen) if chosen else 0.0
        print(f"{name} {part}: {right} of {len(chosen)} first readings right ({share:.1f} %)")
    right = sum(1 for c, f in results if f == c["讀音"])
    print(f"{name} all: {right} of {len(results)} ({100.0 * right / len(results):.1f} %)")
    if listing:
        for c, f in results:
            if f != c["讀音"]:
                print(f"  {c['編號']} {c['字']} {f or '-'} ≠ {c['讀音']}  {c['句'] if '句' in c else c['詩']}"
                      f"  （{c['依據']}）")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--app-dir", required=True)
    parser.add_argument("--phrases", nargs="*", default=None)
    parser.add_argument("--prose", default=os.path.join(HERE, "prose_cases.tsv"))
    parser.add_argument("--verse", default=os.path.join(HERE, "verse_cases.tsv"))
    parser.add_argument("--list", action="store_true", help="list the cases read wrong")
    args = parser.parse_args()
    prose = read_tsv(args.prose)
    phrases = Phrases(args.phrases) if args.phrases else None
    report("prose", measure(prose, handout_cells(args.cli, args.app_dir, [c["句"] for c in prose]),
                            phrases), args.list)
    verse = read_tsv(args.verse)
    # A poem is written one line per 句 so that the metre reads it.
    blocks = [c["詩句"].replace("，", "\n") for c in verse]
    report("verse", measure(verse, handout_cells(args.cli, args.app_dir, blocks), None),
           args.list)
    return 0


if __name__ == "__main__":
    sys.exit(main())
