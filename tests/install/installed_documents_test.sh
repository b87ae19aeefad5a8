#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the installed tree tells about itself: one version everywhere, manual pages that list the
# options --help lists, a desktop entry translated into every shipped language, and AppStream
# metainfo that validates.
#   installed_documents_test.sh <cmake> <build folder> <source folder> <version> <appstream id>
set -u
cmake=$1
build=$2
source=$3
version=$4
appstream_id=$5
failures=0
fail() {
  printf 'FAIL %s\n' "$*"
  failures=$((failures + 1))
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
if ! "$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
  cat "$tmp/install.log"
  echo "FAIL cmake --install"
  exit 1
fi
metainfo=$prefix/share/metainfo/$appstream_id.metainfo.xml
entry=$prefix/share/applications/tornavelle.desktop

# One version: both programs, both manual pages and the newest AppStream release.
for program in tornavelle tornavelle-calc; do
  got=$("$prefix/bin/$program" --version 2>&1)
  [[ "$(head -n1 <<<"$got")" == "$program $version" && "$got" == *GPL-3.0-or-later* ]] ||
    fail "$program --version says \"$got\", not \"$program $version\" and its licence"
  th=$(grep '^\.TH ' "$prefix/share/man/man1/$program.1")
  [[ "$th" == *"\"Tornavelle $version\""* ]] || fail "$program.1 is not of version $version: $th"
done
newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -1)
[[ "$newest" == "<release version=\"$version\"" ]] || fail "the newest AppStream release is $newest, not $version"

# The options a manual page lists under OPTIONS, one per line: the words starting with \- or \-\-
# on the line after each .TP.
manual_options() {
  awk '/^\.SH / { in_options = ($2 == "OPTIONS") } in_options && tagged { print } { tagged = in_options && /^\.TP/ }' "$1" |
    grep -oE '\\-(\\-[a-z]+|[a-z])' | sed 's/\\//g' | LC_ALL=C sort -u
}
# The options --help lists: the words starting with - at the head of its indented lines.
help_options() {
  "$1" --help | grep -E '^  +-' | sed -E 's/^ +//; s/  .*//' | grep -oE '(^|, )--?[a-z]+' | sed 's/^, //' | LC_ALL=C sort -u
}
for program in tornavelle tornavelle-calc; do
  page=$prefix/share/man/man1/$program.1
  manual=$(manual_options "$page")
  help=$(help_options "$prefix/bin/$program")
  [[ -n "$help" ]] || fail "$program --help lists no option"
  [[ "$manual" == "$help" ]] ||
    fail "$program.1 lists the options" $manual "but --help lists" $help
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [[ -z "$warnings" ]] || fail "$program.1: $warnings"
done

# Every shipped language, by its file, and its code in the desktop entry; English is the entry's
# untranslated text. A language file missing here fails, so a new language gets its entry.
languages="
file          code
Francais.Txt  fr
English.Txt   -
Deutsch.Txt   de
Espanol.Txt   es
Italiano.Txt  it
Nederlands.Txt  nl
Polski.Txt    pl
Português.Txt  pt
Türkçe.Txt    tr
Ελληνικά.Txt  el
Русский.Txt   ru
日本語.Txt     ja
简体中文.Txt   zh_CN
"
value() { awk -v key="$1=" 'index($0, key) == 1 { print substr($0, length(key) + 1) }' "$entry"; }
known=$(tail -n +3 <<<"$languages" | awk 'NF { print $1 }' | LC_ALL=C sort)
shipped=$(cd "$source/data/Lng-Tornavelle" && ls | LC_ALL=C sort)
[[ "$known" == "$shipped" ]] || fail "the shipped languages are" $shipped "but the test knows" $known
while read -r file code; do
  [[ $code == - ]] && continue
  for key in Name GenericName Comment Keywords; do
    translated=$(value "$key[$code]")
    [[ -n "$translated" ]] || fail "desktop entry: no $key[$code] for $file"
    if [[ $key != Name && "$translated" == "$(value "$key")" ]]; then
      fail "desktop entry: $key[$code] is the English text"
    fi
  done
done < <(tail -n +3 <<<"$languages" | grep .)

# AppStream: valid without the network (the screenshot's address is not fetched), without even a
# warning; it names the installed desktop entry, and its screenshot is the one in docs/.
if ! appstreamcli validate --no-net "$metainfo" >"$tmp/validate" 2>&1 || grep -qE '^(E|W):' "$tmp/validate"; then
  fail "appstreamcli validate: $(cat "$tmp/validate")"
fi
launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
[[ -f "$prefix/share/applications/$launchable" ]] || fail "the metainfo launches $launchable, which is not installed"
image=$(sed -n 's|.*<image>\(.*\)</image>.*|\1|p' "$metainfo")
[[ "$image" == */"$(basename "$source/docs/calculator.png")" && -f "$source/docs/calculator.png" ]] ||
  fail "the screenshot $image is not docs/calculator.png"
grep -q "<id>$appstream_id</id>" "$metainfo" || fail "the metainfo's id is not $appstream_id"

exit $((failures > 0))
