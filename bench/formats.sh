#!/usr/bin/env bash
# Times bdf2kvn on real fonts of other formats beside the tools a user would
# otherwise use, each on the same font:
#   - Unifont's OpenType font (outlines only) at 16 pixels, every glyph
#     (--charset unicode) and the Shift_JIS glyphs (--charset shift_jis),
#     beside otf2bdf -p 16 -r 72 (FreeType rasterizing every glyph, writing BDF);
#   - Misaki Gothic at 8 pixels from its bitmap strike (--charset unicode),
#     beside otf2bdf -p 8 -r 72 (which also takes the strike);
#   - Misaki Gothic's outlines at 8 pixels (--outline, --charset shift_jis),
#     beside lv_font_conv --bpp 1 --no-compress --format bin with ranges
#     0x20-0x7E, 0x3000-0x30FF, 0x4E00-0x9FFF (npm; bench/install-lv-font-conv.sh);
#   - PCF fonts read directly, beside pcf2bdf | bdf2kvn -o - -.
# Every output goes to standard output, sent to /dev/null (bdf2kvn -o -), except
# lv_font_conv's, which must be a file.
#
# Usage: bench/formats.sh [RUNS]   (RUNS defaults to 7; also BENCH_RUNS)
# Environment: LV_RUNS (runs of lv_font_conv, default 3: about 30 s each),
#   BUILD_DIR (default build-bench), BENCH_KEEP=1 keeps the temporary directory.
# Needs: otf2bdf, pcf2bdf, /usr/bin/time, node and npm, the fonts of
#   fonts-unifont, fonts-misaki and xfonts-shinonome, xfonts-unifont
#   (`scripts/install-deps.sh bench` and `scripts/install-deps.sh fonts`).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-${BENCH_RUNS:-7}}
lv_runs=${LV_RUNS:-3}
build_dir=${BUILD_DIR:-$root/build-bench}
# shellcheck source=bench/common.sh
. "$root/bench/common.sh"
case "$runs" in '' | *[!0-9]* | 0) echo "usage: $0 [RUNS>=1]" >&2; exit 2 ;; esac
case "$lv_runs" in '' | *[!0-9]* | 0) echo "$0: LV_RUNS must be 1 or more" >&2; exit 2 ;; esac

unifont_otf=/usr/share/fonts/opentype/unifont/unifont.otf
misaki=/usr/share/fonts/truetype/misaki/misaki_gothic.ttf
shnmk16=/usr/share/fonts/X11/misc/shnmk16.pcf.gz
unifont_pcf=/usr/share/fonts/X11/misc/unifont.pcf.gz

fail() {
  echo "formats bench: $*" >&2
  exit 1
}
for tool in otf2bdf pcf2bdf /usr/bin/time cmake; do
  command -v "$tool" >/dev/null 2>&1 || fail "$tool not found; run scripts/install-deps.sh bench"
done
for font in "$unifont_otf" "$misaki" "$shnmk16" "$unifont_pcf"; do
  [ -f "$font" ] || fail "$font not found; run scripts/install-deps.sh fonts"
done
lv=$("$root/bench/install-lv-font-conv.sh" 2>/dev/null || true)
lv=${lv:-$root/bench/node_modules_local/node_modules/.bin/lv_font_conv}
[ -x "$lv" ] || fail "lv_font_conv not installed; run bench/install-lv-font-conv.sh"

release_build bdf2kvn kvn
revision=$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)
git -C "$root" diff --quiet HEAD 2>/dev/null || revision="$revision with local changes"

scratch_dir formats
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

# The commands, by label: what each reads, and the command line.
labels=(uni-kvn uni-sjis-kvn uni-otf2bdf
  misaki-kvn misaki-otf2bdf
  misaki-outline-kvn misaki-lv
  shnmk16-kvn shnmk16-pipe
  unipcf-kvn unipcf-pipe)
declare -A text=(
  [uni-kvn]="bdf2kvn --size 16 --charset unicode unifont.otf (outlines)"
  [uni-sjis-kvn]="bdf2kvn --size 16 --charset shift_jis unifont.otf (outlines)"
  [uni-otf2bdf]="otf2bdf -p 16 -r 72 unifont.otf (outlines)"
  [misaki-kvn]="bdf2kvn --size 8 --charset unicode misaki_gothic.ttf (strike)"
  [misaki-otf2bdf]="otf2bdf -p 8 -r 72 misaki_gothic.ttf (strike)"
  [misaki-outline-kvn]="bdf2kvn --outline --size 8 --charset shift_jis misaki_gothic.ttf (outlines)"
  [misaki-lv]="lv_font_conv --size 8 --bpp 1 misaki_gothic.ttf, 3 ranges (outlines)"
  [shnmk16-kvn]="bdf2kvn shnmk16.pcf.gz (PCF bitmaps)"
  [shnmk16-pipe]="pcf2bdf shnmk16.pcf.gz | bdf2kvn - (PCF bitmaps)"
  [unipcf-kvn]="bdf2kvn --charset unicode unifont.pcf.gz (PCF bitmaps)"
  [unipcf-pipe]="pcf2bdf unifont.pcf.gz | bdf2kvn --charset unicode - (PCF bitmaps)"
)
# Runs one command by label, its output to standard output (the caller sends it
# on) or, for lv_font_conv, to $work/lv.bin. $1 is the label; $2, if given, is a
# prefix command (/usr/bin/time -v -o FILE) put before each process.
run_label() {
  local label=$1
  shift
  local pre=("$@") pre2=()
  [ ${#pre[@]} = 0 ] || pre2=("${pre[@]/%"$work/time.txt"/"$work/time2.txt"}")
  case "$label" in
    uni-kvn) "${pre[@]}" "$bdf2kvn" --size 16 --charset unicode -o - "$unifont_otf" ;;
    uni-sjis-kvn) "${pre[@]}" "$bdf2kvn" --size 16 --charset shift_jis -o - "$unifont_otf" ;;
    # otf2bdf 3.1 exits non-zero after a complete font: its output is checked instead.
    uni-otf2bdf) "${pre[@]}" otf2bdf -p 16 -r 72 "$unifont_otf" || true ;;
    misaki-kvn) "${pre[@]}" "$bdf2kvn" --size 8 --charset unicode -o - "$misaki" ;;
    misaki-otf2bdf) "${pre[@]}" otf2bdf -p 8 -r 72 "$misaki" || true ;;
    misaki-outline-kvn) "${pre[@]}" "$bdf2kvn" --outline --size 8 --charset shift_jis -o - "$misaki" ;;
    misaki-lv)
      "${pre[@]}" "$lv" --font "$misaki" --size 8 --bpp 1 --no-compress --format bin \
        -r 0x20-0x7E -r 0x3000-0x30FF -r 0x4E00-0x9FFF -o "$work/lv.bin" ;;
    shnmk16-kvn) "${pre[@]}" "$bdf2kvn" -o - "$shnmk16" ;;
    shnmk16-pipe) "${pre[@]}" pcf2bdf "$shnmk16" | "${pre2[@]}" "$bdf2kvn" -o - - ;;
    unipcf-kvn) "${pre[@]}" "$bdf2kvn" --charset unicode -o - "$unifont_pcf" ;;
    unipcf-pipe) "${pre[@]}" pcf2bdf "$unifont_pcf" | "${pre2[@]}" "$bdf2kvn" --charset unicode -o - - ;;
  esac
}

# One untimed run of each warms the page cache and checks the outputs: every
# KVN output is one the device reader opens (kvn check), the two ways of
# reading a PCF font give the same bytes, and the glyph counts are printed.
glyphs_bdf() { awk '/^CHARS / {print $2; exit}' "$1"; }
glyphs_kvn() { "$kvn" check "$1" | sed -E 's/.*\(([0-9]+) glyphs\).*/\1/'; }
declare -A count
for label in "${labels[@]}"; do
  run_label "$label" >"$work/$label.out" 2>"$work/stderr.txt" || {
    cat "$work/stderr.txt" >&2
    fail "failed: ${text[$label]}"
  }
  case "$label" in
    *-kvn | *-pipe)
      mv "$work/$label.out" "$work/$label.kvn"
      "$kvn" check "$work/$label.kvn" >/dev/null || fail "kvn check refuses the output of ${text[$label]}"
      count[$label]=$(glyphs_kvn "$work/$label.kvn") ;;
    *-otf2bdf)
      [ "$(tail -n 1 "$work/$label.out")" = ENDFONT ] || fail "${text[$label]} wrote no complete BDF font"
      count[$label]=$(glyphs_bdf "$work/$label.out") ;;
    misaki-lv) count[$label]="-" ;;
  esac
done
cmp -s "$work/shnmk16-kvn.kvn" "$work/shnmk16-pipe.kvn" || fail "shnmk16: direct and through pcf2bdf differ"
cmp -s "$work/unipcf-kvn.kvn" "$work/unipcf-pipe.kvn" || fail "unifont.pcf: direct and through pcf2bdf differ"

# Wall time in microseconds around the bare command (EPOCHREALTIME, no process
# of its own), so it includes starting it; appended to $work/$label.wall.
time_one() {
  local t0 t1
  t0=${EPOCHREALTIME/[.,]/}
  run_label "$1" >/dev/null 2>"$work/stderr.txt" || {
    cat "$work/stderr.txt" >&2
    fail "failed: ${text[$1]}"
  }
  t1=${EPOCHREALTIME/[.,]/}
  echo "$((t1 - t0))" >>"$work/$1.wall"
}
# Peak resident set size in kilobytes from a separate run under GNU time; for
# a pipe, the two processes run at once, so their peaks are added.
rss_one() {
  rm -f "$work/time.txt" "$work/time2.txt"
  run_label "$1" /usr/bin/time -v -o "$work/time.txt" >/dev/null 2>"$work/stderr.txt" || {
    cat "$work/stderr.txt" >&2
    fail "failed under /usr/bin/time: ${text[$1]}"
  }
  local files=("$work/time.txt")
  [ ! -f "$work/time2.txt" ] || files+=("$work/time2.txt")
  awk -F': ' '/Maximum resident set size/ {s += $2} END {print s}' "${files[@]}" >>"$work/$1.rss"
}

for label in "${labels[@]}"; do : >"$work/$label.wall"; : >"$work/$label.rss"; done
for ((i = 1; i <= runs; i++)); do
  for label in "${labels[@]}"; do
    [ "$label" = misaki-lv ] && [ "$i" -gt "$lv_runs" ] && continue
    time_one "$label"
    rss_one "$label"
  done
done

median_us() { sort -n "$1" | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
min_us() { sort -n "$1" | head -n 1; }
max_kb() { sort -n "$1" | tail -n 1; }
ms() { awk -v us="$1" 'BEGIN {if (us >= 1e6) printf "%.2f s", us / 1e6; else printf "%.1f ms", us / 1000}'; }

declare -A med fast rss n
for label in "${labels[@]}"; do
  med[$label]=$(median_us "$work/$label.wall")
  fast[$label]=$(min_us "$work/$label.wall")
  rss[$label]=$(max_kb "$work/$label.rss")
  n[$label]=$(wc -l <"$work/$label.wall")
done

echo
echo "machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)"
echo "load average: $load_before before, $(cut -d' ' -f1-3 /proc/loadavg) after"
echo "bdf2kvn: ${bdf2kvn#"$root"/} (Release), source $revision; otf2bdf $(dpkg-query -W -f='${Version}' otf2bdf 2>/dev/null || echo ?); pcf2bdf $(dpkg-query -W -f='${Version}' pcf2bdf 2>/dev/null || echo ?); lv_font_conv $("$lv" --version 2>/dev/null || echo '?')"
echo "runs: $runs of each ($lv_runs of lv_font_conv), alternating; peak RSS the largest of as many more runs under /usr/bin/time -v"
echo
printf '| %-76s | %4s | %11s | %11s | %10s | %6s |\n' command runs "median wall" fastest "peak RSS" glyphs
printf '|%s|-----:|%s|%s|%s|-------:|\n' "$(printf -- '-%.0s' {1..78})" "$(printf -- '-%.0s' {1..12}):" \
  "$(printf -- '-%.0s' {1..12}):" "$(printf -- '-%.0s' {1..11}):"
for label in "${labels[@]}"; do
  printf '| %-76s | %4s | %11s | %11s | %7s KB | %6s |\n' "${text[$label]}" "${n[$label]}" "$(ms "${med[$label]}")" \
    "$(ms "${fast[$label]}")" "${rss[$label]}" "${count[$label]:--}"
done
echo
# One ratio of medians: "slower" rows give bdf2kvn's time / the other's (aim:
# at most MAX), "faster" rows the other's / bdf2kvn's (aim: at least MIN).
ratio_row() { # kind name bdf2kvn_us other_us aim bound
  awk -v kind="$1" -v name="$2" -v k="$3" -v o="$4" -v aim="$5" -v bound="$6" 'BEGIN {
    if (kind == "slower") { r = k / o; met = r <= bound } else { r = o / k; met = r > bound }
    printf "| %-66s | %8.2fx | %8s | %-3s |\n", name, r, aim, (met ? "yes" : "no")
  }'
}
printf '| %-66s | %9s | %8s | %3s |\n' "ratio of medians" value aim met
printf '|%s|----------:|---------:|-----|\n' "$(printf -- '-%.0s' {1..68})"
ratio_row slower "bdf2kvn --charset unicode / otf2bdf, unifont.otf at 16" "${med[uni-kvn]}" "${med[uni-otf2bdf]}" "<= 1.5x" 1.5
ratio_row slower "bdf2kvn --charset shift_jis / otf2bdf, unifont.otf at 16" "${med[uni-sjis-kvn]}" "${med[uni-otf2bdf]}" "<= 1.5x" 1.5
ratio_row slower "bdf2kvn / otf2bdf, misaki_gothic.ttf strike at 8" "${med[misaki-kvn]}" "${med[misaki-otf2bdf]}" "<= 1.5x" 1.5
ratio_row faster "lv_font_conv / bdf2kvn --outline, misaki_gothic.ttf at 8" "${med[misaki-outline-kvn]}" "${med[misaki-lv]}" ">= 500x" 499.999
ratio_row faster "pcf2bdf | bdf2kvn / bdf2kvn, shnmk16.pcf.gz" "${med[shnmk16-kvn]}" "${med[shnmk16-pipe]}" "> 1x" 1
ratio_row faster "pcf2bdf | bdf2kvn / bdf2kvn, unifont.pcf.gz" "${med[unipcf-kvn]}" "${med[unipcf-pipe]}" "> 1x" 1

# Memory beside what is read and kept: the constant is the peak RSS of
# bdf2kvn converting the 8 x 8 example font (the program, its libraries and
# buffers); input bytes are the font file's, kept bytes the KVN output's.
/usr/bin/time -v -o "$work/time.txt" "$bdf2kvn" -o - "$root/examples/latin8x8.bdf" >/dev/null
base=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
declare -A input=([uni-kvn]=$unifont_otf [uni-sjis-kvn]=$unifont_otf [misaki-kvn]=$misaki
  [misaki-outline-kvn]=$misaki [shnmk16-kvn]=$shnmk16 [unipcf-kvn]=$unifont_pcf)
echo
echo "Peak RSS of bdf2kvn beside its input and output (constant: $base KB, bdf2kvn on examples/latin8x8.bdf):"
echo
printf '| %-76s | %10s | %10s | %10s | %14s |\n' command "peak RSS" "input" "KVN output" "RSS - constant"
printf '|%s|%s|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..78})" "$(printf -- '-%.0s' {1..11}):" \
  "$(printf -- '-%.0s' {1..11}):" "$(printf -- '-%.0s' {1..11}):" "$(printf -- '-%.0s' {1..15}):"
for label in uni-kvn uni-sjis-kvn misaki-kvn misaki-outline-kvn shnmk16-kvn unipcf-kvn; do
  printf '| %-76s | %7s KB | %7s KB | %7s KB | %11s KB |\n' "${text[$label]}" "${rss[$label]}" \
    "$(($(stat -L -c %s "${input[$label]}") / 1024))" "$(($(stat -c %s "$work/$label.kvn") / 1024))" \
    "$((rss[$label] - base))"
done
