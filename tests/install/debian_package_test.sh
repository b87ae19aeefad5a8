#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package as a user gets it: what it holds and declares, lintian's verdict, then
# installed with dpkg on this machine, started from the PATH with a fresh home on the X server of
# DISPLAY (tests/platform/gtk/run-under-x provides a private one), and purged, leaving nothing.
# It installs and removes the package tornavelle system-wide: run it on build machines only.
#   debian_package_test.sh <tornavelle_VERSION_ARCH.deb> <version>
set -u
deb=$(realpath "$1")
version=$2
failures=0
fail() {
  printf 'FAIL %s\n' "$*"
  failures=$((failures + 1))
}
tmp=$(mktemp -d)
if [[ $(id -u) -eq 0 ]]; then as_root=(); else as_root=(sudo -n); fi
installed() { [[ "$(dpkg-query -W -f='${db:Status-Status}' tornavelle 2>/dev/null)" == installed ]]; }
cleanup() {
  if [[ -n "${we_installed:-}" ]] && dpkg-query -W tornavelle >/dev/null 2>&1; then
    "${as_root[@]}" dpkg --purge tornavelle >/dev/null 2>&1
  fi
  rm -rf "$tmp"
}
trap cleanup EXIT

# --- The package file -----------------------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
[[ "$(field Package)" == tornavelle ]] || fail "Package is $(field Package)"
[[ "$(field Version)" == "$version" ]] || fail "Version is $(field Version), not $version"
[[ "$(basename "$deb")" == "tornavelle_${version}_$(field Architecture).deb" ]] || fail "named $(basename "$deb")"
# dpkg-shlibdeps found what the programs link against.
for library in libc6 libgtk-3-0 libpng16-16 libstdc++6; do
  [[ ", $(field Depends)," == *", $library "* ]] || fail "Depends lacks $library: $(field Depends)"
done

contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|; s|/$||' | grep .)
expected="
path                                                      why
/usr/bin/tornavelle                                       the launcher, on the PATH
/usr/bin/tornavelle-calc                                  the command-line companion
/usr/libexec/tornavelle/tornavelle                        the calculator
/usr/libexec/tornavelle/prepare-user-folder               the user's folder's preparation
/usr/share/man/man1/tornavelle.1.gz                       a manual page for each program
/usr/share/man/man1/tornavelle-calc.1.gz                  a manual page for each program
/usr/share/applications/tornavelle.desktop                the desktop entry
/usr/share/icons/hicolor/48x48/apps/tornavelle.png        the icons
/usr/share/icons/hicolor/128x128/apps/tornavelle.png      the icons
/usr/share/icons/hicolor/256x256/apps/tornavelle.png      the icons
/usr/share/metainfo/org.example.tornavelle.metainfo.xml   the AppStream metainfo
/usr/share/doc/tornavelle/copyright                       the copyright
/usr/share/doc/tornavelle/changelog.gz                    the changelog
/usr/share/tornavelle/shipped/Lng-Tornavelle/Francais.Txt the languages
/usr/share/tornavelle/shipped/Apparence/Defaut/Item.png   the skin
"
while read -r path why; do
  grep -qxF "$path" <<<"$contents" || fail "the package lacks $path ($why)"
done < <(tail -n +3 <<<"$expected" | grep .)
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/tornavelle/copyright >"$tmp/copyright"
head -1 "$tmp/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "the copyright file is not in the machine-readable format"

# Infos are allowed; an error or a warning is not (overrides carry their reason in the package).
if ! lintian --fail-on error,warning "$deb" >"$tmp/lintian" 2>&1; then
  fail "lintian: $(grep -v 'root privileges' "$tmp/lintian")"
fi

# --- Installed --------------------------------------------------------------------------------
if dpkg-query -W tornavelle >/dev/null 2>&1; then
  echo "FAIL the package tornavelle is already on this machine; remove it (dpkg --purge tornavelle) and run again"
  exit 1
fi
# Whatever bears the name on the system before: after the purge, the same must be there.
traces() { find /usr /etc /var /opt -xdev -iname '*tornavelle*' 2>/dev/null | LC_ALL=C sort; }
traces >"$tmp/traces-before"
if ! "${as_root[@]}" dpkg -i "$deb" >"$tmp/dpkg.log" 2>&1; then
  we_installed=1
  cat "$tmp/dpkg.log"
  echo "FAIL dpkg -i"
  exit 1
fi
we_installed=1
installed || fail "dpkg does not list tornavelle as installed"

# As a user with a fresh home and the usual PATH finds them.
home=$tmp/home
mkdir -p "$home"
user=(env -i HOME="$home" PATH=/usr/local/bin:/usr/bin:/bin DISPLAY="${DISPLAY:-}")
as_user() { "${user[@]}" "$@"; }
[[ "$(as_user sh -c 'command -v tornavelle')" == /usr/bin/tornavelle ]] || fail "tornavelle is not found on the PATH"
for program in tornavelle tornavelle-calc; do
  says=$(as_user "$program" --version 2>&1)
  [[ "$(head -n1 <<<"$says")" == "$program $version" && "$says" == *GPL-3.0-or-later* ]] ||
    fail "$program --version does not give its version and licence: $says"
  [[ "$(as_user man -w "$program")" == "/usr/share/man/man1/$program.1.gz" ]] || fail "man finds no page for $program"
done
[[ "$(as_user tornavelle-calc --language English '1/0' '2^10')" == "1/0  →  Division by zero
2^10  →  1024" ]] || fail "tornavelle-calc does not answer with the installed languages"

# The first start: the language dialog, French taken as it comes; the calculator starts again in
# French and shows its window; its quit key ends it, and its settings are in the user's folder.
shots=${TORNAVELLE_SCREENSHOTS:-$tmp}
mkdir -p "$shots"
window_of() {  # window_of ARGS...: the first visible window xdotool finds, waiting up to 20 s
  timeout 20 xdotool search --sync --onlyvisible "$@" 2>/dev/null | head -1
}
gone() {  # gone PID: waits up to 20 s for the process to end
  timeout 20 tail --pid="$1" -f /dev/null
}
"${user[@]}" tornavelle >"$tmp/out" 2>&1 &
launcher=$!  # env's, which the launcher and then the calculator replace
dialog=$(window_of --pid "$launcher")
if [[ -z "$dialog" ]]; then
  fail "no language dialog at the first start: $(cat "$tmp/out")"
else
  [[ "$(xdotool getwindowname "$dialog")" == "Langue / Language" ]] || fail "the first window is $(xdotool getwindowname "$dialog")"
  timeout 10 xdotool windowfocus --sync "$dialog"
  xdotool key --delay 40 Tab Return
  gone "$launcher" || fail "the first copy did not end after the language was chosen"
  # The skin's windows, all of its size and place once the dialog is gone.
  main=$(window_of --classname '^tornavelle$')
  if [[ -z "$main" ]]; then
    fail "the calculator showed no window: $(cat "$tmp/out")"
  else
    calculator=$(xdotool getwindowpid "$main")
    [[ "$(readlink "/proc/$calculator/exe")" == /usr/libexec/tornavelle/tornavelle ]] ||
      fail "the window is not the installed calculator's"
    eval "$(xdotool getwindowgeometry --shell "$main")"
    # Drawn: the window's part of the screen has the skin's many colours (waiting for the first
    # frame for up to 10 s).
    for _ in $(seq 100); do
      import -window root -crop "${WIDTH}x$HEIGHT+$X+$Y" "$shots/installed-calculator.png" 2>/dev/null
      colours=$(convert "$shots/installed-calculator.png" -format %k info: 2>/dev/null || echo 0)
      ((colours > 50)) && break
      sleep 0.1
    done
    ((colours > 50)) || fail "the window shows $colours colours: not the calculator"
    quit=$(convert /usr/share/tornavelle/shipped/Apparence/Defaut/Item.png -alpha off -fill black \
      +opaque '#20EAE3' -format '%@' info:)  # the quit key's box in the item map, WxH+X+Y
    IFS='x+' read -r qw qh qx qy <<<"$quit"
    xdotool mousemove --sync $((X + qx + qw / 2)) $((Y + qy + qh / 2)) click 1
    gone "$calculator" || fail "the quit key did not end the calculator"
  fi
fi
folder=$home/.local/share/tornavelle
[[ -f "$folder/Tornavelle.tvnp" ]] || fail "no settings saved in $folder"
grep -q 'Defaut = Francais' "$folder/Langue.lng" 2>/dev/null || fail "the language chosen is not kept"
cmp -s /usr/share/tornavelle/shipped/Lng-Tornavelle/English.Txt "$folder/Lng-Tornavelle/English.Txt" ||
  fail "the user's folder does not hold the installed languages"

# --- Purged -----------------------------------------------------------------------------------
"${as_root[@]}" dpkg --purge tornavelle >"$tmp/dpkg.log" 2>&1 || fail "dpkg --purge: $(cat "$tmp/dpkg.log")"
dpkg-query -W tornavelle >/dev/null 2>&1 && fail "dpkg still knows tornavelle after the purge"
left=$(comm -13 "$tmp/traces-before" <(traces))
[[ -z "$left" ]] || fail "left behind:" $left
while read -r path; do
  [[ -e "$path" && ! -d "$path" ]] && fail "left behind: $path"
done <<<"$contents"
[[ -z "$(find /usr/share/tornavelle /usr/libexec/tornavelle /usr/share/doc/tornavelle 2>/dev/null)" ]] ||
  fail "the package's folders are left behind"

exit $((failures > 0))
