#!/usr/bin/env python3
"""Checks the sample dictionary database and the builder that makes it from the TSV source."""

import argparse
import os
import sqlite3
import subprocess
import sys
import tempfile
import unittest

ARGS = None

# The demonstration texts the program fills its input fields with: the dictionary passage for 讚
# and the sample text with its poem (blank lines left out).
FANQIE_SAMPLE_PIECES = [
    '範例如:讚(tsan3)',
    '【集韻】【韻會】𠀤則旰切，音酇。【小爾雅】明也。【類篇】稱也。【釋名】稱人之美曰讚。讚，纂',
    '也。纂集其美而敘之也。 又叶租全反，音鐫。',
    '【馬融·圍棋賦】三尺之局，兩敵相當。攻守無方，觀者咸讚。怨平聲，叶上源。',
    '\u3000又叶則縣反，音箭。',
    '【馬融·長笛賦】截竹為管，吹之以氣。清聲發越，聽者忘歸。俗作讃。',
    '<<< 請按此欄位右下 《【粹取】》 按鈕 , 執行此範例',
    '>>>',
]
CONVERSION_SAMPLE_LINES = [
    '無題 (李商隱)',
    '昨夜星辰昨夜風，畫樓西畔桂堂東，',
    '身無彩鳳雙飛翼，心有靈犀一點通。',
    '隔座送鉤春酒暖，分曹射覆蠟燈紅，',
    '嗟余聽鼓應官去，走馬蘭臺類轉蓬。',
    '貼入文章請每行字數控制，',
    '盡量簡潔忌冗長。 以利轉碼對照。',
    '對轉出音韻之詳細切音與解釋，請用[查漢字]功能查該漢字。',
]


def is_han(ch):
    code = ord(ch)
    return 0x3400 <= code <= 0x9FFF or 0x20000 <= code <= 0x3FFFF


def sample_characters():
    text = "".join(FANQIE_SAMPLE_PIECES) + "".join(CONVERSION_SAMPLE_LINES)
    return sorted({ch for ch in text if is_han(ch)})


class SampleDatabase(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.exists(ARGS.db):
            raise unittest.SkipTest(f"{ARGS.db} has not been built")
        cls.db = sqlite3.connect(ARGS.db)

    @classmethod
    def tearDownClass(cls):
        cls.db.close()

    def test_every_sample_character_has_a_reading(self):
        missing = [ch for ch in sample_characters()
                   if not self.db.execute("SELECT 1 FROM RavlekTable WHERE HanWord = ? AND "
                                          "Ptype <> '' AND HanSpell <> ''", (ch,)).fetchone()]
        self.assertEqual(missing, [], "characters of the sample texts without a reading")

    def test_zan_is_read_tsan3_in_the_shared_class(self):
        rows = self.db.execute("SELECT Ptype, HanSpell, PoemRhyme FROM RavlekTable "
                               "WHERE HanWord = '讚' ORDER BY rowid").fetchall()
        self.assertIn(("通", "tsan3", "去聲十五翰"), rows)

    def first_base_reading(self, ch):
        for table in ("BaseWords", "BaseWordsPlus"):
            row = self.db.execute(f"SELECT HanSpell FROM {table} WHERE HanWord = ? ORDER BY rowid",
                                  (ch,)).fetchone()
            if row:
                return table, row[0]
        return None, None

    def test_fanqie_characters_resolve_through_base_words_then_the_supplement(self):
        cases = [  # character, table that answers, reading
            ("則", "BaseWords", "tsik4"),
            ("旰", "BaseWordsPlus", "kan3"),
            ("租", "BaseWords", "tsoo1"),
            ("全", "BaseWords", "tsuan5"),
            ("縣", "BaseWords", "hian7"),
        ]
        for ch, table, spell in cases:
            with self.subTest(ch=ch):
                self.assertEqual(self.first_base_reading(ch), (table, spell))

    def test_rows_keep_the_order_of_the_source(self):
        with open(os.path.join(ARGS.source, "RavlekTable.tsv"), encoding="utf-8") as f:
            lines = f.read().split("\n")[1:-1]
        expected = [tuple(line.split("\t")[:3]) for line in lines]
        actual = self.db.execute("SELECT HanWord, Ptype, HanSpell FROM RavlekTable "
                                 "ORDER BY rowid").fetchall()
        self.assertEqual(actual, expected)


RAVLEK_HEADER = ("HanWord\tPtype\tHanSpell\tSpell_P\tSpell_P_Han\tInitial_C_type\tPoemRhyme\t"
                 "hong5se3\tPoemRhyme2\tPtypeDesc\tPhone_desc\tDesc\n")
GOOD_ROW = "讚\t通\ttsan3\t\t\\N\t\t去聲十五翰\t\t\t\t第一行\\n第二行\tA\\tB\\\\C\n"


class Builder(unittest.TestCase):
    def build(self, ravlek_rows, base_rows="則\ttsik4\n"):
        folder = tempfile.mkdtemp()
        self.addCleanup(lambda: subprocess.run(["rm", "-rf", folder]))
        with open(os.path.join(folder, "RavlekTable.tsv"), "w", encoding="utf-8") as f:
            f.write(RAVLEK_HEADER + ravlek_rows)
        for name in ("BaseWords", "BaseWordsPlus"):
            with open(os.path.join(folder, name + ".tsv"), "w", encoding="utf-8") as f:
                f.write("HanWord\tHanSpell\n" + base_rows)
        output = os.path.join(folder, "out", "Ravlek.db")
        result = subprocess.run([sys.executable, ARGS.builder, "--source", folder, "--rhymes",
                                 ARGS.rhymes, "--output", output], capture_output=True, text=True)
        return result, output

    def test_values_keep_null_empty_and_escapes_apart(self):
        result, output = self.build(GOOD_ROW)
        self.assertEqual(result.returncode, 0, result.stderr)
        db = sqlite3.connect(output)
        row = db.execute("SELECT Spell_P, Spell_P_Han, Phone_desc, Desc FROM RavlekTable").fetchone()
        db.close()
        self.assertEqual(row, ("", None, "第一行\n第二行", "A\tB\\C"))

    def test_bad_rows_fail_the_build_and_write_nothing(self):
        cases = [  # row, words the message must name
            ("讚\t通\ttsan3\n", "3 columns"),
            ("讚\t甲\ttsan3" + "\t" * 9 + "\n", "Ptype"),
            ("讚\t\ttsan3" + "\t" * 9 + "\n", "Ptype"),
            ("讚\t通\tTsan3" + "\t" * 9 + "\n", "HanSpell"),
            ("讚\t通\ttsan" + "\t" * 9 + "\n", "HanSpell"),
            ("讚\t通\ttsan3\t\t\t\t去聲十五韓" + "\t" * 5 + "\n", "PoemRhyme"),
            ("\t通\ttsan3" + "\t" * 9 + "\n", "HanWord"),
            ("讚\t通\ttsan3\t\\x" + "\t" * 8 + "\n", "escape"),
        ]
        for row, words in cases:
            with self.subTest(row=row):
                result, output = self.build(GOOD_ROW + row)
                self.assertEqual(result.returncode, 1)
                self.assertIn("RavlekTable.tsv:3:", result.stderr)
                self.assertIn(words, result.stderr)
                self.assertFalse(os.path.exists(output))

    def test_a_bad_base_word_row_fails_the_build(self):
        result, _ = self.build(GOOD_ROW, base_rows="則\ttsik\n")
        self.assertEqual(result.returncode, 1)
        self.assertIn("BaseWords.tsv:2:", result.stderr)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    for option in ("--db", "--source", "--builder", "--rhymes"):
        parser.add_argument(option, required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
