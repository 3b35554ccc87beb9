/* Reading KVN font files on a device. See kvn_reader.h and docs/kvn-format.md.
 *
 * Written for small targets: 16-bit fields are assembled from unsigned bytes
 * (so an `int` of 16 bits never overflows), sizes are checked by division (so
 * no product can wrap, whatever the width of size_t), and an opened font's
 * offsets all lie within the buffer, so they fit in size_t. */
#include "kvn_reader.h"

#include <stddef.h>
#include <stdint.h>
#include <string.h>

static uint16_t read_word(const uint8_t* at) {
  return (uint16_t)((unsigned)at[0] | ((unsigned)at[1] << 8));
}

static const uint8_t* range_record(const kvn_font* font, unsigned index) {
  return font->data + KVN_HEADER_SIZE + (size_t)index * KVN_RANGE_SIZE;
}

static kvn_range range_from(const uint8_t* record) {
  kvn_range range;
  range.first_code = read_word(record);
  range.last_code = read_word(record + 2);
  range.index_delta = read_word(record + 4);
  return range;
}

/* The checks of kvn_open, in order; fills `font` as it goes. */
static kvn_status check_font(kvn_font* font, const uint8_t* data, size_t size) {
  size_t left;
  unsigned i;
  uint16_t previous_last = 0;

  if (size < KVN_HEADER_SIZE) return KVN_SHORTER_THAN_HEADER;
  font->data = data;
  font->size = size;
  font->glyph_count = read_word(data);
  font->range_count = read_word(data + 2);
  font->default_index = read_word(data + 4);
  font->cell_width = data[6];
  font->cell_height = data[7];
  font->glyph_bytes = data[8];

  if (font->cell_width == 0 || font->cell_height == 0) return KVN_EMPTY_CELL;
  /* At most 32 * 255 bytes: fits an unsigned int of 16 bits. */
  if ((unsigned)font->glyph_bytes != ((unsigned)font->cell_width + 7u) / 8u * font->cell_height) {
    return KVN_GLYPH_BYTES_MISMATCH;
  }

  left = size - KVN_HEADER_SIZE;
  if (left / KVN_RANGE_SIZE < font->range_count) return KVN_SHORTER_THAN_COUNTS;
  left -= (size_t)font->range_count * KVN_RANGE_SIZE;
  if (left / (1u + (size_t)font->glyph_bytes) < font->glyph_count) return KVN_SHORTER_THAN_COUNTS;

  font->ranges_ascend = 1;
  for (i = 0; i < font->range_count; ++i) {
    const kvn_range range = range_from(range_record(font, i));
    if (range.first_code > range.last_code) return KVN_RANGE_REVERSED;
    /* first - delta >= 0, and then last - delta < glyph_count covers the range. */
    if (range.index_delta > range.first_code ||
        (unsigned)(range.last_code - range.index_delta) >= font->glyph_count) {
      return KVN_RANGE_OUTSIDE_GLYPHS;
    }
    if (i > 0 && range.first_code <= previous_last) font->ranges_ascend = 0;
    previous_last = range.last_code;
  }

  /* Also refuses a font of no glyphs: it has no glyph to draw for any code. */
  if (font->default_index >= font->glyph_count) return KVN_DEFAULT_OUTSIDE_GLYPHS;
  return KVN_OK;
}

kvn_status kvn_open(kvn_font* font, const void* data, size_t size) {
  const kvn_status status = check_font(font, (const uint8_t*)data, size);
  /* A font that was refused finds nothing and holds no glyph. */
  if (status != KVN_OK) memset(font, 0, sizeof *font);
  return status;
}

const char* kvn_status_text(kvn_status status) {
  switch (status) {
    case KVN_OK:
      return "ok";
    case KVN_SHORTER_THAN_HEADER:
      return "shorter than the 9-byte header";
    case KVN_SHORTER_THAN_COUNTS:
      return "shorter than its ranges and glyphs need";
    case KVN_GLYPH_BYTES_MISMATCH:
      return "bytes per glyph do not match the cell";
    case KVN_EMPTY_CELL:
      return "a cell width or height of zero";
    case KVN_RANGE_REVERSED:
      return "a range whose first code is above its last";
    case KVN_RANGE_OUTSIDE_GLYPHS:
      return "a range whose glyphs lie outside the glyphs";
    case KVN_DEFAULT_OUTSIDE_GLYPHS:
      return "a default glyph past the last glyph";
  }
  return "unknown status";
}

static int found(kvn_range range, uint32_t code, uint16_t* index) {
  if (index != NULL) *index = (uint16_t)(code - range.index_delta);
  return 1;
}

int kvn_lookup(const kvn_font* font, uint32_t code, uint16_t* index) {
  if (code > 0xFFFFu) return 0;
  if (font->ranges_ascend) {
    unsigned low = 0, high = font->range_count;
    while (low < high) {
      const unsigned middle = low + (high - low) / 2u;
      const kvn_range range = range_from(range_record(font, middle));
      if (code < range.first_code) {
        high = middle;
      } else if (code > range.last_code) {
        low = middle + 1u;
      } else {
        return found(range, code, index);
      }
    }
  } else {
    unsigned i;
    for (i = 0; i < font->range_count; ++i) {
      const kvn_range range = range_from(range_record(font, i));
      if (range.first_code <= code && code <= range.last_code) return found(range, code, index);
    }
  }
  return 0;
}

kvn_glyph kvn_glyph_at(const kvn_font* font, uint16_t index) {
  kvn_glyph glyph;
  glyph.advance = 0;
  glyph.bitmap = NULL;
  if (index < font->glyph_count) {
    const uint8_t* record = font->data + KVN_HEADER_SIZE +
                            (size_t)font->range_count * KVN_RANGE_SIZE +
                            (size_t)index * (1u + (size_t)font->glyph_bytes);
    glyph.advance = record[0];
    glyph.bitmap = record + 1;
  }
  return glyph;
}

kvn_range kvn_range_at(const kvn_font* font, uint16_t index) {
  static const kvn_range none = {0, 0, 0};
  return index < font->range_count ? range_from(range_record(font, index)) : none;
}

static int is_sjis_lead(unsigned byte) {
  return (byte >= 0x81u && byte <= 0x9Fu) || (byte >= 0xE0u && byte <= 0xFCu);
}

static int is_sjis_trail(unsigned byte) {
  return (byte >= 0x40u && byte <= 0x7Eu) || (byte >= 0x80u && byte <= 0xFCu);
}

size_t kvn_decode_sjis(const uint8_t* text, size_t length, uint32_t* code) {
  if (length == 0) return 0;
  *code = text[0];
  if (length >= 2 && is_sjis_lead(text[0]) && is_sjis_trail(text[1])) {
    *code = *code << 8 | text[1];
    return 2;
  }
  return 1;
}

size_t kvn_next_sjis(const uint8_t* text, size_t length, uint16_t* code) {
  uint32_t wide;
  const size_t used = kvn_decode_sjis(text, length, &wide);
  if (used > 0) *code = (uint16_t)wide;
  return used;
}

size_t kvn_decode_utf8(const uint8_t* text, size_t length, uint32_t* code) {
  unsigned lead, low = 0x80u, high = 0xBFu, left;
  uint32_t value;
  size_t used = 1;
  if (length == 0) return 0;
  lead = text[0];
  *code = lead;
  if (lead < 0x80u) return 1;
  *code = 0xFFFDu;
  if (lead < 0xC2u || lead > 0xF4u) return 1;
  /* The bytes to follow, and the narrower range of the first of them that
   * keeps out overlong forms, surrogates and code points past U+10FFFF. */
  left = 1u + (lead >= 0xE0u) + (lead >= 0xF0u);
  value = lead & (0x3Fu >> left);
  if (lead == 0xE0u) low = 0xA0u;
  if (lead == 0xEDu) high = 0x9Fu;
  if (lead == 0xF0u) low = 0x90u;
  if (lead == 0xF4u) high = 0x8Fu;
  for (; left > 0; --left, ++used) {
    /* A byte that cannot follow is not taken: it starts the next character. */
    if (used == length || text[used] < low || text[used] > high) return used;
    value = value << 6 | (text[used] & 0x3Fu);
    low = 0x80u;
    high = 0xBFu;
  }
  *code = value;
  return used;
}

size_t kvn_decode_byte(const uint8_t* text, size_t length, uint32_t* code) {
  if (length == 0) return 0;
  *code = text[0];
  return 1;
}

/* The glyph drawn for `code`: the default glyph when the font lacks it. */
static kvn_glyph glyph_for(const kvn_font* font, uint32_t code) {
  uint16_t index;
  if (!kvn_lookup(font, code, &index)) index = font->default_index;
  return kvn_glyph_at(font, index);
}

size_t kvn_text_width(const kvn_font* font, const uint8_t* text, size_t length,
                      kvn_decoder decode) {
  size_t width = 0, used;
  uint32_t code;
  for (; (used = decode(text, length, &code)) > 0; text += used, length -= used) {
    width += glyph_for(font, code).advance;
  }
  return width;
}

void kvn_draw_text(const kvn_font* font, const uint8_t* text, size_t length, kvn_decoder decode,
                   int x, int y, void (*plot)(void* context, int x, int y), void* context) {
  const unsigned row_bytes = (font->cell_width + 7u) / 8u;
  size_t pen = 0, used;
  uint32_t code;
  for (; (used = decode(text, length, &code)) > 0; text += used, length -= used) {
    const kvn_glyph glyph = glyph_for(font, code);
    unsigned row, column;
    for (row = 0; row < font->cell_height; ++row) {
      for (column = 0; column < font->cell_width; ++column) {
        if (glyph.bitmap[row * row_bytes + column / 8u] & (0x80u >> (column % 8u))) {
          plot(context, x + (int)(pen + column), y + (int)row);
        }
      }
    }
    pen += glyph.advance;
  }
}
