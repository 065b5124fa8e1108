#!/usr/bin/env python3
"""Checks how scripts/setup --check reads the programs that C++ sources start."""

import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import check_setup  # noqa: E402


class ProgramsInSourceTest(unittest.TestCase):
    def test_words_after_ravlek_cli_are_its_commands(self):
        cases = [
            # (source, the literals that may name a program it starts)
            ('QProcess p; p.start(QStringLiteral("/usr/bin/time"), {QStringLiteral("-v"), '
             'QStringLiteral(RAVLEK_CLI_PATH), QStringLiteral("import"), QStringLiteral("--to")});',
             ["/usr/bin/time"]),
            ('QProcess p; return Run(QStringLiteral(RAVLEK_CLI_PATH),\n'
             '    {QStringLiteral("import"), QStringLiteral("--table"), f.tsv});',
             []),
            ('QProcess p; RunCli({"--db", db, "filter", "--dataset", "x"});', []),
            ('QProcess p; p.start("ravlek-cli", {"lookup", "--spell", "tsan3"});',
             ["ravlek-cli"]),
            # Another program's words stay programs, also after a statement that ran ravlek-cli.
            ('QProcess p; Run(QStringLiteral(RAVLEK_CLI_PATH), {"import"});\n'
             'Run(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), db});',
             ["sqlite3"]),
            ('QProcess::execute("import", {"-window", "root", "shot.png"});',
             ["import", "root", "shot.png"]),
            # A source that starts nothing names no program.
            ('const char* word = "import";', []),
        ]
        for source, programs in cases:
            with self.subTest(source=source):
                self.assertEqual(check_setup.programs_in_source(source), programs)


if __name__ == "__main__":
    unittest.main()
