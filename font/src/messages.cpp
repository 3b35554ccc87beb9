#include <algorithm>

#include "font/messages.h"

namespace kelvane {
namespace {

constexpr std::size_t kExcerptLength = 80;
constexpr std::string_view kEllipsis = "...";

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The largest cut point at or before `at` that does not split a UTF-8 character.
std::size_t CutBefore(std::string_view text, std::size_t at) {
  while (at > 0 && at < text.size() && IsContinuationByte(text[at])) --at;
  return at;
}

// The smallest cut point at or after `at` that does not split a UTF-8 character.
std::size_t CutAfter(std::string_view text, std::size_t at) {
  while (at < text.size() && IsContinuationByte(text[at])) ++at;
  return at;
}

// "WHAT at line N! [LINE]"; a source without lines (line 0) gives "WHAT! [LINE]".
std::string AtLine(std::string_view what, std::int64_t lineNumber, std::string_view line,
                   std::string_view reason = {}) {
  std::string text = std::string(what);
  if (lineNumber > 0) text += " at line " + std::to_string(lineNumber);
  text += "! [" + Excerpt(line) + "]";
  if (!reason.empty()) text += " (" + std::string(reason) + ")";
  return text;
}

std::string WithReason(std::string text, std::string_view reason) {
  if (!reason.empty()) text += " (" + std::string(reason) + ")";
  return text;
}

std::string Bracketed(std::string_view what, std::string_view path) {
  return std::string(what) + " [" + ShortPath(path) + "]";
}

}  // namespace

std::string Excerpt(std::string_view text) {
  if (text.size() <= kExcerptLength) return std::string(text);
  return std::string(text.substr(0, CutBefore(text, kExcerptLength))) + std::string(kEllipsis);
}

std::string ShortPath(std::string_view path) {
  if (path.size() <= kExcerptLength) return std::string(path);
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash;
  const std::size_t room = kExcerptLength - kEllipsis.size();
  // Keep the whole file name and as much of the front as still fits; a name too
  // long for that keeps its end.
  const std::size_t tailLength = std::min(path.size() - nameStart, room);
  const std::size_t tailStart = CutAfter(path, path.size() - tailLength);
  const std::size_t headLength = CutBefore(path, room - (path.size() - tailStart));
  return std::string(path.substr(0, headLength)) + std::string(kEllipsis) +
         std::string(path.substr(tailStart));
}

std::string FileNotSupported(std::string_view reason) {
  return WithReason(std::string(kFileNotSupported), reason);
}

std::string CharsetNotSupported(std::string_view name, std::string_view hint) {
  return WithReason("CHARSET is not support! [" + Excerpt(name) + "]", hint);
}

std::string CannotReadFile(std::string_view path, std::string_view reason) {
  return WithReason(Bracketed("Cannot read file!", path), reason);
}

std::string ValueOutOfRangeAt(std::int64_t lineNumber, std::string_view line,
                              std::string_view reason) {
  return AtLine("Value out of range", lineNumber, line, reason);
}

std::string DuplicateCodeAt(std::int64_t lineNumber, std::string_view line) {
  return AtLine("Duplicate code", lineNumber, line);
}

}  // namespace kelvane
