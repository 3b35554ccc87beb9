#!/usr/bin/env bash
# Converts every X11 bitmap font installed by `install-deps.sh fonts` with two
# builds of bdf2kvn and reports where their results differ: output bytes, or
# converted by one and refused by the other.
# Usage: scripts/compare-real-fonts.sh OLD_BDF2KVN NEW_BDF2KVN [FONT_DIR]
set -euo pipefail
old=$1 new=$2 fonts=${3:-/usr/share/fonts/X11}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

total=0 same=0 both_refused=0 differ=0
while IFS= read -r -d '' pcf; do
  total=$((total + 1))
  bdf=$work/font.bdf
  case $pcf in
    *.gz) gzip -dc "$pcf" >"$work/font.pcf" ;;
    *) cp "$pcf" "$work/font.pcf" ;;
  esac
  pcf2bdf -o "$bdf" "$work/font.pcf" 2>/dev/null || continue
  o_err=$("$old" -o "$work/old.kvn" "$bdf" 2>&1) && o_ok=1 || o_ok=0
  n_err=$("$new" -o "$work/new.kvn" "$bdf" 2>&1) && n_ok=1 || n_ok=0
  if [ $o_ok = 1 ] && [ $n_ok = 1 ] && cmp -s "$work/old.kvn" "$work/new.kvn"; then
    same=$((same + 1))
  elif [ $o_ok = 0 ] && [ $n_ok = 0 ]; then
    both_refused=$((both_refused + 1))
  else
    differ=$((differ + 1))
    echo "DIFFERS ${pcf#"$fonts"/}: old=${o_ok} ${o_err##*: } | new=${n_ok} ${n_err##*: }"
  fi
  rm -f "$work/old.kvn" "$work/new.kvn"
done < <(find "$fonts" -name '*.pcf*' -print0 | sort -z)
echo "fonts: $total, same bytes: $same, refused by both: $both_refused, different: $differ"
