#!/bin/sh
# The Debian package made by CPack holds what the desktop needs (launcher, programs, template,
# desktop entry, icon, metainfo, manual page, licences) and no test or benchmark program.
# Usage: deb_test.sh BUILD_DIR DPKG_DEB
set -eu
build=$1
dpkg_deb=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work" > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/ravlek_*.deb)
"$dpkg_deb" -c "$deb" > "$work/contents"
for path in ./usr/bin/ravlek ./usr/bin/ravlek-cli ./usr/libexec/ravlek/Ravlek \
            ./usr/libexec/ravlek/Ravlek_Start ./usr/libexec/ravlek/Ravlek_Spell \
            ./usr/libexec/ravlek/ravlek_html_engine.so \
            ./usr/share/ravlek/app/Ravlek.db ./usr/share/ravlek/app/FDConnectionDefs.ini \
            ./usr/share/ravlek/app/TSU.ttf ./usr/share/ravlek/app/installedXML/CurrentVersion.xml \
            ./usr/share/ravlek/app/pingshui_groups.tsv ./usr/share/ravlek/app/pingshui-LICENSE.txt \
            ./usr/share/ravlek/app/last_release_XML/RavlekBasic.html \
            ./usr/share/ravlek/app/LICENSE.dictionary ./usr/share/ravlek/app/LICENSE.dictionary-koktai \
            ./usr/share/ravlek/template-version \
            ./usr/share/applications/org.ravlek.Ravlek.desktop \
            ./usr/share/metainfo/org.ravlek.Ravlek.metainfo.xml \
            ./usr/share/icons/hicolor/48x48/apps/org.ravlek.Ravlek.png \
            ./usr/share/icons/hicolor/256x256/apps/org.ravlek.Ravlek.png \
            ./usr/share/man/man1/ravlek-cli.1.gz ./usr/share/doc/ravlek/LICENSE \
            ./usr/bin/ravlek-server ./usr/share/man/man1/ravlek-server.1.gz \
            ./usr/lib/systemd/system/ravlek-server.service \
            ./usr/share/doc/ravlek/LICENSE.dictionary; do
  grep -q " $path\$" "$work/contents" || fail "$path is not in the package"
done
grep -q '^-rwxr-xr-x .* ./usr/bin/ravlek$' "$work/contents" || fail "the launcher is not executable"
if grep -E 'test|bench|gtest|release-server|draw_pictures' "$work/contents"; then
  fail "the package holds a program for developers"
fi
# The classroom server is disabled until an administrator enables it: no link that enables it, no
# maintainer script that could.
if grep -E '\.wants/|/etc/systemd' "$work/contents"; then fail "the package enables a unit"; fi
"$dpkg_deb" -e "$deb" "$work/control"
for script in postinst preinst prerm postrm; do
  [ ! -e "$work/control/$script" ] || ! grep -q systemctl "$work/control/$script" ||
    fail "$script runs systemctl"
done
[ "$("$dpkg_deb" -f "$deb" Package)" = ravlek ] || fail "package name"
depends=$("$dpkg_deb" -f "$deb" Depends)
for needed in libqt6widgets6 libqt6webenginecore6 libqt6sql6-sqlite fonts-noto-cjk fonts-hanazono; do
  echo "$depends" | grep -q "$needed" || fail "Depends lacks $needed: $depends"
done
echo "deb: ok"
