#!/usr/bin/env bash
# Benchmarks bdf2kvn on one large synthetic font (65,000 glyphs of 32 x 32
# pixels, about 24 MB of BDF) beside bdftopcf (X.org's BDF compiler) and beside
# read_floor, which only reads the file and counts its lines.
#
# Usage: bench/run.sh [RUNS]      (RUNS defaults to 11; also BENCH_RUNS)
# Environment: BUILD_DIR (default build-bench), CXX (default g++),
#   BENCH_KEEP=1 keeps the temporary directory.
# Needs: cmake, ninja, g++, python3, bdftopcf (xfonts-utils), /usr/bin/time
# (time), and strace for the fsync figures; `scripts/install-deps.sh bench`
# installs them.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-${BENCH_RUNS:-11}}
build_dir=${BUILD_DIR:-$root/build-bench}
# shellcheck source=bench/common.sh
. "$root/bench/common.sh"
cxx=${CXX:-g++}
case "$runs" in '' | *[!0-9]* | 0) echo "usage: $0 [RUNS>=1]" >&2; exit 2 ;; esac

for tool in bdftopcf /usr/bin/time python3 cmake "$cxx"; do
  command -v "$tool" >/dev/null 2>&1 || {
    echo "bench: $tool not found; run scripts/install-deps.sh bench" >&2
    exit 1
  }
done

release_build bdf2kvn
# The source it was built from, as of the build.
revision=$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)
git -C "$root" diff --quiet HEAD 2>/dev/null || revision="$revision with local changes"

# The floor, built with -O2 (rebuilt when its source changes).
floor=$build_dir/bench/read_floor
if [ ! -x "$floor" ] || [ "$root/bench/read_floor.cpp" -nt "$floor" ]; then
  mkdir -p "$build_dir/bench"
  "$cxx" -std=c++17 -O2 -Wall -Wextra -o "$floor" "$root/bench/read_floor.cpp"
fi

scratch_dir bench

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
font=$work/bench.bdf
python3 "$root/bench/gen_font.py" "$font"

# The four commands, by label.
labels=(kvn-file kvn-stdout bdftopcf floor)
declare -A cmd_text=(
  [kvn-file]="bdf2kvn -o out.kvn (fsync included)"
  [kvn-stdout]="bdf2kvn -o - > /dev/null"
  [bdftopcf]="bdftopcf -o out.pcf"
  [floor]="read_floor (read 256 KB blocks, count LFs)"
)
# Sets cmd to the command line of a label.
set_cmd() {
  case "$1" in
    kvn-file) cmd=("$bdf2kvn" -o "$work/out.kvn" "$font") ;;
    kvn-stdout) cmd=("$bdf2kvn" -o - "$font") ;;
    bdftopcf) cmd=(bdftopcf -o "$work/out.pcf" "$font") ;;
    floor) cmd=("$floor" "$font") ;;
  esac
}
# Runs one command by label.
run_one() {
  local cmd
  set_cmd "$1"
  "${cmd[@]}"
}

fail() {
  echo "bench: $*" >&2
  exit 1
}

# One untimed run of each warms the page cache and checks the outputs.
run_one kvn-file
run_one kvn-stdout >"$work/stdout.kvn"
run_one bdftopcf
run_one floor >"$work/floor.txt"
expected=$((9 + 6 + 65000 * (1 + 128)))
size=$(stat -c %s "$work/out.kvn")
[ "$size" -eq "$expected" ] || fail "out.kvn is $size bytes, expected $expected"
cmp -s "$work/out.kvn" "$work/stdout.kvn" || fail "-o - wrote other bytes than -o out.kvn"
lines=$(wc -l <"$font")
[ "$(cat "$work/floor.txt")" -eq "$lines" ] || fail "read_floor counted $(cat "$work/floor.txt") lines, wc -l $lines"
rm -f "$work/stdout.kvn"

# Wall time: microseconds around the bare command, read from EPOCHREALTIME
# (no process of its own), so it includes the fork and exec from this shell.
# Appends the figure to $work/$1.wall.
time_one() {
  local cmd t0 t1
  set_cmd "$1"
  t0=${EPOCHREALTIME/[.,]/}
  "${cmd[@]}" >/dev/null 2>"$work/stderr.txt" || {
    cat "$work/stderr.txt" >&2
    fail "failed: ${cmd_text[$1]}"
  }
  t1=${EPOCHREALTIME/[.,]/}
  echo "$((t1 - t0))" >>"$work/$1.wall"
}
# Peak resident set size, from a separate run under GNU time (GNU time's own
# start-up would add to the wall time). Appends kilobytes to $work/$1.rss.
rss_one() {
  local cmd
  set_cmd "$1"
  /usr/bin/time -v -o "$work/time.txt" "${cmd[@]}" >/dev/null 2>"$work/stderr.txt" || {
    cat "$work/stderr.txt" >&2
    fail "failed under /usr/bin/time: ${cmd_text[$1]}"
  }
  awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt" >>"$work/$1.rss"
}

for label in "${labels[@]}"; do : >"$work/$label.wall"; : >"$work/$label.rss"; done
for ((i = 1; i <= runs; i++)); do
  for label in "${labels[@]}"; do time_one "$label"; done
  for label in "${labels[@]}"; do rss_one "$label"; done
done

# Median and minimum of a file of microseconds; maximum of a file of kilobytes.
median_us() { sort -n "$1" | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
min_us() { sort -n "$1" | head -n 1; }
max_kb() { sort -n "$1" | tail -n 1; }
ms() { awk -v us="$1" 'BEGIN {printf "%.1f ms", us / 1000}'; }

declare -A med fast rss
for label in "${labels[@]}"; do
  med[$label]=$(median_us "$work/$label.wall")
  fast[$label]=$(min_us "$work/$label.wall")
  rss[$label]=$(max_kb "$work/$label.rss")
done

# Where writing the file goes: the time inside the writes to the temporary
# file, its fsync, the rename and the directory's fsync, from strace -T on
# separate runs of the file variant (strace slows the calls it traces a little).
fsync_runs=3
fsync_report=""
if command -v strace >/dev/null 2>&1; then
  : >"$work/calls.txt"
  for ((i = 1; i <= fsync_runs; i++)); do
    strace -f -T -o "$work/strace.txt" -e trace=openat,write,fsync,fdatasync,rename,renameat,renameat2 \
      "$bdf2kvn" -o "$work/out.kvn" "$font"
    # "write_us fsync_us rename_us dirsync_us": the temporary file's descriptor
    # is the one opened with O_CREAT, the directory's the one with O_DIRECTORY.
    awk '
      function fd_of(line) { sub(/^[a-z0-9]+\(/, "", line); sub(/[,)].*/, "", line); return line }
      function us(line) { sub(/.*</, "", line); sub(/>.*/, "", line); return line * 1e6 }
      { sub(/^[0-9]+ +/, "") }
      /^openat\(/ && / = [0-9]+ </ {
        fd = $0; sub(/.* = /, "", fd); sub(/ .*/, "", fd)
        if (/O_CREAT/) tmp = fd; else if (/O_DIRECTORY/) dir = fd
      }
      /^write\(/ && tmp != "" && fd_of($0) == tmp { w += us($0) }
      /^f(data)?sync\(/ && fd_of($0) == tmp { f += us($0) }
      /^f(data)?sync\(/ && fd_of($0) == dir { d += us($0) }
      /^rename/ { r += us($0) }
      END { printf "%d %d %d %d\n", w, f, r, d }' "$work/strace.txt" >>"$work/calls.txt"
  done
  for col in 1 2 3 4; do cut -d' ' -f$col "$work/calls.txt" >"$work/calls.$col"; done
  fsync_report=$(awk -v w="$(median_us "$work/calls.1")" -v f="$(median_us "$work/calls.2")" \
    -v r="$(median_us "$work/calls.3")" -v d="$(median_us "$work/calls.4")" \
    -v wall="${med[kvn-file]}" -v n="$fsync_runs" -v all="$(tr '\n' ' ' <"$work/calls.txt")" 'BEGIN {
      printf "Writing the file (strace -T, %d more runs of bdf2kvn -o out.kvn, medians; depends on the disk):\n", n
      printf "  write() to the temporary file %.1f ms, fsync of it %.1f ms, rename %.1f ms, fsync of the directory %.1f ms\n", w / 1000, f / 1000, r / 1000, d / 1000
      printf "  the two fsyncs: %.1f ms, %.0f%% of the median wall time of bdf2kvn -o out.kvn\n", (f + d) / 1000, 100 * (f + d) / wall
      split(all, v, " ")
      printf "  per run (write, fsync, rename, directory fsync, ms):"
      for (i = 1; i <= 4 * n; i += 4) printf "%s %.1f %.1f %.1f %.1f", (i > 1 ? ";" : ""), v[i] / 1000, v[i + 1] / 1000, v[i + 2] / 1000, v[i + 3] / 1000
      printf "\n"
    }')
else
  fsync_report="fsync: not measured (strace not found; scripts/install-deps.sh bench)"
fi

fstype=$(findmnt -n -o FSTYPE,SOURCE -T "$work" 2>/dev/null | tr -s ' ' || stat -f -c %T "$work")
echo
echo "machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)"
echo "load average: $load_before before, $(cut -d' ' -f1-3 /proc/loadavg) after"
echo "bdf2kvn: ${bdf2kvn#"$root"/} (Release), source $revision"
echo "font: $(stat -c %s "$font") bytes of BDF, 65000 glyphs of 32x32, $lines lines"
echo "output directory: $work on ${fstype:-unknown}"
echo "runs: $runs of each, alternating; peak RSS the largest of $runs more runs of each under /usr/bin/time -v"
echo
printf '| %-44s | %11s | %11s | %13s |\n' command "median wall" fastest "peak RSS"
printf '|%s|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..46})" "$(printf -- '-%.0s' {1..12}):" \
  "$(printf -- '-%.0s' {1..12}):" "$(printf -- '-%.0s' {1..14}):"
for label in "${labels[@]}"; do
  printf '| %-44s | %11s | %11s | %10s KB |\n' "${cmd_text[$label]}" "$(ms "${med[$label]}")" \
    "$(ms "${fast[$label]}")" "${rss[$label]}"
done
echo
kvn_rss=${rss[kvn-file]}
[ "${rss[kvn-stdout]}" -gt "$kvn_rss" ] && kvn_rss=${rss[kvn-stdout]}
awk -v kf="${med[kvn-file]}" -v ks="${med[kvn-stdout]}" -v pcf="${med[bdftopcf]}" \
  -v fl="${med[floor]}" -v kr="$kvn_rss" -v pr="${rss[bdftopcf]}" 'BEGIN {
    printf "| %-44s | %7s | %7s | %3s |\n", "ratio (of medians)", "value", "target", "met"
    printf "|----------------------------------------------|--------:|--------:|-----|\n"
    r = pcf / kf; printf "| %-44s | %6.2fx | %7s | %-3s |\n", "bdftopcf / bdf2kvn -o out.kvn", r, ">= 4x", (r >= 4 ? "yes" : "no")
    r = ks / fl; printf "| %-44s | %6.2fx | %7s | %-3s |\n", "bdf2kvn -o - > /dev/null / read_floor", r, "<= 2.5x", (r <= 2.5 ? "yes" : "no")
    r = kr / pr; printf "| %-44s | %6.2fx | %7s | %-3s |\n", "peak RSS bdf2kvn / bdftopcf", r, "<= 1x", (r <= 1 ? "yes" : "no")
  }'
echo
echo "$fsync_report"
