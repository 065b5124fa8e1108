#!/usr/bin/env python3
"""Makes the evaluation set of readings chosen by meaning (prose_cases.tsv): for each reviewed
pattern below (a phrase with the character in brackets, its reading, the 廣韻 entry and the sense)
the clauses of 孟子, 大學, 中庸 and 古文觀止 (../shared/data/chinese-poetry) that hold it, at most
PER_PATTERN of each. Every fourth pattern is held out: no phrase file of ours may take its words.

    python3 tools/reading-eval/make_cases.py [--data ../shared/data]
"""

import argparse
import json
import os
import re

PER_PATTERN = 5

# (pattern with the character in brackets, reading, 廣韻 entry, sense[, words of clauses where
# the pattern means otherwise]). Reviewed one by one, with every clause found.
PATTERNS = [
    ("莫[見]乎隱", "hian7", "胡甸切", "顯現"),
    ("[見]於面", "hian7", "胡甸切", "顯現於外"),
    ("[王]天下", "ong7", "于放切", "稱王，動詞"),
    ("不[王]者", "ong7", "于放切", "稱王，動詞"),
    ("[衣]帛", "i3", "於既切", "穿衣，動詞"),
    ("[衣]錦", "i3", "於既切", "穿衣，動詞"),
    ("簞[食]", "su7", "羊吏切", "飯食，名詞（音嗣）"),
    ("禮[樂]", "gak8", "五角切", "音樂"),
    ("鼓[樂]", "gak8", "五角切", "音樂"),
    ("今之[樂]", "gak8", "五角切", "音樂"),
    ("先王之[樂]", "gak8", "五角切", "音樂"),
    ("[好]色", "honn3", "呼到切", "愛好，動詞"),
    ("[好]勇", "honn3", "呼到切", "愛好，動詞"),
    ("[好]貨", "honn3", "呼到切", "愛好，動詞"),
    ("[好]樂", "honn3", "呼到切", "愛好，動詞"),
    ("[好]善", "honn3", "呼到切", "愛好，動詞"),
    ("[好]學", "honn3", "呼到切", "愛好，動詞"),
    ("[好]問", "honn3", "呼到切", "愛好，動詞"),
    ("[好]辯", "honn3", "呼到切", "愛好，動詞"),
    ("如[惡]惡臭", "onn3", "烏路切", "厭惡，動詞"),
    ("[好]惡", "honn3", "呼到切", "好惡：愛好"),
    ("好[惡]", "onn3", "烏路切", "好惡：厭惡"),
    ("羞[惡]", "onn3", "烏路切", "羞惡：厭惡"),
    ("所[惡]", "onn3", "烏路切", "所厭惡"),
    ("[長]者", "tiong2", "知丈切", "年長，長輩"),
    ("[長]幼", "tiong2", "知丈切", "年長"),
    ("[朝]廷", "tiau5", "直遙切", "朝廷"),
    ("立於[朝]", "tiau5", "直遙切", "朝廷"),
    ("[朝]夕", "tiau1", "陟遙切", "早晨"),
    ("皆[中]節", "tiong3", "陟仲切", "合於，動詞"),
    ("雖不[中]", "tiong3", "陟仲切", "射中、合於"),
    ("宰[相]", "siong3", "息亮切", "輔相之官"),
    ("卿[相]", "siong3", "息亮切", "輔相之官"),
    ("丞[相]", "siong3", "息亮切", "輔相之官"),
    ("[從]容", "tshiong1", "七恭切", "從容：舒緩"),
    ("[數]罟", "tshiok4", "所角切", "細密（音促）"),
    ("[舍]生", "sia2", "書冶切", "捨棄"),
    ("[舍]己", "sia2", "書冶切", "捨棄"),
    ("於[傳]", "tuan7", "直戀切", "經傳、傳記，名詞"),
    ("[傳]曰", "tuan7", "直戀切", "經傳、傳記，名詞"),
    ("[間]於", "kan3", "古莧切", "夾處其間"),
    ("離[間]", "kan3", "古莧切", "離間"),
    ("德[行]", "hing7", "下更切", "品行，名詞", ("德行仁",)),
    ("[將]軍", "tsiong3", "子亮切", "將帥，名詞"),
    ("良[將]", "tsiong3", "子亮切", "將帥，名詞"),
    ("萬[乘]", "sing7", "實證切", "兵車，名詞"),
    ("千[乘]", "sing7", "實證切", "兵車，名詞"),
    ("百[乘]", "sing7", "實證切", "兵車，名詞"),
    ("[使]者", "su3", "疎吏切", "奉使之人"),
    ("[雨]我", "u3", "王遇切", "降雨，動詞"),
    ("[雨]雪", "u3", "王遇切", "降雪，動詞", ("雨雪之",)),
    ("[妻]之以", "tshe3", "七計切", "以女嫁人"),
    ("[冠]者", "kuan3", "古玩切", "加冠，成年"),
    ("弱[冠]", "kuan3", "古玩切", "加冠，成年"),
    ("衣[冠]", "kuan1", "古丸切", "冠冕，名詞", ("衣冠而",)),
    ("[比]其", "pi7", "毗至切", "及，等到"),
    ("[比]及", "pi7", "毗至切", "及，等到"),
    ("商[賈]", "koo2", "公戶切", "坐賈，商人"),
    ("[幾]希", "ki1", "居依切", "微少"),
    ("[少]長", "siau3", "失照切", "年少", ("太子少長",)),
    ("少[長]", "tiong2", "知丈切", "年長", ("太子少長",)),
    ("[少]壯", "siau3", "失照切", "年少"),
    ("忖[度]", "tok8", "徒落切", "揣度"),
    ("[量]力", "liong5", "呂張切", "估量，動詞"),
    ("患[難]", "lan7", "奴案切", "災難，名詞"),
    ("不可[勝]", "sing1", "識蒸切", "盡，堪"),
    ("令[聞]", "bun7", "亡運切", "名聲"),
    ("聲[聞]過", "bun7", "亡運切", "名聲"),
    ("之[喪]", "song1", "息郎切", "喪禮"),
    ("[喪]祭", "song1", "息郎切", "喪禮"),
    ("[知]者過之", "ti3", "知義切", "智慧（同智）"),
    ("近乎[知]", "ti3", "知義切", "智慧（同智）"),
    ("勉[強]", "kiong2", "其兩切", "勉強"),
    ("[強]而行之", "kiong2", "其兩切", "勉強"),
    ("也[與]", "u5", "以諸切", "句末語氣詞（同歟）", ("也與子",)),
    ("[曾]子", "tsing1", "作滕切", "姓"),
    ("[曾]西", "tsing1", "作滕切", "姓"),
    ("[曾]是", "tsing1", "作滕切", "乃，竟"),
    ("[曾]不", "tsing1", "作滕切", "乃，竟"),
    ("[齊]明", "tsai1", "側皆切", "齋戒（同齋）", ("齊明、",)),
    ("[畜]妻子", "hiok4", "許竹切", "養，動詞"),
    ("[畜]君", "hiok4", "許竹切", "養，愛，動詞"),
    ("[為]長者", "ui7", "于僞切", "替，介詞"),
    ("[應]之", "ing3", "於證切", "回應，動詞"),
    ("[要]君", "iau1", "於霄切", "要挾，動詞"),
    ("[號]泣", "ho5", "胡刀切", "號哭，動詞"),
    ("矣[夫]", "hu5", "防無切", "句末語氣詞"),
    ("也[夫]", "hu5", "防無切", "句末語氣詞"),
    ("遊[說]", "sue3", "舒芮切", "遊說，說服"),
    ("[說]大人", "sue3", "舒芮切", "遊說，說服"),
    ("[樂]正", "gak8", "五角切", "姓（樂正子）"),
    ("[樂]師", "gak8", "五角切", "樂官"),
    ("可以[王]", "ong7", "于放切", "稱王，動詞"),
    ("車[騎]", "khi7", "奇寄切", "騎兵，名詞"),
    ("[處]士", "tshu2", "昌與切", "居，未仕"),
    ("民[鮮]", "sian2", "息淺切", "少"),
    ("[好]之者", "honn3", "呼到切", "愛好，動詞"),
    ("[少]者", "siau3", "失照切", "年少", ("多者", "子孫少者")),
    ("[樂]歲", "lok8", "盧各切", "豐樂"),
    ("同[樂]", "lok8", "盧各切", "喜樂"),
    ("[惡]乎", "oo1", "哀都切", "何，疑問詞"),
    ("[相]之", "siong3", "息亮切", "輔佐，動詞"),
    ("[數]見", "sok4", "所角切", "屢次"),
    ("[語]之", "gu7", "牛倨切", "告訴，動詞"),
    ("[先]之", "sian3", "蘇佃切", "在前引導，動詞"),
    ("[重]譯", "tiong5", "直容切", "重複，層疊"),
    ("[任]重", "jim5", "如林切", "擔負，動詞"),
]

CLAUSE = re.compile(r"[^。！？；：「」『』《》\n]+")


def texts(data):
    folder = os.path.join(data, "chinese-poetry")
    for name, book in (("daxue.json", "大學"), ("zhongyong.json", "中庸")):
        with open(os.path.join(folder, name), encoding="utf-8") as f:
            for i, paragraph in enumerate(json.load(f)["paragraphs"], 1):
                yield f"{book} {i}", paragraph
    with open(os.path.join(folder, "mengzi.json"), encoding="utf-8") as f:
        for chapter in json.load(f):
            for i, paragraph in enumerate(chapter["paragraphs"], 1):
                yield f"孟子·{chapter['chapter']} {i}", paragraph
    with open(os.path.join(folder, "guwenguanzhi.json"), encoding="utf-8") as f:
        for volume in json.load(f)["content"]:
            for piece in volume["content"]:
                for i, paragraph in enumerate(piece["paragraphs"], 1):
                    yield f"古文觀止·{piece['chapter']} {i}", paragraph


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    repo = os.path.dirname(os.path.dirname(here))
    parser = argparse.ArgumentParser()
    parser.add_argument("--data", default=os.path.join(repo, "..", "shared", "data"))
    parser.add_argument("--output", default=os.path.join(here, "prose_cases.tsv"))
    args = parser.parse_args()
    clauses = [(where, c.group(0)) for where, text in texts(args.data)
               for c in CLAUSE.finditer(text)]
    lines = ["編號\t出處\t句\t位\t字\t讀音\t依據\t詞\t留存"]
    number = 0
    for index, (pattern, reading, entry, sense, *rest) in enumerate(PATTERNS):
        otherwise = rest[0] if rest else ()
        seen = set()
        start = pattern.index("[")
        word = pattern.replace("[", "").replace("]", "")
        held = "留存" if index % 4 == 3 else ""
        found = 0
        for where, clause in clauses:
            at = clause.find(word)
            if at < 0 or clause in seen or any(w in clause for w in otherwise):
                continue
            seen.add(clause)
            number += 1
            found += 1
            lines.append(f"p{number}\t{where}\t{clause}\t{at + start + 1}\t{pattern[start + 1]}\t"
                         f"{reading}\t廣韻 {entry}，{sense}\t{word}\t{held}")
            if found == PER_PATTERN:
                break
        if not found:
            print(f"{pattern}: not in the texts")
    with open(args.output, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
    print(f"{number} cases, {sum(1 for line in lines[1:] if line.endswith('留存'))} held out")


if __name__ == "__main__":
    main()
