#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>

#include "bdf/line_reader.h"

namespace kelvane::bdf {
namespace {

constexpr std::array<bool, 256> kIsTerminator = [] {
  std::array<bool, 256> table{};
  table['\r'] = table['\n'] = table['\0'] = true;
  return table;
}();

// The first terminator in [p, end), or end. Eight bytes at a time: a word with
// no byte below 0x0E holds no terminator, and otherwise its lowest flagged byte
// is the first one below 0x0E.
const char* FindTerminator(const char* p, const char* end) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  while (end - p >= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    if constexpr (std::endian::native == std::endian::little) {
      const std::uint64_t low = (word - kOnes * 0x0E) & ~word & (kOnes * 0x80);
      if (low == 0) {
        p += 8;
        continue;
      }
      p += std::countr_zero(low) / 8;
      if (kIsTerminator[static_cast<unsigned char>(*p)]) return p;
      ++p;  // another control character, such as a tab
    } else {
      break;
    }
  }
  while (p < end && !kIsTerminator[static_cast<unsigned char>(*p)]) ++p;
  return p;
}

std::size_t LengthBeforeTerminator(std::string_view bytes) {
  return static_cast<std::size_t>(FindTerminator(bytes.data(), bytes.data() + bytes.size()) -
                                  bytes.data());
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

// A line lying wholly in the buffer, terminator included, taken in one step;
// nullopt (with nothing consumed) when the line reaches past the buffer.
std::optional<std::string_view> ReadBufferedLine(ByteInput& input, LineReaderState& state) {
  const std::string_view bytes = input.Buffered();
  const char* const begin = bytes.data();
  const char* const end = begin + bytes.size();
  const char* start = begin;
  LineReaderState next = state;
  if (start < end && ((next.afterCR && *start == '\n') || (next.afterLF && *start == '\r'))) {
    next = {};  // completes a CR LF or LF CR pair
    ++start;
  }
  const char* const stop = FindTerminator(start, end);
  if (stop == end) return std::nullopt;
  if (stop != start) next = {};
  EndsLine(static_cast<unsigned char>(*stop), next);
  state = next;
  input.Consume(static_cast<std::size_t>(stop + 1 - begin));
  return std::string_view(
      start, std::min<std::size_t>(static_cast<std::size_t>(stop - start), kMaxLineLength));
}

}  // namespace

// Works on whole runs of ordinary bytes in the input's buffer; a line that lies
// within the buffer is returned without being copied.
std::string_view ReadLineView(ByteInput& input, LineReaderState& state, std::string& scratch) {
  if (!input.AtEnd()) {
    if (const auto line = ReadBufferedLine(input, state)) return *line;
  }
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

}  // namespace kelvane::bdf
