/* Reading KVN font files on a device: validates a font held in memory, finds
 * glyphs by code and draws text. C99; needs no allocation and nothing beyond
 * <stdint.h>, <stddef.h> and <string.h>.
 *
 *   static void plot(void* screen, int x, int y) { set_pixel(screen, x, y); }
 *
 *   kvn_font font;
 *   if (kvn_open(&font, data, size) != KVN_OK) return;
 *   kvn_draw_text(&font, text, len, kvn_decode_sjis, x, y, plot, screen);
 *   x += (int)kvn_text_width(&font, text, len, kvn_decode_sjis);
 *
 * or glyph by glyph:
 *
 *   size_t at = 0, used;
 *   uint32_t code;
 *   while ((used = kvn_decode_utf8(text + at, len - at, &code)) > 0) {
 *     uint16_t index;
 *     if (!kvn_lookup(&font, code, &index)) index = font.default_index;
 *     kvn_glyph glyph = kvn_glyph_at(&font, index);
 *     draw(x, y, glyph.bitmap, font.cell_width, font.cell_height);
 *     x += glyph.advance;
 *     at += used;
 *   }
 */
#ifndef KVN_READER_H
#define KVN_READER_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The bytes of the header and of one range record. */
#define KVN_HEADER_SIZE 9u
#define KVN_RANGE_SIZE 6u

typedef enum kvn_status {
  KVN_OK = 0,
  KVN_SHORTER_THAN_HEADER = 1,   /* fewer than 9 bytes */
  KVN_SHORTER_THAN_COUNTS = 2,   /* fewer bytes than the ranges and glyphs need */
  KVN_GLYPH_BYTES_MISMATCH = 3,  /* glyph_bytes is not ceil(cell_width / 8) * cell_height */
  KVN_EMPTY_CELL = 4,            /* a cell width or height of zero */
  KVN_RANGE_REVERSED = 5,        /* a range whose first code is above its last */
  KVN_RANGE_OUTSIDE_GLYPHS = 6,  /* a range whose glyph indexes fall outside the glyphs */
  KVN_DEFAULT_OUTSIDE_GLYPHS = 7 /* a default index past the last glyph */
} kvn_status;

typedef struct kvn_range {
  uint16_t first_code;
  uint16_t last_code;
  uint16_t index_delta; /* glyph index = code - index_delta */
} kvn_range;

typedef struct kvn_glyph {
  uint8_t advance;       /* pixels to the next glyph */
  const uint8_t* bitmap; /* cell_height rows of (cell_width + 7) / 8 bytes, MSB leftmost */
} kvn_glyph;

typedef struct kvn_font {
  const uint8_t* data; /* the whole file; bytes after the data are allowed */
  size_t size;
  uint16_t glyph_count;
  uint16_t range_count;
  uint16_t default_index;
  uint8_t cell_width;
  uint8_t cell_height;
  uint8_t glyph_bytes;
  uint8_t ranges_ascend; /* 1: ranges ascend without overlap, so lookups binary-search */
} kvn_font;

/* Validates the buffer and fills `font`. The checks run in this order, the
 * first that fails giving its status: the header's length; the cell; glyph_bytes;
 * the length the counts need; each range in turn (reversed, then outside the
 * glyphs: its indexes first_code - index_delta .. last_code - index_delta must
 * lie in 0 .. glyph_count - 1); the default index. A font of no glyphs has no
 * default glyph and is refused with KVN_DEFAULT_OUTSIDE_GLYPHS, so an opened
 * font always has a glyph to draw. Reads the header and the ranges only, never
 * the glyphs. On any error `font` is zeroed: it finds no code and holds no
 * glyph, and is not to be used. The buffer must outlive the font. */
kvn_status kvn_open(kvn_font* font, const void* data, size_t size);

/* A short English text for a status. */
const char* kvn_status_text(kvn_status status);

/* 1 and the glyph's index when a range holds `code`, else 0 (`index` may be
 * NULL). Binary search when ranges_ascend; with ranges that do not ascend
 * (files of other writers) a scan in file order, the first range that holds
 * the code winning. */
int kvn_lookup(const kvn_font* font, uint32_t code, uint16_t* index);

/* The glyph at `index`, which must be below glyph_count (at or past it: advance
 * 0 and a NULL bitmap). */
kvn_glyph kvn_glyph_at(const kvn_font* font, uint16_t index);

/* The range at `index`, which must be below range_count (at or past it: all 0). */
kvn_range kvn_range_at(const kvn_font* font, uint16_t index);

/* The next code of a Shift_JIS string: two bytes for a lead byte (0x81-0x9F,
 * 0xE0-0xFC) followed by a trail byte (0x40-0x7E, 0x80-0xFC), their code being
 * lead * 256 + trail; otherwise one byte, whose code is the byte. So a lead
 * byte that ends the text, or is followed by a byte that cannot trail it (a
 * line end, a NUL, 0x7F, 0xFD-0xFF), is a code of its own, and the byte after
 * it is read as the next character. Returns the bytes used: 0 at the end of
 * the text, else 1 or 2. */
size_t kvn_next_sjis(const uint8_t* text, size_t length, uint16_t* code);

/* Reads the next character of `text` into `code`: returns the bytes used, 0
 * at the end of the text (length 0, `code` left as it was), else at most
 * `length`. The device's text is in the font's code set; these decoders read
 * the code sets kelvane writes fonts in. */
typedef size_t (*kvn_decoder)(const uint8_t* text, size_t length, uint32_t* code);

/* Shift_JIS: the rule of kvn_next_sjis (for fonts in shift_jis or jisx0208). */
size_t kvn_decode_sjis(const uint8_t* text, size_t length, uint32_t* code);

/* UTF-8 (for fonts in unicode): a sequence of 1 to 4 bytes gives its code
 * point; code points above U+FFFF are given as they are and find no glyph. A
 * malformed sequence gives U+FFFD and uses the bytes a web browser's decoder
 * replaces: a byte that cannot start a sequence (0x80-0xC1, 0xF5-0xFF) is one
 * U+FFFD; otherwise the longest start of a valid sequence is (E3 81 41 gives
 * U+FFFD for E3 81, then 'A'). So overlong forms (E0 80.., F0 80..),
 * surrogates (ED A0..) and code points past U+10FFFF (F4 90..) give one
 * U+FFFD for each byte. */
size_t kvn_decode_utf8(const uint8_t* text, size_t length, uint32_t* code);

/* One byte, one code (for fonts in jisx0201 or ISO 8859). */
size_t kvn_decode_byte(const uint8_t* text, size_t length, uint32_t* code);

/* The width of the text: the sum of the advances of its glyphs, the default
 * glyph's for each code the font lacks. */
size_t kvn_text_width(const kvn_font* font, const uint8_t* text, size_t length, kvn_decoder decode);

/* Draws the text: calls `plot` once for each ink pixel, with `context`. The
 * first glyph's cell has its top left corner at (x, y); each next glyph's is
 * its advance further right, so ink a glyph has right of its advance lies
 * over the next glyph, and the last glyph's may reach past the text's width,
 * up to cell_width - 1 pixels. Every ink pixel is plotted; clipping to a
 * screen or an image is the caller's. */
void kvn_draw_text(const kvn_font* font, const uint8_t* text, size_t length, kvn_decoder decode,
                   int x, int y, void (*plot)(void* context, int x, int y), void* context);

#ifdef __cplusplus
}
#endif

#endif /* KVN_READER_H */
