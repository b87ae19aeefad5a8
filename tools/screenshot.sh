#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's picture: the calculator in French with a few calculations in its history,
# in a real window on a private X server with a compositor, over a soft backdrop.
#   tools/screenshot.sh <tornavelle program> <output.png>
# SCREENSHOT_SCALE=2 takes it on a desktop at 2× (GDK_SCALE=2, a screen twice as large).
# The calculator runs in a temporary folder prepared as ./run prepares the user's, so the
# picture never shows (or changes) anyone's own settings.
set -euo pipefail
scale=${SCREENSHOT_SCALE:-1}
program=$(realpath "$1")
out=$(realpath -m "$2")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folder=$(HOME="$work" XDG_DATA_HOME="$work" "$here/scripts/prepare-user-folder" "$here/data")
printf 'Defaut = Francais\r\n' >"$folder/Langue.lng"

# Typed as a user would, then the result key: the expression line shows √, × and π in place of
# the typed names, and the history keeps each calculation with its answer.
calculations=('racine(2)*racine(2)' '1/3+1/6' '7*pi/4' '2^10')

cat >"$work/shoot.sh" <<SCRIPT
set -euo pipefail
cd "$work"
convert -size $((1024 * scale))x$((768 * scale)) gradient:'#8ca6c9'-'#d8c6b4' backdrop.png
display -geometry +0+0 backdrop.png & backdrop=\$!
sleep 1
picom --backend xrender >/dev/null 2>&1 & compositor=\$!
sleep 1
cd "$folder"
GDK_SCALE=$scale "$program" & calculator=\$!
window=\$(xdotool search --sync --onlyvisible --name '^Tornavelle\$' | head -n1)
sleep 1
xdotool windowfocus --sync "\$window"
for calculation in ${calculations[*]@Q}; do
  xdotool type --delay 80 "\$calculation"
  sleep 0.3
  xdotool key Return
  sleep 0.5
done
# Half typed, the next calculation shows the line's glyphs and its caret.
xdotool type --delay 80 'sin(pi/6)+racine3(8'
eval "\$(xdotool getwindowgeometry --shell "\$window")"
xdotool mousemove \$((X + 319 * $scale)) \$((Y + 589 * $scale))  # over the result key, lit
sleep 1
xdotool key End  # the caret shows again for its full blink phase
sleep 0.1
import -window root full.png
margin=\$((30 * $scale))
convert full.png -crop \$((WIDTH + 2 * margin))x\$((HEIGHT + 2 * margin))+\$((X - margin))+\$((Y - margin)) +repage "$out"
kill \$calculator \$compositor \$backdrop
SCRIPT
XVFB_SCREEN=$((1024 * scale))x$((768 * scale))x24 "$here/tests/platform/gtk/run-under-x" bash "$work/shoot.sh"
