#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The calculator beside the programs people would pick instead, run as a user's desktop runs
# them: a private X server, a session bus with the accessibility bus it starts on demand, and a
# fresh HOME for every launch. For each program, in one run:
#   - start-up: launch to the first window mapped (MapNotify), median of RUNS launches;
#     beside them a bare GTK 3 window of the calculator's size (bench/startup/bare-window), the
#     least a GTK program does to show one, at 1 and at 2 (GDK_SCALE=2) as the calculator;
#   - memory a second after the window appeared: resident (VmRSS) and private, the program's
#     own anonymous memory (heap, stacks, images; not the libraries' pages), median;
#   - asleep or not: wake-ups a second (voluntary context switches of all its threads) and CPU
#     as a share of one core, over IDLE seconds, once with another window focused and the
#     pointer away, then twice with its own window focused: at once (the caret blinks) and over
#     the next IDLE seconds, by when the desktop's blink timeout (GTK's default 10 s) has passed.
# The calculator is measured with each shipped skin (the setting Apparence) at 1 and at 2.
# Prints a Markdown table. Needs a Release build with -DTORNAVELLE_BENCH=ON (for map-probe),
# xlogo, xdotool, dbus-run-session; galculator and speedcrunch are measured when installed
# (scripts/packages, line "bench").
#   bench/desktop/measure.sh [BUILD_DIR]     (default build/release; RUNS=5 IDLE=10; PEERS=0
#                                            measures the calculator alone)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(realpath "${1:-$root/build/release}")
runs=${RUNS:-5}
idle=${IDLE:-10}
probe="$build/bench/startup/map-probe"
calculator="$build/tornavelle"
bare="$build/bench/startup/bare-window"
for needed in "$probe" "$calculator" "$bare"; do
  [[ -x "$needed" ]] || { echo "missing $needed: build $build with -DTORNAVELLE_BENCH=ON" >&2; exit 1; }
done
for tool in xlogo xdotool dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (see scripts/packages)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/measure-on-x.sh" <<SCRIPT
set -euo pipefail
cd "$work"
median() { sort -g | awk '{ v[NR] = \$1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# Wake-ups (voluntary context switches: each is a return from sleep; a preemption, counted
# apart as nonvoluntary, happens to a thread already awake) and nanoseconds on a CPU, summed
# over the threads of the process.
switches() { cat /proc/\$1/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ { n += \$2 } END { print n }'; }
cpu_ns() { cat /proc/\$1/task/*/schedstat 2>/dev/null | awk '{ n += \$1 } END { print n }'; }
anonymous_kib() { awk '/^Anonymous:/ { print \$2 }' "/proc/\$1/smaps_rollup"; }
# Wake-ups a second and CPU percent of the process over IDLE seconds.
idle_cost() {
  local s0 c0 s1 c1
  s0=\$(switches "\$1"); c0=\$(cpu_ns "\$1"); sleep $idle; s1=\$(switches "\$1"); c1=\$(cpu_ns "\$1")
  awk -v s=\$((s1 > s0 ? s1 - s0 : 0)) -v c=\$((c1 - c0)) -v t=$idle 'BEGIN { printf "%.1f %.3f\n", s / t, 100 * c / 1e9 / t }'
}
# Another window to hand the focus to, in a corner of its own.
xlogo -name focus-holder -geometry 60x60-0-0 & other=\$!
for _ in \$(seq 100); do xdotool search --classname focus-holder >/dev/null 2>&1 && break; sleep 0.05; done
other_window=\$(xdotool search --classname focus-holder | head -n1)

launch_folder() {  # a fresh HOME and working folder; the calculator's data in the folder
  rm -rf home folder; mkdir home folder
  cp -r "$root/data/Lng-Tornavelle" "$root/data/Apparence" folder/
  printf 'Defaut = Francais\r\n' >folder/Langue.lng
  [[ -z "\${SKIN:-}" ]] || printf '[Apparence]\r\nApparence = %s\r\n' "\$SKIN" >folder/Tornavelle.tvnp
}
measure() {  # name, program...
  local name=\$1; shift
  : >"\$name.start"; : >"\$name.rss"; : >"\$name.private"
  for ((i = 0; i < $runs; i++)); do
    launch_folder
    read -r ms pid < <(cd folder && HOME="$work/home" "$probe" "\$@")
    sleep 1
    echo "\$ms" >>"\$name.start"
    awk '/^VmRSS/ { print \$2 / 1024 }' "/proc/\$pid/status" >>"\$name.rss"
    echo "\$(anonymous_kib \$pid)" | awk '{ print \$1 / 1024 }' >>"\$name.private"
    if ((i == 0)); then
      # X programs that do not say their process id are found by their class.
      window=\$(xdotool search --onlyvisible --pid "\$pid" 2>/dev/null | head -n1 || true)
      [[ -n "\$window" ]] || window=\$(xdotool search --onlyvisible --classname "\$(basename "\$1")" | head -n1 || true)
      xdotool windowfocus --sync "\$other_window" mousemove 2047 1535
      sleep 1
      read -r away_wakes away_cpu < <(idle_cost "\$pid")
      [[ -n "\$window" ]] && xdotool windowfocus --sync "\$window"
      sleep 1
      read -r focus_wakes focus_cpu < <(idle_cost "\$pid")
      read -r later_wakes later_cpu < <(idle_cost "\$pid")
    fi
    # The calculator saves as it ends; the next launch would find it still holding the folder.
    kill "\$pid"; while kill -0 "\$pid" 2>/dev/null; do sleep 0.01; done
  done
  printf '| %s | %.0f ms | %.1f MiB | %.1f MiB | %s | %s %% | %s | %s %% | %s | %s %% |\n' "\$name" \
    "\$(median <"\$name.start")" "\$(median <"\$name.rss")" "\$(median <"\$name.private")" \
    "\$away_wakes" "\$away_cpu" "\$focus_wakes" "\$focus_cpu" "\$later_wakes" "\$later_cpu"
}
echo "| program | start-up | resident | private | wake-ups/s, away | CPU, away | wake-ups/s, focused | CPU, focused | wake-ups/s, focused later | CPU, focused later |"
echo "|---|---|---|---|---|---|---|---|---|---|"
if [[ "${PEERS:-1}" == 1 ]]; then
  measure xlogo xlogo
  measure bare-gtk-window "$bare"
  command -v galculator >/dev/null && measure galculator galculator
  command -v speedcrunch >/dev/null && measure speedcrunch speedcrunch
fi
for skin in Defaut Clair Contraste; do
  SKIN=\$skin measure "tornavelle-\$skin" "$calculator"
done
if [[ "${PEERS:-1}" == 1 ]]; then
  measure bare-gtk-window-at-2x env GDK_SCALE=2 "$bare"
  command -v galculator >/dev/null && measure galculator-at-2x env GDK_SCALE=2 galculator
  command -v speedcrunch >/dev/null && measure speedcrunch-at-2x env QT_SCALE_FACTOR=2 speedcrunch
fi
for skin in Defaut Clair Contraste; do
  SKIN=\$skin measure "tornavelle-\$skin-at-2x" env GDK_SCALE=2 "$calculator"
done
kill \$other
SCRIPT
# The accessibility bus is started on demand by the session bus, as on a desktop.
export NO_AT_BRIDGE=0
# A screen on which the window at 2 fits.
XVFB_SCREEN=2048x1536x24 "$root/tests/platform/gtk/run-under-x" dbus-run-session -- bash ${TRACE:+-x} "$work/measure-on-x.sh"
