#!/usr/bin/env bash
# Takes the README's picture: the default skin in a real window on a private X server with a
# compositor, over a soft backdrop, the pointer over one key.
#   tools/skin-window/screenshot.sh <skin-window program> <output.png>
set -euo pipefail
program=$(realpath "$1")
out=$(realpath -m "$2")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/shoot.sh" <<SCRIPT
set -euo pipefail
cd "$work"
convert -size 1024x768 gradient:'#8ca6c9'-'#d8c6b4' backdrop.png
display -geometry +0+0 backdrop.png & backdrop=\$!
sleep 1
picom --backend xrender >/dev/null 2>&1 & compositor=\$!
sleep 1
"$program" & calculator=\$!
sleep 2
window=\$(xdotool search --name Tornavelle | head -n1)
eval "\$(xdotool getwindowgeometry --shell "\$window")"
xdotool mousemove \$((X + 154)) \$((Y + 480))
sleep 0.5
import -window root full.png
convert full.png -crop \$((WIDTH + 60))x\$((HEIGHT + 60))+\$((X - 30))+\$((Y - 30)) +repage "$out"
kill \$calculator \$compositor \$backdrop
SCRIPT
"$here/../../tests/platform/gtk/run-under-x" bash "$work/shoot.sh"
