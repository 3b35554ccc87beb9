#!/usr/bin/env bash
# Times the mapping of a Unicode font: a 57,054-glyph 16 x 16 font of every BMP
# code point (surrogates and private use aside) converted three ways:
#   - registered as ISO8859-1, so its codes are kept (no mapping);
#   - registered as ISO10646-1 and mapped with --charset shift_jis;
#   - the same with --chars, a 300-character text.
# Usage: bench/unicode.sh [RUNS]   (RUNS defaults to 11); BUILD_DIR as run.sh.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-11}
build_dir=${BUILD_DIR:-$root/build-bench}
# shellcheck source=bench/common.sh
. "$root/bench/common.sh"
release_build bdf2kvn

scratch_dir unicode
python3 "$root/bench/gen_font.py" "$work/latin.bdf" --bmp --cell 16 --registry ISO8859-1
python3 "$root/bench/gen_font.py" "$work/unicode.bdf" --bmp --cell 16
# 300 characters a menu might use: kana, the most common kanji, digits, letters.
python3 - "$work/menu.txt" <<'PY'
import sys
chars = [chr(c) for c in range(0x3041, 0x3094)] + [chr(c) for c in range(0x30A1, 0x30F7)]
chars += [chr(c) for c in range(0x30, 0x3A)] + [chr(c) for c in range(0x41, 0x5B)]
kanji = "日一国会人年大十二本中長出三同時政事自行社見月分議後前民生連五発間対上部東者党地合市業内相方四定今回新場金員九入選立開手米力学問高代明実円関決子動京全目表戦経通外最言氏現理調体化田当八六約主題下首意法不来作性的要用制治度務強気小七成期公持野協取都和統以機平総加山思家話世受区領多県続進正安設保改数記院女初北午指権心界支第産結百派点教報済書府活原先共得解名交資予川向際査勝面委告軍文反元重近千考判認画海参売利組知案道信策集在件団別物側任引使求所次水半品昨論計死官増係感特情投示変打男基私各始島直両朝革価式確村提運終挙果西勢減台広容必応演電歳住争談能無再位置企真流格有疑口過局少放税検藤町常校料沢裁状工建語球営空職証土与急止送援供可役構木割聞身費付施切由説転食比難防補車優夫研収断井何南石足違消境神番規術護展態導鮮備宅害配副算視条幹独警宮究育席輸訪楽起万着乗店述残想線率病農州武声質念待試族象銀域助労例衛然早張映限親額監環験追審商葉義伝働形景落欧担好退準賞訴辺造英被株頭技低毎医復仕去姿味負閣韓渡失移差衆個門写評課末守若脳極種美岡影命含福蔵量望松非撃佐核観察整段横融型白深字答夜製票況音申様財港識注呼渉達"
chars += list(kanji)
chars = list(dict.fromkeys(chars))[:300]
open(sys.argv[1], "w", encoding="utf-8").write("".join(chars) + "\n")
PY

labels=(latin shift_jis chars)
declare -A what=([latin]="registry ISO8859-1, codes kept" [shift_jis]="ISO10646-1 --charset shift_jis"
  [chars]="ISO10646-1 --charset shift_jis --chars (300)")
run_one() {
  case "$1" in
    latin) "$bdf2kvn" -o "$work/out.kvn" "$work/latin.bdf" ;;
    shift_jis) "$bdf2kvn" --charset shift_jis -o "$work/out.kvn" "$work/unicode.bdf" ;;
    chars) "$bdf2kvn" --charset shift_jis --chars "$work/menu.txt" -o "$work/out.kvn" \
      "$work/unicode.bdf" 2>/dev/null ;;
  esac
}
declare -A times
for ((i = 0; i < runs; i++)); do
  for label in "${labels[@]}"; do
    start=$(date +%s%N)
    run_one "$label"
    end=$(date +%s%N)
    times[$label]+="$(((end - start) / 1000)) "
  done
done
median() { tr ' ' '\n' | grep . | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
echo "font: $(grep -c '^ENCODING' "$work/unicode.bdf") glyphs of 16x16, $(stat -c %s "$work/unicode.bdf") bytes; $runs runs each, alternating"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '| %-48s | %11s |\n' "conversion" "median wall"
printf '|%s|%s:|\n' "--------------------------------------------------" "------------"
declare -A med
for label in "${labels[@]}"; do
  med[$label]=$(echo "${times[$label]}" | median)
  printf '| %-48s | %8.1f ms |\n' "${what[$label]}" "$(echo "${med[$label]} / 1000" | bc -l)"
done
printf 'shift_jis / ISO8859-1: %.2fx (target <= 1.5x); --chars / shift_jis: %.2fx (target <= 1x)\n' \
  "$(echo "${med[shift_jis]} / ${med[latin]}" | bc -l)" "$(echo "${med[chars]} / ${med[shift_jis]}" | bc -l)"
