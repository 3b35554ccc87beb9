#include <algorithm>
#include <array>

#include "conversion/bdf_readers.h"

namespace kelvane {
namespace {

constexpr std::array<bool, 256> kIsTerminator = [] {
  std::array<bool, 256> table{};
  table['\r'] = table['\n'] = table['\0'] = true;
  return table;
}();

std::size_t LengthBeforeTerminator(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size() && !kIsTerminator[static_cast<unsigned char>(bytes[i])]) ++i;
  return i;
}

// Handles a terminator byte; false when it only completed a CR LF or LF CR
// pair and the line goes on.
bool EndsLine(unsigned char c, LineReaderState& state) {
  if (c == '\r') {
    if (state.afterLF) {
      state.afterLF = false;
      return false;
    }
    state.afterCR = true;
  } else if (c == '\n') {
    if (state.afterCR) {
      state.afterCR = false;
      return false;
    }
    state.afterLF = true;
  } else {
    state.afterCR = false;
    state.afterLF = false;
  }
  return true;
}

}  // namespace

// Works on whole runs of ordinary bytes in the input's buffer; a line that lies
// within the buffer is returned without being copied.
std::string_view ReadLineView(ByteInput& input, LineReaderState& state, std::string& scratch) {
  std::string_view inBuffer;
  bool inScratch = false;
  while (!input.AtEnd()) {
    const std::string_view bytes = input.Buffered();
    const std::size_t length = LengthBeforeTerminator(bytes);
    if (length > 0) {
      state.afterCR = false;
      state.afterLF = false;
      const std::string_view run = bytes.substr(0, length);
      if (inScratch) {
        scratch.append(run.substr(0, kMaxLineLength - std::min(kMaxLineLength, scratch.size())));
      } else {
        inBuffer = run.substr(0, kMaxLineLength);
      }
      input.Consume(length);
    }
    if (length == bytes.size()) {
      if (!inScratch) scratch.assign(inBuffer);  // the buffer is about to be refilled
      inScratch = true;
      continue;
    }
    if (EndsLine(input.Get(), state)) break;
  }
  return inScratch ? std::string_view(scratch) : inBuffer;
}

void ReadLine(ByteInput& input, LineReaderState& state, std::string& line) {
  std::string scratch;
  const std::string_view read = ReadLineView(input, state, scratch);
  line.assign(read);
}

}  // namespace kelvane
