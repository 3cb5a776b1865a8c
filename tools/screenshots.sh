#!/usr/bin/env bash
# Takes the README's screenshots under Xvfb: the main window, the colour chooser opened with its
# "Choose Colors" button, and the particle preview of a smoke column imported through "Import
# Array", then the preview with the built-in effect "Burning vehicle smoke" chosen in its effect
# list, with the particle source "Spreading smoke plume" and with the layers of "Campfire", by day
# and at night. Needs
# xvfb-run, xdotool and ImageMagick's import.
# Usage: tools/screenshots.sh [BUILD_DIR]
#        (writes docs/main-window.png, docs/colour-chooser.png, docs/particle-preview.png,
#        docs/effect-library.png, docs/particle-source.png, docs/layered-effect.png,
#        docs/light-night.png)
set -euo pipefail
script=$(realpath "$0")
cd "$(dirname "$script")/.."
build=${1:-build}
for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "missing tool: $tool (apt-get install xvfb xdotool imagemagick)"; exit 1; }
done
[ -x "$build/app/plumewright" ] || { echo "build the program first: $build/app/plumewright"; exit 1; }

if [ -z "${PLW_SCREENSHOT_DISPLAY:-}" ]; then
  exec env PLW_SCREENSHOT_DISPLAY=1 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$script" "$build"
fi

workdir=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$workdir"
}
trap cleanup EXIT

cp "$build/app/plumewright" "$workdir/"
# Own effects and settings of the user running the script stay out of the picture.
mkdir -p "$workdir/data" "$workdir/config"
(cd "$workdir" && XDG_DATA_HOME="$workdir/data" XDG_CONFIG_HOME="$workdir/config" QT_QPA_PLATFORM=xcb ./plumewright) &
pid=$!

main=$(timeout 30 xdotool search --all --sync --onlyvisible --pid "$pid" --name "Plumewright" | head -n 1)
sleep 1
import -window "$main" docs/main-window.png

# "Choose Colors" is the second button of the row, 1920 twips (128 px) apart from 144 px on.
xdotool mousemove --window "$main" 332 209 click 1
chooser=$(timeout 30 xdotool search --all --sync --onlyvisible --pid "$pid" --name "^Choose Color$" | head -n 1) || true
[ -n "$chooser" ] || { echo "the colour chooser did not open"; exit 1; }
sleep 2
# Cut from the whole screen, where the chooser stands over the main window.
geometry=$(xdotool getwindowgeometry "$chooser" | awk '/Position:/ {split($2, p, ","); x = p[1]; y = p[2]}
  /Geometry:/ {print $2 "+" x "+" y}')
import -window root -crop "$geometry" +repage docs/colour-chooser.png

# Out of the way of the main window's buttons (there is no window manager to close it with).
xdotool windowunmap "$chooser"
# A smoke column, pasted into the import dialog ("Import Array" is the first button of the row).
smoke='drop ["cl_basic","","Billboard",1,8,[0,0,0.5],[0.3,0,1.5],0,1.25,1,0.3,[0.6,2.5,5],[[0.35,0.35,0.35,0.8],[0.6,0.6,0.6,0.4],[0.8,0.8,0.8,0]],[0,1,2],0.3,0.35,"","",player]'
xdotool mousemove --window "$main" 204 209 click 1
importer=$(timeout 30 xdotool search --all --sync --onlyvisible --pid "$pid" --name "^Import Drop Array$" | head -n 1) || true
[ -n "$importer" ] || { echo "the import dialog did not open"; exit 1; }
sleep 1
xdotool mousemove --window "$importer" 100 17 click 1
xdotool type --delay 2 "$smoke"
xdotool mousemove --window "$importer" 488 100 click 1
sleep 1
# "Preview" stands between the colour variable field and the check box.
xdotool mousemove --window "$main" 477 281 click 1
preview=$(timeout 30 xdotool search --all --sync --onlyvisible --pid "$pid" --name "^Particle Preview$" | head -n 1) || true
[ -n "$preview" ] || { echo "the preview did not open"; exit 1; }
sleep 6
geometry=$(xdotool getwindowgeometry "$preview" | awk '/Position:/ {split($2, p, ","); x = p[1]; y = p[2]}
  /Geometry:/ {print $2 "+" x "+" y}')
import -window root -crop "$geometry" +repage docs/particle-preview.png

# The second built-in effect, chosen with the keys: Alt+T, Down twice. The imported smoke is saved
# nowhere, so the first load asks; Alt+Y answers Yes.
xdotool windowfocus --sync "$preview"
xdotool key alt+t Down
sleep 1
xdotool key alt+y
sleep 1
xdotool key Down
sleep 10
import -window root -crop "$geometry" +repage docs/effect-library.png

# A particle source of the later games: the built-in "Spreading smoke plume", seven further down.
xdotool key Down Down Down Down Down Down Down
sleep 10
import -window root -crop "$geometry" +repage docs/particle-source.png

# An effect of several layers: the built-in "Campfire", four further down.
xdotool key Down Down Down Down
sleep 10
import -window root -crop "$geometry" +repage docs/layered-effect.png

# The same at night, its light glowing under the flames: "Night" stands right of the wind's y,
# in the row under the views and their time line.
xdotool mousemove --window "$preview" 1035 823 click 1
sleep 6
import -window root -crop "$geometry" +repage docs/light-night.png
echo "wrote docs/main-window.png, docs/colour-chooser.png, docs/particle-preview.png, docs/effect-library.png," \
  "docs/particle-source.png, docs/layered-effect.png and docs/light-night.png"
