#!/usr/bin/env python3
"""Makes TSU.ttf, the phonetic font of the application folder: the Bopomofo, Bopomofo Extended,
tone-mark and ASCII glyphs of a free CJK font, renamed so that its family name holds "Ostrel台語".

usage: make_tsu_font.py SOURCE_FONT(.ttc/.otf/.ttf) OUTPUT.ttf
"""
import sys

from fontTools import subset, ttLib

FAMILY = "Ostrel台語注音"
POSTSCRIPT = "OstrelTaigiZhuyin-Regular"
CODE_POINTS = (
    list(range(0x20, 0x7F))  # ASCII
    + list(range(0x3100, 0x3130))  # Bopomofo
    + list(range(0x31A0, 0x31C0))  # Bopomofo Extended
    + [0x02C7, 0x02C9, 0x02CA, 0x02CB, 0x02D9, 0x02EA, 0x02EB]  # tone marks
)


def open_traditional_face(path):
    """The face of a collection whose family name ends in TC; the only face of a single font."""
    if not path.lower().endswith(".ttc"):
        return ttLib.TTFont(path)
    collection = ttLib.TTCollection(path)
    for number, face in enumerate(collection.fonts):
        family = face["name"].getDebugName(1) or ""
        if family.endswith(" TC"):
            return ttLib.TTFont(path, fontNumber=number)
    return ttLib.TTFont(path, fontNumber=0)


def rename(font):
    names = font["name"]
    names.names = [n for n in names.names if n.nameID not in (1, 2, 3, 4, 6, 16, 17, 21, 22)]
    for name_id, text in ((1, FAMILY), (2, "Regular"), (3, POSTSCRIPT), (4, FAMILY),
                          (6, POSTSCRIPT)):
        names.setName(text, name_id, 3, 1, 0x409)
    if "CFF " in font:
        cff = font["CFF "].cff
        cff.fontNames = [POSTSCRIPT]
        top = cff.topDictIndex[0]
        top.FamilyName = POSTSCRIPT
        top.FullName = POSTSCRIPT


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    font = open_traditional_face(sys.argv[1])
    options = subset.Options()
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.layout_features = ["*"]
    options.notdef_outline = True
    options.hinting = False
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=CODE_POINTS)
    subsetter.subset(font)
    rename(font)
    font.save(sys.argv[2])


if __name__ == "__main__":
    main()
