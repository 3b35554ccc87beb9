#!/usr/bin/env bash
# Starts the kelvane window from a build directory.
set -euo pipefail
build_dir=${1:-build}
if [ -x "$build_dir/ui/kelvane" ]; then
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "kelvane: no display found (DISPLAY is not set); for headless use run $build_dir/cli/bdf2kvn FILE.bdf" >&2
    exit 1
  fi
  exec "$build_dir/ui/kelvane"
fi
exec "$build_dir/cli/bdf2kvn" --help
