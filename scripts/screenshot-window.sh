#!/usr/bin/env bash
# Takes a screenshot of the kelvane window on a virtual X display.
# Usage: scripts/screenshot-window.sh [OUTPUT.png] [TEXT]
#   OUTPUT.png  where the picture goes (default docs/window.png)
#   TEXT        typed into the path field before the picture is taken
# BUILD_DIR selects the build directory (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/window.png}
text=${2:-}
build_dir=${BUILD_DIR:-build}
app="$build_dir/ui/kelvane"

scripts/install-deps.sh screenshot
[ -x "$app" ] || { echo "screenshot-window: $app not built (configure with -DKELVANE_BUILD_UI=ON)" >&2; exit 1; }

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 640x400x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$app" &
app_pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^kelvane$' | head -n1)
if [ -n "$text" ]; then
  xdotool mousemove --window "$window" 100 16 click 1
  xdotool type --delay 20 "$text"
fi
sleep 0.5
mkdir -p "$(dirname "$out")"
import -window "$window" "$out"
echo "screenshot-window: wrote $out ($(identify -format '%wx%h' "$out"))"
