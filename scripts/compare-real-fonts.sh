#!/usr/bin/env bash
# Converts real X11 fonts and reports where two ways of converting them differ:
# output bytes, or converted by one and refused by the other.
#
# Usage:
#   scripts/compare-real-fonts.sh OLD_BDF2KVN NEW_BDF2KVN [FONT_DIR]
#     every PCF font under FONT_DIR (default /usr/share/fonts/X11) through
#     pcf2bdf, converted by two builds of bdf2kvn;
#   scripts/compare-real-fonts.sh --pcf BDF2KVN [PACKAGE...]
#     every PCF font of the Debian PACKAGEs (default: xfonts-base, -75dpi,
#     -100dpi, -intl-japanese, -shinonome, -efont-unicode, -unifont), read
#     directly (`bdf2kvn -o a.kvn font.pcf.gz`) and through pcf2bdf
#     (`pcf2bdf font.pcf.gz | bdf2kvn -o b.kvn -`); the bytes must be equal.
#     Fonts registered as ISO10646 (CHARSET_REGISTRY in pcf2bdf's text) are
#     refused by both routes without --charset: that is checked, and they are
#     compared with --charset unicode. A refusal counts as the same when only
#     its line number differs (the BDF text has lines, the PCF file none).
#     Exits 1 when a font converts one way only or to other bytes.
#     COMPARE_KEEP=DIR keeps the two outputs of every difference in DIR.
# `scripts/install-deps.sh fonts` installs pcf2bdf and the fonts.
set -euo pipefail

usage() {
  echo "usage: $0 OLD_BDF2KVN NEW_BDF2KVN [FONT_DIR]" >&2
  echo "       $0 --pcf BDF2KVN [PACKAGE...]" >&2
  exit 2
}
command -v pcf2bdf >/dev/null 2>&1 || {
  echo "$0: pcf2bdf not found; run scripts/install-deps.sh fonts" >&2
  exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The reason of a refusal: the last line of standard error after "bdf2kvn: FILE: ".
reason() { printf '%s\n' "$1" | tail -n 1 | sed -e 's/^bdf2kvn: //' -e 's/^[^:]*: //'; }

if [ "${1:-}" = --pcf ]; then
  [ $# -ge 2 ] || usage
  bin=$2
  shift 2
  packages=("$@")
  [ ${#packages[@]} -gt 0 ] || packages=(xfonts-base xfonts-75dpi xfonts-100dpi
    xfonts-intl-japanese xfonts-shinonome xfonts-efont-unicode xfonts-unifont)
  keep=${COMPARE_KEEP:-}
  [ -z "$keep" ] || mkdir -p "$keep"

  # Converts one font both ways with the options given; sets d_ok, d_err,
  # p_ok, p_err (standard error, the file's name in it as "-") and same (1
  # when both converted and the bytes are equal).
  both_ways() {
    local pcf=$1
    shift
    rm -f "$work/a.kvn" "$work/b.kvn"
    d_err=$("$bin" "$@" -o "$work/a.kvn" "$pcf" 2>&1) && d_ok=1 || d_ok=0
    d_err=${d_err//"$pcf"/-}
    p_err=$(set -o pipefail; pcf2bdf "$pcf" 2>&1 | "$bin" "$@" -o "$work/b.kvn" - 2>&1) && p_ok=1 || p_ok=0
    same=0
    if [ $d_ok = 1 ] && [ $p_ok = 1 ] && cmp -s "$work/a.kvn" "$work/b.kvn"; then same=1; fi
  }
  # A refusal without the line number, which only the BDF text has.
  plain() { reason "$1" | sed -E 's/ at line [0-9]+!/!/'; }

  total=0 same_bytes=0 warn_differ=0 both_refused=0 reasons_differ=0 differ=0
  unicode=0 unicode_refused=0 unicode_same=0
  declare -A per_pkg_total=() per_pkg_same=()
  for pkg in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      echo "$pkg: not installed (scripts/install-deps.sh fonts)" >&2
      continue
    fi
    per_pkg_total[$pkg]=0 per_pkg_same[$pkg]=0
    while IFS= read -r pcf; do
      [ -f "$pcf" ] || continue
      total=$((total + 1))
      per_pkg_total[$pkg]=$((per_pkg_total[$pkg] + 1))
      name=${pcf##*/}
      options=()
      registry=$(pcf2bdf "$pcf" 2>/dev/null | awk -F'"' '/^CHARSET_REGISTRY / {print $2; exit} /^CHARS / {exit}' || true)
      if [ "$registry" = ISO10646 ]; then
        # Without --charset both routes must refuse a Unicode font; it is
        # compared with --charset unicode.
        unicode=$((unicode + 1))
        both_ways "$pcf"
        if [ $d_ok = 0 ] && [ $p_ok = 0 ]; then
          unicode_refused=$((unicode_refused + 1))
        else
          echo "NOT REFUSED $pkg $name without --charset: direct=$([ $d_ok = 1 ] && echo converted || plain "$d_err") | pcf2bdf=$([ $p_ok = 1 ] && echo converted || plain "$p_err")"
        fi
        options=(--charset unicode)
      fi
      both_ways "$pcf" "${options[@]}"
      label="$pkg $name${options[*]:+ ${options[*]}}"
      if [ $same = 1 ]; then
        same_bytes=$((same_bytes + 1))
        per_pkg_same[$pkg]=$((per_pkg_same[$pkg] + 1))
        [ "$registry" = ISO10646 ] && unicode_same=$((unicode_same + 1))
        if [ "$d_err" != "$p_err" ]; then
          warn_differ=$((warn_differ + 1))
          echo "WARNINGS DIFFER $label: direct: ${d_err//$'\n'/ / } | pcf2bdf: ${p_err//$'\n'/ / }"
        fi
      elif [ $d_ok = 0 ] && [ $p_ok = 0 ]; then
        if [ "$(plain "$d_err")" = "$(plain "$p_err")" ]; then
          both_refused=$((both_refused + 1))
          echo "REFUSED BY BOTH $label: $(plain "$d_err")"
        else
          reasons_differ=$((reasons_differ + 1))
          echo "REFUSED BY BOTH, OTHER REASONS $label: direct: $(plain "$d_err") | pcf2bdf: $(plain "$p_err")"
        fi
      else
        differ=$((differ + 1))
        if [ $d_ok = 1 ] && [ $p_ok = 1 ]; then
          echo "DIFFERS $label: bytes differ ($(stat -c %s "$work/a.kvn") direct, $(stat -c %s "$work/b.kvn") through pcf2bdf; first at byte $(cmp "$work/a.kvn" "$work/b.kvn" 2>/dev/null | awk '{print $5}' | tr -d ,))"
        else
          echo "DIFFERS $label: direct=$([ $d_ok = 1 ] && echo converted || plain "$d_err") | pcf2bdf=$([ $p_ok = 1 ] && echo converted || plain "$p_err")"
        fi
        if [ -n "$keep" ]; then
          [ ! -f "$work/a.kvn" ] || cp "$work/a.kvn" "$keep/${name%%.pcf*}.direct.kvn"
          [ ! -f "$work/b.kvn" ] || cp "$work/b.kvn" "$keep/${name%%.pcf*}.pcf2bdf.kvn"
        fi
      fi
    done < <(dpkg -L "$pkg" | grep -E '\.pcf(\.gz)?$' | sort)
  done
  echo
  for pkg in "${packages[@]}"; do
    [ -z "${per_pkg_total[$pkg]:-}" ] || echo "$pkg: ${per_pkg_total[$pkg]} fonts, ${per_pkg_same[$pkg]} the same bytes both ways"
  done
  echo "fonts: $total; the same bytes both ways: $same_bytes (with other warnings: $warn_differ);" \
    "refused by both for one reason: $both_refused; refused by both for other reasons: $reasons_differ;" \
    "converted one way only or to other bytes: $differ"
  echo "ISO10646 fonts: $unicode, refused by both routes without --charset: $unicode_refused;" \
    "with --charset unicode the same bytes: $unicode_same"
  [ $differ = 0 ]
  exit
fi

[ $# -ge 2 ] && [ $# -le 3 ] || usage
old=$1 new=$2 fonts=${3:-/usr/share/fonts/X11}

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
