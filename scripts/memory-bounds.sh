#!/usr/bin/env bash
# Shows that bdf2kvn reads any amount of input in bounded memory: peak resident
# memory and wall time (GNU time) for a tiny font, a 100 MB single-line file
# (refused) and a font followed by a million empty lines (converted).
# Usage: scripts/memory-bounds.sh [path/to/bdf2kvn]   (default: build/cli/bdf2kvn)
set -euo pipefail
cd "$(dirname "$0")/.."

bdf2kvn="$(realpath "${1:-build/cli/bdf2kvn}")"
if [ ! -x "$bdf2kvn" ]; then
  echo "bdf2kvn not found at $bdf2kvn; build it first (make test)" >&2
  exit 1
fi
if [ ! -x /usr/bin/time ]; then
  echo "GNU time is missing: scripts/install-deps.sh bench" >&2
  exit 1
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

tiny_font() {
  printf 'STARTFONT 2.1\nFONTBOUNDINGBOX 8 2 0 0\nCHARSET_REGISTRY "ISO8859"\n'
  printf 'ENCODING 65\nDWIDTH 8 0\nBITMAP\n81\n7E\nENDCHAR\nENDFONT\n'
}

tiny_font >"$work/tiny.bdf"
head -c 100000000 /dev/zero | tr '\0' 'A' >"$work/one-line.bdf"
{ tiny_font; head -c 1000000 /dev/zero | tr '\0' '\n'; } >"$work/million-lines.bdf"

printf '%-20s %12s %6s %14s %9s  %s\n' input "size (bytes)" exit "peak RSS (KB)" "wall (s)" "message"
for name in tiny one-line million-lines; do
  input="$work/$name.bdf"
  set +e
  /usr/bin/time -f '%M %e' -o "$work/time.txt" "$bdf2kvn" "$input" 2>"$work/stderr.txt"
  status=$?
  set -e
  read -r peak wall < <(tail -n 1 "$work/time.txt")
  message="$(sed "s|$work/||" "$work/stderr.txt")"
  printf '%-20s %12s %6s %14s %9s  %s\n' "$name.bdf" "$(stat -c %s "$input")" "$status" \
    "$peak" "$wall" "${message:-converted}"
done
