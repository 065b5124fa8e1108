#!/bin/sh
# The installed ravlek launcher: the first run makes the user's application folder from the
# template and starts the starter there; a second run keeps the dictionary the user edited; an
# upgraded package refreshes the programs, upgrades the dictionary keeping the user's note, and
# keeps the settings.
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
for file in Ravlek Ravlek_Start Ravlek_Spell ravlek_html_engine.so Ravlek.db FDConnectionDefs.ini \
            ReleaseNote.txt \
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

# SQL on a dictionary file; a shipped note's hash as the build records it.
sql() {
  python3 - "$@" <<'PY'
import hashlib, sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.create_function("note_hash", 1,
                   lambda t: hashlib.sha1((t or "").encode()).hexdigest()[:16])
for statement in sys.argv[2:]:
    for row in db.execute(statement):
        print("|".join("" if v is None else str(v) for v in row))
db.commit()
PY
}

# The user edits the dictionary and the settings; a second run keeps both.
sql "$folder/Ravlek.db" "UPDATE RavlekTable SET Desc = '我的註解' WHERE HanWord = '讚'"
printf '; the user\n' >> "$folder/FDConnectionDefs.ini"
edited=$(cksum < "$folder/Ravlek.db")
settings=$(cksum < "$folder/FDConnectionDefs.ini")
rm "$RECORD"
"$prefix/bin/ravlek"
[ "$(head -n 1 "$RECORD")" = "$folder" ] || fail "the second run did not start the starter there"
[ "$(cksum < "$folder/Ravlek.db")" = "$edited" ] || fail "the second run replaced the dictionary"

# An upgrade of the package: new programs, a new template whose dictionary has a new note and a
# new reading; the user's settings stay, the dictionary takes the new rows and keeps the note.
printf 'new program\n' > "$prefix/libexec/ravlek/Ravlek_Spell"
sql "$prefix/share/ravlek/app/Ravlek.db" \
  "UPDATE RavlekTable SET Phone_desc = '新版語音註' WHERE HanWord = '讚'" \
  "UPDATE RavlekShippedNotes SET Phone_desc_sha1 = note_hash('新版語音註') WHERE HanWord = '讚'" \
  "INSERT INTO RavlekTable (HanWord, Ptype, HanSpell, Phone_desc, Desc) VALUES ('〇', '文', 'ling5', '新讀音', '')" \
  "INSERT INTO RavlekShippedNotes VALUES ('〇', '文', 'ling5', note_hash('新讀音'), note_hash(''))"
printf 'ravlek upgraded\n' > "$prefix/share/ravlek/template-version"
"$prefix/bin/ravlek"
[ "$(cat "$folder/Ravlek_Spell")" = "new program" ] || fail "the upgrade did not refresh programs"
[ "$(sql "$folder/Ravlek.db" "SELECT Phone_desc, Desc FROM RavlekTable WHERE HanWord = '讚'")" = "新版語音註|我的註解" ] \
  || fail "the upgrade lost the user's note or the new note"
[ "$(sql "$folder/Ravlek.db" "SELECT Phone_desc FROM RavlekTable WHERE HanWord = '〇' AND HanSpell = 'ling5'")" = "新讀音" ] \
  || fail "the upgrade did not bring the new reading"
[ "$(cksum < "$folder/FDConnectionDefs.ini")" = "$settings" ] || fail "the upgrade replaced settings"
ls "$folder" | grep -q 'ravlek-new' && fail "a temporary copy was left behind"

# Without XDG_DATA_HOME the folder is in ~/.local/share.
unset XDG_DATA_HOME
"$prefix/bin/ravlek"
[ "$(head -n 1 "$RECORD")" = "$HOME/.local/share/ravlek" ] || fail "the XDG default was not used"
echo "launcher: ok"
