#!/usr/bin/env bash
# Builds examples/firmware as a firmware project builds it: against kelvane
# installed from BUILD into a scratch prefix, through find_package alone. Its
# drawing must be expected.txt; a rebuild without changes makes nothing; a
# character added to (a copy of) menu.txt is drawn after a rebuild. The build
# tree's package (kelvane_DIR=BUILD) builds it too, and so does kvn-reader.pc
# from the prefix moved elsewhere, with the installed host library.
# Usage: build-example.sh BUILD EXAMPLES [LINK_FLAGS]
#   (EXAMPLES: the examples directory; LINK_FLAGS: what linking BUILD's
#   installed library needs besides kvn-reader.pc, e.g. its sanitizers)
set -euo pipefail
build=$(cd "$1" && pwd)
examples=$(cd "$2" && pwd)
link_flags=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null
cp -r "$examples" "$work/examples"  # the edits below go to this copy
firmware=$work/examples/firmware

echo "== the installed package"
cmake -S "$firmware" -B "$work/menu" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
grep -qx "kelvane_DIR:PATH=$work/prefix/lib/cmake/kelvane" "$work/menu/CMakeCache.txt" ||
  fail "kelvane was not found in the scratch prefix"
cmake --build "$work/menu"
"$work/menu/menu" | diff -u "$examples/firmware/expected.txt" - || fail "the menu is drawn otherwise"

echo "== a rebuild without changes"
again=$(cmake --build "$work/menu")
[ "$again" = "ninja: no work to do." ] || fail "a rebuild without changes did work: $again"

echo "== a character added to menu.txt"
"$work/menu/menu" う | cmp -s "$here/expected-u.txt" - && fail "う drawn before menu.txt has it"
printf 'う\n' >>"$firmware/menu.txt"
cmake --build "$work/menu" | tee "$work/rebuild.log"
grep -q "Making the font menu_font" "$work/rebuild.log" || fail "the font was not made again"
"$work/menu/menu" う | diff -u "$here/expected-u.txt" - || fail "う is not drawn after the edit"

echo "== the build tree's package"
cp "$examples/firmware/menu.txt" "$firmware/menu.txt"
cmake -S "$firmware" -B "$work/menu-build-tree" -G Ninja -Dkelvane_DIR="$build" \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build "$work/menu-build-tree" >/dev/null
"$work/menu-build-tree/menu" | diff -u "$examples/firmware/expected.txt" - ||
  fail "the menu is drawn otherwise with the build tree's package"

echo "== kvn-reader.pc from a moved prefix"
mv "$work/prefix" "$work/moved"
pc=$(dirname "$(find "$work/moved" -name kvn-reader.pc)")
flags=$(PKG_CONFIG_PATH=$pc pkg-config --cflags --libs kvn-reader)
echo "$flags"
[[ $flags == *"-I$work/moved/"* && $flags == *"-L$work/moved/"* ]] ||
  fail "kvn-reader.pc does not name the moved prefix"
# shellcheck disable=SC2086  # the flags are words
cc -std=c99 -Wall -Wextra -Werror -o "$work/menu-pc" "$firmware/main.c" \
  "$work/menu/kelvane_fonts/menu_font.c" -I"$work/menu/kelvane_fonts" $flags $link_flags
"$work/menu-pc" | diff -u "$examples/firmware/expected.txt" - ||
  fail "the menu is drawn otherwise with the installed library"
echo "ok"
