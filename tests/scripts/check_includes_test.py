#!/usr/bin/env python3
"""Checks that scripts/check_includes.py finds each kind of breach in a small source tree."""

import contextlib
import io
import os
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import check_includes  # noqa: E402

# A house in small: two core libraries and their window libraries, the shared window library and
# the composition root.
TREE = {
    "base/CMakeLists.txt": "add_library(ravlek_base STATIC text.h text.cpp)\n",
    "base/text.h": "",
    "base/text.cpp": '#include "base/text.h"\n',
    "dictionary/CMakeLists.txt": (
        "# The dictionary.\nadd_library(ravlek_dictionary STATIC rows.h rows.cpp)\n"
        "target_link_libraries(ravlek_dictionary PUBLIC ravlek_base Qt6::Core)\n"),
    "dictionary/rows.h": '#include "base/text.h"\n',
    "dictionary/rows.cpp": '#include "dictionary/rows.h"\n',
    "romanize/CMakeLists.txt": (
        "add_library(ravlek_romanize STATIC convert.h)\n"
        "target_link_libraries(ravlek_romanize PUBLIC ravlek_dictionary)\n"),
    "romanize/convert.h": '#include "dictionary/rows.h"\n',
    "dictionary/window/CMakeLists.txt": (
        "add_library(ravlek_dictionary_window STATIC lookup_page.h lookup_page.cpp)\n"
        "target_link_libraries(ravlek_dictionary_window PUBLIC ravlek_dictionary\n"
        "  ravlek_window_shared)\n"),
    "dictionary/window/lookup_page.h": '#include "app/window/messages.h"\n',
    "dictionary/window/lookup_page.cpp": (
        '#include "dictionary/window/lookup_page.h"\n#include "base/text.h"\n'),
    "romanize/window/CMakeLists.txt": (
        "add_library(ravlek_romanize_window STATIC conversion_page.h)\n"
        "target_link_libraries(ravlek_romanize_window PUBLIC ravlek_romanize ravlek_window_shared\n"
        "  PRIVATE ravlek_pdf)\n"
        "add_library(ravlek_pdf STATIC ${CMAKE_CURRENT_SOURCE_DIR}/pdf.h)\n"),
    "romanize/window/conversion_page.h": (
        '#include "romanize/convert.h"\n#include "romanize/window/pdf.h"\n'),
    "romanize/window/pdf.h": "",
    "app/window/CMakeLists.txt": (
        "add_library(ravlek_window_shared STATIC messages.h)\n"
        "add_library(ravlek_window STATIC ostrel.h ostrel.cpp editor_launcher.h)\n"
        "target_link_libraries(ravlek_window PUBLIC ravlek_window_shared\n"
        "  ravlek_dictionary_window ravlek_romanize_window)\n"
        "add_executable(Ravlek main.cpp)\ntarget_link_libraries(Ravlek PRIVATE ravlek_window)\n"),
    "app/window/messages.h": "",
    "app/window/ostrel.h": "",
    "app/window/ostrel.cpp": (
        '#include "app/window/ostrel.h"\n#include "dictionary/window/lookup_page.h"\n'
        '#include "romanize/window/conversion_page.h"\n'),
    "app/window/editor_launcher.h": '#include "app/window/messages.h"\n',
    "app/window/main.cpp": '#include "app/window/ostrel.h"\n',
}


def breaches(changes):
    """The breaches found in TREE with `changes` (path -> new text, or None to remove)."""
    with tempfile.TemporaryDirectory() as root:
        for path, text in {**TREE, **changes}.items():
            if text is None:
                continue
            (Path(root) / path).parent.mkdir(parents=True, exist_ok=True)
            (Path(root) / path).write_text(text, encoding="utf-8")
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            rc = check_includes.main(root)
        lines = out.getvalue().splitlines()
        assert (rc != 0) == bool(lines)
        return lines


class IncludeRulesTest(unittest.TestCase):
    def test_the_house_in_small_keeps_the_rules(self):
        self.assertEqual(breaches({}), [])

    def test_each_breach_is_found(self):
        cases = [
            # (what changes, a part of the breach reported)
            ({"dictionary/rows.cpp": '#include "dictionary/window/lookup_page.h"\n'},
             "the core includes window code"),
            ({"dictionary/window/lookup_page.cpp": '#include "app/window/ostrel.h"\n'},
             "not of the shared window library"),
            ({"dictionary/window/lookup_page.cpp": '#include "romanize/window/conversion_page.h"\n'},
             "a page includes another page's"),
            ({"app/window/editor_launcher.h": '#include "app/window/ostrel.h"\n'},
             "not of the shared window library"),
            # A page reaching a core library its own does not link.
            ({"dictionary/window/lookup_page.cpp": '#include "romanize/convert.h"\n'},
             "of ravlek_romanize, which ravlek_dictionary_window does not link"),
            # A core library reaching a sibling: metre must not include romanize.
            ({"dictionary/rows.cpp": '#include "romanize/convert.h"\n'},
             "which ravlek_dictionary does not link"),
            # What a library links privately is not passed on.
            ({"app/window/ostrel.cpp": '#include "romanize/window/pdf.h"\n'},
             "of ravlek_pdf, which ravlek_window does not link"),
            ({"dictionary/window/CMakeLists.txt": TREE["dictionary/window/CMakeLists.txt"]
              + "target_link_libraries(ravlek_dictionary_window PRIVATE ravlek_romanize)\n"},
             "links ravlek_romanize, neither its core library"),
            ({"dictionary/window/CMakeLists.txt": TREE["dictionary/window/CMakeLists.txt"]
              + "target_link_libraries(ravlek_dictionary_window PUBLIC ravlek_window)\n"},
             "links ravlek_window, neither its core library"),
            ({"base/stray.cpp": ""}, "base/stray.cpp: belongs to no library"),
            ({"base/text.h": '#include "base/text2.h"\n',
              "base/text2.h": '#include "base/text.h"\n',
              "base/CMakeLists.txt": "add_library(ravlek_base STATIC text.h text2.h text.cpp)\n"},
             "include cycle: base/text.h -> base/text2.h -> base/text.h"),
        ]
        for changes, expected in cases:
            with self.subTest(changes=changes):
                found = breaches(changes)
                self.assertTrue(any(expected in line for line in found), found)

    def test_a_tree_without_libraries_fails(self):
        # A parse that finds nothing must not pass everything.
        found = breaches({path: None for path in TREE if path.endswith("CMakeLists.txt")})
        self.assertIn("no library found in the CMakeLists.txt files", found)


if __name__ == "__main__":
    unittest.main()
