#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up, memory and idle cost of the calculator beside xlogo (the floor: one window, one
# drawing), on a private X server, in one run:
#   - launch to the first window mapped (MapNotify), median of RUNS launches each;
#   - resident memory (VmRSS) one second after the window appeared, median;
#   - CPU over IDLE seconds of idle with the caret blinking, as a share of one core, median of 3.
# Prints a table and the ratios. Needs a Release build.
#   bench/startup/measure.sh [BUILD_DIR]      (default build/release; RUNS=20 IDLE=10)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(realpath "${1:-$root/build/release}")
runs=${RUNS:-20}
idle=${IDLE:-10}
probe="$build/bench/startup/map-probe"
calculator="$build/tornavelle"
for needed in "$probe" "$calculator"; do
  [[ -x "$needed" ]] || { echo "missing $needed: build $build with -DTORNAVELLE_BENCH=ON" >&2; exit 1; }
done
command -v xlogo >/dev/null || { echo "xlogo is missing (Debian package x11-apps)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$root/data/Lng-Tornavelle" "$root/data/Apparence" "$work/"
printf 'Defaut = Francais\r\n' >"$work/Langue.lng"

cat >"$work/measure-on-x.sh" <<SCRIPT
set -euo pipefail
cd "$work"
median() { sort -g | awk '{ v[NR] = \$1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
cpu_ns() { awk '{ print \$1 }' "/proc/\$1/schedstat"; }  # time on a CPU, in nanoseconds
# One launch: the start-up time, and the resident memory a second later, in MiB.
launch() {
  read -r ms pid < <("$probe" "\$@")
  sleep 1
  rss=\$(awk '/^VmRSS/ { print \$2 / 1024 }' "/proc/\$pid/status")
  echo "\$ms \$rss \$pid"
}
measure() {  # name, program...
  local name=\$1; shift
  : >"\$name.start"; : >"\$name.rss"; : >"\$name.idle"
  for ((i = 0; i < $runs; i++)); do
    read -r ms rss pid < <(launch "\$@")
    echo "\$ms" >>"\$name.start"; echo "\$rss" >>"\$name.rss"
    if ((i < 3)); then
      before=\$(cpu_ns "\$pid"); sleep $idle; after=\$(cpu_ns "\$pid")
      echo "\$(( after - before )) $idle" | awk '{ print 100 * \$1 / 1e9 / \$2 }' >>"\$name.idle"
    fi
    # The calculator saves as it ends; the next launch would find it still holding the folder.
    kill "\$pid"; while kill -0 "\$pid" 2>/dev/null; do sleep 0.01; done
    rm -f Tornavelle.tvnp
  done
  printf '| %s | %.1f ms | %.1f MiB | %.2f %% |\n' "\$name" "\$(median <"\$name.start")" \
    "\$(median <"\$name.rss")" "\$(median <"\$name.idle")"
}
echo "| program | start-up | memory (RSS) | idle CPU |"
echo "|---|---|---|---|"
measure xlogo xlogo
measure tornavelle "$calculator"
measure tornavelle-at-2x env GDK_SCALE=2 "$calculator"
awk -v a="\$(median <xlogo.start)" -v b="\$(median <tornavelle.start)" \
  'BEGIN { printf "start-up ratio tornavelle / xlogo: %.2f\n", b / a }'
awk -v a="\$(median <tornavelle.start)" -v b="\$(median <tornavelle-at-2x.start)" \
  'BEGIN { printf "start-up ratio at 2x / at 1x: %.2f\n", b / a }'
SCRIPT
# A screen on which the window at 2x fits.
XVFB_SCREEN=2048x1536x24 "$root/tests/platform/gtk/run-under-x" bash "$work/measure-on-x.sh"
