#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A long run of random use: the calculator under a private X server for some minutes of random
# keys, clicks on its keys (found from the skin's item map), wheel turns, menus opened and then
# left or used, and pastes of all sorts, in a prepared working folder. Its resident size is
# sampled every few seconds. At the end it is quit through its × key, and the settings file it
# saves must be well formed and come back byte for byte through later starts and quits.
#
#   tools/soak/soak.sh [minutes] [program]
#
# minutes: 10 by default; program: build/release/tornavelle by default (Release: a sanitizer's
# allocator would hide how the program's own memory behaves). SOAK_SEED=n repeats a run's random
# choices (each run prints its seed); SOAK_OUT=folder keeps the log, the samples and the
# settings there. Exits with 1 when the calculator crashed, did not quit, or saved a bad file.
# Needs the test packages (xvfb, xdotool, xclip, imagemagick). Not part of ./test.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

if [[ ${1:-} != --inside ]]; then
  minutes=${1:-10}
  program=$(realpath "${2:-$here/build/release/tornavelle}")
  [[ -x $program ]] || { echo "no program at $program: build it first (./run builds it)" >&2; exit 2; }
  seed=${SOAK_SEED:-$((RANDOM * 32768 + RANDOM))}
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  out=${SOAK_OUT:-$work/out}
  mkdir -p "$out"
  folder=$(HOME="$work" XDG_DATA_HOME="$work" "$here/scripts/prepare-user-folder" "$here/data")
  printf 'Defaut = Francais\r\n' >"$folder/Langue.lng"
  echo "soak: $minutes min of $program, seed $seed, in $folder"
  status=0
  "$here/tests/platform/gtk/run-under-x" "$0" --inside "$minutes" "$program" "$seed" "$work" "$folder" "$out" ||
    status=$?
  cp "$folder/Tornavelle.tvnp" "$out/" 2>/dev/null || true
  [[ -n ${SOAK_OUT:-} ]] && echo "soak: log, samples and settings kept in $out"
  exit "$status"
fi

# --- Inside the private X server ----------------------------------------------------------------
minutes=$2 program=$3 seed=$4 work=$5 folder=$6 out=$7
RANDOM=$seed
log="$out/soak.log"
samples="$out/rss.tsv"
: >"$log"
say() { echo "$*" | tee -a "$log"; }

# Every opaque pixel of the item map that is not black names an item by its colour. One line per
# item colour: the colour, then up to 64 of its pixels spread over it, "x,y" each.
convert "$folder/Apparence/Defaut/Item.png" txt:- | awk '
  NR > 1 {
    split($2, c, /[(),]/)
    if (c[5] != 255 || (c[2] == 0 && c[3] == 0 && c[4] == 0)) next
    split($1, p, /[,:]/)
    colour = substr($3, 2, 6)
    n[colour]++
    if (n[colour] % 37 == 1 && kept[colour] < 64) { pixels[colour] = pixels[colour] " " p[1] "," p[2]; kept[colour]++ }
  }
  END { for (k in pixels) print k pixels[k] }' >"$work/items"
# The colours the shell names (items.h gives them as red + 256 green + 65536 blue).
quit=20EAE3 functions=167E7A line=1036F5
pixel_of() {  # a random pixel of the item with that colour, as "x y"
  local pixels
  read -r -a pixels < <(grep "^$1 " "$work/items" | cut -d' ' -f2-)
  local p=${pixels[RANDOM % ${#pixels[@]}]}
  echo "${p%,*} ${p#*,}"
}
mapfile -t clickable < <(awk -v q=$quit '$1 != q { print $1 }' "$work/items")
say "item map: $(wc -l <"$work/items") items, ${#clickable[@]} of them clicked at random"

cd "$folder"
start_calculator() {
  "$program" >>"$out/calculator.log" 2>&1 &
  pid=$!
  window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tornavelle$' | head -n1)
  [[ -n $window ]] || { say "FAULT: no window within 30 s"; exit 1; }
  eval "$(xdotool getwindowgeometry --shell "$window")"  # X, Y: the window's place
  xdotool windowfocus --sync "$window" 2>/dev/null || true
}
click_item() {  # colour [button]
  local x y
  read -r x y < <(pixel_of "$1")
  xdotool mousemove $((X + x)) $((Y + y)) click "${2:-1}"
}
quit_calculator() {  # through the × key; the exit code, or 124 when it did not end in time
  xdotool key Escape 2>/dev/null || true
  sleep 0.3
  click_item $quit
  for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill -9 "$pid"
    wait "$pid" 2>/dev/null || true
    return 124
  fi
  local code=0
  wait "$pid" || code=$?
  return "$code"
}

keys=(0 1 2 3 4 5 6 7 8 9 period comma plus minus asterisk slash asciicircum exclam percent
      parenleft parenright equal less greater a b e k n x y Return Return Return BackSpace BackSpace
      Delete Left Right Home End shift+Left shift+Right shift+Home shift+End Prior Next Tab
      ctrl+c ctrl+x ctrl+v Escape)
words=(racine\( sin\( cos\( tan\( pi ln\( log\( 'ans' rep '1/3+1/6' '2^10' '7*pi/4' 'racine3(8)' '170!'
       '1e308*10' '(((((1)))))' 'sqr(2' 'arrondi(' 'abs(-' 'combinaison(5,2)' '10^-400')
calculations=('2+3*4' '1/3+1/6' 'racine(2)*racine(2)' '7*pi/4' '2^10' 'sin(pi/6)' '1/0' '170!'
              '171!' 'ln(0)' '3/4' '(1+2)*(3+4)' '10^-5' 'cos(0)-1' '1e300*1e300')
# What a paste brings: ordinary calculations, line breaks, a long line, binary bytes, text in
# another script.
make_clip() {
  case $((RANDOM % 8)) in
    0 | 1) echo -n "$((RANDOM % 1000))*$((RANDOM % 100))+1/$((RANDOM % 9 + 1))" ;;
    2) printf '1+2\n3*4\r\n\n5' ;;
    3) head -c $((RANDOM % 2000 + 1)) /dev/urandom ;;
    4) printf '√(2)×π÷2²' ;;
    5) printf 'Привет 你好 🙂 +1' ;;
    6) yes '12345+' | head -c $((RANDOM % 100000 + 1000)) | tr -d '\n' ;;
    7) printf '\t  ' ;;
  esac
}
menu_choice() {  # leave the open menu, or take one of its first entries
  sleep 0.2
  if ((RANDOM % 2)); then
    xdotool key Escape
  else
    xdotool key --repeat $((RANDOM % 12 + 1)) --delay 20 Down key Return
  fi
  sleep 0.1
}

start_calculator
say "calculator $pid, window $window at $X,$Y"
printf 'seconds\trss_kb\tactions\n' >"$samples"
declare -A done_count=()
actions=0 began=$SECONDS next_sample=0 end=$((SECONDS + minutes * 60))
set +e  # an xdotool call that fails (a menu holding the pointer) must not end the run
while ((SECONDS < end)); do
  if ((SECONDS >= next_sample)); then
    rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status" 2>/dev/null || echo 0)
    printf '%d\t%s\t%d\n' $((SECONDS - began)) "$rss" "$actions" >>"$samples"
    next_sample=$((SECONDS + 5))
    xdotool windowfocus "$window" 2>/dev/null || true  # a menu may have taken the focus
  fi
  if ! kill -0 "$pid" 2>/dev/null; then
    code=0
    wait "$pid" || code=$?
    say "FAULT: the calculator ended by itself after $((SECONDS - began)) s and $actions actions, status $code"
    tail -n 20 "$out/calculator.log" | tee -a "$log"
    exit 1
  fi
  choice=$((RANDOM % 100))
  if ((choice < 35)); then
    kind=key; xdotool key "${keys[RANDOM % ${#keys[@]}]}"
  elif ((choice < 45)); then
    kind="type"; xdotool type --delay 5 "${words[RANDOM % ${#words[@]}]}"
  elif ((choice < 75)); then
    kind=click; click_item "${clickable[RANDOM % ${#clickable[@]}]}"
  elif ((choice < 83)); then
    kind=wheel
    read -r x y < <(pixel_of "${clickable[RANDOM % ${#clickable[@]}]}")
    xdotool mousemove $((X + x)) $((Y + y)) click --repeat $((RANDOM % 5 + 1)) $((RANDOM % 2 + 4))
  elif ((choice < 87)); then
    kind=functions; click_item $functions; menu_choice
  elif ((choice < 91)); then
    kind=edit-menu; click_item $line 3; menu_choice
  elif ((choice < 93)); then
    # Opened and left: a skin chosen would replace the window the run holds, and the About
    # window would wait for its OK.
    kind=skin-menu; click_item "${clickable[RANDOM % ${#clickable[@]}]}" 3; sleep 0.2; xdotool key Escape
  elif ((choice < 96)); then
    # A calculation on a cleared line (the edit menu's fourth entry), so the history fills.
    kind=calculation; click_item $line 3; sleep 0.2
    xdotool key --repeat 4 --delay 20 Down key Return
    sleep 0.1
    xdotool type --delay 5 "${calculations[RANDOM % ${#calculations[@]}]}"
    xdotool key Return
  else
    kind="paste"
    make_clip >"$work/clip"
    xclip -selection clipboard -i "$work/clip"
    xdotool key ctrl+v
  fi
  done_count[$kind]=$((${done_count[$kind]:-0} + 1))
  actions=$((actions + 1))
done
set -e

summary=""
for kind in "${!done_count[@]}"; do summary+=" $kind ${done_count[$kind]}"; done
say "actions: $actions in $((SECONDS - began)) s:$summary"
code=0
quit_calculator || code=$?
((code == 0)) || { say "FAULT: quitting through the × key gave status $code"; exit 1; }

# The settings file as the writer makes it: the UTF-8 mark and CR LF, then CR LF-ended group,
# comment and "key = value" lines, with the groups and keys the calculator always writes.
check_settings() {
  local file=$1
  [[ -s $file ]] || { say "FAULT: no settings file"; return 1; }
  LC_ALL=C awk '
    NR == 1 { if ($0 != "\357\273\277\r") bad = "no mark on the first line"; next }
    !/\r$/ { bad = "line " NR " does not end with CR LF" }
    { line = substr($0, 1, length($0) - 1) }
    line ~ /^\[[^]]*\]$/ { group = line; next }
    line ~ /^; / { next }
    line ~ / = / { split(line, kv, / = /); have[group "/" kv[1]] = 1; next }
    { bad = "line " NR " is neither a group nor a key: " line }
    END {
      n = split("[Apparence]/Apparence|[Apparence]/Fenetre x|[Calcul]/Operation|[Calcul]/Mode|" \
                "[Calcul]/Reponse0Operation|[Calcul]/Reponse0Valeur|[Graphique]/Graphe_Grille", need, "|")
      for (i = 1; i <= n; i++) if (!(need[i] in have)) bad = bad " missing " need[i]
      if (bad) { print bad; exit 1 }
    }' "$file" >"$work/check" || { say "FAULT: settings file: $(cat "$work/check")"; return 1; }
}
cp Tornavelle.tvnp "$out/first-save.tvnp" 2>/dev/null || true
check_settings Tornavelle.tvnp || exit 1
say "settings: $(wc -c <Tornavelle.tvnp) bytes, $(grep -c 'Operation = ' Tornavelle.tvnp) expressions, well formed"

# Loaded by a later start and saved again at its quit, nothing having changed, the file must come
# back as it was. A run that started with no history saves none of the empty entry that loading
# puts after a stored history, so the first reload may add that one entry; from then on every
# load and save gives the same bytes.
restart_and_quit() {
  start_calculator
  sleep 1
  local code=0
  quit_calculator || code=$?
  ((code == 0)) || { say "FAULT: a later start did not quit normally, status $code"; exit 1; }
  check_settings Tornavelle.tvnp || exit 1
}
restart_and_quit
cp Tornavelle.tvnp "$out/second-save.tvnp"
restart_and_quit
if cmp -s Tornavelle.tvnp "$out/second-save.tvnp"; then
  say "settings: loaded back and saved again unchanged$(cmp -s Tornavelle.tvnp "$out/first-save.tvnp" ||
    echo ' (after the first reload, which added the empty entry after the history)')"
else
  say "FAULT: the settings changed through a load and a save"
  diff <(tr -d '\r' <"$out/second-save.tvnp") <(tr -d '\r' <Tornavelle.tvnp) | head -n 20 | tee -a "$log"
  exit 1
fi

# Resident size: the samples of the second minute, after the warm-up, against those of the last.
awk -F'\t' -v last=$((minutes * 60 - 60)) '
  NR > 1 && $1 >= 60 && $1 < 120 { w += $2; nw++ }
  NR > 1 && $1 >= last { e += $2; ne++ }
  NR > 1 && $2 > max { max = $2 }
  END {
    if (nw && ne) printf "rss: %d KB after the warm-up (second minute), %d KB in the last minute, %d KB at most\n", w / nw, e / ne, max
  }' "$samples" | tee -a "$log"
warnings=$(grep -c . "$out/calculator.log" || true)
say "calculator output: $warnings lines"
