#!/usr/bin/env python3
"""Checks the metre checker's Pingshui tables: the committed files against a fresh run of their
script over the shared data, and the copies the build lays into the application folder."""

import argparse
import os
import subprocess
import sys
import tempfile
import unittest

ARGS = None
TABLES = ["pingshui_groups.tsv", "pingshui_variants.tsv"]


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


class PingshuiTablesTest(unittest.TestCase):
    def test_committed_tables_are_what_the_script_makes(self):
        if not os.path.isdir(os.path.join(ARGS.data, "pingshui")):
            self.skipTest(f"the shared data folder {ARGS.data} is absent")
        if not os.path.exists(ARGS.unihan):
            self.skipTest(f"{ARGS.unihan} is absent (Debian package unicode-data)")
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, os.path.join(ARGS.folder, "make_pingshui_groups.py"),
                            "--data", ARGS.data, "--unihan", ARGS.unihan, "--out", out],
                           check=True, stderr=subprocess.DEVNULL)
            for table in TABLES:
                self.assertEqual(read_bytes(os.path.join(out, table)),
                                 read_bytes(os.path.join(ARGS.folder, table)), table)

    def test_tables_hold_the_mended_rows(self):
        rows = {}
        for line in read_bytes(os.path.join(ARGS.folder, TABLES[0])).decode().split("\n")[1:-1]:
            ch, groups = line.split("\t")
            rows[ch] = groups.split(" ")
        self.assertIn("下平一先", rows["先"])
        self.assertEqual(rows["看"], ["上平十四寒", "去聲十五翰"])
        # The page's licence note is no part of 入聲十七洽.
        self.assertNotIn("入聲十七洽", rows.get("界", []))
        self.assertNotIn("0", rows)

    def test_build_ships_the_tables_with_their_licences(self):
        for name in TABLES + ["pingshui-LICENSE.txt", "pingshui_variants-LICENSE.txt"]:
            self.assertTrue(os.path.isfile(os.path.join(ARGS.app_dir, name)), name)
        for table in TABLES:
            self.assertEqual(read_bytes(os.path.join(ARGS.app_dir, table)),
                             read_bytes(os.path.join(ARGS.folder, table)), table)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--folder", required=True)
    parser.add_argument("--data", required=True)
    parser.add_argument("--unihan", required=True)
    parser.add_argument("--app-dir", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest)
