#!/usr/bin/env bash
# Benchmarks bdf2kvn against bdftopcf (X.org's BDF compiler) on one large
# synthetic font: 65,000 glyphs of 32 x 32 pixels, about 24 MB of BDF.
#
# Usage: bench/run.sh [RUNS]      (RUNS defaults to 5; also BENCH_RUNS)
# Environment: BUILD_DIR (default build-bench), BENCH_KEEP=1 keeps the temp dir.
# Needs: cmake, ninja, python3, bdftopcf (xfonts-utils), /usr/bin/time (time);
# `scripts/install-deps.sh bench` installs them.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-${BENCH_RUNS:-5}}
build_dir=${BUILD_DIR:-$root/build-bench}
case "$runs" in '' | *[!0-9]* | 0) echo "usage: $0 [RUNS>=1]" >&2; exit 2 ;; esac

for tool in bdftopcf /usr/bin/time python3 cmake; do
  command -v "$tool" >/dev/null 2>&1 || {
    echo "bench: $tool not found; run scripts/install-deps.sh bench" >&2
    exit 1
  }
done

# Release build of the command only (incremental when already built).
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKELVANE_BUILD_UI=OFF -DKELVANE_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build_dir" --target bdf2kvn >/dev/null
bdf2kvn=$build_dir/cli/bdf2kvn

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-bench.XXXXXX")
if [ "${BENCH_KEEP:-0}" = 1 ]; then
  echo "bench: keeping $work"
else
  trap 'rm -rf "$work"' EXIT
fi

font=$work/bench.bdf
python3 "$root/bench/gen_font.py" "$font"
echo "font: $(stat -c %s "$font") bytes of BDF, 65000 glyphs of 32x32"

# Runs one command under /usr/bin/time -v; appends "seconds kbytes" to $1.
measure() {
  local out=$1
  shift
  local t0 t1 rss
  # EPOCHREALTIME is read without starting a process, so only /usr/bin/time's
  # own start adds to the figure.
  t0=${EPOCHREALTIME/[.,]/}
  /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" || {
    echo "bench: failed: $*" >&2
    cat "$work/stderr.txt" >&2
    exit 1
  }
  t1=${EPOCHREALTIME/[.,]/}
  rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
  echo "$((t1 - t0)) $rss" >>"$out"
}

kvn_cmd=("$bdf2kvn" -o "$work/out.kvn" "$font")
pcf_cmd=(bdftopcf -o "$work/out.pcf" "$font")

# One untimed run of each warms the page cache.
"${kvn_cmd[@]}"
"${pcf_cmd[@]}"
expected=$((9 + 6 + 65000 * (1 + 128)))
size=$(stat -c %s "$work/out.kvn")
if [ "$size" -ne "$expected" ]; then
  echo "bench: out.kvn is $size bytes, expected $expected" >&2
  exit 1
fi

: >"$work/kvn.txt"
: >"$work/pcf.txt"
for ((i = 1; i <= runs; i++)); do
  measure "$work/kvn.txt" "${kvn_cmd[@]}"
  measure "$work/pcf.txt" "${pcf_cmd[@]}"
done

# Median of column 1 (microseconds) in seconds; maximum of column 2 (KB).
median() { sort -n "$1" | awk '{a[NR] = $1} END {m = (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2; printf "%.3f", m / 1e6}'; }
peak() { awk 'BEGIN {m = 0} $2 > m {m = $2} END {print m}' "$1"; }

kvn_med=$(median "$work/kvn.txt")
pcf_med=$(median "$work/pcf.txt")
kvn_rss=$(peak "$work/kvn.txt")
pcf_rss=$(peak "$work/pcf.txt")

echo "machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo), load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "runs: $runs each, alternating"
echo "bdf2kvn  median wall ${kvn_med} s, peak RSS ${kvn_rss} KB"
echo "bdftopcf median wall ${pcf_med} s, peak RSS ${pcf_rss} KB"
awk -v a="$kvn_med" -v b="$pcf_med" 'BEGIN {printf "ratio: bdftopcf / bdf2kvn = %.2fx\n", b / a}'
