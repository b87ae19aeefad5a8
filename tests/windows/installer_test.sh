#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer under Wine, in the fresh prefix tests/windows/run-under-wine makes: a
# silent install; what it puts where, its entry in Windows' list of apps and its versions; the
# installed program, started as its Start-menu shortcut starts it, passes the first scenario of
# the GUI test; an install over it keeps what the user edited; the uninstaller's last page says
# where the settings stay; a silent uninstall removes every program file and keeps the user's
# folder.
#   installer_test.sh <setup.exe> <test_windows_gui.exe> <test_version_info.exe>
#                     <test_uninstaller_page.exe> <version> <data folder>
set -u
setup=$(realpath "$1")
gui_test=$(realpath "$2")
version_info=$(realpath "$3")
uninstaller_page=$(realpath "$4")
version=$5
data=$(realpath "$6")
publisher="The Tornavelle developers"
failures=0
fail() {
  printf 'FAIL %s\n' "$*"
  failures=$((failures + 1))
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

windows_folder() {  # windows_folder VARIABLE: a folder of Windows' environment, as a Linux path
  winepath -u "$(wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r')" 2>/dev/null
}
program_folder=$(windows_folder LOCALAPPDATA)/Programs/Tornavelle
user_folder=$(windows_folder APPDATA)/Tornavelle
shortcut=$(windows_folder APPDATA)/Microsoft/Windows/Start\ Menu/Programs/Tornavelle.lnk
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tornavelle'
registry_value() {  # registry_value NAME: the value of the uninstall entry, as reg query shows it
  wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v name="$1" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}
install() {  # install WHEN: a silent install, which must succeed
  wine "$setup" /S >"$tmp/setup.log" 2>&1
  local status=$?
  [[ $status == 0 ]] || fail "$1: the silent install exited with $status: $(cat "$tmp/setup.log")"
}

# --- A silent install -------------------------------------------------------------------------
install "first install"
for file in Tornavelle.exe PrepareUserFolder.exe Uninstall.exe COPYING.txt THIRD-PARTY.txt; do
  [[ -f "$program_folder/$file" ]] || fail "$file is not in $program_folder"
done
if ((failures > 0)); then  # nothing else can be checked
  echo "0 passed, 1 failed"
  exit 1
fi
for part in Apparence Lng-Tornavelle; do
  diff -r "$data/$part" "$program_folder/shipped/$part" >/dev/null || fail "the installed $part differs from data/$part"
  diff -r "$data/$part" "$user_folder/$part" >/dev/null || fail "the user's folder does not hold the shipped $part"
done
[[ -f "$user_folder/.shipped.sha256" ]] || fail "no record of what was copied into the user's folder"
(cd "$user_folder" && sha256sum --quiet -c .shipped.sha256 >/dev/null 2>&1) ||
  fail "the record of the user's folder does not match its copies"
[[ -f "$shortcut" ]] || fail "no Start-menu shortcut"

# Windows' list of apps: the entry and what it shows (paths with / for \, * for the folder).
folder_windows=$(winepath -w "$program_folder" | tr '\\' /)
entry="
name                  expected
DisplayName           Tornavelle
DisplayVersion        $version
Publisher             $publisher
DisplayIcon           */Tornavelle.exe,0
UninstallString       \"*/Uninstall.exe\"
QuietUninstallString  \"*/Uninstall.exe\" /S
InstallLocation       *
"
while read -r name expected; do
  got=$(registry_value "$name" | tr '\\' /)
  expected=${expected//\*/$folder_windows}
  [[ "$got" == "$expected" ]] || fail "the uninstall entry's $name is \"$got\", not \"$expected\""
done < <(tail -n +3 <<<"$entry" | grep .)
size=$(registry_value EstimatedSize)
installed_kib=$(du -sk "$program_folder" | cut -f1)
((size > installed_kib / 2 && size < installed_kib * 2)) 2>/dev/null ||
  fail "EstimatedSize is \"$size\" for $installed_kib KiB installed"

# The versions the Explorer shows, of the installer and of the installed program.
for file in "$setup" "$program_folder/Tornavelle.exe"; do
  wine "$version_info" "$(winepath -w "$file")" "$version" "$publisher" >"$tmp/version.log" 2>&1 ||
    fail "$(grep FAIL "$tmp/version.log")"
done

# --- The installed program, from its shortcut -------------------------------------------------
wine "$gui_test" --shortcut "$(winepath -w "$shortcut")" >"$tmp/gui.log" 2>&1 ||
  fail "the installed program, from its shortcut: $(cat "$tmp/gui.log")"
[[ -f "$user_folder/Tornavelle.tvnp" ]] || fail "the installed program kept no settings in $user_folder"

# --- Installed again over it: the user's edits stay -----------------------------------------
printf 'the user'\''s own German\r\n' >"$user_folder/Lng-Tornavelle/Deutsch.Txt"
rm -f "$user_folder/Lng-Tornavelle/English.Txt"
cp "$user_folder/Tornavelle.tvnp" "$user_folder/Langue.lng" "$tmp/"
install "second install"
grep -q "the user's own German" "$user_folder/Lng-Tornavelle/Deutsch.Txt" || fail "an install overwrote the user's edit"
cmp -s "$data/Lng-Tornavelle/English.Txt" "$user_folder/Lng-Tornavelle/English.Txt" ||
  fail "an install did not bring back a deleted copy"
for settings in Tornavelle.tvnp Langue.lng; do
  cmp -s "$tmp/$settings" "$user_folder/$settings" || fail "an install changed $settings"
done
# A next release, through the installed preparation: the copies left as they were follow it; the
# edited one stays.
cp -r "$program_folder/shipped" "$tmp/next"
for file in Deutsch.Txt Italiano.Txt; do printf 'next release\r\n' >"$tmp/next/Lng-Tornavelle/$file"; done
wine "$program_folder/PrepareUserFolder.exe" "$(winepath -w "$tmp/next")" "$(winepath -w "$user_folder")" ||
  fail "the preparation from a next release failed"
grep -q "next release" "$user_folder/Lng-Tornavelle/Italiano.Txt" || fail "an untouched copy did not follow the next release"
grep -q "the user's own German" "$user_folder/Lng-Tornavelle/Deutsch.Txt" || fail "the next release overwrote the user's edit"

# --- Uninstalled, as a person does it: the last page names the folder that stays -------------
wine "$uninstaller_page" "$(winepath -w "$program_folder/Uninstall.exe")" "$(winepath -w "$user_folder")" \
  >"$tmp/page.log" 2>&1 || fail "$(cat "$tmp/page.log")"
for _ in $(seq 300); do
  [[ -e "$program_folder" ]] || break
  sleep 0.1
done
[[ ! -e "$program_folder" ]] || fail "the uninstall through its pages left the program folder"
install "install after the uninstall"

# --- A silent uninstall -----------------------------------------------------------------------
# The uninstaller runs from a copy of itself in the temporary folder, so that it can delete its
# own file, and returns at once: its end is the program folder's.
wine "$program_folder/Uninstall.exe" /S >"$tmp/uninstall.log" 2>&1 || fail "the silent uninstall: $(cat "$tmp/uninstall.log")"
for _ in $(seq 300); do
  [[ -e "$program_folder" ]] || break
  sleep 0.1
done
[[ ! -e "$program_folder" ]] || fail "the uninstall left" "$(cd "$program_folder" && find . -mindepth 1)"
[[ ! -e "$shortcut" ]] || fail "the uninstall left the Start-menu shortcut"
wine reg query "$key" >/dev/null 2>&1 && fail "the uninstall left its entry in the list of apps"
for kept in Tornavelle.tvnp Langue.lng Lng-Tornavelle/Deutsch.Txt Apparence/Defaut/Item.png; do
  [[ -f "$user_folder/$kept" ]] || fail "the uninstall removed the user's $kept"
done

echo "$((failures == 0 ? 1 : 0)) passed, $((failures == 0 ? 0 : 1)) failed"
exit $((failures > 0))
