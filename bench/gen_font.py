#!/usr/bin/env python3
"""Writes a large synthetic BDF font for benchmarking bdf2kvn.

The font has 65,000 glyphs of 32 x 32 pixels, registry ISO8859-1, codes
0..64999 in order, each with pseudo-random bitmap rows drawn from a fixed
seed, so every run produces the same file (about 24 MB).

Usage: gen_font.py OUTPUT.bdf [--glyphs N] [--seed S]
"""

import argparse
import random
import sys

CELL = 32
ROW_BYTES = CELL // 8
# Per-byte masks that keep the outermost pixel column of each row clear, as a
# font's glyphs usually do; the rest of every row is pseudo-random.
MASK = bytes([0x7F, 0xFF, 0xFF, 0xFE] * CELL)


def write_font(out, glyphs, seed):
    rng = random.Random(seed)
    w = out.write
    w("STARTFONT 2.1\n")
    w("FONT -kelvane-Bench-Medium-R-Normal--32-320-75-75-C-320-ISO8859-1\n")
    w("SIZE 32 75 75\n")
    w(f"FONTBOUNDINGBOX {CELL} {CELL} 0 -4\n")
    props = [
        'FOUNDRY "kelvane"',
        'FAMILY_NAME "Bench"',
        'WEIGHT_NAME "Medium"',
        'SLANT "R"',
        'SETWIDTH_NAME "Normal"',
        'ADD_STYLE_NAME ""',
        "PIXEL_SIZE 32",
        "POINT_SIZE 320",
        "RESOLUTION_X 75",
        "RESOLUTION_Y 75",
        'SPACING "C"',
        "AVERAGE_WIDTH 320",
        'CHARSET_REGISTRY "ISO8859"',
        'CHARSET_ENCODING "1"',
        "FONT_ASCENT 28",
        "FONT_DESCENT 4",
        "DEFAULT_CHAR 0",
    ]
    w(f"STARTPROPERTIES {len(props)}\n")
    for p in props:
        w(p + "\n")
    w("ENDPROPERTIES\n")
    w(f"CHARS {glyphs}\n")
    for code in range(glyphs):
        data = bytes(b & m for b, m in zip(rng.randbytes(CELL * ROW_BYTES), MASK))
        hexed = data.hex().upper()
        rows = "\n".join(hexed[i : i + 2 * ROW_BYTES] for i in range(0, len(hexed), 2 * ROW_BYTES))
        w(
            f"STARTCHAR c{code:05d}\nENCODING {code}\nSWIDTH 960 0\nDWIDTH {CELL} 0\n"
            f"BBX {CELL} {CELL} 0 -4\nBITMAP\n{rows}\nENDCHAR\n"
        )
    w("ENDFONT\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output")
    parser.add_argument("--glyphs", type=int, default=65000)
    parser.add_argument("--seed", type=int, default=20240601)
    args = parser.parse_args()
    if not 1 <= args.glyphs <= 65535:
        sys.exit("gen_font.py: --glyphs must be 1..65535")
    with open(args.output, "w", encoding="ascii", newline="\n", buffering=1 << 20) as out:
        write_font(out, args.glyphs, args.seed)


if __name__ == "__main__":
    main()
