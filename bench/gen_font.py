#!/usr/bin/env python3
"""Writes a large synthetic BDF font for benchmarking bdf2kvn.

The font has 65,000 glyphs of 32 x 32 pixels, registry ISO8859-1, codes
0..64999 in order, each with pseudo-random bitmap rows drawn from a fixed
seed, so every run produces the same file (about 24 MB).

With --bmp it instead holds a glyph for every code point of the Basic
Multilingual Plane from U+0020 to U+FFFD but the surrogates and the private use
area (57,054 glyphs), as a Unicode font does; --registry sets the registry and
encoding the font names (ISO10646-1 by default with --bmp).

Usage: gen_font.py OUTPUT.bdf [--glyphs N] [--seed S] [--bmp] [--registry R-E] [--cell N]
"""

import argparse
import random
import sys

CELL = 32


def bmp_codes():
    """Every BMP code point from U+0020 but surrogates and private use."""
    return [c for c in range(0x20, 0xFFFE) if not 0xD800 <= c <= 0xF8FF]


def write_font(out, codes, seed, registry, cell):
    global CELL
    CELL = cell
    ROW_BYTES = CELL // 8
    # Per-byte masks that keep the outermost pixel column of each row clear, as
    # a font's glyphs usually do; the rest of every row is pseudo-random.
    MASK = bytes(([0x7F] + [0xFF] * (ROW_BYTES - 2) + [0xFE]) * CELL)
    glyphs = len(codes)
    reg, enc = registry.rsplit("-", 1)
    rng = random.Random(seed)
    w = out.write
    w("STARTFONT 2.1\n")
    w(f"FONT -kelvane-Bench-Medium-R-Normal--{CELL}-{CELL * 10}-75-75-C-{CELL * 10}-{registry}\n")
    w(f"SIZE {CELL} 75 75\n")
    w(f"FONTBOUNDINGBOX {CELL} {CELL} 0 -4\n")
    props = [
        'FOUNDRY "kelvane"',
        'FAMILY_NAME "Bench"',
        'WEIGHT_NAME "Medium"',
        'SLANT "R"',
        'SETWIDTH_NAME "Normal"',
        'ADD_STYLE_NAME ""',
        f"PIXEL_SIZE {CELL}",
        f"POINT_SIZE {CELL * 10}",
        "RESOLUTION_X 75",
        "RESOLUTION_Y 75",
        'SPACING "C"',
        f"AVERAGE_WIDTH {CELL * 10}",
        f'CHARSET_REGISTRY "{reg}"',
        f'CHARSET_ENCODING "{enc}"',
        f"FONT_ASCENT {CELL - 4}",
        "FONT_DESCENT 4",
        f"DEFAULT_CHAR {codes[0]}",
    ]
    w(f"STARTPROPERTIES {len(props)}\n")
    for p in props:
        w(p + "\n")
    w("ENDPROPERTIES\n")
    w(f"CHARS {glyphs}\n")
    for code in codes:
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
    parser.add_argument("--bmp", action="store_true")
    parser.add_argument("--registry")
    parser.add_argument("--cell", type=int, default=CELL, choices=[8, 16, 24, 32])
    args = parser.parse_args()
    if not 1 <= args.glyphs <= 65535:
        sys.exit("gen_font.py: --glyphs must be 1..65535")
    codes = bmp_codes() if args.bmp else list(range(args.glyphs))
    registry = args.registry or ("ISO10646-1" if args.bmp else "ISO8859-1")
    with open(args.output, "w", encoding="ascii", newline="\n", buffering=1 << 20) as out:
        write_font(out, codes, args.seed, registry, args.cell)


if __name__ == "__main__":
    main()
