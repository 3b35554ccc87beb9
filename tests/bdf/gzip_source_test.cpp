// Input that may be gzip-compressed: plain bytes unchanged, gzip members
// inflated however the reads beneath are cut, damaged data refused.
#include "bdf/gzip_source.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "bdf/bdf_scan.h"
#include "test_support.h"

namespace kelvane::bdf {
namespace {

using Pieces = std::vector<std::size_t>;
constexpr std::size_t kWhole = 1 << 20;

// Hands out `bytes` in pieces of the given sizes, in turn.
struct PieceSource : ByteSource {
  PieceSource(const std::string& b, Pieces p) : bytes(b), pieces(std::move(p)) {}
  Result<std::size_t> Read(std::span<char> buffer) override {
    const std::size_t n = std::min(pieces[reads++ % pieces.size()], buffer.size());
    return bytes.copy(buffer.data(), n, std::exchange(pos, std::min(pos + n, bytes.size())));
  }
  const std::string& bytes;
  Pieces pieces;
  std::size_t reads = 0, pos = 0;
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
    for (int row = 0; row < 16; ++row, seed = seed * 1103515245 + 12345)
      text += std::to_string(1000 + (seed >> 16) % 9000) + "\n";  // four digits, hex as well
    text += "ENDCHAR\n";
  }
  return text + "ENDFONT\n";
}

// All that was read before the end or the failure, and the failure.
std::pair<std::string, std::string> ReadAll(GzipOrPlainSource& source) {
  std::string bytes;
  std::vector<char> buffer(999);
  auto got = source.Read(buffer);
  for (; got && *got > 0; got = source.Read(buffer)) bytes.append(buffer.data(), *got);
  return {bytes, got ? "" : got.error().text};
}

std::pair<std::string, std::string> ReadAll(const std::string& raw, const Pieces& pieces) {
  PieceSource pieceSource(raw, pieces);
  GzipOrPlainSource source(pieceSource);
  return ReadAll(source);
}

TEST(GzipOrPlainSource, PassesPlainBytesAndInflatesMembersHoweverTheReadsAreCut) {
  const std::string big = BdfText(30000), a = BdfText(20), b = BdfText(7);  // big: 3.5 MB
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"\x1F", "\x1F"},
      {"\x1F\x8C\x08", "\x1F\x8C\x08"},
      {big, big},
      {Gzip(big), big},
      {Gzip("") + Gzip(b), b},
      // Zero bytes after the last member pad the data.
      {Gzip(a) + Gzip(b) + std::string(3000, '\0'), a + b}};
  for (const auto& [raw, text] : cases) {
    for (const Pieces& pieces : {Pieces{1}, Pieces{kWhole}, Pieces{1, 3, 4093, 65537, 7}})
      EXPECT_EQ(ReadAll(raw, pieces), std::pair(text, std::string()))
          << raw.size() << " bytes in " << pieces.size() << " piece sizes";
  }
}

TEST(GzipOrPlainSource, RefusesTruncatedAndCorruptData) {
  const std::string text = BdfText(3000), gz = Gzip(text) + Gzip(text);
  const std::size_t member = gz.size() / 2;
  for (const std::size_t cut :
       {std::size_t{2}, member / 2, member - 1, member + 3, gz.size() - 1}) {
    const auto [bytes, error] = ReadAll(gz.substr(0, cut), {7});
    EXPECT_EQ(error, "truncated gzip data") << "cut at " << cut;
    EXPECT_TRUE((text + text).starts_with(bytes)) << "cut at " << cut;
  }
  for (const std::size_t at : {std::size_t{2}, member / 2, member - 8, member - 1}) {
    std::string bytes = gz.substr(0, member);
    bytes[at] = static_cast<char>(bytes[at] ^ 0x55);
    EXPECT_TRUE(ReadAll(bytes, {kWhole}).second.starts_with("corrupt gzip data (")) << at;
  }
  EXPECT_EQ(ReadAll(gz.substr(0, member) + std::string(9, '\0') + gz.substr(member), {1}).second,
            "corrupt gzip data (more data after zero padding)");
}

TEST(GzipOrPlainSource, RefusesToInflatePastItsLimit) {
  const std::string x600(600, 'x'), x400(400, 'x');
  const std::string tooMuch =
      "File is not support ! (more than 1000 bytes of text after decompression)";
  const struct {
    std::string raw, error;
    bool compressed;
  } cases[] = {{Gzip(x600 + x400), "", true},
               {Gzip(x600 + x400 + "x"), tooMuch, true},
               {Gzip(x600) + Gzip(x400 + "x"), tooMuch, true},
               {x600 + x600, "", false}};
  for (const auto& c : cases) {
    PieceSource pieces(c.raw, {kWhole});
    GzipOrPlainSource source(pieces, 1000);
    const std::string error = ReadAll(source).second;  // before asking the source
    EXPECT_EQ(std::tuple(error, source.DataRefused(), source.compressed()),
              std::tuple(c.error, !c.error.empty(), c.compressed));
  }
}

// A refusal of the data reaches the scan's caller as it is, not as a failure to
// read (the pipeline tests show a gzip font read as its text, and a cut one).
TEST(GzipOrPlainSource, GivesTheBdfScanItsRefusalAsItIs) {
  const std::string gz = Gzip(BdfText(200));
  PieceSource pieces(gz, {3, 1000});
  GzipOrPlainSource source(pieces, 1000);
  ByteInput input(source);
  LineReaderState state;
  const auto font = ScanBdf(input, state, "f.bdf.gz", {});
  ASSERT_FALSE(font.ok());
  EXPECT_EQ(font.error().text,
            "File is not support ! (more than 1000 bytes of text after decompression)");
}

}  // namespace
}  // namespace kelvane::bdf
