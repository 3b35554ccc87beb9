// FONTX2: a 17-byte header ("FONTX2", an 8-byte name, width, height, code
// type), for double-byte files a table of code blocks, then the glyphs, rows
// of whole bytes top first.
#include <algorithm>
#include <vector>

#include "font/messages.h"
#include "reader_support.h"
#include "simple_fonts/simple_fonts.h"

namespace kelvane::simple {
namespace {

constexpr std::string_view kMagic = "FONTX2";
constexpr std::size_t kWidthAt = 14;
constexpr std::size_t kHeightAt = 15;
constexpr std::size_t kCodeTypeAt = 16;
constexpr std::size_t kHeaderSize = 17;
constexpr std::size_t kBlockCountAt = 17;
constexpr std::size_t kBlockSize = 4;

struct CodeBlock {
  std::uint32_t first = 0;
  std::uint32_t last = 0;
};

// The JIS row/cell code of a Shift_JIS double-byte code, or nullopt when its
// lead or trail byte is not one of Shift_JIS. Leads 0x81-0x9F and 0xE0-0xEF
// give the 94 rows of JIS X 0208; 0xF0-0xFC (the user area and the IBM
// extensions) give the rows after them, which turn back into the same
// Shift_JIS codes.
std::optional<std::int32_t> SjisToJis(std::uint32_t code) {
  const std::uint32_t lead = code >> 8;
  const std::uint32_t trail = code & 0xFF;
  std::uint32_t pair = 0;  // rows 2 * pair - 1 and 2 * pair
  if (lead >= 0x81 && lead <= 0x9F) {
    pair = lead - 0x70;
  } else if (lead >= 0xE0 && lead <= 0xFC) {
    pair = lead - 0xB0;
  } else {
    return std::nullopt;
  }
  std::uint32_t row = 0;
  std::uint32_t cell = 0;
  if (trail >= 0x40 && trail <= 0x7E) {
    row = 2 * pair - 1;
    cell = trail - 0x1F;
  } else if (trail >= 0x80 && trail <= 0x9E) {
    row = 2 * pair - 1;
    cell = trail - 0x20;
  } else if (trail >= 0x9F && trail <= 0xFC) {
    row = 2 * pair;
    cell = trail - 0x7E;
  } else {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(row << 8 | cell);
}

// "the FONTX2 file is cut short: its header takes 17 bytes; it has 10".
std::string CutShort(std::string_view whatTakes, std::uint64_t needed, std::size_t size) {
  return "the FONTX2 file is cut short: " + std::string(whatTakes) + " " + std::to_string(needed) +
         " bytes; it has " + std::to_string(size);
}

std::string LeftOutText(std::int64_t count) {
  return Counted(count, "glyph", "glyphs") + " of the code blocks " +
         (count == 1 ? "has a code that is not Shift_JIS and was"
                     : "have codes that are not Shift_JIS and were") +
         " left out";
}

}  // namespace

bool LooksLikeFontx2(std::string_view firstBytes) { return firstBytes.starts_with(kMagic); }

Result<FontModel> ReadFontx2(std::span<const std::uint8_t> bytes, const std::string& fileName,
                             const CellCheck& check, FontModel model) {
  if (!LooksLikeFontx2(AsText(bytes))) return NotSupported(fileName, "not a FONTX2 font");
  if (bytes.size() < kHeaderSize) {
    return NotSupported(fileName, CutShort("its header takes", kHeaderSize, bytes.size()));
  }
  const std::int32_t width = bytes[kWidthAt];
  const std::int32_t height = bytes[kHeightAt];
  const std::string cellText = std::to_string(width) + "x" + std::to_string(height);
  if (width == 0 || height == 0) {
    return NotSupported(fileName, "a FONTX2 cell of " + cellText + " pixels");
  }
  const bool doubleByte = bytes[kCodeTypeAt] == 1;
  if (bytes[kCodeTypeAt] > 1) {
    return NotSupported(fileName, "FONTX2 code type " + std::to_string(bytes[kCodeTypeAt]) +
                                      "; 0 (single-byte) and 1 (double-byte) are known");
  }

  std::vector<CodeBlock> blocks;
  std::size_t glyphsAt = kHeaderSize;
  if (!doubleByte) {
    blocks.push_back({0x00, 0xFF});
  } else {
    if (bytes.size() <= kBlockCountAt) {
      return NotSupported(
          fileName, CutShort("its header and block count take", kBlockCountAt + 1, bytes.size()));
    }
    const std::size_t count = bytes[kBlockCountAt];
    glyphsAt = kBlockCountAt + 1 + count * kBlockSize;
    if (bytes.size() < glyphsAt) {
      return NotSupported(fileName, CutShort("its header and " +
                                                 Counted(static_cast<std::int64_t>(count),
                                                         "code block", "code blocks") +
                                                 " take",
                                             glyphsAt, bytes.size()));
    }
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t at = kBlockCountAt + 1 + i * kBlockSize;
      const CodeBlock block{Le16(bytes, at), Le16(bytes, at + 2)};
      if (block.first > block.last) {
        return NotSupported(fileName, "FONTX2 code block " + std::to_string(i + 1) + " runs from " +
                                          HexCode(block.first) + " back to " + HexCode(block.last));
      }
      blocks.push_back(block);
    }
  }
  if (blocks.empty()) return NotSupported(fileName, "no glyphs");

  std::uint64_t glyphCount = 0;
  for (const CodeBlock& block : blocks) glyphCount += block.last - block.first + 1;
  const auto glyphBytes = static_cast<std::size_t>(GlyphBytes(width, height));
  const std::uint64_t needed = glyphsAt + glyphCount * glyphBytes;
  if (bytes.size() < needed) {
    return NotSupported(
        fileName,
        CutShort("its header and " +
                     Counted(static_cast<std::int64_t>(glyphCount), "glyph", "glyphs") + " of " +
                     Counted(static_cast<std::int64_t>(glyphBytes), "byte", "bytes") + " take",
                 needed, bytes.size()));
  }

  // The codes kept, and the first code given twice.
  std::vector<bool> seen(0x10000);
  std::size_t kept = 0;
  LeftOut leftOut;
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    for (std::uint32_t code = blocks[i].first; code <= blocks[i].last; ++code) {
      if (doubleByte && !SjisToJis(code)) {
        leftOut.Add(leftOut.NamesNext() ? HexCode(code) : std::string());
        continue;
      }
      if (seen[code]) {
        return Diagnostic{
            fileName, 0,
            DuplicateCodeAt(0, "code " + HexCode(code) + " in block " + std::to_string(i + 1) +
                                   " (" + HexCode(blocks[i].first) + "-" + HexCode(blocks[i].last) +
                                   ")")};
      }
      seen[code] = true;
      ++kept;
    }
  }
  if (kept == 0) return NotSupported(fileName, "no glyph has a Shift_JIS code");

  const std::uint32_t file = AddFile(model, fileName);
  if (auto refusal = TakeCell(model, fileName, {width, height, 0, 0}, "FONTX2 " + cellText, check,
                              kept, kept)) {
    return std::move(*refusal);
  }
  model.registry = doubleByte ? "JISX0208.1983" : "JISX0201.1976";
  model.encoding = "0";
  model.codeField = "code";
  std::size_t at = glyphsAt;
  for (const CodeBlock& block : blocks) {
    for (std::uint32_t code = block.first; code <= block.last; ++code, at += glyphBytes) {
      const auto jis = doubleByte ? SjisToJis(code) : static_cast<std::int32_t>(code);
      if (!jis) continue;
      Glyph& glyph = model.AddGlyph(*jis, {file, 0});
      glyph.advance = static_cast<std::uint8_t>(width);
      CopyRows(bytes.subspan(at, glyphBytes), model.bitmap(glyph), width);
    }
  }
  leftOut.Warn(model.warnings, "not Shift_JIS", LeftOutText);
  return model;
}

}  // namespace kelvane::simple
