// PSF, the Linux console's font files. PSF1: 36 04, a mode byte and the
// glyph height; 256 or 512 glyphs 8 pixels wide. PSF2: 72 B5 4A 86 and seven
// little-endian 32-bit fields (version, header size, flags, glyph count, bytes
// per glyph, height, width). Glyphs are rows of whole bytes, top first. An
// optional Unicode table follows the glyphs: for each glyph its code points,
// then sequences (each begun by a mark), then an end mark; PSF1 writes 16-bit
// values (FFFE, FFFF), PSF2 UTF-8 (FE, FF).
#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

#include "font/messages.h"
#include "reader_support.h"
#include "simple_fonts/simple_fonts.h"

namespace kelvane::simple {
namespace {

constexpr std::string_view kPsf1Magic = "\x36\x04";
constexpr std::string_view kPsf2Magic = "\x72\xB5\x4A\x86";

constexpr std::size_t kPsf1HeaderSize = 4;
constexpr std::uint8_t kPsf1Has512 = 0x01;
constexpr std::uint8_t kPsf1HasTable = 0x02;
constexpr std::uint8_t kPsf1HasSequences = 0x04;
constexpr std::uint8_t kPsf1KnownModes = kPsf1Has512 | kPsf1HasTable | kPsf1HasSequences;
constexpr std::uint32_t kPsf1End = 0xFFFF;
constexpr std::uint32_t kPsf1Sequence = 0xFFFE;

constexpr std::size_t kPsf2HeaderSize = 32;
constexpr std::uint32_t kPsf2HasTable = 0x01;
constexpr std::uint8_t kPsf2End = 0xFF;
constexpr std::uint8_t kPsf2Sequence = 0xFE;

constexpr std::uint32_t kMaxSide = std::numeric_limits<std::int32_t>::max();

struct PsfLayout {
  int version = 1;
  std::uint32_t glyphCount = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::size_t glyphBytes = 0;
  std::size_t glyphsAt = 0;
  bool hasTable = false;
  std::size_t tableAt() const { return glyphsAt + glyphCount * glyphBytes; }
  std::string cellText() const { return std::to_string(width) + "x" + std::to_string(height); }
};

// "the PSF file is cut short: its header takes 32 bytes; it has 10".
std::string CutShort(std::string_view whatTakes, std::uint64_t needed, std::size_t size) {
  return "the PSF file is cut short: " + std::string(whatTakes) + " " + std::to_string(needed) +
         " bytes; it has " + std::to_string(size);
}

Result<PsfLayout> Psf1Layout(std::span<const std::uint8_t> bytes, const std::string& fileName) {
  if (bytes.size() < kPsf1HeaderSize) {
    return NotSupported(fileName, CutShort("its header takes", kPsf1HeaderSize, bytes.size()));
  }
  const std::uint8_t mode = bytes[2];
  if ((mode & ~kPsf1KnownModes) != 0) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(mode));
    return NotSupported(fileName, "a PSF1 mode byte of " + std::string(text) +
                                      " (only its bits 0x01, 0x02 and 0x04 mean anything)");
  }
  PsfLayout layout;
  layout.glyphCount = (mode & kPsf1Has512) != 0 ? 512 : 256;
  layout.width = 8;
  layout.height = bytes[3];
  layout.glyphBytes = bytes[3];
  layout.glyphsAt = kPsf1HeaderSize;
  layout.hasTable = (mode & (kPsf1HasTable | kPsf1HasSequences)) != 0;
  if (layout.height == 0) return NotSupported(fileName, "a PSF1 cell of 8x0 pixels");
  return layout;
}

Result<PsfLayout> Psf2Layout(std::span<const std::uint8_t> bytes, const std::string& fileName) {
  if (bytes.size() < kPsf2HeaderSize) {
    return NotSupported(fileName, CutShort("its header takes", kPsf2HeaderSize, bytes.size()));
  }
  const std::uint32_t version = Le32(bytes, 4);
  const std::uint32_t headerSize = Le32(bytes, 8);
  const std::uint32_t flags = Le32(bytes, 12);
  const std::uint32_t glyphCount = Le32(bytes, 16);
  const std::uint32_t glyphBytes = Le32(bytes, 20);
  const std::uint32_t height = Le32(bytes, 24);
  const std::uint32_t width = Le32(bytes, 28);
  if (version != 0) {
    return NotSupported(fileName,
                        "PSF2 version " + std::to_string(version) + "; version 0 is known");
  }
  if (headerSize < kPsf2HeaderSize) {
    return NotSupported(
        fileName, "a PSF2 header of " + std::to_string(headerSize) + " bytes; it has 32 at least");
  }
  if (headerSize > bytes.size()) {
    return NotSupported(fileName, CutShort("its header takes", headerSize, bytes.size()));
  }
  const std::string cell = std::to_string(width) + "x" + std::to_string(height);
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) {
    return NotSupported(fileName, "a PSF2 cell of " + cell + " pixels");
  }
  const std::uint64_t cellBytes = static_cast<std::uint64_t>(GlyphBytes(width, height));
  if (glyphBytes != cellBytes) {
    return NotSupported(fileName, "PSF2 glyphs of " + std::to_string(glyphBytes) +
                                      " bytes, where a cell of " + cell + " pixels takes " +
                                      std::to_string(cellBytes));
  }
  if (glyphCount == 0) return NotSupported(fileName, "no glyphs");
  // Both 32-bit: the product and the sum fit in 64 bits.
  const std::uint64_t needed = headerSize + static_cast<std::uint64_t>(glyphCount) * glyphBytes;
  if (needed > bytes.size()) {
    return NotSupported(
        fileName, CutShort("its header and " + Counted(glyphCount, "glyph", "glyphs") + " of " +
                               Counted(glyphBytes, "byte", "bytes") + " take",
                           needed, bytes.size()));
  }
  PsfLayout layout;
  layout.version = 2;
  layout.glyphCount = glyphCount;
  layout.width = static_cast<std::int32_t>(width);
  layout.height = static_cast<std::int32_t>(height);
  layout.glyphBytes = glyphBytes;
  layout.glyphsAt = headerSize;
  layout.hasTable = (flags & kPsf2HasTable) != 0;
  return layout;
}

// One value of a glyph's entry in the Unicode table.
enum class Mark { kCode, kSequence, kEnd, kCutShort, kNotUtf8 };

// Reads the table's values one at a time, in either version's form.
class TableValues {
 public:
  TableValues(std::span<const std::uint8_t> table, int version)
      : table_(table), version_(version) {}

  Mark Next(std::uint32_t& code) {
    if (version_ == 1) {
      if (table_.size() - at_ < 2) return Mark::kCutShort;
      code = Le16(table_, at_);
      at_ += 2;
      if (code == kPsf1End) return Mark::kEnd;
      return code == kPsf1Sequence ? Mark::kSequence : Mark::kCode;
    }
    if (at_ >= table_.size()) return Mark::kCutShort;
    const std::uint8_t lead = table_[at_];
    if (lead == kPsf2End || lead == kPsf2Sequence) {
      ++at_;
      return lead == kPsf2End ? Mark::kEnd : Mark::kSequence;
    }
    return DecodeUtf8(code);
  }

 private:
  // One UTF-8 character, refusing overlong forms, surrogates and values
  // above U+10FFFF.
  Mark DecodeUtf8(std::uint32_t& code) {
    const std::uint8_t lead = table_[at_];
    std::size_t length = 0;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;  // the bounds of the second byte
    if (lead < 0x80) {
      code = lead;
      ++at_;
      return Mark::kCode;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0Fu;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07u;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      return Mark::kNotUtf8;
    }
    if (table_.size() - at_ < length) return Mark::kCutShort;
    for (std::size_t i = 1; i < length; ++i) {
      const std::uint8_t next = table_[at_ + i];
      if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return Mark::kNotUtf8;
      code = code << 6 | (next & 0x3Fu);
    }
    at_ += length;
    return Mark::kCode;
  }

  std::span<const std::uint8_t> table_;
  int version_;
  std::size_t at_ = 0;
};

// A code the table gives a glyph, in table order.
struct TableCode {
  std::uint32_t code = 0;
  std::uint32_t glyph = 0;
};

struct TableCodes {
  std::vector<TableCode> codes;
  LeftOut sequences;
  LeftOut givenTwice;
};

std::string SequencesText(std::int64_t count) {
  return Counted(count, "sequence", "sequences") + " of the Unicode table " +
         (count == 1 ? "was" : "were") + " left out";
}

std::string GivenTwiceText(std::int64_t count) {
  return Counted(count, "code", "codes") + " the Unicode table gives to a second glyph " +
         (count == 1 ? "keeps" : "keep") + " the first";
}

std::string NoCodeText(std::int64_t count) {
  return Counted(count, "glyph", "glyphs") + " without a code in the Unicode table " +
         (count == 1 ? "was" : "were") + " left out";
}

// Keeps each code of `given` for the first glyph that gives it, in table
// order, and counts the other glyphs given it; a glyph that gives a code twice
// counts once.
void KeepFirstGlyphOfEachCode(const std::vector<TableCode>& given, TableCodes& result) {
  std::vector<std::size_t> byCode(given.size());
  for (std::size_t i = 0; i < byCode.size(); ++i) byCode[i] = i;
  std::stable_sort(byCode.begin(), byCode.end(),
                   [&](std::size_t a, std::size_t b) { return given[a].code < given[b].code; });
  std::vector<bool> kept(given.size());
  std::size_t first = 0;  // in byCode, the first entry of the current code
  for (std::size_t i = 0; i < byCode.size(); ++i) {
    const TableCode& entry = given[byCode[i]];
    if (i == 0 || given[byCode[i - 1]].code != entry.code) {
      first = i;
      kept[byCode[i]] = true;
    } else if (entry.glyph != given[byCode[i - 1]].glyph) {
      result.givenTwice.Add(result.givenTwice.NamesNext()
                                ? UnicodeName(entry.code) + " (glyph " +
                                      std::to_string(given[byCode[first]].glyph) + " kept, glyph " +
                                      std::to_string(entry.glyph) + " left out)"
                                : std::string());
    }
  }
  for (std::size_t i = 0; i < given.size(); ++i) {
    if (kept[i]) result.codes.push_back(given[i]);
  }
}

// The single code points of every glyph's entry; the first glyph given a code
// keeps it.
Result<TableCodes> ReadTable(std::span<const std::uint8_t> table, const PsfLayout& layout,
                             const std::string& fileName) {
  TableCodes result;
  std::vector<TableCode> given;  // every single code point, in table order
  TableValues values(table, layout.version);
  for (std::uint32_t glyph = 0; glyph < layout.glyphCount; ++glyph) {
    bool inSequence = false;
    std::int64_t sequenceLength = 0;
    std::string sequence;  // its code points, when the warning names it
    const auto endSequence = [&] {
      if (sequenceLength > 0) {
        result.sequences.Add(result.sequences.NamesNext()
                                 ? "glyph " + std::to_string(glyph) + " (" + sequence + ")"
                                 : std::string());
      }
      sequenceLength = 0;
      sequence.clear();
    };
    for (;;) {
      std::uint32_t code = 0;
      const Mark mark = values.Next(code);
      if (mark == Mark::kCutShort) {
        return NotSupported(fileName,
                            "the PSF Unicode table is cut short: it ends in the entry "
                            "of glyph " +
                                std::to_string(glyph) + " of " + std::to_string(layout.glyphCount));
      }
      if (mark == Mark::kNotUtf8) {
        return NotSupported(fileName, "the PSF2 Unicode table's entry of glyph " +
                                          std::to_string(glyph) +
                                          " holds bytes that are not UTF-8");
      }
      if (mark == Mark::kEnd) break;
      if (mark == Mark::kSequence) {
        endSequence();
        inSequence = true;
      } else if (inSequence) {
        if (result.sequences.NamesNext()) {
          sequence += (sequenceLength > 0 ? " " : "") + UnicodeName(code);
        }
        ++sequenceLength;
      } else {
        given.push_back({code, glyph});
      }
    }
    endSequence();
  }
  KeepFirstGlyphOfEachCode(given, result);
  return result;
}

}  // namespace

bool LooksLikePsf1(std::string_view firstBytes) {
  if (!firstBytes.starts_with(kPsf1Magic)) return false;
  if (firstBytes.size() > 2 && (static_cast<std::uint8_t>(firstBytes[2]) & ~kPsf1KnownModes) != 0) {
    return false;
  }
  return firstBytes.size() <= 3 || firstBytes[3] != 0;
}

bool LooksLikePsf2(std::string_view firstBytes) { return firstBytes.starts_with(kPsf2Magic); }

Result<FontModel> ReadPsf(std::span<const std::uint8_t> bytes, const std::string& fileName,
                          const CellCheck& check, FontModel model) {
  const std::string_view text = AsText(bytes);
  auto read = text.starts_with(kPsf1Magic) ? Psf1Layout(bytes, fileName)
              : text.starts_with(kPsf2Magic)
                  ? Psf2Layout(bytes, fileName)
                  : Result<PsfLayout>(NotSupported(fileName, "not a PSF font"));
  if (!read) return std::move(read).error();
  const PsfLayout& layout = *read;
  if (layout.version == 1 && layout.tableAt() > bytes.size()) {
    return NotSupported(
        fileName,
        CutShort("its header and " + Counted(layout.glyphCount, "glyph", "glyphs") + " of " +
                     Counted(static_cast<std::int64_t>(layout.glyphBytes), "byte", "bytes") +
                     " take",
                 layout.tableAt(), bytes.size()));
  }

  TableCodes table;
  if (layout.hasTable) {
    auto codes = ReadTable(bytes.subspan(layout.tableAt()), layout, fileName);
    if (!codes) return std::move(codes).error();
    table = std::move(*codes);
    if (table.codes.empty()) {
      return NotSupported(fileName, "the PSF Unicode table gives no glyph a single code point");
    }
  } else {
    table.codes.reserve(layout.glyphCount);
    for (std::uint32_t glyph = 0; glyph < layout.glyphCount; ++glyph) {
      table.codes.push_back({glyph, glyph});
    }
  }

  // Glyphs given no code are left out.
  std::vector<bool> hasCode(layout.glyphCount);
  for (const TableCode& entry : table.codes) hasCode[entry.glyph] = true;
  const auto keptGlyphs =
      static_cast<std::size_t>(std::count(hasCode.begin(), hasCode.end(), true));
  LeftOut noCode;
  for (std::uint32_t glyph = 0; glyph < layout.glyphCount; ++glyph) {
    if (!hasCode[glyph]) {
      noCode.Add(noCode.NamesNext() ? "glyph " + std::to_string(glyph) : std::string());
    }
  }

  const std::uint32_t file = AddFile(model, fileName);
  const FontBox box{layout.width, layout.height, 0, 0};
  const std::string boxLine = (layout.version == 1 ? "PSF1 " : "PSF2 ") + layout.cellText();
  if (auto refusal =
          TakeCell(model, fileName, box, boxLine, check, keptGlyphs, table.codes.size())) {
    return std::move(*refusal);
  }
  if (layout.hasTable) {
    model.registry = "ISO10646";
    model.encoding = "1";
  }
  model.codeField = "code";
  const auto advance = static_cast<std::uint8_t>(std::min<std::int32_t>(layout.width, 255));
  // Where each glyph's bitmap went: a glyph with several codes shares one.
  constexpr std::uint32_t kNotKept = std::numeric_limits<std::uint32_t>::max();
  std::vector<std::uint32_t> bitmapOf(layout.glyphCount, kNotKept);
  for (const TableCode& entry : table.codes) {
    const auto code = static_cast<std::int32_t>(entry.code);
    if (bitmapOf[entry.glyph] != kNotKept) {
      model.glyphs.push_back(Glyph{code, code, advance, bitmapOf[entry.glyph], {file, 0}});
      continue;
    }
    Glyph& glyph = model.AddGlyph(code, {file, 0});
    glyph.advance = advance;
    bitmapOf[entry.glyph] = glyph.bitmap;
    CopyRows(bytes.subspan(layout.glyphsAt + entry.glyph * layout.glyphBytes, layout.glyphBytes),
             model.bitmap(glyph), layout.width);
  }
  table.sequences.Warn(model.warnings, "sequences left out", SequencesText);
  table.givenTwice.Warn(model.warnings, "given to a second glyph", GivenTwiceText);
  noCode.Warn(model.warnings, "without a code", NoCodeText);
  return model;
}

}  // namespace kelvane::simple
