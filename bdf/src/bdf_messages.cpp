#include "bdf_messages.h"

#include "font/messages.h"

namespace kelvane::bdf {
namespace {

std::string AtLine(std::string_view what, std::int64_t lineNumber, std::string_view line) {
  return std::string(what) + " at line " + std::to_string(lineNumber) + "! [" + Excerpt(line) + "]";
}

std::string SizeText(std::uint64_t bytes) {
  constexpr const char* kUnits[] = {"bytes", "KiB", "MiB", "GiB"};
  std::size_t unit = 0;
  while (unit + 1 < std::size(kUnits) && bytes >= 1024 && bytes % 1024 == 0) {
    bytes /= 1024;
    ++unit;
  }
  return std::to_string(bytes) + " " + kUnits[unit];
}

}  // namespace

std::string InvalidNumberAt(std::int64_t lineNumber, std::string_view line) {
  return AtLine("Invalid number", lineNumber, line);
}

std::string CellSizeChangedAt(std::int64_t lineNumber, std::string_view line) {
  return AtLine("Cell size changed", lineNumber, line);
}

std::string UnexpectedEndAt(std::int64_t lineNumber, std::string_view line) {
  return AtLine("Unexpected end of file", lineNumber, line);
}

std::string MissingEndcharAt(std::int64_t lineNumber, std::string_view line) {
  return AtLine("Missing ENDCHAR", lineNumber, line);
}

std::string InflatesTooMuch(std::uint64_t maxOutput) {
  return FileNotSupported("more than " + SizeText(maxOutput) + " of text after decompression");
}

}  // namespace kelvane::bdf
