#!/usr/bin/env bash
# Benchmarks the device reader (kvn/reader/kvn_reader.c) with bench/reader_bench.cpp:
#   - opening KVN files of 8,000, 16,000, 32,000 and 65,000 glyphs of 32 x 32
#     (gen_font.py fonts converted by bdf2kvn), and kvn_open by range count;
#   - kvn_lookup of every code 0..65535 in jiskan16 (6,877 glyphs of JIS X 0208
#     as Shift_JIS), its ranges ascending and reversed;
#   - `kvn sheet` of jiskan16 (median of 5 runs).
# Usage: bench/reader.sh
# Environment: BUILD_DIR (default build-bench; a Release build of bdf2kvn and
#   kvn is made there if needed), CC (default gcc), CXX (default g++),
#   BENCH_KEEP=1 keeps the temporary directory.
# Needs: cmake, ninja, gcc, g++, python3, pcf2bdf and the font
# /usr/share/fonts/X11/misc/jiskan16.pcf.gz; `scripts/install-deps.sh fonts` installs them.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build-bench}
# shellcheck source=bench/common.sh
. "$root/bench/common.sh"
cc=${CC:-gcc}
cxx=${CXX:-g++}
jiskan=/usr/share/fonts/X11/misc/jiskan16.pcf.gz

for tool in pcf2bdf python3 cmake "$cc" "$cxx"; do
  command -v "$tool" >/dev/null 2>&1 || {
    echo "reader bench: $tool not found; run scripts/install-deps.sh fonts" >&2
    exit 1
  }
done
[ -f "$jiskan" ] || {
  echo "reader bench: $jiskan not found; run scripts/install-deps.sh fonts" >&2
  exit 1
}

release_build bdf2kvn kvn

# The reader in C99 and the benchmark in C++20, both -O2 (rebuilt when a source changes).
bench=$build_dir/bench/reader_bench
reader=$root/kvn/reader
if [ ! -x "$bench" ] || [ "$root/bench/reader_bench.cpp" -nt "$bench" ] ||
  [ "$reader/kvn_reader.c" -nt "$bench" ] || [ "$reader/kvn_reader.h" -nt "$bench" ]; then
  mkdir -p "$build_dir/bench"
  "$cc" -std=c99 -O2 -Wall -Wextra -Wpedantic -c -o "$build_dir/bench/kvn_reader.o" \
    "$reader/kvn_reader.c"
  "$cxx" -std=c++20 -O2 -Wall -Wextra -Wpedantic -I "$reader" -o "$bench" \
    "$root/bench/reader_bench.cpp" "$build_dir/bench/kvn_reader.o"
fi

scratch_dir reader

files=()
for glyphs in 8000 16000 32000 65000; do
  python3 "$root/bench/gen_font.py" "$work/font$glyphs.bdf" --glyphs "$glyphs"
  "$bdf2kvn" -o "$work/font$glyphs.kvn" "$work/font$glyphs.bdf"
  rm "$work/font$glyphs.bdf"
  files+=("$work/font$glyphs.kvn")
done
pcf2bdf -o "$work/jiskan16.bdf" "$jiskan"
"$bdf2kvn" -o "$work/jiskan16.kvn" "$work/jiskan16.bdf"

revision=$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)
git -C "$root" diff --quiet HEAD 2>/dev/null || revision="$revision with local changes"
echo "machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) before"
echo "reader: $cc -std=c99 -O2; benchmark: $cxx -std=c++20 -O2; kvn: ${kvn#"$root"/} (Release), source $revision"
echo
"$bench" --kvn "$kvn" --font "$work/jiskan16.kvn" --png "$work/sheet.png" "${files[@]}"
echo
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) after"
