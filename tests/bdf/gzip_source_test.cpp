// Input that may be gzip-compressed: plain bytes unchanged, gzip members
// inflated however the reads beneath are cut, damaged data refused for good.
#include "bdf/gzip_source.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bdf/bdf_scan.h"
#include "test_support.h"

namespace kelvane::bdf {
namespace {

using Pieces = std::vector<std::size_t>;
constexpr std::size_t kWhole = 1 << 20;

// Hands out its bytes in pieces of the given sizes, in turn.
class PieceSource : public ByteSource {
 public:
  PieceSource(const std::string& bytes, const Pieces& pieces) : bytes_(bytes), pieces_(pieces) {}
  Result<std::size_t> Read(std::span<char> buffer) override {
    const std::size_t count =
        std::min({pieces_[reads_++ % pieces_.size()], buffer.size(), bytes_.size() - pos_});
    std::copy_n(bytes_.data() + pos_, count, buffer.data());
    pos_ += count;
    return count;
  }

 private:
  const std::string& bytes_;
  Pieces pieces_;
  std::size_t reads_ = 0;
  std::size_t pos_ = 0;
};

std::string Gzip(const std::string& text) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string out(deflateBound(&z, text.size()), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// A font of 16x16 glyphs with pseudo-random rows, about 120 bytes a glyph.
std::string BdfText(int glyphs) {
  std::string text = "STARTFONT 2.1\nFONTBOUNDINGBOX 16 16 0 -2\n";
  std::uint32_t seed = 1;
  for (int code = 0; code < glyphs; ++code) {
    text += "STARTCHAR g\nENCODING " + std::to_string(code) + "\nBITMAP\n";
    for (int row = 0; row < 16; ++row) {
      seed = seed * 1103515245 + 12345;
      char hex[8];
      std::snprintf(hex, sizeof hex, "%04X\n", static_cast<unsigned>(seed >> 16));
      text += hex;
    }
    text += "ENDCHAR\n";
  }
  return text + "ENDFONT\n";
}

struct Outcome {
  std::string bytes;  // all that was read before the end or the failure
  std::string error;
  bool compressed = false;
};

Outcome ReadAll(const std::string& raw, const Pieces& pieces = {kWhole},
                std::size_t readSize = 1 << 18) {
  PieceSource pieceSource(raw, pieces);
  GzipOrPlainSource source(pieceSource);
  Outcome outcome;
  std::vector<char> buffer(readSize);
  for (auto got = source.Read(buffer); got && *got > 0; got = source.Read(buffer)) {
    outcome.bytes.append(buffer.data(), *got);
  }
  if (auto last = source.Read(buffer); !last) {
    outcome.error = last.error().text;
    auto again = source.Read(buffer);
    EXPECT_TRUE(!again && again.error().text == outcome.error) << "a failure must not be forgotten";
  }
  outcome.compressed = source.compressed();
  return outcome;
}

TEST(GzipOrPlainSource, PassesPlainBytesThrough) {
  const std::string font = BdfText(3000);  // more than one input buffer
  const std::pair<std::string, Pieces> cases[] = {
      {"", {1}},   {"x", {1}},       {"\x1F", {1}}, {"\x1F\x8C\x08", {1}}, {"\x8B\x1F", {kWhole}},
      {font, {1}}, {font, {kWhole}},
  };
  for (const auto& [bytes, pieces] : cases) {
    const Outcome outcome = ReadAll(bytes, pieces, 1001);
    EXPECT_TRUE(outcome.bytes == bytes && outcome.error.empty() && !outcome.compressed)
        << bytes.size() << " bytes in pieces of " << pieces[0] << ": " << outcome.error;
  }
}

TEST(GzipOrPlainSource, InflatesHoweverTheReadsAreCut) {
  const std::string text = BdfText(30000);
  const std::string gz = Gzip(text);
  for (const Pieces& pieces : {Pieces{kWhole}, Pieces{1, 2}, Pieces{1, 3, 4093, 65537, 7}}) {
    for (const std::size_t readSize : {std::size_t{1} << 18, std::size_t{999}}) {
      const Outcome outcome = ReadAll(gz, pieces, readSize);
      EXPECT_TRUE(outcome.bytes == text && outcome.error.empty() && outcome.compressed)
          << pieces.size() << " piece sizes, reads of " << readSize << ": " << outcome.error;
    }
  }
}

TEST(GzipOrPlainSource, JoinsMembers) {
  const std::string a = BdfText(20), b = BdfText(7);
  const std::pair<std::string, std::string> cases[] = {
      {Gzip(a) + Gzip(b), a + b}, {Gzip("") + Gzip(b), b}, {Gzip(a) + Gzip(""), a}, {Gzip(""), ""}};
  for (const auto& [gz, text] : cases) {
    for (const Pieces& pieces : {Pieces{kWhole}, Pieces{5, 1}}) {
      const Outcome outcome = ReadAll(gz, pieces);
      EXPECT_TRUE(outcome.bytes == text && outcome.error.empty()) << text.size() << outcome.error;
    }
  }
}

TEST(GzipOrPlainSource, RefusesTruncatedData) {
  const std::string text = BdfText(3000);
  const std::string gz = Gzip(text) + Gzip(text);
  const std::size_t member = gz.size() / 2;
  for (const std::size_t cut : {std::size_t{2}, std::size_t{10}, member / 2, member - 8, member - 1,
                                member + 3, gz.size() - 1}) {
    for (const Pieces& pieces : {Pieces{kWhole}, Pieces{7}}) {
      const Outcome outcome = ReadAll(gz.substr(0, cut), pieces);
      EXPECT_EQ(outcome.error, "truncated gzip data") << "cut at " << cut;
      EXPECT_TRUE((text + text).starts_with(outcome.bytes)) << "cut at " << cut;
    }
  }
}

TEST(GzipOrPlainSource, RefusesCorruptData) {
  const std::string gz = Gzip(BdfText(100));
  const auto changed = [&](std::size_t at) {
    std::string bytes = gz;
    bytes[at] = static_cast<char>(bytes[at] ^ 0x55);
    return bytes;
  };
  const std::pair<std::string, std::string> cases[] = {
      {changed(2), "corrupt gzip data (unknown compression method)"},
      {changed(gz.size() / 2), "corrupt gzip data ("},
      {changed(gz.size() - 8), "corrupt gzip data (incorrect data check)"},
      {changed(gz.size() - 1), "corrupt gzip data (incorrect length check)"},
      {gz + "xyz", "corrupt gzip data (incorrect header check)"},
  };
  for (const auto& [bytes, reason] : cases) {
    EXPECT_TRUE(ReadAll(bytes).error.starts_with(reason)) << reason;
  }
}

// Each glyph as "code advance line bitmap-bytes", after the cell.
std::vector<std::string> Describe(const FontModel& font) {
  std::vector<std::string> lines{std::to_string(font.box.width) + "x" +
                                 std::to_string(font.box.height)};
  for (const Glyph& glyph : font.glyphs) {
    const auto bitmap = font.bitmap(glyph);
    lines.push_back(std::to_string(glyph.code) + " " + std::to_string(glyph.advance) + " " +
                    std::to_string(glyph.source.line) + " " +
                    std::string(bitmap.begin(), bitmap.end()));
  }
  return lines;
}

TEST(GzipOrPlainSource, GivesTheBdfScanTheSameFont) {
  const std::string text = BdfText(200);
  const std::string gz = Gzip(text);
  const auto scan = [](const std::string& bytes) {
    PieceSource pieces(bytes, {3, 1000});
    GzipOrPlainSource source(pieces);
    ByteInput input(source);
    LineReaderState state;
    return ScanBdf(input, state, "f.bdf.gz", {});
  };
  auto plain = scan(text);
  auto inflated = scan(gz);
  ASSERT_TRUE(plain && inflated) << (plain ? inflated : plain).error().text;
  EXPECT_EQ(plain->glyphs.size(), 200u);
  EXPECT_EQ(Describe(*inflated), Describe(*plain));

  auto truncated = scan(gz.substr(0, gz.size() / 2));
  ASSERT_FALSE(truncated);
  EXPECT_EQ(truncated.error().text, "Cannot read file! [f.bdf.gz] (truncated gzip data)");
}

}  // namespace
}  // namespace kelvane::bdf
