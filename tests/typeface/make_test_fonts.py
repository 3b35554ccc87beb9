#!/usr/bin/python3
"""Makes the typeface tests' fonts from glyphs.txt into a directory:
small.bdf (8 px) and big.bdf (the same glyphs twice the size), then through
bdftopcf small.pcf (and small.pcf.gz), through fonttosfnt small.otb and sizes.otb (both sizes as
strikes), through fontTools grid.ttf (each pixel a square of the em's grid at
8 px), grid.woff, pair.ttc (two faces), symbol.ttf (a symbol map only), and
Windows FNT files in three charsets.
Usage: make_test_fonts.py GLYPHS OUTDIR BDFTOPCF FONTTOSFNT"""
import gzip
import struct
import subprocess
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import newTable
from fontTools.ttLib.tables._c_m_a_p import CmapSubtable
from fontTools.ttLib.ttCollection import TTCollection

ASCENT, DESCENT, DEFAULT = 6, 2, 0x3F


def read_glyphs(path):
    glyphs = []
    for line in open(path):
        line = line.strip()
        if not line or line.startswith("#") and " " in line:
            continue
        if line[0] in ".#":
            glyphs[-1]["rows"].append(line)
        else:
            code, advance, x, y = line.split()
            glyphs.append(dict(code=int(code, 16), advance=int(advance), x=int(x), y=int(y), rows=[]))
    return glyphs


def scaled(glyphs, k):
    return [dict(g, advance=g["advance"] * k, x=g["x"] * k, y=g["y"] * k,
                 rows=["".join(c * k for c in r) for r in g["rows"] for _ in range(k)])
            for g in glyphs]


def write_bdf(path, glyphs, k=1):
    px = 8 * k
    out = ["STARTFONT 2.1", f"FONT -test-small-medium-r-normal--{px}-{px * 10}-75-75-p-50-iso10646-1",
           f"SIZE {px} 75 75", f"FONTBOUNDINGBOX {6 * k} {10 * k} 0 {-2 * k}", "STARTPROPERTIES 7",
           'FAMILY_NAME "small"', f"PIXEL_SIZE {px}", f"FONT_ASCENT {ASCENT * k}",
           f"FONT_DESCENT {DESCENT * k}", 'CHARSET_REGISTRY "ISO10646"', 'CHARSET_ENCODING "1"',
           f"DEFAULT_CHAR {DEFAULT}", "ENDPROPERTIES"]
    out.append(f"CHARS {len(glyphs)}")
    for g in glyphs:
        w = max((len(r) for r in g["rows"]), default=0)
        out += [f"STARTCHAR u{g['code']:04X}", f"ENCODING {g['code']}", f"SWIDTH {g['advance'] * 125} 0",
                f"DWIDTH {g['advance']} 0", f"BBX {w} {len(g['rows'])} {g['x']} {g['y']}", "BITMAP"]
        for r in g["rows"]:
            bits = int(r.replace(".", "0").replace("#", "1").ljust((w + 7) // 8 * 8, "0"), 2)
            out.append(f"{bits:0{(w + 7) // 8 * 2}X}")
        out.append("ENDCHAR")
    out.append("ENDFONT")
    open(path, "w").write("\n".join(out) + "\n")


def build_ttf(glyphs, name, symbol=False):
    unit = 128  # font units a pixel: 8 px to the em of 1024
    order = [".notdef"] + [f"u{g['code']:04X}" for g in glyphs]
    fb = FontBuilder(unitsPerEm=8 * unit, isTTF=True)
    fb.setupGlyphOrder(order)
    if not symbol:
        fb.setupCharacterMap({g["code"]: f"u{g['code']:04X}" for g in glyphs})
    outlines, metrics = {}, {".notdef": (4 * unit, 0)}
    pen = TTGlyphPen(None)
    outlines[".notdef"] = pen.glyph()  # empty
    for g in glyphs:
        pen = TTGlyphPen(None)
        h = len(g["rows"])
        for r, row in enumerate(g["rows"]):
            for c, ch in enumerate(row):
                if ch != "#":
                    continue
                x0, y0 = (g["x"] + c) * unit, (g["y"] + h - 1 - r) * unit
                pen.moveTo((x0, y0))
                pen.lineTo((x0, y0 + unit))
                pen.lineTo((x0 + unit, y0 + unit))
                pen.lineTo((x0 + unit, y0))
                pen.closePath()
        outlines[f"u{g['code']:04X}"] = pen.glyph()
        metrics[f"u{g['code']:04X}"] = (g["advance"] * unit, g["x"] * unit)
    fb.setupGlyf(outlines)
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=ASCENT * unit, descent=-DESCENT * unit)
    fb.setupNameTable({"familyName": name, "styleName": "Regular"})
    if symbol:
        table = CmapSubtable.newSubtable(4)
        table.platformID, table.platEncID, table.language = 3, 0, 0
        table.cmap = {0xF000 + g["code"]: f"u{g['code']:04X}" for g in glyphs}
        fb.font["cmap"] = newTable("cmap")
        fb.font["cmap"].tableVersion = 0
        fb.font["cmap"].tables = [table]
    fb.setupOS2(sTypoAscender=ASCENT * unit, sTypoDescender=-DESCENT * unit,
                usWinAscent=ASCENT * unit, usWinDescent=DESCENT * unit)
    fb.setupPost()
    return fb.font


def write_fnt(path, glyphs, charset):
    """A Windows 2.0 raster font: every glyph is its advance wide and the
    font's height high; pixels in columns of bytes, each column top first."""
    ascent = max(g["y"] + len(g["rows"]) for g in glyphs)
    height = ascent - min(g["y"] for g in glyphs)
    by_code = {g["code"]: g for g in glyphs}
    first, last = 0x20, max(by_code)
    table, bits = [], b""
    header_size, entries = 118, last - first + 2
    bits_offset = header_size + 4 * entries
    for code in list(range(first, last + 1)) + [None]:  # the last entry: the break char
        g = by_code.get(code)
        width = g["advance"] if g else 1  # FreeType refuses glyphs of no width
        cols = [[0] * height for _ in range((width + 7) // 8)]
        if g:
            h = len(g["rows"])
            for r, row in enumerate(g["rows"]):
                for c, ch in enumerate(row):
                    if ch == "#":
                        x, y = g["x"] + c, ascent - (g["y"] + h - 1 - r) - 1
                        cols[x // 8][y] |= 0x80 >> (x % 8)
        table.append((width, bits_offset + len(bits)))
        bits += b"".join(bytes(col) for col in cols)
    face_offset = bits_offset + len(bits)
    size = face_offset + len(b"small\0")
    header = struct.pack("<HI60sHHHHHHHBBBHBHHBHHBBBBHIIIIB", 0x200, size, b"test", 0, 6, 96, 96,
                         ascent, 0, 0, 0, 0, 0, 400, charset, 0, height, 0x21, 5, 6, first, last,
                         DEFAULT - first, 0, 0, 0, face_offset, 0, 0, 0)
    assert len(header) == header_size, len(header)
    body = b"".join(struct.pack("<HH", w, o) for w, o in table)
    open(path, "wb").write(header + body + bits + b"small\0")


def main():
    glyph_file, out, bdftopcf, fonttosfnt = sys.argv[1:5]
    glyphs = read_glyphs(glyph_file)
    write_bdf(f"{out}/small.bdf", glyphs)
    write_bdf(f"{out}/big.bdf", scaled(glyphs, 2), 2)
    subprocess.run([bdftopcf, "-o", f"{out}/small.pcf", f"{out}/small.bdf"], check=True)
    with open(f"{out}/small.pcf", "rb") as plain, gzip.open(f"{out}/small.pcf.gz", "wb") as packed:
        packed.write(plain.read())
    subprocess.run([fonttosfnt, "-o", f"{out}/small.otb", f"{out}/small.bdf"], check=True)
    subprocess.run([fonttosfnt, "-o", f"{out}/sizes.otb", f"{out}/small.bdf", f"{out}/big.bdf"],
                   check=True)
    grid = build_ttf(glyphs, "grid")
    grid.save(f"{out}/grid.ttf")
    grid.flavor = "woff"
    grid.save(f"{out}/grid.woff")
    collection = TTCollection()
    collection.fonts = [build_ttf(glyphs, "grid"), build_ttf(glyphs, "second")]
    collection.save(f"{out}/pair.ttc")
    build_ttf(glyphs, "symbol", symbol=True).save(f"{out}/symbol.ttf")
    for name, charset in (("ansi", 0), ("sjis", 128), ("russian", 204)):
        write_fnt(f"{out}/{name}.fnt", glyphs, charset)


main()
