#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows build's memory under Wine, measured as measure.sh measures the desktop's programs:
# the process's own anonymous memory (its private bytes: heap, stacks, images; not the
# libraries' pages) a second after its window appeared, median of RUNS launches, with each
# shipped skin on desktops at 96 and 192 dots per inch.
#   bench/desktop/measure-under-wine.sh [WINDOWS_BUILD_DIR]   (default build/windows; RUNS=3)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(realpath "${1:-$root/build/windows}")
runs=${RUNS:-3}
exe="$build/Tornavelle.exe"
[[ -f "$exe" ]] || { echo "missing $exe: build the Windows version first (see README)" >&2; exit 1; }
for tool in wine xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (see scripts/packages)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/measure-in-wine.sh" <<SCRIPT
set -euo pipefail
cd "$work"
median() { sort -g | awk '{ v[NR] = \$1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
anonymous_mib() { awk '/^Anonymous:/ { print \$2 / 1024 }' "/proc/\$1/smaps_rollup"; }
measure() {  # name, dpi, skin
  local name=\$1 dpi=\$2 skin=\$3
  wine reg add 'HKCU\\Control Panel\\Desktop' /v LogPixels /t REG_DWORD /d "\$dpi" /f >/dev/null 2>&1
  : >"\$name.private"
  for ((i = 0; i < $runs; i++)); do
    rm -rf folder; mkdir folder
    cp -r "$root/data/Lng-Tornavelle" "$root/data/Apparence" folder/
    printf 'Defaut = Francais\\r\\n' >folder/Langue.lng
    printf '[Apparence]\\r\\nApparence = %s\\r\\n' "\$skin" >folder/Tornavelle.tvnp
    # Wine's loader becomes the program by exec, so the process started is the program's.
    (cd folder && exec wine "$exe") >/dev/null 2>&1 &
    pid=\$!
    for _ in \$(seq 400); do xdotool search --onlyvisible --name Tornavelle >/dev/null 2>&1 && break; sleep 0.05; done
    sleep 1
    anonymous_mib "\$pid" >>"\$name.private"
    kill "\$pid"; while kill -0 "\$pid" 2>/dev/null; do sleep 0.01; done
    wait "\$pid" || true
  done
  printf '| %s | %s | %.1f MiB |\\n' "\$skin" "\$dpi" "\$(median <"\$name.private")"
}
echo "| skin | dpi | private |"
echo "|---|---|---|"
for dpi in 96 192; do
  for skin in Defaut Clair Contraste; do measure "\$skin-\$dpi" "\$dpi" "\$skin"; done
done
SCRIPT
XVFB_SCREEN=2048x1536x24 "$root/tests/windows/run-under-wine" "$work/prefix" bash ${TRACE:+-x} "$work/measure-in-wine.sh"
