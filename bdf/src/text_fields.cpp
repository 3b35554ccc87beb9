#include "text_fields.h"

namespace kelvane::bdf {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::size_t SplitFields(std::string_view text, std::span<std::string_view> fields) {
  std::size_t count = 0;
  std::size_t i = 0;
  while (i < text.size() && count < fields.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    const std::size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    if (i > start) fields[count++] = text.substr(start, i - start);
  }
  return count;
}

std::optional<std::int32_t> ParseInt32(std::string_view field) {
  bool negative = false;
  if (!field.empty() && field.front() == '-') {
    negative = true;
    field.remove_prefix(1);
  }
  if (field.empty()) return std::nullopt;
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t value = 0;
  for (const char c : field) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

std::optional<std::int32_t> FirstNumber(std::string_view text) {
  text = TrimBlanks(text);
  std::size_t end = 0;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  if (end == 0) return std::nullopt;
  return ParseInt32(text.substr(0, end));
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace kelvane::bdf
