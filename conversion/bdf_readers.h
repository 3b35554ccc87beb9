// The BDF line reader and glyph reader.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "conversion/byte_input.h"
#include "conversion/conversion_state.h"

namespace kelvane {

// What the last line's terminator was. Kept by the caller from one conversion
// to the next, so a CR at the end of one file pairs with an LF at the start of
// the next.
struct LineReaderState {
  bool afterCR = false;
  bool afterLF = false;
};

// Lines keep at most this many characters; the rest of a longer line is read
// and dropped.
inline constexpr std::size_t kMaxLineLength = 4096;

// Reads the next line into `line`, without its terminator. CR LF, LF CR, a lone
// CR, a lone LF and a NUL byte each end one line. Call only while !input.AtEnd().
void ReadLine(ByteInput& input, LineReaderState& state, std::string& line);

// The same, returning the line as a view that stays valid until the next read;
// `scratch` holds it when it does not lie within the input's buffer.
std::string_view ReadLineView(ByteInput& input, LineReaderState& state, std::string& scratch);

// The lines of one BDF file, counted from 1.
class BdfLines {
 public:
  BdfLines(ByteInput& input, LineReaderState& state) : input_(input), state_(state) {}

  // Reads the next line; false at the end of the input.
  bool Next() {
    if (input_.AtEnd()) return false;
    line_ = ReadLineView(input_, state_, scratch_);
    ++number_;
    return true;
  }
  // The current line; valid until the next call of Next().
  std::string_view line() const { return line_; }
  std::int64_t number() const { return number_; }

 private:
  ByteInput& input_;
  LineReaderState& state_;
  std::string scratch_;
  std::string_view line_;
  std::int64_t number_ = 0;
};

// A FONTBOUNDINGBOX or BBX: a size and the offset of the lower left corner.
struct BoundingBox {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
};

struct GlyphOutcome {
  bool complete = false;  // the glyph's ENDCHAR line was read
  std::string refusal;    // not empty: the glyph holds a value the output cannot store
};

// Reads one glyph's lines after its ENCODING line, up to and including ENDCHAR:
// the advance from DWIDTH and the bitmap rows after BITMAP, placed in the cell
// by the glyph's BBX.
GlyphOutcome ReadGlyph(BdfLines& lines, GlyphRecord glyph, int bytesPerRow, const BoundingBox& box);

// The byte two hex digits spell; a single digit stands for both, none gives 0.
std::uint8_t HexPairToByte(std::string_view pair);
// 0..15 for 0-9, A-F and a-f; 0 for anything else and for the empty text.
std::int16_t HexDigitValue(std::string_view digit);

}  // namespace kelvane
