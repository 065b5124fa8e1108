#!/usr/bin/env python3
"""Makes the evaluation set of readings the metre decides (verse_cases.tsv): in the regulated
poems of 唐詩三百首 (律詩, 絕句; ../shared/data/chinese-poetry), each character with a 平 and a 仄
reading (the 60 of COMMON, and any other with both) that stands where the poem's pattern needs one
tone: the even places of a line, from the places whose characters have one tone only (粘 and 對
carry them from line to line), and the rhyme places (平, the poem's rhyme group). The answer is the
character's literary reading of that tone (for a rhyme place, of that group); ANSWERS gives it
where the dictionary lacks it or has several. Every fourth case is held out of any tuning.

    python3 tools/reading-eval/make_verse_cases.py [--data ../shared/data]
"""

import argparse
import json
import os
import re

COMMON = ("看思教忘重過聽望論令勝禁騎為應興將分中長相難傳量治觀王衣冠間當燒供稱乘吹漫擔更聞行"
          "扇施任迎喪縫占要調彈華荷被從號爭探三先")
PER_CHARACTER = 3

# (character, tone) -> (reading, 廣韻 entry, sense), reviewed: readings the dictionary lacks (the
# fanqie's regular literary reading) and characters with several readings of one tone.
ANSWERS = {
    ("教", "平"): ("kau1", "古肴切", "使，令"),
    ("過", "平"): ("ko1", "古禾切", "經過"),
    ("忘", "仄"): ("bong7", "巫放切", "忘記"),
    ("騎", "仄"): ("khi7", "奇寄切", "騎兵、坐騎"),
    ("爭", "仄"): ("tsing3", "側迸切", "諫爭；怎"),
    ("燒", "仄"): ("siau3", "失照切", "野火"),
    ("扇", "平"): ("sian1", "式連切", "搧動"),
    ("漫", "平"): ("ban5", "謨官切", "漫漫，長遠"),
    ("間", "平"): ("kan1", "古閑切", "中間"),
    ("長", "平"): ("tiong5", "直良切", "長短"),
    ("相", "平"): ("siong1", "息良切", "互相"),
    ("相", "仄"): ("siong3", "息亮切", "輔相；相貌"),
    ("將", "平"): ("tsiong1", "即良切", "將要；扶持"),
    ("行", "仄"): ("hing7", "下更切", "品行"),
    ("華", "平"): ("hua5", "戶花切", "光華"),
    ("號", "平"): ("ho5", "胡刀切", "號呼"),
    ("治", "仄"): ("ti7", "直利切", "治理"),
    ("治", "平"): ("ti5", "直之切", "治理"),
    ("傳", "平"): ("thuan5", "直攣切", "傳遞"),
    ("量", "平"): ("liong5", "呂張切", "量度"),
    ("供", "平"): ("kiong1", "九容切", "供給"),
    ("任", "平"): ("jim5", "如林切", "擔負；任憑"),
    ("任", "仄"): ("jim7", "汝鴆切", "任用"),
    ("施", "平"): ("si1", "式支切", "施行"),
    ("施", "仄"): ("si3", "施智切", "施予"),
    ("彈", "平"): ("tan5", "徒干切", "彈奏"),
    ("強", "平"): ("kiong5", "巨良切", "強盛"),
    ("中", "平"): ("tiong1", "陟弓切", "中間"),
    ("當", "平"): ("tong1", "都郎切", "當值"),
}

PUNCTUATION = re.compile(r"[，。！？；、：]")


def read_tsv(path):
    with open(path, encoding="utf-8") as f:
        lines = f.read().rstrip("\n").split("\n")
    header = lines[0].split("\t")
    return [dict(zip(header, line.split("\t"))) for line in lines[1:]]


def tone_class(spell):
    return "平" if spell[-1] in "15" else "仄"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    repo = os.path.dirname(os.path.dirname(here))
    parser = argparse.ArgumentParser()
    parser.add_argument("--data", default=os.path.join(repo, "..", "shared", "data"))
    parser.add_argument("--dictionary", default=os.path.join(repo, "data", "open_dictionary"))
    parser.add_argument("--output", default=os.path.join(here, "verse_cases.tsv"))
    args = parser.parse_args()
    tones = {}
    groups = {}
    for row in read_tsv(os.path.join(args.data, "pingshui", "pingshui_chars.tsv")):
        tones.setdefault(row["char"], set()).add(row["pingze"])
        groups.setdefault(row["char"], set()).add(row["category_short"])
    readings = {}
    for name in ("RavlekTable.tsv", "RavlekTable.koktai.tsv"):
        for row in read_tsv(os.path.join(args.dictionary, name)):
            if row["Ptype"][:1] in "通文":
                readings.setdefault(row["HanWord"], []).append(row)
    with open(os.path.join(args.data, "chinese-poetry", "tangshisanbaishou.json"),
              encoding="utf-8") as f:
        book = json.load(f)
    lines_out = ["編號\t詩\t詩句\t位\t字\t讀音\t依據\t留存"]
    count = {}
    number = 0
    for part in book["content"]:
        if part["type"] not in ("五言絕句", "七言絕句", "五言律詩", "七言律詩"):
            continue
        for poem in part["content"]:
            lines = [s for p in poem["paragraphs"] for s in PUNCTUATION.split(p) if s]
            size = len(lines[0]) if lines else 0
            if size not in (5, 7) or len(lines) not in (4, 8) or any(len(s) != size
                                                                      for s in lines):
                continue
            # The tone of the second place of each line under the pattern: line 0's decides the
            # rest (對 within a couplet, 粘 to the next).
            def second_tone(first, i):
                flip = (i + 1) // 2 % 2 == 1
                return first if not flip else ("仄" if first == "平" else "平")
            votes = {"平": 0, "仄": 0}
            for i, line in enumerate(lines):
                for place in range(1, size, 2):
                    t = tones.get(line[place], set())
                    if len(t) != 1:
                        continue
                    [tone] = t
                    own = tone if (place // 2) % 2 == 0 else ("仄" if tone == "平" else "平")
                    first = own if second_tone("平", i) == "平" else ("仄" if own == "平" else "平")
                    votes[first] += 1
            if not votes["平"] and not votes["仄"] or min(votes.values()) > 0:
                continue  # no evidence, or places that break the pattern: not for this set
            first = "平" if votes["平"] else "仄"
            rhymes = [lines[i][-1] for i in range(1, len(lines), 2)]
            shared = set.intersection(*(groups.get(c, set()) for c in rhymes)) if rhymes else set()
            rhyme_group = next(iter(shared)) if len(shared) == 1 else ""
            title = f"{poem['author']}〈{poem['chapter']}〉"
            for i, line in enumerate(lines):
                places = list(range(1, size, 2))
                rhyming = i % 2 == 1 or (i == 0 and rhyme_group in groups.get(line[-1], set()))
                if rhyming:
                    places.append(size - 1)
                for place in places:
                    ch = line[place]
                    own = {tone_class(r["HanSpell"]) for r in readings.get(ch, [])}
                    if ch not in COMMON and own != {"平", "仄"}:
                        continue
                    if len(tones.get(ch, set())) != 2 or count.get(ch, 0) >= PER_CHARACTER:
                        continue
                    if (place == size - 2 and tones.get(line[place - 1]) == {"仄"}
                            and second_tone(first, i) == "平"):
                        continue  # 平平仄平仄 (特拗): the fourth place may be 平 here
                    if place == size - 1:
                        needed, why = "平", f"韻腳（{rhyme_group}）"
                    else:
                        s = second_tone(first, i)
                        needed = s if (place // 2) % 2 == 0 else ("仄" if s == "平" else "平")
                        why = f"第{i + 1}句第{place + 1}字須{needed}"
                    answer = ANSWERS.get((ch, needed))
                    fitting = [r for r in readings.get(ch, []) if tone_class(r["HanSpell"]) == needed
                               and (place != size - 1 or r["PoemRhyme"].replace("聲", "")
                                    == rhyme_group.replace("聲", ""))]
                    if answer:
                        spell, entry, sense = answer
                    elif len({r["HanSpell"] for r in fitting}) == 1:
                        spell = fitting[0]["HanSpell"]
                        found = re.match(r"廣韻 (\S+切)", fitting[0]["PtypeDesc"])
                        entry, sense = (found.group(1) if found else "平水韻"), ""
                    else:
                        continue
                    number += 1
                    count[ch] = count.get(ch, 0) + 1
                    held = "留存" if number % 4 == 0 else ""
                    reason = f"格律：{why}；廣韻 {entry}" + (f"，{sense}" if sense else "")
                    lines_out.append(f"v{number}\t{title}\t{'，'.join(lines)}\t"
                                     f"{i * size + place + 1}\t{ch}\t{spell}\t{reason}\t{held}")
    with open(args.output, "w", encoding="utf-8") as f:
        f.write("\n".join(lines_out) + "\n")
    print(f"{number} cases, {sum(1 for line in lines_out[1:] if line.endswith('留存'))} held out")


if __name__ == "__main__":
    main()
