#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The per-user folder through three releases of the shipped data: what gets copied, what follows
# the shipped files, and what the user changed, which must survive every update.
#   prepare_user_folder_test.sh <prepare-user-folder>
set -u
prepare=$(realpath "$1")
failures=0
fail() {
  printf 'FAIL %s\n' "$*"
  failures=$((failures + 1))
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# One file per row. "before": what the folder holds before the first preparation; "v1", "v2",
# "v3": the file in three successive releases; "user": what the user does to it after the first
# preparation ("gone" deletes it); "after2", "after3": what the folder holds after preparing
# from v2 and from v3. A, B, C are the releases' contents, "mine" a content of the user's own,
# and "-" no file.
rules="
path                          before v1  user  v2 after2 v3 after3  why
Lng-Tornavelle/Francais.Txt   -      A   -     A  A      A  A       unchanged file stays
Lng-Tornavelle/English.Txt    -      A   -     B  B      C  C       untouched copy follows every release
Lng-Tornavelle/Deutsch.Txt    -      A   mine  B  mine   C  mine    edited copy survives every release
Lng-Tornavelle/Espanol.Txt    -      A   mine  A  mine   A  mine    edited copy survives an unchanged release
Lng-Tornavelle/Italiano.Txt   -      A   gone  A  A      B  B       deleted file comes back and follows
Lng-Tornavelle/Suomi.Txt      -      A   B     B  B      C  C       edit equal to the release follows it
Apparence/Defaut/Item.png     -      -   -     B  B      C  C       newly shipped file is copied
Apparence/Defaut/Old.png      -      A   -     -  A      -  A       file no longer shipped stays
Apparence/Perso/Normal.png    mine   -   -     -  mine   -  mine    the user's own skin is left alone
Apparence/Defaut/Hot.png      A      A   -     B  B      C  C       copy from before any record follows
Apparence/Defaut/Disable.png  mine   A   -     B  mine   C  mine    unknown copy from before any record stays
Tornavelle.tvnp               mine   A   -     B  mine   C  mine    settings are never written
Langue.lng                    -      A   -     B  -      C  -       language choice is never created
README.md                     -      A   -     B  -      C  -       only skins and languages are shipped
"

column() {  # column NAME: the rows' values in that column, in row order
  awk -v name="$1" 'NF && !header++ { for (i = 1; i <= NF; i++) if ($i == name) c = i; next }
                    NF { print $c }' <<<"$rules"
}
mapfile -t paths < <(column path)
content() {  # content TOKEN PATH: the bytes a token stands for, different for every file
  case $1 in
    mine) printf 'the user'\''s own %s\r\n' "$2" ;;
    *) printf 'release %s of %s\r\n' "$1" "$2" ;;
  esac
}
put() {  # put FOLDER COLUMN: writes each row's file of that column into the folder
  local i=0 token
  while read -r token; do
    local file=$1/${paths[i]}
    case $token in
      -) ;;
      gone) rm -f "$file" ;;
      *) mkdir -p "$(dirname "$file")" && content "$token" "${paths[i]}" >"$file" ;;
    esac
    i=$((i + 1))
  done < <(column "$2")
}
release() {  # release COLUMN: a fresh shipped folder; shipped files are read-only once installed
  rm -rf "$tmp/shipped"
  mkdir -p "$tmp/shipped/Apparence" "$tmp/shipped/Lng-Tornavelle"
  put "$tmp/shipped" "$1"
  find "$tmp/shipped" -type f -exec chmod 444 {} +
}
check() {  # check COLUMN: the folder against that column
  local i=0 token
  while read -r token; do
    local file=$folder/${paths[i]} why
    why=$(awk -v p="${paths[i]}" '$1 == p { for (i = 9; i <= NF; i++) printf "%s%s", $i, (i < NF ? " " : "") }' <<<"$rules")
    if [[ $token == - ]]; then
      [[ -e "$file" ]] && fail "$1: ${paths[i]} should not exist ($why)"
    elif [[ ! -f "$file" ]]; then
      fail "$1: ${paths[i]} is missing ($why)"
    elif [[ "$(cat "$file")" != "$(content "$token" "${paths[i]}")" ]]; then
      fail "$1: ${paths[i]} holds \"$(tr -d '\r' <"$file")\", not $token ($why)"
    fi
    i=$((i + 1))
  done < <(column "$1")
}
run_prepare() {  # run_prepare STAGE: prepares the folder from the current release
  local out
  if ! out=$(HOME="$tmp/home" XDG_DATA_HOME="$tmp/data" "$prepare" "$tmp/shipped" 2>&1); then
    fail "$1: preparation failed: $out"
  elif [[ "$out" != "$folder" ]]; then
    fail "$1: printed \"$out\" instead of the folder"
  fi
}

folder=$tmp/data/tornavelle
put "$folder" before
release v1
run_prepare v1
put "$folder" user
release v2
run_prepare v2
check after2
release v3
run_prepare v3
check after3
run_prepare "v3 again"
check after3

# The copies are the user's to edit, although the shipped files are read-only.
unwritable=$(find "$folder" -type f ! -perm -u+w)
[[ -z "$unwritable" ]] || fail "copies the user cannot edit: $unwritable"
# Every write goes through a temporary name; none may stay behind.
leftovers=$(comm -23 <(cd "$folder" && find . -type f ! -name .shipped.sha256 | cut -c3- | LC_ALL=C sort) \
  <(paste <(column path) <(column after3) | awk '$2 != "-" { print $1 }' | LC_ALL=C sort))
[[ -z "$leftovers" ]] || fail "files nobody asked for: $leftovers"

# Where the folder is: the XDG rules, relative and empty values ignored.
where="
XDG_DATA_HOME       folder
$tmp/xdg            $tmp/xdg/tornavelle
unset               $tmp/home/.local/share/tornavelle
empty               $tmp/home/.local/share/tornavelle
relative/dir        $tmp/home/.local/share/tornavelle
"
release v1
mkdir -p "$tmp/cwd"
while read -r xdg expected; do
  case $xdg in
    unset) got=$(cd "$tmp/cwd" && env -u XDG_DATA_HOME HOME="$tmp/home" "$prepare" "$tmp/shipped") ;;
    empty) got=$(cd "$tmp/cwd" && HOME="$tmp/home" XDG_DATA_HOME= "$prepare" "$tmp/shipped") ;;
    *) got=$(cd "$tmp/cwd" && HOME="$tmp/home" XDG_DATA_HOME="$xdg" "$prepare" "$tmp/shipped") ;;
  esac
  [[ "$got" == "$expected" ]] || fail "XDG_DATA_HOME $xdg: printed \"$got\", expected $expected"
  [[ -f "$expected/Lng-Tornavelle/Francais.Txt" ]] || fail "XDG_DATA_HOME $xdg: $expected not prepared"
done < <(tail -n +3 <<<"$where" | grep .)
[[ -z "$(ls -A "$tmp/cwd")" ]] || fail "a relative XDG_DATA_HOME wrote into the working directory"

# What cannot work says so and fails, so that the launcher does not start the calculator in a
# folder without its files.
refusals="
case                      exit
no-shipped-data           1
no-home                   1
folder-is-a-file          1
shipped-is-the-folder     1
"
touch "$tmp/a-file"
while read -r case expected; do
  case $case in
    no-shipped-data) mkdir -p "$tmp/empty"; HOME="$tmp/home" "$prepare" "$tmp/empty" >/dev/null 2>"$tmp/err" ;;
    no-home) env -u HOME -u XDG_DATA_HOME "$prepare" "$tmp/shipped" >/dev/null 2>"$tmp/err" ;;
    folder-is-a-file) XDG_DATA_HOME="$tmp/a-file" "$prepare" "$tmp/shipped" >/dev/null 2>"$tmp/err" ;;
    shipped-is-the-folder) XDG_DATA_HOME="$tmp/xdg" "$prepare" "$tmp/xdg/../xdg/tornavelle" >/dev/null 2>"$tmp/err" ;;
  esac
  status=$?
  [[ $status == "$expected" ]] || fail "$case: exit $status, expected $expected"
  [[ -s "$tmp/err" ]] || fail "$case: no message"
done < <(tail -n +3 <<<"$refusals" | grep .)

exit $((failures > 0))
