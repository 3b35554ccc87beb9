#include "conversion/messages.h"

namespace kelvane {
namespace {

constexpr std::size_t kExcerptLength = 80;

std::string AtLine(std::string_view what, std::int64_t lineNumber, std::string_view line) {
  return std::string(what) + " at line " + std::to_string(lineNumber) + "! [" + Excerpt(line) + "]";
}

std::string WithReason(std::string text, std::string_view reason) {
  if (!reason.empty()) text += " (" + std::string(reason) + ")";
  return text;
}

}  // namespace

std::string Excerpt(std::string_view text) {
  if (text.size() <= kExcerptLength) return std::string(text);
  return std::string(text.substr(0, kExcerptLength)) + "...";
}

std::string CharsetNotSupported(std::string_view name) {
  return "CHARSET is not support! [" + Excerpt(name) + "]";
}

std::string CannotOpenFile(std::string_view path, std::string_view reason) {
  return WithReason("Cannot open file! [" + Excerpt(path) + "]", reason);
}

std::string CannotReadFile(std::string_view path, std::string_view reason) {
  return WithReason("Cannot read file! [" + Excerpt(path) + "]", reason);
}

std::string InvalidNumberAt(std::int64_t lineNumber, std::string_view line) {
  return AtLine("Invalid number", lineNumber, line);
}

std::string ValueOutOfRangeAt(std::int64_t lineNumber, std::string_view line) {
  return AtLine("Value out of range", lineNumber, line);
}

std::string CodeOrderAt(std::int64_t lineNumber, std::string_view line) {
  return AtLine("Code order not supported", lineNumber, line);
}

std::string CellSizeChangedAt(std::int64_t lineNumber, std::string_view line) {
  return AtLine("Cell size changed", lineNumber, line);
}

std::string UnexpectedEndAt(std::int64_t lineNumber, std::string_view line) {
  return AtLine("Unexpected end of file", lineNumber, line);
}

std::string OutputIsInput(std::string_view path) {
  return "Output would overwrite the input! [" + Excerpt(path) + "]";
}

std::string CannotWriteFile(std::string_view path, std::string_view reason) {
  return WithReason("Cannot write file! [" + Excerpt(path) + "]", reason);
}

}  // namespace kelvane
