#!/bin/sh
# The installed ravlek launcher: the first run makes the user's application folder from the
# template and starts the starter there; a second run keeps the dictionary the user edited; an
# upgraded package refreshes the programs and still keeps the dictionary and the settings.
# Usage: launcher_test.sh BUILD_DIR CMAKE
set -eu
build=$1
cmake=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$work/usr" > "$work/install.log"
prefix=$work/usr
[ -x "$prefix/bin/ravlek" ] || fail "bin/ravlek is not installed"

# The starter is replaced by one that records where and how it was started.
cat > "$prefix/libexec/ravlek/Ravlek_Start" <<'SCRIPT'
#!/bin/sh
pwd > "$RECORD"
printf '%s\n' "$@" >> "$RECORD"
SCRIPT
chmod +x "$prefix/libexec/ravlek/Ravlek_Start"

export RECORD="$work/record"
export HOME="$work/home"
export XDG_DATA_HOME="$work/data"
folder=$XDG_DATA_HOME/ravlek

# First run.
"$prefix/bin/ravlek" --first
[ "$(head -n 1 "$RECORD")" = "$folder" ] || fail "the starter ran in $(head -n 1 "$RECORD")"
[ "$(sed -n 2p "$RECORD")" = "--first" ] || fail "the arguments did not reach the starter"
for file in Ravlek Ravlek_Start Ravlek_Spell Ravlek.db FDConnectionDefs.ini ReleaseNote.txt \
            TSU.ttf installedXML/CurrentVersion.xml last_release_XML/About.html pingshui_groups.tsv \
            last_release_XML/LastVersion.xml; do
  [ -f "$folder/$file" ] || fail "$file is missing from the user's folder"
done
# Every licence file that the release note names lies beside it.
licences=$(grep -o 'LICENSE[A-Za-z.-]*[A-Za-z]' "$folder/ReleaseNote.txt" | sort -u)
[ -n "$licences" ] || fail "the release note names no licence file"
for licence in $licences; do
  [ -f "$folder/$licence" ] || fail "$licence, which the release note names, is not in the user's folder"
done
[ -x "$folder/Ravlek" ] || fail "Ravlek is not executable in the user's folder"
cmp -s "$folder/Ravlek.db" "$prefix/share/ravlek/app/Ravlek.db" || fail "Ravlek.db is no copy"
[ -w "$folder/Ravlek.db" ] || fail "the user cannot write the dictionary"

# The user edits the dictionary and the settings; a second run keeps both.
printf 'edited by the user\n' >> "$folder/Ravlek.db"
printf '; the user\n' >> "$folder/FDConnectionDefs.ini"
edited=$(cksum < "$folder/Ravlek.db")
settings=$(cksum < "$folder/FDConnectionDefs.ini")
rm "$RECORD"
"$prefix/bin/ravlek"
[ "$(head -n 1 "$RECORD")" = "$folder" ] || fail "the second run did not start the starter there"
[ "$(cksum < "$folder/Ravlek.db")" = "$edited" ] || fail "the second run replaced the dictionary"

# An upgrade of the package: new programs, a new template; the user's files stay.
printf 'new program\n' > "$prefix/libexec/ravlek/Ravlek_Spell"
printf 'new dictionary\n' > "$prefix/share/ravlek/app/Ravlek.db"
printf 'ravlek upgraded\n' > "$prefix/share/ravlek/template-version"
"$prefix/bin/ravlek"
[ "$(cat "$folder/Ravlek_Spell")" = "new program" ] || fail "the upgrade did not refresh programs"
[ "$(cksum < "$folder/Ravlek.db")" = "$edited" ] || fail "the upgrade replaced the dictionary"
[ "$(cksum < "$folder/FDConnectionDefs.ini")" = "$settings" ] || fail "the upgrade replaced settings"
ls "$folder" | grep -q 'ravlek-new' && fail "a temporary copy was left behind"

# Without XDG_DATA_HOME the folder is in ~/.local/share.
unset XDG_DATA_HOME
"$prefix/bin/ravlek"
[ "$(head -n 1 "$RECORD")" = "$HOME/.local/share/ravlek" ] || fail "the XDG default was not used"
echo "launcher: ok"
