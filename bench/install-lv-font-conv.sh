#!/usr/bin/env bash
# Installs the npm package lv_font_conv (LVGL's font converter, written in
# JavaScript) into bench/node_modules_local/, for bench/formats.sh. Nothing is
# installed globally; the folder is not part of the project (.gitignore).
# Usage: bench/install-lv-font-conv.sh   (needs node and npm: scripts/install-deps.sh bench)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=$root/bench/node_modules_local
version=1.5.3
for tool in node npm; do
  command -v "$tool" >/dev/null 2>&1 || {
    echo "install-lv-font-conv: $tool not found; run scripts/install-deps.sh bench (Debian's npm package provides npm where node lacks it)" >&2
    exit 1
  }
done
if [ -x "$prefix/node_modules/.bin/lv_font_conv" ] &&
  [ "$(node -p "require('$prefix/node_modules/lv_font_conv/package.json').version")" = "$version" ]; then
  exit 0
fi
mkdir -p "$prefix"
npm install --prefix "$prefix" --no-audit --no-fund --no-save "lv_font_conv@$version" >&2
echo "$prefix/node_modules/.bin/lv_font_conv"
