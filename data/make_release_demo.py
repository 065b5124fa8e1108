#!/usr/bin/env python3
"""Lays out the demo release folders that tools/release-server serves.

  current/RavlekSystem_Release/last_release_XML/  the installed versions: no update
  update/RavlekSystem_Release/last_release_XML/   a newer system and database with their
                                                  upgrade archives, and newer resource pages
"""
import argparse
import os
import random
import struct
import zipfile
import zlib
from xml.sax.saxutils import escape


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def release_xml(releases):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', "<Ravlek>"]
    for r in releases:
        lines.append('  <release id="%s">' % escape(r["id"], {'"': "&quot;"}))
        for key in ("sys_version", "sys_download_url", "sys_notes",
                    "db_version", "db_download_url", "db_notes"):
            lines.append("    <%s>%s</%s>" % (key, escape(r[key]), key))
        lines.append("  </release>")
    lines.append("</Ravlek>")
    return ("\n".join(lines) + "\n").encode("utf-8")


def information_xml(html_id, images_id):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<Ravlek>\n  <info>\n'
            "    <HTML_release_id>%s</HTML_release_id>\n"
            "    <HTML_images_release_id>%s</HTML_images_release_id>\n"
            "  </info>\n</Ravlek>\n" % (escape(html_id), escape(images_id))).encode("utf-8")


def small_png(width=64, height=16):
    """A small picture for the image package: a band in the program's colours."""
    rows = b""
    for y in range(height):
        row = b"\x00"
        for x in range(width):
            row += bytes((40 + 2 * x, 80 + 4 * y, 160))
        rows += row
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def make_zip(path, members):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with zipfile.ZipFile(path, "w") as z:
        for name, data, method in members:
            info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
            info.compress_type = method
            z.writestr(info, data)


def payload(seed, size):
    """Incompressible bytes that make an archive big enough to watch its download."""
    rng = random.Random(seed)
    return rng.randbytes(size)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--out", required=True)
    p.add_argument("--root", required=True, help="the release server's root address")
    p.add_argument("--release-name", required=True)
    p.add_argument("--system-version", required=True)
    p.add_argument("--database-version", required=True)
    p.add_argument("--html-id", required=True)
    p.add_argument("--images-id", required=True)
    p.add_argument("--pages", nargs="+", required=True)
    a = p.parse_args()

    folder = "RavlekSystem_Release/last_release_XML"
    pages = [(os.path.basename(f), open(f, "rb").read(), zipfile.ZIP_DEFLATED) for f in a.pages]
    images = [("ravlek_banner.png", small_png(), zipfile.ZIP_STORED)]
    installed = {
        "id": a.release_name,
        "sys_version": a.system_version,
        "sys_download_url": "無更新",
        "sys_notes": "台語Ostrel輔助系統 " + a.system_version,
        "db_version": a.database_version,
        "db_download_url": "無更新",
        "db_notes": "範例字典 " + a.database_version,
    }

    # The current release: what the sample installation already has.
    current = os.path.join(a.out, "current", folder)
    write(os.path.join(current, "LastVersion.xml"), release_xml([installed]))
    write(os.path.join(current, "information.xml"), information_xml(a.html_id, a.images_id))
    make_zip(os.path.join(current, "HTML.zip"), pages)
    make_zip(os.path.join(current, "HTML_images.zip"), images)

    # The update: a newer system and database, and newer resource pages.
    update = os.path.join(a.out, "update", folder)
    base = a.root + "/" + folder
    new_version = a.system_version + "-demo-update"
    new_db_version = a.database_version + "-demo-update"
    newer = {
        "id": a.release_name + " demo update",
        "sys_version": new_version,
        "sys_download_url": base + "/Ravlek_sys_upgrade.zip",
        "sys_notes": "示範更新：系統 " + new_version,
        "db_version": new_db_version,
        "db_download_url": base + "/Ravlek_db_upgrade.zip",
        "db_notes": "示範更新：字典 " + new_db_version,
    }
    write(os.path.join(update, "LastVersion.xml"), release_xml([installed, newer]))
    write(os.path.join(update, "information.xml"),
          information_xml(a.html_id + "-demo-update", a.images_id))
    make_zip(os.path.join(update, "HTML.zip"), pages)
    make_zip(os.path.join(update, "HTML_images.zip"), images)
    now_installed = dict(newer)
    now_installed["sys_download_url"] = "無更新"
    now_installed["db_download_url"] = "無更新"
    notes = ("\ufeff台語Ostrel輔助系統 %s\r\n系統版本 %s，字典版本 %s\r\n\r\n"
             "- 這是示範更新，由示範發行伺服器下載並由 Ravlek_Start 安裝。\r\n"
             % (newer["id"], new_version, new_db_version)).encode("utf-8")
    manifest = release_xml([now_installed])
    make_zip(os.path.join(update, "Ravlek_sys_upgrade.zip"), [
        ("installedXML/CurrentVersion.xml", manifest, zipfile.ZIP_DEFLATED),
        # The update's release sequence (sign_release_demo.cmake signs it as 2): the new floor.
        ("installedXML/release_sequence.txt", b"2\n", zipfile.ZIP_DEFLATED),
        ("ReleaseNote.txt", notes, zipfile.ZIP_DEFLATED),
        ("upgrade_payload/system.bin", payload(1, 3 << 20), zipfile.ZIP_STORED),
    ])
    make_zip(os.path.join(update, "Ravlek_db_upgrade.zip"), [
        ("installedXML/CurrentVersion.xml", manifest, zipfile.ZIP_DEFLATED),
        ("upgrade_payload/database.bin", payload(2, 2 << 20), zipfile.ZIP_STORED),
    ])


if __name__ == "__main__":
    main()
