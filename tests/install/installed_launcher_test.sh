#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed tree, from a scratch prefix with a space in it: its files, its desktop entry, and
# its launcher, started as the desktop would start it, without a display.
#   installed_launcher_test.sh <cmake> <build folder> <source folder>
set -u
cmake=$1
build=$2
source=$3
failures=0
fail() {
  printf 'FAIL %s\n' "$*"
  failures=$((failures + 1))
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix="$tmp/scratch prefix"
if ! "$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
  cat "$tmp/install.log"
  echo "FAIL cmake --install"
  exit 1
fi

png_size() {  # png_size FILE: "WIDTHxHEIGHT", or nothing when it is no PNG file
  local bytes
  read -ra bytes < <(od -An -tu1 -N24 -v "$1" | tr -s ' \n' '  ')
  [[ "${bytes[*]:0:8}" == "137 80 78 71 13 10 26 10" ]] || return
  echo "$(((bytes[16] << 24) | (bytes[17] << 16) | (bytes[18] << 8) | bytes[19]))x$(((bytes[20] << 24) | (bytes[21] << 16) | (bytes[22] << 8) | bytes[23]))"
}

# Every file of the tree but the shipped data, which is compared with the source below.
tree="
path                                            kind
bin/tornavelle                                  program
bin/tornavelle-calc                             program
libexec/tornavelle/tornavelle                   program
libexec/tornavelle/prepare-user-folder          program
share/applications/tornavelle.desktop           file
share/icons/hicolor/48x48/apps/tornavelle.png   48x48
share/icons/hicolor/128x128/apps/tornavelle.png 128x128
share/icons/hicolor/256x256/apps/tornavelle.png 256x256
share/metainfo/org.example.tornavelle.metainfo.xml file
share/man/man1/tornavelle.1                     file
share/man/man1/tornavelle-calc.1                file
"
while read -r path kind; do
  file=$prefix/$path
  if [[ ! -f "$file" ]]; then
    fail "$path is not installed"
    continue
  fi
  case $kind in
    program) [[ -x "$file" ]] || fail "$path is not executable" ;;
    file) ;;
    *) [[ "$(png_size "$file")" == "$kind" ]] || fail "$path is not a $kind PNG image: $(png_size "$file")" ;;
  esac
done < <(tail -n +3 <<<"$tree" | grep .)
unexpected=$(comm -13 <( (tail -n +3 <<<"$tree" | awk 'NF { print $1 }'
                          cd "$source/data" && find Apparence Lng-Tornavelle -type f | sed 's|^|share/tornavelle/shipped/|') | LC_ALL=C sort) \
                      <(cd "$prefix" && find . -type f | cut -c3- | LC_ALL=C sort))
[[ -z "$unexpected" ]] || fail "installed but not expected: $unexpected"
for part in Apparence Lng-Tornavelle; do
  diff -r "$source/data/$part" "$prefix/share/tornavelle/shipped/$part" >/dev/null ||
    fail "share/tornavelle/shipped/$part differs from data/$part"
done
cmp -s "$source/scripts/prepare-user-folder" "$prefix/libexec/tornavelle/prepare-user-folder" ||
  fail "the installed preparation differs from the one ./run uses"

entry=$prefix/share/applications/tornavelle.desktop
desktop-file-validate "$entry" >"$tmp/validate" 2>&1 || fail "desktop-file-validate: $(cat "$tmp/validate")"
value() { awk -v key="$1=" 'index($0, key) == 1 { print substr($0, length(key) + 1) }' "$entry"; }
# The launcher's path is quoted in Exec because the prefix holds a space.
keys="
key               value
Type              Application
Name              Tornavelle
GenericName       Scientific Calculator
GenericName[fr]   Calculatrice scientifique
Icon              tornavelle
Terminal          false
Categories        Utility;Calculator;
StartupWMClass    Tornavelle
Exec              \"$prefix/bin/tornavelle\"
"
while read -r key expected; do
  got=$(value "$key")
  [[ "$got" == "$expected" ]] || fail "desktop entry: $key is \"$got\", expected \"$expected\""
done < <(tail -n +3 <<<"$keys" | grep .)
for key in Comment 'Comment[fr]'; do
  [[ -n "$(value "$key")" ]] || fail "desktop entry: no $key"
done

# The launcher as the desktop starts it, from the entry's Exec, with no display: the user's
# folder is prepared from the installed data, then the calculator starts there, finds no
# desktop and says so. "how" runs it; "before" sets up the folder first; "status" and "says"
# are what must come out.
launcher=$(value Exec | sed 's/^"\(.*\)"$/\1/')
mkdir -p "$tmp/links"
ln -s "$launcher" "$tmp/links/tornavelle"
cases="
case          how        before             status  says
fresh         exec       none               1       no desktop
symlinked     link       none               1       no desktop
user-files    exec       edited-and-settings 1      no desktop
no-folder     exec       folder-is-a-file   1       prepare-user-folder
"
while read -r name how before status says; do
  home=$tmp/$name/home
  xdg=$tmp/$name/data
  folder=$xdg/tornavelle
  mkdir -p "$home"
  case $before in
    edited-and-settings)
      mkdir -p "$folder/Lng-Tornavelle"
      printf 'edited\r\n' >"$folder/Lng-Tornavelle/English.Txt"
      printf 'Defaut = English\r\n' >"$folder/Langue.lng"
      printf '[Tornavelle]\r\nAngle = 1\r\n' >"$folder/Tornavelle.tvnp"
      cp -r "$folder" "$tmp/$name/kept"
      ;;
    folder-is-a-file) xdg=$tmp/$name/file; touch "$xdg" ;;
  esac
  program=$launcher
  [[ $how == link ]] && program=$tmp/links/tornavelle
  (cd / && env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_DATA_HOME="$xdg" "$program" ignored arguments) \
    >"$tmp/out" 2>"$tmp/err"
  got=$?
  [[ $got == "$status" ]] || fail "$name: exit $got, expected $status: $(cat "$tmp/err")"
  grep -q "$says" "$tmp/err" || fail "$name: does not say \"$says\": $(cat "$tmp/err")"
  [[ $before == folder-is-a-file ]] && continue
  for part in Apparence Lng-Tornavelle; do
    diff -r -x English.Txt "$prefix/share/tornavelle/shipped/$part" "$folder/$part" >/dev/null ||
      fail "$name: $part not prepared in the user's folder"
  done
  [[ -f "$folder/.shipped.sha256" ]] || fail "$name: no record of what was copied"
  if [[ $before == edited-and-settings ]]; then
    diff -r "$tmp/$name/kept/Lng-Tornavelle/English.Txt" "$folder/Lng-Tornavelle/English.Txt" >/dev/null ||
      fail "$name: the user's translation was overwritten"
    for settings in Langue.lng Tornavelle.tvnp; do
      cmp -s "$tmp/$name/kept/$settings" "$folder/$settings" || fail "$name: $settings was touched"
    done
  else
    cmp -s "$prefix/share/tornavelle/shipped/Lng-Tornavelle/English.Txt" "$folder/Lng-Tornavelle/English.Txt" ||
      fail "$name: English.Txt not copied"
    for settings in Langue.lng Tornavelle.tvnp; do
      [[ -e "$folder/$settings" ]] && fail "$name: $settings was created without a calculator running"
    done
  fi
done < <(tail -n +3 <<<"$cases" | grep .)

# Installed for one user, with --prefix ~/.local, share/tornavelle is that user's own folder
# as well: the installation and the user's files must stay apart.
home=$tmp/one-user
if "$cmake" --install "$build" --prefix "$home/.local" >"$tmp/install.log" 2>&1; then
  folder=$home/.local/share/tornavelle
  printf 'edited\r\n' >"$tmp/edited"
  mkdir -p "$folder/Lng-Tornavelle"
  cp "$tmp/edited" "$folder/Lng-Tornavelle/English.Txt"
  env -u DISPLAY -u XDG_DATA_HOME HOME="$home" "$home/.local/bin/tornavelle" >/dev/null 2>"$tmp/err"
  grep -q "no desktop" "$tmp/err" || fail "--prefix ~/.local: the calculator did not start: $(cat "$tmp/err")"
  cmp -s "$source/data/Lng-Tornavelle/Francais.Txt" "$folder/Lng-Tornavelle/Francais.Txt" ||
    fail "--prefix ~/.local: the user's folder is not prepared"
  cmp -s "$tmp/edited" "$folder/Lng-Tornavelle/English.Txt" || fail "--prefix ~/.local: the user's edit is lost"
  "$cmake" --install "$build" --prefix "$home/.local" >"$tmp/install.log" 2>&1
  cmp -s "$tmp/edited" "$folder/Lng-Tornavelle/English.Txt" ||
    fail "--prefix ~/.local: installing again overwrote the user's edit"
else
  fail "--prefix ~/.local install: $(cat "$tmp/install.log")"
fi

# A package build installs into a staging folder: the entry names the launcher where it will
# be, not where it was staged.
if DESTDIR="$tmp/stage" "$cmake" --install "$build" --prefix /opt/tornavelle >"$tmp/install.log" 2>&1; then
  [[ -x "$tmp/stage/opt/tornavelle/bin/tornavelle" ]] || fail "DESTDIR: the launcher is not staged"
  exec_line=$(sed -n 's/^Exec=//p' "$tmp/stage/opt/tornavelle/share/applications/tornavelle.desktop")
  [[ "$exec_line" == /opt/tornavelle/bin/tornavelle ]] || fail "DESTDIR: Exec is \"$exec_line\""
else
  fail "DESTDIR install: $(cat "$tmp/install.log")"
fi

exit $((failures > 0))
