#include "kvn/kvn_encoder.h"

#include <algorithm>

#include "font/glyph_order.h"
#include "font/messages.h"

namespace kelvane::kvn {
namespace {

constexpr std::size_t kRecordChunkBytes = 1 << 18;

void AppendWord(std::vector<std::uint8_t>& out, std::int64_t value) {
  const auto bytes = SplitWord(value);
  out.insert(out.end(), bytes.begin(), bytes.end());
}

Diagnostic GlyphOutOfRange(const FontModel& model, const Glyph& glyph, const std::string& reason) {
  return {model.fileOf(glyph.source), glyph.source.line,
          ValueOutOfRangeAt(glyph.source.line, CodeLineOf(model, glyph), reason)};
}

// The first glyph whose code or position the layout cannot store, or nullopt.
std::optional<Diagnostic> CheckGlyphLimits(const FontModel& model) {
  for (const Glyph& glyph : model.glyphs) {
    if (glyph.code == kNoCode && &glyph == &model.glyphs.back()) continue;  // the default alone
    if (glyph.code < 0 || glyph.code > kMaxCode) {
      return GlyphOutOfRange(model, glyph,
                             "the code is " + std::to_string(glyph.code) + "; codes go up to " +
                                 std::to_string(kMaxCode));
    }
  }
  if (static_cast<std::int64_t>(model.glyphs.size()) > kMaxGlyphs) {
    return GlyphOutOfRange(model, model.glyphs[kMaxGlyphs],
                           "a font holds at most " + std::to_string(kMaxGlyphs) + " glyphs");
  }
  return std::nullopt;
}

std::vector<std::uint8_t> EncodeFront(const FontHeader& header, const RangeTable& table) {
  std::vector<std::uint8_t> out;
  out.reserve(kHeaderSize + kRangeRecordSize * table.ranges.size());
  AppendWord(out, header.glyphCount);
  AppendWord(out, header.rangeCount);
  AppendWord(out, header.defaultIndex);
  out.push_back(static_cast<std::uint8_t>(header.cellWidth));
  out.push_back(static_cast<std::uint8_t>(header.cellHeight));
  out.push_back(static_cast<std::uint8_t>(header.glyphBytes));
  for (const CodeRange& range : table.ranges) {
    AppendWord(out, range.firstCode);
    AppendWord(out, range.lastCode);
    AppendWord(out, range.indexDelta);
  }
  return out;
}

}  // namespace

std::array<std::uint8_t, 2> SplitWord(std::int64_t value) {
  return {static_cast<std::uint8_t>(value % 256), static_cast<std::uint8_t>(value / 256)};
}

RangeTable BuildRanges(std::span<const std::int32_t> codes, std::int32_t defaultCode) {
  RangeTable table;
  if (codes.empty()) return table;
  table.ranges.push_back({codes[0], codes[0], codes[0]});
  for (std::size_t k = 1; k < codes.size(); ++k) {
    const std::int64_t code = codes[k];
    if (code != static_cast<std::int64_t>(codes[k - 1]) + 1) {
      table.ranges.push_back(
          {codes[k], codes[k], static_cast<std::int32_t>(code - static_cast<std::int64_t>(k))});
    }
    if (codes[k] == defaultCode) table.defaultIndex = static_cast<std::int32_t>(k);
    table.ranges.back().lastCode = codes[k];
  }
  return table;
}

std::optional<std::string> CellLimitReason(const FontBox& box) {
  const auto most = std::to_string(kMaxCellSide);
  if (box.width > kMaxCellSide) {
    return "the cell is " + std::to_string(box.width) + " pixels wide; the most is " + most;
  }
  if (box.height > kMaxCellSide) {
    return "the cell is " + std::to_string(box.height) + " pixels high; the most is " + most;
  }
  const std::int64_t bytes = GlyphBytes(box.width, box.height);
  if (bytes > kMaxGlyphBytes) {
    return "a glyph needs " + std::to_string(bytes) + " bytes; the most is " +
           std::to_string(kMaxGlyphBytes);
  }
  return std::nullopt;
}

Result<KvnFront> PlanKvn(const FontModel& model) {
  if (auto reason = CellLimitReason(model.box)) {
    return Diagnostic{model.fileOf(model.boxSource), model.boxSource.line,
                      ValueOutOfRangeAt(model.boxSource.line, model.boxLine, *reason)};
  }
  if (auto refusal = CheckGlyphLimits(model)) return std::move(*refusal);
  // A default glyph without a code of its own comes last, outside every range.
  std::vector<std::int32_t> codes;
  codes.reserve(model.glyphs.size());
  for (const Glyph& glyph : model.glyphs) {
    if (glyph.code != kNoCode) codes.push_back(glyph.code);
  }
  RangeTable table = BuildRanges(codes, model.defaultCode);
  if (model.defaultCode == kNoCode && codes.size() < model.glyphs.size()) {
    table.defaultIndex = static_cast<std::int32_t>(codes.size());
  }
  KvnFront front;
  front.header = {static_cast<std::int64_t>(model.glyphs.size()),
                  static_cast<std::int64_t>(table.ranges.size()),
                  table.defaultIndex,
                  model.box.width,
                  model.box.height,
                  model.glyphBytes()};
  front.bytes = EncodeFront(front.header, table);
  front.fileSize = static_cast<std::int64_t>(front.bytes.size()) +
                   front.header.glyphCount * (1 + front.header.glyphBytes);
  return front;
}

Status WriteKvnRecords(const FontModel& model, const ByteSink& sink) {
  std::vector<std::uint8_t> chunk;
  chunk.reserve(kRecordChunkBytes + 1 + static_cast<std::size_t>(model.glyphBytes()));
  for (const Glyph& glyph : model.glyphs) {
    chunk.push_back(glyph.advance);
    const auto bitmap = model.bitmap(glyph);
    chunk.insert(chunk.end(), bitmap.begin(), bitmap.end());
    if (chunk.size() >= kRecordChunkBytes) {
      if (auto written = sink(chunk); !written) return written;
      chunk.clear();
    }
  }
  if (chunk.empty()) return Ok();
  return sink(chunk);
}

Result<std::vector<std::uint8_t>> EncodeKvn(const FontModel& model) {
  auto front = PlanKvn(model);
  if (!front) return std::move(front).error();
  std::vector<std::uint8_t> bytes = std::move(front->bytes);
  bytes.reserve(static_cast<std::size_t>(front->fileSize));
  auto written = WriteKvnRecords(model, [&](std::span<const std::uint8_t> piece) -> Status {
    bytes.insert(bytes.end(), piece.begin(), piece.end());
    return Ok();
  });
  if (!written) return std::move(written).error();
  return bytes;
}

}  // namespace kelvane::kvn
