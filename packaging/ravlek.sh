#!/bin/sh
# ravlek: starts 台語Ostrel輔助系統 in the user's own application folder.
#
# The program works in its current directory and writes there (the dictionary with the notes typed
# into it, settings, downloaded pages, staged updates), so an installed copy cannot run in the
# read-only installation folders. On the first run this launcher makes the folder
# $XDG_DATA_HOME/ravlek (~/.local/share/ravlek) from the installed template; when the installed
# package has changed since, it refreshes the program files there, upgrades the user's dictionary
# to the package's (keeping the notes the user changed: ravlek-cli upgrade) and keeps the rest of
# what the user owns: the settings and the downloaded pages. Then it starts the starter there.
set -eu

here=$(dirname "$(readlink -f "$0")")
prefix=$(dirname "$here")
programs=$prefix/libexec/ravlek
share=$prefix/share/ravlek
template=$share/app

case ${XDG_DATA_HOME:-} in
  /*) data_home=$XDG_DATA_HOME ;;
  *) data_home=$HOME/.local/share ;;  # unset, empty or relative: the XDG default
esac
folder=$data_home/ravlek
stamp=$folder/.ravlek-template

if [ ! -d "$programs" ] || [ ! -d "$template" ]; then
  echo "ravlek: the installation is incomplete: $programs or $template is missing" >&2
  exit 1
fi
mkdir -p "$folder"

# Copies one file of the template into the folder through a temporary name, so that a program
# that is running, or a copy cut short, never leaves a half-written file.
refresh() {
  mkdir -p "$(dirname "$folder/$2")"
  cp -p "$1/$2" "$folder/$2.ravlek-new"
  mv -f "$folder/$2.ravlek-new" "$folder/$2"
}

# What the user owns: copied only when missing.
keep() {
  if [ ! -e "$folder/$2" ]; then refresh "$1" "$2"; fi
}

installed=$(cat "$share/template-version")
if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$installed" ]; then
  # The user's dictionary takes the new package's rows and keeps the notes the user changed (one
  # transaction: on a failure it stays as it was, and the next start tries again).
  upgraded=yes
  if [ -f "$stamp" ] && [ -f "$folder/Ravlek.db" ]; then
    if ! "$here/ravlek-cli" --db "$folder/Ravlek.db" upgrade --from "$template/Ravlek.db"; then
      echo "ravlek: the dictionary $folder/Ravlek.db was not upgraded; it stays as it was" >&2
      upgraded=no
    fi
  fi
  for program in Ravlek Ravlek_Start Ravlek_Spell ravlek_html_engine.so; do
    refresh "$programs" "$program"
  done
  for file in ReleaseNote.txt TSU.ttf TSU-LICENSE.txt installedXML/CurrentVersion.xml \
              installedXML/release_sequence.txt \
              installedXML/information.xml pingshui_groups.tsv pingshui_variants.tsv \
              pingshui-LICENSE.txt pingshui_variants-LICENSE.txt LICENSE.dictionary \
              LICENSE.dictionary-koktai LICENSE.dictionary-terra-pinyin; do
    refresh "$template" "$file"
  done
  if [ "$upgraded" = yes ]; then printf '%s\n' "$installed" > "$stamp"; fi
fi
for file in Ravlek.db FDConnectionDefs.ini last_release_XML/RavlekBasic.html \
            last_release_XML/MediaLink.html last_release_XML/ToolAndResource.html \
            last_release_XML/About.html last_release_XML/LastVersion.xml; do
  keep "$template" "$file"
done

cd "$folder"
exec "$folder/Ravlek_Start" "$@"
