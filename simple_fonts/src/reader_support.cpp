#include "reader_support.h"

#include <cstdio>

#include "font/messages.h"

namespace kelvane::simple {

void LeftOut::Add(std::string_view name) {
  if (count_ < kNamedInDetail) {
    if (count_ > 0) names_ += ", ";
    names_ += name;
  } else if (count_ == kNamedInDetail) {
    names_ += ", ...";
  }
  ++count_;
}

void LeftOut::Warn(std::vector<Warning>& warnings, std::string_view label,
                   std::string (*text)(std::int64_t count)) const {
  if (count_ == 0) return;
  warnings.push_back({text(count_), std::string(label) + ": " + names_});
}

std::string Counted(std::int64_t count, std::string_view one, std::string_view several) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : several);
}

Diagnostic NotSupported(const std::string& fileName, std::string_view reason) {
  return {fileName, 0, FileNotSupported(reason)};
}

std::uint32_t AddFile(FontModel& model, const std::string& fileName) {
  model.files.push_back(fileName);
  return static_cast<std::uint32_t>(model.files.size() - 1);
}

std::optional<Diagnostic> TakeCell(FontModel& model, const std::string& fileName, FontBox box,
                                   std::string boxLine, const CellCheck& check, std::size_t bitmaps,
                                   std::size_t glyphs) {
  model.box = box;
  model.boxSource = {static_cast<std::uint32_t>(model.files.size() - 1), 0};
  model.boxLine = std::move(boxLine);
  if (check) {
    if (auto reason = check(box)) {
      return Diagnostic{fileName, 0, ValueOutOfRangeAt(0, model.boxLine, *reason)};
    }
  }
  model.ReserveBitmaps(bitmaps);
  model.glyphs.reserve(glyphs);
  return std::nullopt;
}

void CopyRows(std::span<const std::uint8_t> from, std::span<std::uint8_t> to, std::int32_t width) {
  const auto rowBytes = static_cast<std::size_t>(BytesPerRow(width));
  if (rowBytes == 0) return;
  const auto lastMask = static_cast<std::uint8_t>(0xFF << ((8 - width % 8) % 8));
  for (std::size_t at = 0; at + rowBytes <= from.size() && at + rowBytes <= to.size();
       at += rowBytes) {
    for (std::size_t i = 0; i < rowBytes; ++i) to[at + i] = from[at + i];
    to[at + rowBytes - 1] &= lastMask;
  }
}

std::string HexCode(std::uint32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(code));
  return text;
}

std::string UnicodeName(std::uint32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(code));
  return text;
}

}  // namespace kelvane::simple
