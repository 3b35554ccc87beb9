#!/usr/bin/env bash
# Starts the kelvane window from a build directory.
set -euo pipefail
build_dir=${1:-build}

# True when a window can be shown: a Wayland session, or an X display that answers.
display_reachable() {
  [ -n "${WAYLAND_DISPLAY:-}" ] && return 0
  [ -n "${DISPLAY:-}" ] || return 1
  if command -v xdpyinfo >/dev/null 2>&1; then
    xdpyinfo >/dev/null 2>&1
    return
  fi
  case "$DISPLAY" in
    :*) local n=${DISPLAY#:}; [ -S "/tmp/.X11-unix/X${n%%.*}" ] ;;
    *) return 0 ;;
  esac
}

if [ -x "$build_dir/ui/kelvane" ]; then
  if ! display_reachable; then
    echo "kelvane: no display found (DISPLAY=${DISPLAY:-unset}); for headless use run $build_dir/cli/bdf2kvn FILE.bdf" >&2
    exit 1
  fi
  exec "$build_dir/ui/kelvane"
fi
echo "kelvane: the window is not built in $build_dir (configure with -DKELVANE_BUILD_UI=ON); bdf2kvn:" >&2
exec "$build_dir/cli/bdf2kvn" --help
