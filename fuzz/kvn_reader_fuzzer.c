/* Opens the fuzzer's bytes as a KVN file with the device reader and checks,
 * under AddressSanitizer and UndefinedBehaviorSanitizer:
 *
 * - kvn_open gives the status a plain restatement of the format gives, and a
 *   refused font is emptied;
 * - in an opened font every glyph lies inside the buffer where its index
 *   says, and every code 0..65535 finds the glyph the first range holding it
 *   names (so inside the buffer too); scanning agrees with the binary search;
 * - kvn_next_sjis walks the bytes as text in steps of one or two bytes that
 *   end exactly at the end, two only for a lead byte and a byte that may
 *   trail it;
 * - the bytes after an opened font's data (all of them for a refused font)
 *   decode as text: kvn_decode_sjis as kvn_next_sjis, kvn_decode_utf8 as the
 *   web's UTF-8 decoder does step by step (each code it gives in full
 *   encodes back to its bytes), kvn_decode_byte a byte a code;
 * - with each decoder kvn_text_width is the sum of the advances the lookups
 *   give, and kvn_draw_text plots only inside the text's box.
 *
 * A broken check aborts with "invariant broken: ..." and libFuzzer saves the
 * input. */
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "kvn_reader.h"

static void check(int holds, const char* what) {
  if (!holds) {
    fprintf(stderr, "invariant broken: %s\n", what);
    abort();
  }
}

static long word_at(const uint8_t* data, size_t at) {
  return (long)data[at] | (long)data[at + 1] << 8;
}

/* The status of the format's rules, checked in the reader's order with wide
 * arithmetic; sets *ascend for an accepted font. */
static kvn_status expected_status(const uint8_t* data, size_t size, int* ascend) {
  long glyphs, ranges, width, height, glyph_bytes, i, previous_last = -1;
  *ascend = 1;
  if (size < 9) return KVN_SHORTER_THAN_HEADER;
  glyphs = word_at(data, 0);
  ranges = word_at(data, 2);
  width = data[6];
  height = data[7];
  glyph_bytes = data[8];
  if (width == 0 || height == 0) return KVN_EMPTY_CELL;
  if (glyph_bytes != (width + 7) / 8 * height) return KVN_GLYPH_BYTES_MISMATCH;
  if ((unsigned long long)size <
      9ull + 6ull * (unsigned long long)ranges +
          (unsigned long long)glyphs * (1ull + (unsigned long long)glyph_bytes)) {
    return KVN_SHORTER_THAN_COUNTS;
  }
  for (i = 0; i < ranges; ++i) {
    const long first = word_at(data, (size_t)(9 + 6 * i));
    const long last = word_at(data, (size_t)(11 + 6 * i));
    const long delta = word_at(data, (size_t)(13 + 6 * i));
    if (first > last) return KVN_RANGE_REVERSED;
    if (first - delta < 0 || last - delta >= glyphs) return KVN_RANGE_OUTSIDE_GLYPHS;
    if (first <= previous_last) *ascend = 0;
    previous_last = last;
  }
  if (word_at(data, 4) >= glyphs) return KVN_DEFAULT_OUTSIDE_GLYPHS;
  return KVN_OK;
}

/* The glyph at `index`: its whole record lies inside the buffer, past the
 * header and the ranges, at the place its index gives. */
static void check_glyph(const kvn_font* font, const uint8_t* data, size_t size, uint16_t index) {
  const kvn_glyph glyph = kvn_glyph_at(font, index);
  const uint8_t* records = data + 9 + 6 * (size_t)font->range_count;
  check(glyph.bitmap != NULL, "a glyph below glyph_count has a bitmap");
  check(glyph.bitmap - 1 >= records && glyph.bitmap - 1 >= data, "a glyph starts after the ranges");
  check(glyph.bitmap + font->glyph_bytes <= data + size, "a glyph ends inside the buffer");
  check(glyph.bitmap - 1 == records + (size_t)index * (1u + font->glyph_bytes),
        "a glyph lies where its index says");
  check(glyph.advance == glyph.bitmap[-1], "the advance is the record's first byte");
}

/* The glyph of `code` by the first range holding it, or -1. */
static long first_match(const uint8_t* data, long ranges, long code) {
  long i;
  for (i = 0; i < ranges; ++i) {
    const long first = word_at(data, (size_t)(9 + 6 * i));
    if (first <= code && code <= word_at(data, (size_t)(11 + 6 * i))) {
      return code - word_at(data, (size_t)(13 + 6 * i));
    }
  }
  return -1;
}

static void check_lookups(const kvn_font* font, const uint8_t* data, size_t size) {
  /* Which glyph each code finds: filled from the last range to the first, so
   * the first range holding a code is the one that stays. Bounded work only:
   * with many long ranges the slower per-code scan is used instead. */
  static long expected[65536];
  const long ranges = font->range_count;
  long code, i, filled = 0;
  for (i = 0; i < ranges; ++i) {
    filled += word_at(data, (size_t)(11 + 6 * i)) - word_at(data, (size_t)(9 + 6 * i)) + 1;
  }
  if (filled <= 4L * 65536L) {
    for (code = 0; code < 65536; ++code) expected[code] = -1;
    for (i = ranges - 1; i >= 0; --i) {
      const long first = word_at(data, (size_t)(9 + 6 * i));
      const long last = word_at(data, (size_t)(11 + 6 * i));
      const long delta = word_at(data, (size_t)(13 + 6 * i));
      for (code = first; code <= last; ++code) expected[code] = code - delta;
    }
  }
  for (code = 0; code < 65536; ++code) {
    uint16_t index = 0xFFFF;
    const int found = kvn_lookup(font, (uint32_t)code, &index);
    const long want = filled <= 4L * 65536L ? expected[code] : first_match(data, ranges, code);
    check(found == (want >= 0), "a code is found exactly when a range holds it");
    if (!found) continue;
    check(index == want, "a code finds the glyph of the first range holding it");
    check(index < font->glyph_count, "a found glyph is below glyph_count");
    check_glyph(font, data, size, index);
  }
  check(!kvn_lookup(font, 65536u, NULL), "a code past 16 bits is not found");
}

static int is_lead(long byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
static int is_trail(long byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

static void check_text(const uint8_t* data, size_t size) {
  size_t at = 0, used;
  uint16_t code;
  while ((used = kvn_next_sjis(data + at, size - at, &code)) > 0) {
    check(used <= size - at, "a Shift_JIS step stays inside the text");
    check((used == 2) == (size - at >= 2 && is_lead(data[at]) && is_trail(data[at + 1])),
          "two bytes are taken exactly for a lead byte and a trail byte");
    check(used == 2 ? code == (data[at] << 8 | data[at + 1]) : code == data[at],
          "a Shift_JIS code is its bytes");
    at += used;
  }
  check(at == size, "Shift_JIS steps end at the end of the text");
}

/* The web's UTF-8 decoder, a byte at a time as its steps are written: the
 * code at the start of `text` and the bytes it takes (0 at the end). */
static size_t web_utf8(const uint8_t* text, size_t length, uint32_t* code) {
  uint32_t point = 0;
  unsigned seen = 0, needed = 0, lower = 0x80, upper = 0xBF;
  size_t i;
  for (i = 0; i < length; ++i) {
    const unsigned byte = text[i];
    if (needed == 0) {
      if (byte <= 0x7F) {
        *code = byte;
        return 1;
      } else if (byte >= 0xC2 && byte <= 0xDF) {
        needed = 1, point = byte & 0x1F;
      } else if (byte >= 0xE0 && byte <= 0xEF) {
        if (byte == 0xE0) lower = 0xA0;
        if (byte == 0xED) upper = 0x9F;
        needed = 2, point = byte & 0x0F;
      } else if (byte >= 0xF0 && byte <= 0xF4) {
        if (byte == 0xF0) lower = 0x90;
        if (byte == 0xF4) upper = 0x8F;
        needed = 3, point = byte & 0x07;
      } else {
        *code = 0xFFFD;
        return 1;
      }
      continue;
    }
    if (byte < lower || byte > upper) { /* the byte is read again as the next one */
      *code = 0xFFFD;
      return i;
    }
    lower = 0x80, upper = 0xBF;
    point = point << 6 | (byte & 0x3F);
    if (++seen == needed) {
      *code = point;
      return i + 1;
    }
  }
  if (needed > 0) *code = 0xFFFD;
  return length;
}

/* The UTF-8 bytes of a code point; returns their count. */
static size_t utf8_of(uint32_t code, uint8_t* out) {
  static const uint8_t lead[5] = {0, 0x00, 0xC0, 0xE0, 0xF0};
  const size_t count = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
  size_t i;
  for (i = count - 1; i > 0; --i, code >>= 6) out[i] = (uint8_t)(0x80 | (code & 0x3F));
  out[0] = (uint8_t)(lead[count] | code);
  return count;
}

static void check_decoders(const uint8_t* text, size_t length) {
  size_t at, used;
  uint32_t code, want;
  uint16_t narrow;
  for (at = 0; (used = kvn_decode_sjis(text + at, length - at, &code)) > 0; at += used) {
    check(kvn_next_sjis(text + at, length - at, &narrow) == used && narrow == code,
          "kvn_decode_sjis reads as kvn_next_sjis");
  }
  check(at == length, "Shift_JIS steps end at the end of the text");
  for (at = 0; (used = kvn_decode_utf8(text + at, length - at, &code)) > 0; at += used) {
    uint8_t bytes[4];
    check(used == web_utf8(text + at, length - at, &want) && code == want,
          "kvn_decode_utf8 reads as the web's UTF-8 decoder");
    check(code == 0xFFFD || (code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF) &&
                             utf8_of(code, bytes) == used && memcmp(bytes, text + at, used) == 0),
          "a decoded code point encodes back to its bytes");
  }
  check(at == length, "UTF-8 steps end at the end of the text");
  for (at = 0; (used = kvn_decode_byte(text + at, length - at, &code)) > 0; at += used) {
    check(used == 1 && code == text[at], "kvn_decode_byte reads a byte a code");
  }
  check(at == length, "a byte a code ends at the end");
}

/* Where the text's ink may lie: from (x, y), the text's width plus a cell
 * wide (the last glyphs' cells reach past their advances, which may be 0),
 * cell_height high. */
typedef struct text_box {
  int x, y;
  size_t width;
  unsigned height;
} text_box;

static void plot_in_box(void* context, int x, int y) {
  const text_box* box = (const text_box*)context;
  check(x >= box->x && (size_t)((long)x - box->x) < box->width && y >= box->y &&
            y - box->y < (int)box->height,
        "kvn_draw_text plots inside the text's cells");
}

static void check_drawing(const kvn_font* font, const uint8_t* text, size_t length) {
  const kvn_decoder decoders[3] = {kvn_decode_sjis, kvn_decode_utf8, kvn_decode_byte};
  /* Bounded work: as many bytes as glyphs of some 100,000 pixels in all. */
  const size_t most = 1 + 100000u / ((size_t)font->cell_width * font->cell_height);
  int d;
  if (length > most) length = most;
  for (d = 0; d < 3; ++d) {
    text_box box;
    size_t at, used, sum = 0;
    uint32_t code;
    for (at = 0; (used = decoders[d](text + at, length - at, &code)) > 0; at += used) {
      uint16_t index;
      if (!kvn_lookup(font, code, &index)) index = font->default_index;
      sum += kvn_glyph_at(font, index).advance;
    }
    box.width = kvn_text_width(font, text, length, decoders[d]);
    check(box.width == sum, "kvn_text_width adds up the advances");
    box.width += font->cell_width;
    box.x = -5 + 7 * d;
    box.y = 3 - 4 * d;
    box.height = font->cell_height;
    kvn_draw_text(font, text, length, decoders[d], box.x, box.y, plot_in_box, &box);
  }
}

int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kvn_font font;
  int ascend;
  const kvn_status status = kvn_open(&font, data, size);
  check(status == expected_status(data, size, &ascend), "kvn_open gives the format's status");
  check(kvn_status_text(status)[0] != '\0', "every status has a text");
  check_text(data, size);
  if (status != KVN_OK) {
    check(font.data == NULL && font.glyph_count == 0 && font.range_count == 0,
          "a refused font is emptied");
    check_decoders(data, size);
    return 0;
  }
  {
    /* The text after the font's data. */
    const size_t used =
        9 + 6 * (size_t)font.range_count + (size_t)font.glyph_count * (1u + font.glyph_bytes);
    check_decoders(data + used, size - used);
    check_drawing(&font, data + used, size - used);
  }
  check(font.data == data && font.size == size, "an opened font holds the buffer");
  check(font.ranges_ascend == ascend, "ranges_ascend says whether the ranges ascend");
  check(font.default_index < font.glyph_count, "the default glyph exists");
  {
    uint16_t index;
    for (index = 0; index < font.glyph_count; ++index) check_glyph(&font, data, size, index);
    for (index = 0; index < font.range_count; ++index) {
      const kvn_range range = kvn_range_at(&font, index);
      check(range.first_code == word_at(data, 9 + 6 * (size_t)index),
            "kvn_range_at reads the range");
    }
  }
  check(kvn_glyph_at(&font, font.glyph_count).bitmap == NULL, "no glyph at glyph_count");
  check_lookups(&font, data, size);
  if (font.ranges_ascend) {
    /* Scanning agrees with the binary search at and beside every range's ends. */
    kvn_font scanning = font;
    long i, step;
    scanning.ranges_ascend = 0;
    for (i = 0; i < font.range_count; ++i) {
      for (step = -1; step <= 1; ++step) {
        const long ends[2] = {word_at(data, (size_t)(9 + 6 * i)) + step,
                              word_at(data, (size_t)(11 + 6 * i)) + step};
        int e;
        for (e = 0; e < 2; ++e) {
          uint16_t by_search = 0, by_scan = 0;
          const uint32_t code = (uint32_t)ends[e];
          if (ends[e] < 0) continue;
          check(kvn_lookup(&font, code, &by_search) == kvn_lookup(&scanning, code, &by_scan) &&
                    by_search == by_scan,
                "scanning finds what the binary search finds");
        }
      }
    }
  }
  return 0;
}
