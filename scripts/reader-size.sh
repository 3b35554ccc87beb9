#!/usr/bin/env bash
# The device reader's size in a Cortex-M0+ firmware: installs kelvane from
# BUILD into a scratch prefix and builds examples/firmware with
# arm-none-eabi-gcc (-mthumb -mcpu=cortex-m0plus -Os; -Wall -Wextra -Wpedantic
# -Werror), finding kelvane by kelvane_DIR as a cross-compiled firmware does.
# Prints arm-none-eabi-size of the reader's archive (by section, and text,
# data, bss and their total) and of the whole example.
# Usage: scripts/reader-size.sh [BUILD]   (BUILD built in full; default build)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
source=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" >/dev/null
cmake -S "$source/examples/firmware" -B "$work/menu" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$source/examples/firmware/arm-none-eabi.cmake" \
  -Dkelvane_DIR="$work/prefix/lib/cmake/kelvane" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build "$work/menu"

reader=$(find "$work/menu" -name 'lib*kvn_reader.a')
echo
echo "The reader, $(arm-none-eabi-gcc --version | head -n 1), -mthumb -mcpu=cortex-m0plus -Os:"
arm-none-eabi-size -A "$reader" | grep -E '^(kvn_reader|\.text|\.rodata|\.data|\.bss)'
arm-none-eabi-size -B "$reader" | sed "s|$work/menu/||"
echo
echo "The whole example (the reader, the font, main.c and newlib's printf):"
arm-none-eabi-size -B "$work/menu/menu" | sed "s|$work/menu/||"
