# shellcheck shell=bash disable=SC2154,SC2034  # root and build_dir are the caller's, and so are bdf2kvn and kvn
# Sourced by the benchmarks: the Release build they time and their scratch
# directory. Needs `root` and `build_dir` set.

# Builds the given targets in a Release build at $build_dir (configured once,
# incremental after) and sets bdf2kvn and kvn to the commands' paths.
release_build() {
  if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DKELVANE_BUILD_UI=OFF -DKELVANE_BUILD_TESTS=OFF >/dev/null
  fi
  cmake --build "$build_dir" --target "$@" >/dev/null
  bdf2kvn=$build_dir/cli/bdf2kvn
  kvn=$build_dir/cli/kvn
}

# Sets work to a new scratch directory named after $1, removed at exit
# unless BENCH_KEEP=1.
scratch_dir() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-$1.XXXXXX")
  if [ "${BENCH_KEEP:-0}" = 1 ]; then
    echo "$1 bench: keeping $work"
  else
    trap 'rm -rf "$work"' EXIT
  fi
}
