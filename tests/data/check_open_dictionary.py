#!/usr/bin/env python3
"""Checks the open dictionary: the Tâi-lô shape check and phonetic-symbol converter, the
generator's rules on small fixture sources, the committed files against a fresh run over the
shared data, and the database the build makes from them."""

import argparse
import bz2
import os
import re
import sqlite3
import subprocess
import sys
import tempfile
import unittest

ARGS = None


def load_tailo():
    sys.path.insert(0, ARGS.folder)
    import tailo
    return tailo


def read_rows(path):
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    header = lines[0].split("\t")
    return [dict(zip(header, line.split("\t"))) for line in lines[1:-1]]


# Readings and their Taiwanese Phonetic Symbols, for the converter both ways.
SYMBOL_CASES = [
    # initials
    ("pa1", "ㄅㄚ"), ("pha1", "ㄆㄚ"), ("ma2", "ㄇㄚˋ"), ("ba2", "ㆠㄚˋ"), ("ta1", "ㄉㄚ"),
    ("tha1", "ㄊㄚ"), ("na5", "ㄋㄚˊ"), ("la5", "ㄌㄚˊ"), ("ka1", "ㄍㄚ"), ("kha1", "ㄎㄚ"),
    ("ga5", "ㆣㄚˊ"), ("nga5", "ㄫㄚˊ"), ("ha1", "ㄏㄚ"), ("tsa1", "ㄗㄚ"),
    ("tsha1", "ㄘㄚ"), ("sa1", "ㄙㄚ"), ("ju5", "ㆡㄨˊ"),
    # palatal forms before i
    ("tsi1", "ㄐㄧ"), ("tshiu1", "ㄑㄧㄨ"), ("sian1", "ㄒㄧㄢ"), ("ji5", "ㆢㄧˊ"),
    # finals with -m/-n/-ng and -p/-t/-k/-h
    ("kam2", "ㄍㆰˋ"), ("kan1", "ㄍㄢ"), ("kang1", "ㄍㄤ"), ("kim1", "ㄍㄧㆬ"),
    ("kin1", "ㄍㄧㄣ"), ("king1", "ㄍㄧㄥ"), ("kun1", "ㄍㄨㄣ"), ("kong1", "ㄍㆲ"),
    ("som1", "ㄙㆱ"), ("kiong5", "ㄍㄧㆲˊ"), ("kuan1", "ㄍㄨㄢ"), ("kap4", "ㄍㄚㆴ"),
    ("kat4", "ㄍㄚㆵ"), ("kak4", "ㄍㄚㆶ"), ("kah4", "ㄍㄚㆷ"), ("kik4", "ㄍㄧㆤㆶ"),
    ("kok4", "ㄍㆦㆶ"), ("kiok8", "ㄍㄧㆦㆶ˙"), ("koh4", "ㄍㄜㆷ"), ("kut8", "ㄍㄨㆵ˙"),
    # ik is spoken [ek]: ㄧㆤㆶ, also after the palatal initials and in tone 8
    ("pik4", "ㄅㄧㆤㆶ"), ("tsik4", "ㄐㄧㆤㆶ"), ("sik8", "ㄒㄧㆤㆶ˙"), ("ik8", "ㄧㆤㆶ˙"),
    # vowels and nasal vowels
    ("o1", "ㄜ"), ("oo1", "ㆦ"), ("e1", "ㆤ"), ("ai1", "ㄞ"), ("au1", "ㄠ"),
    ("sann1", "ㄙㆩ"), ("senn1", "ㄙㆥ"), ("kinn1", "ㄍㆪ"), ("honn3", "ㄏㆧ˪"),
    ("tiunn5", "ㄉㄧㆫˊ"), ("kuann1", "ㄍㄨㆩ"), ("ainn3", "ㆮ˪"), ("kuainn1", "ㄍㄨㆮ"),
    ("ngiaunn2", "ㄫㄧㆯˋ"), ("annh4", "ㆩㆷ"), ("kue3", "ㄍㄨㆤ˪"), ("kui3", "ㄍㄨㄧ˪"),
    # syllabic m and ng
    ("m7", "ㆬ˫"), ("hm2", "ㄏㆬˋ"), ("ng5", "ㆭˊ"), ("sng1", "ㄙㆭ"), ("mng5", "ㄇㆭˊ"),
    # the tone marks
    ("tong1", "ㄉㆲ"), ("tong2", "ㄉㆲˋ"), ("tong3", "ㄉㆲ˪"), ("tok4", "ㄉㆦㆶ"),
    ("tong5", "ㄉㆲˊ"), ("tong7", "ㄉㆲ˫"), ("tok8", "ㄉㆦㆶ˙"),
]


class Converter(unittest.TestCase):
    def test_syllable_shape(self):
        tailo = load_tailo()
        cases = [  # reading, is one Tâi-lô syllable
            ("tsan3", True), ("tshiunn1", True), ("ng5", True), ("hm2", True), ("m7", True),
            ("sng1", True), ("mng5", True), ("ainnh4", True), ("iok8", True), ("tshuang3", True),
            ("kennh8", True), ("som1", True), ("ing1", True),
            ("tsan", False),      # no tone
            ("tsan6", False),     # no tone 6 in this dialect
            ("tsat3", False),     # a stop ending with an open tone
            ("tsan4", False),     # an open syllable with an entering tone
            ("Tsan3", False),     # capital letter
            ("thagn1", False), ("lannn2", False), ("tosat4", False), ("huau1", False),
            ("tshoou1", False), ("ek4", False), ("chan3", False), ("tsan33", False), ("", False),
        ]
        for reading, valid in cases:
            with self.subTest(reading=reading):
                self.assertEqual(tailo.is_tailo_syllable(reading), valid)

    def test_phonetic_symbols(self):
        tailo = load_tailo()
        for reading, symbols in SYMBOL_CASES:
            with self.subTest(reading=reading):
                self.assertEqual(tailo.to_phonetic_symbols(reading), symbols)
                self.assertEqual(tailo.from_phonetic_symbols(symbols), reading)
        with self.assertRaises(ValueError):
            tailo.to_phonetic_symbols("thagn1")

    def test_phonetic_symbols_read_back(self):
        tailo = load_tailo()
        cases = [  # symbols as the koktai data writes them, reading
            ("ㄌㄧㄚㆷ ͘", "liah8"), ("ㄆㄧㄚㆵ\u0358", "phiat8"), ("ㄐㄧㄚㆷ", "tsiah4"),
            ("ㄗㄧ", "tsi1"),  # the plain sibilant before i reads the same
            ("ㄍㆦㆶ", "kok4"), ("ㄍㄜㆶ", "kok4"), ("ㄏㆦㆷ", "hooh4"), ("ㆭˊ", "ng5"),
            ("ㄆㄧㆤㆶ ͘", "phik8"), ("ㄑㄧㆤㆶ", "tshik4"), ("ㄍㄧㆶ", "kik4"),  # ㄧㆶ: older spelling
        ]
        for symbols, reading in cases:
            with self.subTest(symbols=symbols):
                self.assertEqual(tailo.from_phonetic_symbols(symbols), reading)
        for bad in ["", "ㄓㄨㄥ", "ㄐㄚ", "ㄍㄥ", "ㄅㄧㄚㆵˊ", "ㄍ", "ㄚㄍ", "ㄍㆤㆶ", "ㄍㄧㆤ"]:
            with self.subTest(bad=bad), self.assertRaises(ValueError):
                tailo.from_phonetic_symbols(bad)

    def test_koktai_fields(self):
        sys.path.insert(0, ARGS.folder)
        import koktai
        cases = [  # field, the readings it gives
            ("(文)ㄅㄜ。(語)ㄅㆤ", [("文", "po1"), ("白", "pe1")]),
            ("(文)ㄉㄧㆲ。ㄉㄧㆲ˪。(白)ㄉㄧㄥ˪，中ㄉㄧㄥ˪意ㄧ˪。",
             [("文", "tiong1"), ("文", "tiong3"), ("白", "ting3")]),  # not 意's ㄧ˪
            ("(文語)ㄉㄧㆲ", [("文", "tiong1"), ("白", "tiong1")]),
            ("ㄅㄞ˪。", [("", "pai3")]),
            ("ㄘㄨ˪，古「促ㄑㄧㆦㆶ」字。", [("", "tshu3")]),
            ("(文)ㄆㄧㄥˊ。(語)ㄆㆪˊ。按：ㄆㆥˊ(漳)", [("文", "phing5"), ("白", "phinn5")]),
            ("未收相對應的音。只收「ㄌㆦˊ」", []),
            ("(文)ㄅㄧㆤㆶ。(白)ㄅㄧㄚㆷ", [("文", "pik4"), ("白", "piah4")]),  # -ik
            # After "/" stands another reading of what stands before it: of an example's
            # character, not of the headword (拍's 豬ㄉㄨ/ㄉㄧ, 憐's 可ㄎㆦˋ/ㄎㄜˋ).
            ("(文語)ㄆㄧㆤㆶ。豬ㄉㄨ/ㄉㄧ母ㆠㄜˋ/ㆠㄨˋ", [("文", "phik4"), ("白", "phik4")]),
            ("(文)ㄌㄧㄣˊ，今ㄍㄧㆬ可ㄎㆦˋ/ㄎㄜˋ憐ㄌㄧㄢˊ", [("文", "lin5")]),
            ("(文)ㄅㄧㄥˋ/ㄅㄧㄣˋ＝箄", [("文", "ping2"), ("文", "pin2")]),
            # A label right after an example's reading labels that reading (屯田ㄉㄧㄢˊ(文)).
            ("ㄉㄨㄣˊ。屯ㄉㄨㄣˊ田ㄉㄧㄢˊ(文)/ㄘㄢˊ(語)，屯ㄉㄨㄣˊ聚", [("", "tun5")]),
        ]
        for field, expected in cases:
            with self.subTest(field=field):
                self.assertEqual(koktai.readings(field), expected)

    def test_agrees_with_the_handwritten_sample(self):
        tailo = load_tailo()
        rows = read_rows(os.path.join(ARGS.sample, "RavlekTable.tsv"))
        differing = [(r["HanSpell"], r["Spell_P"], tailo.to_phonetic_symbols(r["HanSpell"]))
                     for r in rows if r["Spell_P"] != tailo.to_phonetic_symbols(r["HanSpell"])]
        self.assertEqual(differing, [])


class Generator(unittest.TestCase):
    """The generator's rules on small sources made here."""

    def run_generator(self, kam, pingshui="", guangyun="", variants="", keep=None,
                      corrections=None, expect_failure=False, koktai="", reviewed="", terra=""):
        folder = keep or tempfile.mkdtemp()
        if keep is None:
            self.addCleanup(lambda: subprocess.run(["rm", "-rf", folder]))
        data = os.path.join(folder, "data")
        files = {
            "kam-jitian/kam_char_readings.tsv":
                "han\tclass\tpoj\ttailo\tlit_poj\tlit_tailo\tkam_id\tpage\n" + kam,
            "pingshui/pingshui_chars.tsv":
                "char\tcategory\tcategory_short\tpart\ttone\tpingze\torder_in_category\n" + pingshui,
            "kam-jitian/kam_jitian.csv":
                "id,word,chinese,exp,example,page\n"
                '15845,Oan5,●,"hoe-hng5, chhai3-hng5.","花園, 菜園.",519\n',
            "koktai/koktai_char_readings.tsv":
                "headword\tmandarin_zhuyin\tfanqie_note\tguoyin\ttaigan\tpumin\tsource_page\n"
                + koktai,
            "guangyun/guangyun.tsv": "字頭\t小韻號\t韻目\t反切\t母\t呼\t等\t類\t韻\t聲\t清濁\t攝\t"
                                     "音韻描述\t釋義\n" + guangyun,
        }
        for name, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(data, name)), exist_ok=True)
            with open(os.path.join(data, name), "w", encoding="utf-8") as f:
                f.write(text)
        with bz2.open(os.path.join(folder, "Unihan_Variants.txt.bz2"), "wt", encoding="utf-8") as f:
            f.write("# Unihan_Variants.txt\n" + variants)
        terra_file = os.path.join(folder, "terra_pinyin.dict.yaml")
        with open(terra_file, "w", encoding="utf-8") as f:
            f.write("---\nname: terra_pinyin\n...\n\n" + terra)
        out = os.path.join(folder, "out")
        corrections_file = os.path.join(folder, "corrections.tsv")
        with open(corrections_file, "w", encoding="utf-8") as f:
            f.write("kam_id\than\tclass\ttailo\tnew_han\tnew_class\tnew_tailo\tevidence\n"
                    + (corrections or ""))
        reviewed_file = os.path.join(folder, "reviewed_rows.tsv")
        with open(reviewed_file, "w", encoding="utf-8") as f:
            f.write("HanWord\tHanSpell\tdecision\treason\n" + reviewed)
        result = subprocess.run(
            [sys.executable, os.path.join(ARGS.folder, "make_open_dictionary.py"), "--data", data,
             "--reviewed", reviewed_file,
             "--unihan", os.path.join(folder, "Unihan_Variants.txt.bz2"), "--rhymes", ARGS.rhymes,
             "--corrections", corrections_file, "--reasons", os.path.join(folder, "none.tsv"),
             "--terra", terra_file, "--output", out], capture_output=True, text=True)
        if expect_failure:
            self.assertNotEqual(result.returncode, 0)
            return None, result.stderr
        self.assertEqual(result.returncode, 0, result.stderr)
        tables = {name: read_rows(os.path.join(out, name + ".tsv"))
                  for name in ("RavlekTable", "BaseWords", "BaseWordsPlus", "rhyme_merger",
                               "RavlekTable.koktai", "RavlekTable.synthesis", "reading_order.terra",
                               "phrases.terra")}
        return tables, result.stderr

    def test_a_reading_the_sources_lack_is_derived_only_where_it_is_sure(self):
        guangyun = ("教\t1\t肴\t古肴\t見\t\t二\t\t肴\t平\t全清\t效\t見二肴平\t使也\n"
                    "教\t2\t效\t古孝\t見\t\t二\t\t肴\t去\t全清\t效\t見二肴去\t教訓\n"
                    "交\t1\t肴\t古肴\t見\t\t二\t\t肴\t平\t全清\t效\t見二肴平\t共也\n"
                    "交\t2\t效\t古孝\t見\t\t二\t\t肴\t去\t全清\t效\t見二肴去\t交\n")
        pingshui = ("教\t下平聲三肴\t下平三肴\t下平聲部\t平\t平\t1\n"
                    "交\t下平聲三肴\t下平三肴\t下平聲部\t平\t平\t2\n"
                    "教\t去聲十九效\t去聲十九效\t去聲部\t去\t仄\t1\n"
                    "交\t去聲十九效\t去聲十九效\t去聲部\t去\t仄\t2\n")
        # 交's two readings of 古肴切 would give two readings of 古孝切: none is derived.
        kam = ("教\t文\tkau3\tkau3\t\t\t1\t10\n"
               "交\t文\tkau1\tkau1\t\t\t2\t11\n"
               "交\t文\tkiau1\tkiau1\t\t\t3\t12\n")
        tables, _ = self.run_generator(kam, pingshui=pingshui, guangyun=guangyun)
        [row] = tables["RavlekTable.synthesis"]
        self.assertEqual((row["HanWord"], row["Ptype"], row["HanSpell"], row["PoemRhyme"],
                          row["PtypeDesc"]), ("教", "文", "kau1", "下平三肴", "廣韻 古肴切，肴韻"))
        self.assertEqual(row["Phone_desc"], "反切合成的文讀 kau1：廣韻 古肴切（肴韻平聲），與本字讀音 "
                                            "kau3（廣韻 古孝切）聲母、韻母同，只改聲調；兩書皆未收此音。")

    def test_readings_in_the_order_of_their_use(self):
        guangyun = ("見\t2702\t霰\t古電\t見\t開\t四\t\t先\t去\t全清\t山\t見開四先去\t視也\n"
                    "見\t2705\t霰\t胡甸\t匣\t開\t四\t\t先\t去\t全濁\t山\t匣開四先去\t露也\n"
                    "電\t2702\t霰\t堂練\t定\t開\t四\t\t先\t去\t全濁\t山\t定開四先去\t電\n")
        kam = ("見\t文\than7\thian7\t\t\t1\t183\n"
               "電\t文\ttian7\ttian7\t\t\t2\t200\n"
               "見\t白\tkinn3\tkinn3\t\t\t3\t318\n"
               "見\t文\tkian3\tkian3\t\t\t4\t322\n")
        # 見: jian4 (古電切, kian3) is the common reading; 電 has one reading and is left alone.
        # 見面 with two readings of 見 names none.
        terra = ("見\tjian4\t99%\n見\txian4\t1%\n電\tdian4\n見面\tjian4 mian4\n見電\txian4 dian4\n"
                 "見面\txian4 mian4\n")
        pingshui = ("見\t去聲十七霰\t去聲十七霰\t去聲部\t去\t仄\t1\n"
                    "電\t去聲十七霰\t去聲十七霰\t去聲部\t去\t仄\t2\n")
        tables, _ = self.run_generator(kam, pingshui=pingshui, guangyun=guangyun, terra=terra)
        rows = [(r["HanWord"], r["Ptype"], r["HanSpell"]) for r in tables["RavlekTable"]]
        self.assertEqual(rows, [("見", "文", "kian3"), ("電", "通", "tian7"), ("見", "白", "kinn3"),
                                ("見", "文", "hian7")])
        self.assertEqual(tables["RavlekTable"][0]["Phone_desc"].split("。")[1],
                         "廈門音新字典（甘為霖，1913）第322頁")
        [note] = tables["reading_order.terra"]
        self.assertEqual((note["HanWord"], note["Ptype"], note["書序"], note["用法次序"]),
                         ("見", "文", "hian7 kian3", "kian3 hian7"))
        self.assertEqual(note["依據"], "jian4 99% → 古電切；xian4 1% → 胡甸切")
        self.assertEqual([(p["詞"], p["讀音"]) for p in tables["phrases.terra"]],
                         [("見電", "hian7 -")])
        # The fanqie synthesis keeps the book's first literary reading.
        self.assertEqual(tables["BaseWordsPlus"][0]["HanSpell"], "hian7")

    def test_classes_readings_and_placeholders(self):
        tables, report = self.run_generator(
            "一\t文\tit4\tit4\t\t\t1\t10\n"          # only one 文 reading: 通
            "子\t文\tchu2\ttsu2\t\t\t2\t11\n"
            "子\t白\ta2\ta2\tchu2\ttsu2\t3\t12\n"   # has a 白 reading too: 文 stays
            "子\t文\tchu2\ttsu2\t\t\t4\t13\n"        # the same reading again: one row
            "中\t文\ttiong1\ttiong1\t\t\t5\t14\n"
            "中\t文\ttiong3\ttiong3\t\t\t6\t14\n"  # two 文 readings: 文
            "窓\t白\tthagn1\tthagn1\t\t\t7\t15\n"   # not a syllable: reported, left out
            "●\t文\ta1\ta1\t\t\t8\t16\n"            # placeholder: left out
            "驛\t白\tiah8\tiah8\tek8\tik8\t9\t17\n")  # only 白: gets the 文 reading it names
        rows = [(r["HanWord"], r["Ptype"], r["HanSpell"]) for r in tables["RavlekTable"]]
        self.assertEqual(rows, [("一", "通", "it4"), ("子", "文", "tsu2"), ("子", "白", "a2"),
                                ("中", "文", "tiong1"), ("中", "文", "tiong3"), ("驛", "文", "ik8"),
                                ("驛", "白", "iah8")])
        self.assertIn("第17頁白讀條所注的文讀", tables["RavlekTable"][5]["Phone_desc"])
        self.assertIn("kam_char_readings.tsv:8: 窓 白 'thagn1' is not one Tâi-lô syllable", report)
        first = tables["RavlekTable"][0]
        self.assertEqual(first["Spell_P"], "ㄧㆵ")
        self.assertEqual(first["Phone_desc"],
                         "文白通用音 it4，陰入（第4調）。廈門音新字典（甘為霖，1913）第10頁。")

    def test_rhyme_and_guangyun_fields_agree_with_the_tone(self):
        pingshui = ("中\t上平聲一東\t上平一東\t上平聲部\t平\t平\t1\n"
                    "中\t去聲一送\t去聲一送\t去聲部\t去\t仄\t1\n"
                    "紙\t上聲四紙\t上聲四紙\t上聲部\t上\t仄\t1\n"
                    "是\t上聲四紙\t上聲四紙\t上聲部\t上\t仄\t1\n"
                    "是\t去聲四寘\t去聲四寘\t去聲部\t去\t仄\t1\n"
                    "弓\t上平聲一東\t上平一東\t上平聲部\t平\t平\t1\n")
        guangyun = ("中\t1\t東\t陟弓\t知\t\t三\t\t東\t平\t全清\t通\t知三東平\t平也\n"
                    "中\t2\t送\t陟仲\t知\t\t三\t\t東\t去\t全清\t通\t知三東去\t當也\n"
                    "是\t3\t紙\t承紙\t常\t開\t三\t\t支\t上\t全濁\t止\t常開三支上\t是非也\n"
                    "逸\t4\t質\t弋質\t影\t\t四\t\t真\t入\t全清\t臻\t影四真入\t奔也\n"
                    "逸\t5\t質\t夷質\t以\t\t三\t\t真\t入\t次濁\t臻\t以三真入\t過也\n")
        tables, report = self.run_generator(
            "中\t文\ttiong1\ttiong1\t\t\t1\t1\n"
            "中\t文\ttiong3\ttiong3\t\t\t2\t1\n"
            "中\t白\ttik8\ttik8\t\t\t3\t1\n"      # entering tone: nothing agrees
            "是\t文\tsi7\tsi7\t\t\t4\t1\n"         # tone 7: 去 or 上, the voiced 上 entry decides
            "逸\t文\tit8\tit8\t\t\t5\t1\n",        # tone 8: the voiced entering entry first
            pingshui, guangyun)
        fields = ["PoemRhyme", "Initial_C_type", "hong5se3", "PoemRhyme2", "PtypeDesc", "Desc"]
        got = [[r[f] for f in fields] for r in tables["RavlekTable"]]
        self.assertEqual(got, [
            ["上平一東", "全清", "三等細", "上平一東", "廣韻 陟弓切，東韻", "平也"],
            ["去聲一送", "全清", "三等細", "", "廣韻 陟仲切，送韻", "當也"],
            ["", "", "", "", "", ""],
            ["上聲四紙", "全濁", "三等細", "上聲四紙", "廣韻 承紙切，紙韻", "是非也"],
            # No character of 質 is in the Pingshui fixture: the rhyme is not merged, its entries
            # take no part.
            ["", "", "", "", "", ""],
        ])
        self.assertIn("with a 廣韻 entry of agreeing tone: 3 (60.0 %)", report)

    def test_an_oblique_reading_crosses_to_the_other_oblique_tone_only(self):
        # 訪 hong2 (上) has only a 去 entry and rhyme: it takes that one, with the reason; 韋 ui2
        # (上) of a 平 character keeps no rhyme of another class.
        pingshui = ("訪\t去聲二十三漾\t去聲二十三漾\t去聲部\t去\t仄\t1\n"
                    "亮\t去聲二十三漾\t去聲二十三漾\t去聲部\t去\t仄\t1\n"
                    "韋\t上平聲五微\t上平五微\t上平聲部\t平\t平\t1\n")
        guangyun = "訪\t1\t漾\t敷亮\t敷\t合\t三\t\t陽\t去\t次清\t宕\t敷合三陽去\t謀也\n"
        tables, _ = self.run_generator("訪\t文\thong2\thong2\t\t\t1\t1\n"
                                       "韋\t文\tui2\tui2\t\t\t2\t1\n", pingshui, guangyun)
        rows = {r["HanWord"]: r for r in tables["RavlekTable"]}
        self.assertEqual((rows["訪"]["PoemRhyme"], rows["訪"]["PtypeDesc"]),
                         ("去聲二十三漾", "廣韻 敷亮切，漾韻"))
        self.assertIn("聲調例外：hong2 是第2調", rows["訪"]["Phone_desc"])
        self.assertEqual(rows["韋"]["PoemRhyme"], "")

    def test_a_character_with_rhymes_of_its_own_borrows_none_of_another_class(self):
        # 阿 (平 only) does not take its variant 窕's 上 rhyme for a2; 陣 (去 only) takes 陳's
        # 平 rhyme for tin5 because the review says so; 任 ong5 is reviewed to have none.
        pingshui = "".join(f"{ch}\t{g}\t{g}\t部\t{g[:2]}\t平\t1\n" for ch, g in [
            ("阿", "下平五歌"), ("窕", "上聲十七篠"), ("陣", "去聲十二震"), ("陳", "上平十一真"),
            ("任", "下平十二侵")])
        kam = "".join(f"{ch}\t文\t{sp}\t{sp}\t\t\t{i}\t1\n" for i, (ch, sp) in enumerate(
            [("阿", "a2"), ("陣", "tin5"), ("陳", "tin5"), ("任", "ong5"), ("任", "jim5")], 1))
        variants = "U+963F\tkSemanticVariant\tU+7A95\nU+9663\tkSemanticVariant\tU+9673\n"
        reviewed = ("陣\ttin5\tread as 陳\t書中自注與陳相像\n"
                    "任\tong5\tno rhyme\t借字寫的白話詞\n")
        tables, _ = self.run_generator(kam, pingshui, variants=variants, reviewed=reviewed)
        got = {(r["HanWord"], r["HanSpell"]): r for r in tables["RavlekTable"]}
        self.assertEqual([got[k]["PoemRhyme"] for k in [("阿", "a2"), ("陣", "tin5"),
                                                         ("任", "ong5"), ("任", "jim5")]],
                         ["", "上平十一真", "", "下平十二侵"])
        self.assertIn("已審：借字寫的白話詞。", got[("任", "ong5")]["Phone_desc"])
        _, report = self.run_generator(kam, pingshui, variants=variants,
                                       reviewed="阿\ta2\tdrop\tno such decision\n",
                                       expect_failure=True)
        self.assertIn("unknown decision 'drop'", report)

    def test_corrections_mend_the_book_rows_they_name(self):
        kam = ("拜\t文\tpi3\tpi3\t\t\t16079\t525\n"
               "柏\t文\tkhiu7\tkhiu7\t\t\t12232\t398\n"
               "柏\t文\tpik4\tpik4\t\t\t16312\t531\n"
               "月\t白\tbah4\tbah4\tjiok8\tjiok8\t284\t10\n"
               "月\t文\tguat8\tguat8\t\t\t4527\t149\n")
        corrections = ("16079\t拜\t文\tpi3\t拜\t文\tpai3\tits own example pai3\n"
                       "12232\t柏\t文\tkhiu7\t桕\t文\tkhiu7\ta row of 桕\n"
                       "284\t月\t白\tbah4\t\t\t\tthe radical ⺼ under 月\n"
                       "15845\t●\t文\tuan5\t園\t文\tuan5\tits example\n")
        tables, report = self.run_generator(kam, corrections=corrections)
        rows = [(r["HanWord"], r["Ptype"], r["HanSpell"]) for r in tables["RavlekTable"]]
        # In the book's order; the lost 園 comes back from the book's sheet.
        self.assertEqual(rows, [("月", "通", "guat8"), ("桕", "通", "khiu7"), ("園", "通", "uan5"),
                                ("拜", "通", "pai3"), ("柏", "通", "pik4")])
        self.assertIn("數位版作「拜」文 pi3，今校正：its own example pai3",
                      tables["RavlekTable"][3]["Phone_desc"])
        self.assertIn("數位版失字（●），今補「園」：its example", tables["RavlekTable"][2]["Phone_desc"])
        self.assertIn("4 rows of the book corrected (1 of them left out)", report)
        # A correction whose row reads otherwise in the source stops the run.
        _, report = self.run_generator(
            kam, corrections="16079\t拜\t文\tpi2\t拜\t文\tpai3\tstale\n", expect_failure=True)
        self.assertIn("kam_id 16079 is 拜 文 pi3 in the source", report)

    # Two entries of the reading's tone: 平 (符兵切 庚, 房連切 仙), 能 (奴登切 登, 奴來切 咍).
    RHYME_SOURCES = {
        "pingshui": "".join(f"{ch}\t{name}\t{name}\t部\t平\t平\t1\n" for ch, name in [
            ("平", "下平一先"), ("平", "下平八庚"), ("兵", "下平八庚"),
            ("連", "下平一先"), ("能", "上平十灰"), ("能", "下平十蒸"), ("登", "下平十蒸"),
            ("來", "上平十灰"), ("凡", "下平十五咸"), ("帆", "下平十五咸")]),
        "guangyun": "".join(
            f"{ch}\t1\t{head}\t{fanqie}\t母\t\t三\t\t{rhyme}\t平\t{voice}\t{she}\t描述\t釋義\n"
            for ch, head, fanqie, rhyme, voice, she in [
                ("平", "仙", "房連", "仙", "全濁", "山"), ("平", "庚", "符兵", "庚", "全濁", "梗"),
                ("兵", "庚", "甫明", "庚", "全清", "梗"), ("連", "仙", "力延", "仙", "次濁", "山"),
                ("能", "咍", "奴來", "咍", "次濁", "蟹"), ("能", "登", "奴登", "登", "次濁", "曾"),
                ("登", "登", "都滕", "登", "全清", "曾"), ("來", "咍", "落哀", "咍", "次濁", "蟹"),
                ("凡", "凡", "符咸", "凡", "全濁", "咸"), ("帆", "凡", "符咸", "凡", "全濁", "咸")]),
        "kam": "".join(f"{ch}\t文\t{spell}\t{spell}\t\t\t{i}\t1\n" for i, (ch, spell) in enumerate([
            ("符", "hu5"), ("房", "hong5"), ("兵", "ping1"), ("連", "lian5"), ("奴", "loo5"),
            ("登", "ting1"), ("來", "lai5"), ("能", "ling5"), ("能", "nai5"), ("平", "ping5"),
            ("凡", "huan5"), ("咸", "ham5")])) + "平\t白\tpinn5\tpinn5\tping5\tping5\t99\t1\n",
    }

    def test_rhyme_and_entry_agree_with_the_reading(self):
        sources = self.RHYME_SOURCES
        tables, report = self.run_generator(sources["kam"], sources["pingshui"],
                                            sources["guangyun"])
        got = {(r["HanWord"], r["HanSpell"]): (r["PoemRhyme"], r["PtypeDesc"])
               for r in tables["RavlekTable"]}
        cases = [  # reading, the rhyme and entry its fanqie or coda agrees with
            (("平", "ping5"), ("下平八庚", "廣韻 符兵切，庚韻")),   # not 一先, not the first entry
            (("平", "pinn5"), ("下平八庚", "廣韻 符兵切，庚韻")),   # 白: by its literary reading
            (("能", "ling5"), ("下平十蒸", "廣韻 奴登切，登韻")),   # not 十灰
            (("能", "nai5"), ("上平十灰", "廣韻 奴來切，咍韻")),
            (("凡", "huan5"), ("下平十五咸", "廣韻 符咸切，凡韻")),  # -m after a labial: a reason
        ]
        for reading, expected in cases:
            with self.subTest(reading=reading):
                self.assertEqual(got[reading], expected)
        fan = next(r for r in tables["RavlekTable"] if r["HanWord"] == "凡")
        self.assertIn("韻尾例外：huan5 在下平十五咸，唇音聲母使 -m/-p 異化為 -n/-t", fan["Phone_desc"])
        self.assertIn("0 without", report)
        merger = {(r["聲"], r["韻"]): r["平水韻"] for r in tables["rhyme_merger"]}
        self.assertEqual(merger[("平", "庚")], "下平八庚")
        self.assertEqual(merger[("平", "仙")], "下平一先")

    def test_a_disagreeing_row_without_a_reason_fails_the_build(self):
        # The generated rows pass; a hand edit that drops 凡's reason, or files 平 under another
        # rhyme than its entry's, fails the build.
        sources = self.RHYME_SOURCES
        folder = tempfile.mkdtemp()
        self.addCleanup(lambda: subprocess.run(["rm", "-rf", folder]))
        tables, _ = self.run_generator(sources["kam"], sources["pingshui"], sources["guangyun"],
                                       keep=folder)
        source = os.path.join(folder, "out")
        table = os.path.join(source, "RavlekTable.tsv")
        with open(table, encoding="utf-8") as f:
            text = f.read()
        builder = [sys.executable, ARGS.builder, "--source", source, "--rhymes", ARGS.rhymes,
                   "--output", os.path.join(folder, "x.db"), "--merger",
                   os.path.join(source, "rhyme_merger.tsv")]
        result = subprocess.run(builder, capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("1 otherwise with a reason", result.stdout)
        cases = [  # what a hand edit changes, what the build says
            (lambda t: re.sub(r"\\n韻尾例外：[^\t]*", "", t),
             "the coda of huan5 differs from 下平十五咸's"),
            (lambda t: t.replace("全濁\t下平八庚\t三等細\t下平八庚\t廣韻 符兵切",
                                 "全濁\t下平一先\t三等細\t下平八庚\t廣韻 符兵切"),
             "PoemRhyme '下平一先' is not 下平八庚"),
        ]
        for edit, message in cases:
            with self.subTest(message=message):
                edited = edit(text)
                self.assertTrue(edited != text, "the edit changed nothing")
                with open(table, "w", encoding="utf-8") as f:
                    f.write(edited)
                result = subprocess.run(builder, capture_output=True, text=True)
                self.assertEqual(result.returncode, 1)
                self.assertIn(message, result.stderr)

    def test_the_second_source_fills_adds_and_confirms(self):
        kam = ("澎\t文\tphing5\tphing5\t\t\t1\t1\n"
               "中\t文\ttiong1\ttiong1\t\t\t2\t1\n"
               "地\t文\tte7\tte7\t\t\t3\t1\n"
               "地\t白\tti7\tti7\t\t\t4\t1\n"
               "美\t白\tsui2\tsui2\t\t\t5\t1\n"
               "園\t文\tuan5\tuan5\t\t\t6\t1\n")
        koktai = ("地\tㄉㄧˋ\t\t\t(文)ㄉㆤ˫。ㄉㄧ˫\t(文)ㄉㄧ˫。(白)ㄉㆤ˫\t\n"  # ti7: 文 too
                  "美\tㄇㄟˇ\t\t\t(文)ㄇㄧˋ。ㄙㄨㄧˋ\t\t\n"                  # not right after (文)
                  "園\tㄩㄢˊ\t\t\t(文)ㄨㄢˊ。(白)ㄏㆭˊ\t\t\n"  # another 白: 文, not 通
                  "達\tㄉㄚˊ\t\t\t(文)ㄉㄚㆵ ͘\t(文)ㄉㄚㆵ ͘、ㄊㄚㆵ ͘。(白)ㄉㄚㆷ ͘\t\n"   # lacking
                  "中\tㄓㄨㄥ\t\t\t(文)ㄉㄧㆲ\t(文)ㄉㄧㆲ、ㄉㄧㆲ˪。(白)ㄉㄧㄥ˪\t\n"  # adds 文 only
                  "澎\tㄆㄥˊ\t\t\t(文)ㄆㄧㄥˊ\t(文)ㄆㄧㄥˊ\t\n")                    # confirms
        tables, report = self.run_generator(kam, koktai=koktai)
        book = tables["RavlekTable"]
        second = tables["RavlekTable.koktai"]
        self.assertEqual([(r["HanWord"], r["Ptype"], r["HanSpell"]) for r in book],
                         [("澎", "通", "phing5"), ("中", "文", "tiong1"), ("地", "文", "te7"),
                          ("地", "白", "ti7"), ("美", "白", "sui2"), ("園", "文", "uan5")])
        self.assertIn("另有白讀 hng5，故作文讀（不作文白通用）", book[5]["Phone_desc"])
        self.assertEqual([(r["HanWord"], r["Ptype"], r["HanSpell"], r["Spell_P"]) for r in second],
                         [("地", "文", "ti7", "ㄉㄧ˫"),
                          ("美", "文", "mi2", "ㄇㄧˋ"), ("園", "白", "hng5", "ㄏㆭˊ"),
                          ("達", "文", "tat8", "ㄉㄚㆵ˙"), ("達", "文", "that8", "ㄊㄚㆵ˙"),
                          ("達", "白", "tah8", "ㄉㄚㆷ˙"), ("中", "文", "tiong3", "ㄉㄧㆲ˪"),
                          ("中", "白", "ting3", "ㄉㄧㄥ˪")])
        self.assertIn("數位版此音只作白讀，文讀作 te7；吳守禮作文讀，今補文讀一行。",
                      second[0]["Phone_desc"])
        second = second[3:]
        self.assertIn("吳守禮《國臺對照活用辭典》（普閩、台甘）。\\n台甘錄廈門音新字典（甘為霖，1913）"
                      "有此音，數位版未收。", second[0]["Phone_desc"])
        self.assertIn("數位版此字文讀作 tiong1，與此不同，兩音並存。", second[3]["Phone_desc"])
        self.assertIn("吳守禮《國臺對照活用辭典》（普閩、台甘）亦收此音。", book[0]["Phone_desc"])
        self.assertIn("8 readings, 5 characters (1 that the 1913 book lacks)", report)
        self.assertIn("通 relabelled 文 for a different colloquial reading", report)

    def test_a_variant_gets_only_the_readings_of_its_own_word(self):
        # 讎 (the variant, 市流切) of 仇 (巨鳩切 kiu5, and siu5 in the book): only siu5 is the
        # variant's word; 玫 (莫杯切) gets nothing of 玟 (bun5).
        guangyun = ("仇\t1\t尤\t巨鳩\t群\t\t三\t\t尤\t平\t全濁\t流\t群三尤平\t匹也\n"
                    "讎\t2\t尤\t市流\t常\t\t三\t\t尤\t平\t全濁\t流\t常三尤平\t讎匹\n"
                    "玫\t3\t灰\t莫杯\t明\t合\t一\t\t灰\t平\t次濁\t蟹\t明合一灰平\t玫瑰\n")
        pingshui = "".join(f"{ch}\t{g}\t{g}\t部\t平\t平\t1\n" for ch, g in [
            ("仇", "下平十一尤"), ("讎", "下平十一尤"), ("流", "下平十一尤"), ("鳩", "下平十一尤"),
            ("玫", "上平十灰"), ("杯", "上平十灰"), ("玟", "上平十二文")])
        kam = "".join(f"{ch}\t文\t{s}\t{s}\t\t\t{i}\t1\n" for i, (ch, s) in enumerate([
            ("仇", "kiu5"), ("仇", "siu5"), ("巨", "ki7"), ("鳩", "kiu1"), ("市", "si7"),
            ("流", "liu5"), ("玟", "bun5"), ("莫", "bok8"), ("杯", "pue1")], start=1))
        variants = "U+8B8E\tkSemanticVariant\tU+4EC7\nU+73AB\tkSemanticVariant\tU+739F\n"
        tables, report = self.run_generator(kam, pingshui, guangyun, variants)
        copies = [(r["HanWord"], r["HanSpell"]) for r in tables["RavlekTable"]
                  if r["HanWord"] in "讎玫"]
        self.assertEqual(copies, [("讎", "siu5")])
        self.assertIn("2 readings not copied (another word)", report)

    def test_variants_get_copies_and_base_words_follow_the_fanqie(self):
        guangyun = ("爲\t1\t支\t薳支\t云\t合\t三\t\t支\t平\t次濁\t止\t云合三支平\t作也\n"
                    "東\t2\t東\t德紅\t端\t\t一\t\t東\t平\t全清\t通\t端一東平\t春方也\n")
        tables, _ = self.run_generator(
            "為\t文\tui5\tui5\t\t\t1\t808\n"
            "為\t白\tui7\tui7\t\t\t2\t809\n"
            "紅\t白\tang5\tang5\t\t\t3\t5\n"
            "東\t文\ttong1\ttong1\t\t\t4\t6\n"
            "德\t文\ttik4\ttik4\t\t\t5\t7\n",
            guangyun=guangyun, pingshui="爲\t上平聲四支\t上平四支\t上平聲部\t平\t平\t1\n",
            variants="U+7232\tkSemanticVariant\tU+70BA<kHKGlyph\n"
                     "U+5FB7\tkZVariant\tU+60B3\n")
        rows = tables["RavlekTable"]
        copies = [r for r in rows if r["HanWord"] == "爲"]
        # ui7 is not copied: 爲 has no 去 entry here (the real 廣韻 has 于僞切) to share it.
        self.assertEqual([(r["Ptype"], r["HanSpell"]) for r in copies], [("文", "ui5")])
        self.assertTrue(copies[0]["Phone_desc"].endswith("\\n「爲」是「為」的異體字，讀音照「為」。"))
        # 為 finds the 廣韻 entry that the source spells 爲.
        self.assertEqual(rows[0]["PtypeDesc"], "廣韻 薳支切，支韻")
        self.assertEqual([r["HanWord"] for r in rows], ["為", "為", "紅", "東", "德", "悳", "爲"])
        base = [(r["HanWord"], r["HanSpell"]) for r in tables["BaseWords"]]
        plus = [(r["HanWord"], r["HanSpell"]) for r in tables["BaseWordsPlus"]]
        # Fanqie characters in the book's order with a 通 or 文 reading (紅 has only a 白 one).
        self.assertEqual(base, [("德", "tik4")])
        self.assertEqual(plus, [("為", "ui5"), ("東", "tong1"), ("悳", "tik4"), ("爲", "ui5")])


class CommittedFiles(unittest.TestCase):
    def test_a_fresh_run_over_the_shared_data_gives_the_same_bytes(self):
        if not os.path.isdir(ARGS.data):
            self.skipTest(f"the shared data folder {ARGS.data} is absent")
        if not os.path.exists(ARGS.unihan):
            self.skipTest(f"{ARGS.unihan} is absent (Debian package unicode-data)")
        if not os.path.exists(ARGS.terra):
            self.skipTest(f"{ARGS.terra} is absent (Debian package rime-data-terra-pinyin)")
        out = tempfile.mkdtemp()
        self.addCleanup(lambda: subprocess.run(["rm", "-rf", out]))
        result = subprocess.run(
            [sys.executable, os.path.join(ARGS.folder, "make_open_dictionary.py"), "--data",
             ARGS.data, "--unihan", ARGS.unihan, "--terra", ARGS.terra, "--rhymes", ARGS.rhymes,
             "--output", out],
            capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stderr)
        for name in ("RavlekTable.tsv", "BaseWords.tsv", "BaseWordsPlus.tsv", "rhyme_merger.tsv",
                     "RavlekTable.koktai.tsv", "RavlekTable.synthesis.tsv", "reading_order.terra.tsv",
                     "phrases.terra.tsv"):
            with self.subTest(file=name):
                with open(os.path.join(out, name), "rb") as fresh, \
                        open(os.path.join(ARGS.folder, name), "rb") as committed:
                    self.assertTrue(fresh.read() == committed.read(),
                                    f"{name} differs from a fresh run of make_open_dictionary.py")

    def test_a_koktai_reading_is_written_for_its_own_character(self):
        # Each row of 吳守禮's dictionary reads a run of symbols of that character's own entries
        # that stands for the character: not one written after another character of an example
        # word (豬ㄉㄨ), nor after "/" behind one (豬ㄉㄨ/ㄉㄧ), nor a label written behind one.
        path = os.path.join(ARGS.data, "koktai", "koktai_char_readings.tsv")
        if not os.path.exists(path):
            self.skipTest(f"{path} is absent")
        tailo = load_tailo()
        symbols = "".join(sorted(set(tailo.SYMBOL_LETTERS) | set(tailo.TONE_LETTERS)))
        token = re.compile(r"([%s]+(?: ?\u0358)?)|(/)|(\([^)]*\))|(.)" % symbols, re.S)
        own = {}
        with open(path, encoding="utf-8") as f:
            header = f.readline().rstrip("\n").split("\t")
            for line in f:
                entry = dict(zip(header, line.rstrip("\n").split("\t")))
                heads = set(entry["headword"].rstrip("·").split("/"))
                for text in (entry.get("pumin", ""), entry.get("taigan", "")):
                    tokens = [m.groups() for m in token.finditer(text)]
                    owners = []  # per token: the character a run is written after
                    for i, (run, slash, bracket, other) in enumerate(tokens):
                        owner = None
                        if run:
                            j = i - 1
                            while j >= 0 and tokens[j][2] and j > 0 and tokens[j - 1][0]:
                                j -= 1  # a label behind a run labels that run
                            if j >= 0 and tokens[j][1] and j > 0:
                                owner = owners[j - 1]  # "/": another reading of the same
                            elif j >= 0 and tokens[j][3] and (tokens[j][3] == ">"
                                                              or re.match(r"\w", tokens[j][3])):
                                owner = tokens[j][3]
                            try:
                                reading = tailo.from_phonetic_symbols(run)
                            except ValueError:
                                reading = None
                            for head in heads:
                                if reading and (owner is None or owner == head
                                                or not ("\u3400" <= owner <= "\U0003ffff")):
                                    own.setdefault(head, set()).add(reading)
                        elif slash and i > 0:
                            owner = owners[i - 1]
                        owners.append(owner)
        foreign = []
        for r in read_rows(os.path.join(ARGS.folder, "RavlekTable.koktai.tsv")):
            # A variant form's copy is read for its standard form.
            copied = re.search(r"「.」是「(.)」的異體字", r["Phone_desc"])
            ch = copied.group(1) if copied else r["HanWord"]
            if r["HanSpell"] not in own.get(ch, set()):
                foreign.append((r["HanWord"], r["HanSpell"]))
        self.assertEqual(foreign, [])

    def test_ptype_desc_names_one_of_the_characters_own_entries_and_its_rhyme(self):
        # "廣韻 都寒切，寒韻": a character with 廣韻 entries cites one of its own, under that
        # entry's own heading (寒, not the 桓 of its merged rhyme), unless the source's heading
        # is a slip the merger does not keep.
        path = os.path.join(ARGS.data, "guangyun", "guangyun.tsv")
        if not os.path.exists(path):
            self.skipTest(f"{path} is absent")
        entries, filed = {}, {}
        for entry in read_rows(path):
            entries.setdefault(entry["字頭"], []).append(entry)
            counts = filed.setdefault(entry["韻目"], {})
            counts[(entry["聲"], entry["韻"])] = counts.get((entry["聲"], entry["韻"]), 0) + 1
        home = {name: max(sorted(counts), key=counts.get) for name, counts in filed.items()}
        merger = {(row["聲"], row["韻"]): row
                  for row in read_rows(os.path.join(ARGS.folder, "rhyme_merger.tsv"))}
        kept = {}  # (tone, rhyme) -> (its heading, the headings its entries keep)
        for key, row in merger.items():
            keeps = [name for name, counts in filed.items() if key in counts
                     and home[name][0] == key[0] and home[name] in merger
                     and merger[home[name]]["平水韻"] == row["平水韻"]]
            kept[key] = (row["韻目"], keeps)
        wrong = []
        for name in ("RavlekTable.tsv", "RavlekTable.koktai.tsv"):
            for r in read_rows(os.path.join(ARGS.folder, name)):
                cited = re.fullmatch(r"廣韻 (.+)切，(.)韻", r["PtypeDesc"])
                if not cited:
                    continue
                own = entries.get(r["HanWord"])
                if not own:
                    continue  # described by a variant form's entry
                names = set()
                for e in own:
                    if e["反切"] == cited.group(1) and (e["聲"], e["韻"]) in kept:
                        heading, keeps = kept[(e["聲"], e["韻"])]
                        names.add(e["韻目"] if e["韻目"] in keeps else heading)
                if cited.group(2) not in names:
                    wrong.append((r["HanWord"], r["HanSpell"], r["PtypeDesc"]))
        self.assertEqual(wrong, [])

    def test_one_reading_always_has_the_same_symbols_and_reads_back(self):
        tailo = load_tailo()
        symbols = {}
        for row in read_rows(os.path.join(ARGS.folder, "RavlekTable.tsv")):
            symbols.setdefault(row["HanSpell"], set()).add(row["Spell_P"])
        self.assertEqual({s: v for s, v in symbols.items() if len(v) > 1}, {})
        self.assertEqual({s: v for s, v in symbols.items()
                          if tailo.from_phonetic_symbols(next(iter(v))) != s}, {})


class BuiltDatabase(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.exists(ARGS.db):
            raise unittest.SkipTest(f"{ARGS.db} has not been built")
        cls.db = sqlite3.connect(ARGS.db)

    @classmethod
    def tearDownClass(cls):
        cls.db.close()

    def test_zan_shows_campbells_reading_rhyme_division_and_fanqie(self):
        rows = self.db.execute("SELECT Ptype, HanSpell, Spell_P, PoemRhyme, hong5se3, PtypeDesc "
                               "FROM RavlekTable WHERE HanWord = '讚' ORDER BY rowid").fetchall()
        self.assertEqual(rows, [("通", "tsan3", "ㄗㄢ˪", "去聲十五翰", "一等洪", "廣韻 則旰切，翰韻")])

    def test_the_rhymes_a_reader_checks_first(self):
        cases = [  # character, reading, its rhyme
            ("平", "ping5", "下平八庚"), ("能", "ling5", "下平十蒸"), ("北", "pok4", "入聲十三職"),
            ("國", "kok4", "入聲十三職"), ("逢", "hong5", "上平二冬"), ("佳", "ka1", "上平九佳"),
            ("母", "boo2", "上聲二十五有"), ("零", "ling5", "下平九青"), ("行", "hing5", "下平八庚"),
            ("行", "hang5", "下平七陽"), ("情", "tsing5", "下平八庚"),
        ]
        for ch, spell, rhyme in cases:
            with self.subTest(ch=ch, spell=spell):
                found = self.db.execute("SELECT PoemRhyme FROM RavlekTable WHERE HanWord = ? AND "
                                        "HanSpell = ?", (ch, spell)).fetchall()
                self.assertEqual(found, [(rhyme,)])

    def test_rows_keep_the_order_of_the_source(self):
        # The rows of the second source and the derived rows, in their own files, follow those
        # of the book.
        expected = [(r["HanWord"], r["Ptype"], r["HanSpell"])
                    for name in ("RavlekTable.tsv", "RavlekTable.koktai.tsv",
                                 "RavlekTable.synthesis.tsv")
                    for r in read_rows(os.path.join(ARGS.folder, name))]
        actual = self.db.execute("SELECT HanWord, Ptype, HanSpell FROM RavlekTable "
                                 "ORDER BY rowid").fetchall()
        self.assertEqual(actual, expected)

    def test_the_fanqie_characters_of_the_demonstration_read(self):
        # The fanqie page takes the first row of BaseWords, else of BaseWordsPlus.
        for ch, spell in [("則", "tsik4"), ("旰", "han2"), ("租", "tsoo1"), ("全", "tsuan5"),
                          ("縣", "hian5")]:
            with self.subTest(ch=ch):
                found = [self.db.execute(f"SELECT HanSpell FROM {table} WHERE HanWord = ? "
                                         "ORDER BY rowid", (ch,)).fetchone()
                         for table in ("BaseWords", "BaseWordsPlus")]
                self.assertEqual(next(row[0] for row in found if row), spell)


class ApplicationFolder(unittest.TestCase):
    def test_the_licences_the_release_note_names_lie_in_it(self):
        folder = os.path.dirname(ARGS.db)
        note = os.path.join(folder, "ReleaseNote.txt")
        if not os.path.exists(note):
            self.skipTest(f"{note} has not been built")
        with open(note, encoding="utf-8") as f:
            named = sorted(set(re.findall(r"LICENSE[A-Za-z.-]*[A-Za-z]", f.read())))
        self.assertEqual(named, ["LICENSE.dictionary", "LICENSE.dictionary-koktai",
                                 "LICENSE.dictionary-terra-pinyin"])
        for name, source in zip(named, ["LICENSE", "LICENSE.koktai", "LICENSE.terra-pinyin"]):
            with self.subTest(name=name):
                with open(os.path.join(folder, name), "rb") as copy, \
                        open(os.path.join(ARGS.folder, source), "rb") as original:
                    self.assertEqual(copy.read(), original.read())


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    for option in ("--db", "--folder", "--sample", "--data", "--unihan", "--terra", "--rhymes",
                   "--builder"):
        parser.add_argument(option, required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
