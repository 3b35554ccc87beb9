// Whole conversions: the bytes written for each kind of font, where they go,
// every refusal with its message and an untouched directory, and what a file's
// first bytes say it is.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include "expected_kvn.h"
#include "pipeline/conversion.h"
#include "pipeline/files.h"
#include "test_support.h"

namespace kelvane::test {
namespace {

std::string Glyph(const std::string& encoding, const std::string& body = "BITMAP\nFF\n") {
  return "STARTCHAR g\nENCODING " + encoding + "\n" + body + "ENDCHAR\n";
}

const std::string kBox = "FONTBOUNDINGBOX 8 1 0 0\n";
const std::vector<int> kFF = {0xFF};

std::string Gzip(const std::string& bytes) {
  std::string out(compressBound(static_cast<uLong>(bytes.size())) + 32, '\0');
  z_stream stream{};
  deflateInit2(&stream, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// Converts dir/in beside itself as the window does.
Result<ConversionSummary> ConvertBeside(Converter& converter, const std::string& input) {
  return converter.Convert({{input}, OutputPathFor(input), InputPolicy::kRegularFilesOnly});
}

TEST(OutputPathFor, ReplacesTheFontEndingsOfTheFileNameOnly) {
  // clang-format off
  const char* const cases[][2] = {
      {"C:\\fonts\\k16.bdf", "C:\\fonts\\k16.kvn"}, {"/home/a.b/font", "/home/a.b/font.kvn"},
      {"dir/.fontB", "dir/.fontB.kvn"}, {".k16.bdf", ".k16.kvn"}, {"k16.bdf.gz", "k16.kvn"},
      {"K.BDF.GZ", "K.kvn"}, {".gz", ".gz.kvn"}, {"k16.pcf.gz", "k16.kvn"},
      {"misaki_gothic.ttf", "misaki_gothic.kvn"}};
  // clang-format on
  for (const auto& [input, output] : cases) EXPECT_EQ(OutputPathFor(input), output) << input;
}

TEST(OutputPathsFor, RefusesTwoInputsThatWouldWriteOneFile) {
  EXPECT_EQ(OutputPathsFor({"a.bdf", "b.bdf.gz"}).value(),
            (std::vector<std::string>{"a.kvn", "b.kvn"}));
  EXPECT_EQ(
      OutputPathsFor({"k.bdf", "x.bdf", "./k.BDF.gz"}).error(),
      (Diagnostic{"./k.BDF.gz", 0,
                  "Output would be written twice! [./k.kvn] (from k.bdf and from ./k.BDF.gz)"}));
}

// Editors often save each glyph cut to its ink with a tight BBX; placed by its
// box it must draw exactly as the same font saved with full-cell boxes.
TEST(Convert, TightBoxesDrawAsFullCellOnes) {
  for (const std::string name : {"kana16", "latin8x8"}) {
    TempDir dir;
    fs::copy(KELVANE_SOURCE_DIR "/examples/" + name + ".bdf", dir / "full.bdf");
    fs::copy(KELVANE_SOURCE_DIR "/tests/data/" + name + "_tight.bdf", dir / "tight.bdf");
    Converter converter;
    ASSERT_TRUE(ConvertBeside(converter, dir / "full.bdf").ok()) << name;
    ASSERT_TRUE(ConvertBeside(converter, dir / "tight.bdf").ok()) << name;
    EXPECT_EQ(ReadBytes(dir / "tight.kvn"), ReadBytes(dir / "full.kvn")) << name;
  }
}

TEST(Convert, WritesTheFontSortedByCode) {
  const std::string jis = "CHARSET_REGISTRY \"JISX0208.1983\"\n";
  const struct {
    const char* name;
    std::string text, kvn;
  } cases[] = {
      {"a character set named after the glyphs still maps them",
       kBox + Glyph("8481") + jis + "DEFAULT_CHAR 8482\n" + Glyph("8482"),
       ExpectedKvn(8, 1, 0x8141, {{0x8140, 0, kFF}, {0x8141, 0, kFF}})},
      {"glyphs in any order are written by code",
       kBox + "DEFAULT_CHAR 65\n" + Glyph("66") + Glyph("65", "BITMAP\n0F\n") + Glyph("0"),
       ExpectedKvn(8, 1, 65, {{0, 0, kFF}, {65, 0, {0x0F}}, {66, 0, kFF}})},
      {"ASCII registered as ISO646.1991-IRV",
       kBox + "CHARSET_REGISTRY \"ISO646.1991\"\nCHARSET_ENCODING \"IRV\"\n" + Glyph("65"),
       ExpectedKvn(8, 1, 0, {{65, 0, kFF}})},
      {"a character set from the XLFD name",
       "FONT -misc-fixed-medium-r-normal--16-150-75-75-c-160-jisx0208.1983-0\n" + kBox +
           Glyph("8481"),
       ExpectedKvn(8, 1, 0, {{0x8140, 0, kFF}})},
  };
  for (const auto& c : cases) {
    TempDir dir;
    WriteBytes(dir / "in.bdf", c.text);
    Converter converter;
    const auto summary = ConvertBeside(converter, dir / "in.bdf");
    ASSERT_TRUE(summary.ok()) << c.name << ": " << summary.error().text;
    EXPECT_EQ(ReadBytes(dir / "in.kvn"), c.kvn) << c.name;
  }
}

// Each refusal runs in a directory holding in.bdf (the case's bytes, else a
// valid font), old.kvn (an earlier output), a FIFO fifo.bdf and
// link.bdf -> in.bdf. "@" in a message stands for the directory.
TEST(Convert, RefusesWithOneMessageAndChangesNothing) {
  const std::string kA = Glyph("65");
  const struct {
    std::string bytes{}, message{};
    const char* in = "in.bdf";
    Remedy remedy = Remedy::kNone;
  } cases[] = {
      {kBox + "CHARSET_REGISTRY \"ISO10646\"\n" + kA, "CHARSET is not support! [ISO10646]",
       "in.bdf", Remedy::kMapCharset},
      {"FONT -a-b-c-d-e--1-2-3-4-c-6-cns11643.1992-1\n" + kBox + kA,
       "CHARSET is not support! [CNS11643.1992]"},
      {kA, "File is not support ! (no FONTBOUNDINGBOX with a width and height before the glyphs)"},
      {kBox + "CHARSET_REGISTRY \"JISX0208\"\n" + Glyph("8481") + Glyph("65281"),
       "Value out of range at line 9! [ENCODING 65281] (the code is 77856; codes go up to 65535)"},
      // What the first bytes say the file is, whatever its name.
      {"\x01"
       "fcp\x0e\x00\x00\x00",
       "File is not support ! (FreeType: invalid stream operation)"},
      {Gzip(Gzip(kBox + kA)), "File is not support ! (gzip data inside gzip data)"},
      {Gzip(""), "File is not support ! (an empty file)"},
      {Gzip(kBox + kA).substr(0, 20), "Cannot read file! [@in.bdf] (truncated gzip data)"},
      {std::string("\x05\x00\x01\x00", 4),
       "File is not support ! (binary data, not a font kelvane reads)"},
      {.message = "Cannot open file! [@none.bdf] (No such file or directory)", .in = "none.bdf"},
      {.message = "Cannot open file! [@fifo.bdf] (not a regular file)", .in = "fifo.bdf"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    TempDir dir;
    WriteBytes(dir / "in.bdf", c.bytes.empty() ? kBox + kA : c.bytes);
    WriteBytes(dir / "old.kvn", "an earlier output");
    ASSERT_EQ(::mkfifo((dir / "fifo.bdf").c_str(), 0600), 0);
    fs::create_symlink("in.bdf", dir / "link.bdf");
    const Snapshot expected = TakeSnapshot(dir.path());
    Converter converter;
    const auto result = ConvertBeside(converter, dir / c.in);
    std::string message = c.message;
    if (const auto at = message.find('@'); at != std::string::npos)
      message.replace(at, 1, dir / "");
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().text, message);
    EXPECT_EQ(result.error().remedy, c.remedy);
    EXPECT_EQ(TakeSnapshot(dir.path()), expected);
  }
}

TEST(Convert, AStopRequestWritesNothing) {
  TempDir dir;
  fs::copy(KELVANE_SOURCE_DIR "/examples/kana16.bdf", dir / "k.bdf");
  std::stop_source stop;
  stop.request_stop();
  const auto result = Converter().Convert(
      {{dir / "k.bdf"}, dir / "k.kvn", InputPolicy::kFilesAndPipes}, stop.get_token());
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(TakeSnapshot(dir.path()).size(), 1u);
}

// KVN has no signature of its own: a file the reader opens is taken as it is,
// whatever its name, though it starts like a Windows font (512 glyphs: 00 02)
// or a PSF1 font (1,078 glyphs: 36 04). A file the reader refuses is converted
// when its first bytes or its name say it is a font, else refused as the
// reader refuses it.
TEST(LoadFont, TellsKvnFromOtherFontsByContent) {
  const auto kvn = [](int count) {
    std::vector<GlyphData> glyphs;
    for (int code = 0; code < count; ++code) glyphs.push_back({code, 8, {code & 0xFF}});
    return ExpectedKvn(8, 1, 0, glyphs);
  };
  std::vector<GlyphData> psf(256, {0, 8, {}});  // two 8x1 glyphs, no table: codes are indexes
  for (int code = 0; code < 256; ++code) psf[code].code = code;
  psf[0].bitmap = {0x81}, psf[1].bitmap = {0x7E};
  const std::string text = "hello\n";
  const struct {
    const char* name;
    std::string bytes, converted;  // the KVN made of it, "" when taken as it is; text: the refusal
  } cases[] = {
      {"f.bdf", kvn(1), ""},
      {"f", kvn(512), ""},
      {"f", kvn(1078), ""},
      {"f.gz", Gzip("STARTFONT 2.1\n" + kBox + Glyph("65")), ExpectedKvn(8, 1, 0, {{65, 0, kFF}})},
      {"f", std::string("\x36\x04\x00\x01\x81\x7E", 6) + std::string(254, '\0'),
       ExpectedKvn(8, 1, 0, psf)},
      {"notes.txt", text, "shorter than the 9-byte header"},
      {"notes.bdf", text,
       "File is not support ! (no FONTBOUNDINGBOX with a width and height before the glyphs)"},
  };
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(dir / c.name, c.bytes);
    const auto font = Converter().LoadFont(dir / c.name, {}, InputPolicy::kNoWaiting);
    if (c.bytes == text) {
      EXPECT_EQ(font.ok() ? "loaded" : font.error().text, c.converted);
      continue;
    }
    ASSERT_TRUE(font.ok()) << font.error().text;
    EXPECT_EQ(font->converted, !c.converted.empty());
    EXPECT_EQ(std::string(font->bytes.begin(), font->bytes.end()),
              c.converted.empty() ? c.bytes : c.converted);
  }
}

// A half-width and a full-width FONTX2 file make one font as two BDF fonts do,
// their cells aligned on their bottom rows.
TEST(Convert, MergesHalfAndFullWidthFontx2Files) {
  TempDir dir;
  const std::string name(8, ' ');
  // 'A' in an 8x2 cell; one block 0x8140-0x8140 in a 16x2 cell.
  WriteBytes(dir / "HALF.FNT", "FONTX2" + name + std::string("\x08\x02\x00", 3) +
                                   std::string(0x41 * 2, '\0') + "\x18\x24" +
                                   std::string((255 - 0x41) * 2, '\0'));
  WriteBytes(dir / "FULL.FNT", "FONTX2" + name +
                                   std::string("\x10\x02\x01\x01\x40\x81\x40\x81", 8) +
                                   std::string("\xFF\x00\x00\xFF", 4));
  const auto summary = Converter().Convert(
      {{dir / "HALF.FNT", dir / "FULL.FNT"}, dir / "k.kvn", InputPolicy::kFilesAndPipes});
  ASSERT_TRUE(summary.ok()) << summary.error().text;
  std::vector<GlyphData> glyphs;
  for (int code = 0; code < 256; ++code) glyphs.push_back({code, 8, {}});
  glyphs[0x41].bitmap = {0x18, 0, 0x24, 0};
  glyphs.push_back({0x8140, 16, {0xFF, 0x00, 0x00, 0xFF}});
  EXPECT_EQ(ReadBytes(dir / "k.kvn"), ExpectedKvn(16, 2, 0, glyphs));
}

// The limit's wording, and a FIFO without a writer refused rather than waited on.
TEST(ReadTextFile, RefusesWhatIsNoTextFileOrTooLong) {
  TempDir dir;
  WriteBytes(dir / "menu.txt", std::string(1024, 'a'));
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  EXPECT_EQ(ReadTextFile(dir / "menu.txt", InputPolicy::kNoWaiting, 1024).value(),
            std::string(1024, 'a'));
  EXPECT_EQ(ReadTextFile(dir / "menu.txt", InputPolicy::kNoWaiting, 1000).error().text,
            "Cannot read file! [" + (dir / "menu.txt") + "] (more than 1000 bytes)");
  EXPECT_EQ(ReadTextFile(dir / "fifo", InputPolicy::kNoWaiting).error().text,
            "Cannot open file! [" + (dir / "fifo") + "] (a pipe without a writer)");
}

}  // namespace
}  // namespace kelvane::test
