#include "conversion/bdf_readers.h"

namespace kelvane {

void ReadLine(ByteInput& input, LineReaderState& state, std::string& line) {
  line.clear();
  while (!input.AtEnd()) {
    const unsigned char c = input.Get();
    if (c == '\r') {
      if (state.afterLF) {
        state.afterLF = false;  // completes an LF CR pair
        continue;
      }
      state.afterCR = true;
      return;
    }
    if (c == '\n') {
      if (state.afterCR) {
        state.afterCR = false;  // completes a CR LF pair
        continue;
      }
      state.afterLF = true;
      return;
    }
    state.afterCR = false;
    state.afterLF = false;
    if (c == 0) return;
    if (line.size() < kMaxLineLength) line.push_back(static_cast<char>(c));
  }
}

}  // namespace kelvane
