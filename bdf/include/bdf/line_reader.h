// Cutting BDF text into lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "bdf/byte_input.h"

namespace kelvane::bdf {

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

}  // namespace kelvane::bdf
