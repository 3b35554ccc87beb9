// kvn run as a process: what each command prints, the images it draws (read
// back pixel by pixel), its exit status, and what it leaves in the directory.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <sstream>

#include "kvn_reader.h"
#include "process_run.h"
#include "test_support.h"
#include "writer_cases.h"

namespace kelvane::test {
namespace {

// Runs kvn (this build's, or the one KVN names) with `args` in `dir`.
Outcome Kvn(const fs::path& dir, std::vector<std::string> args, const RunOptions& options = {}) {
  const char* other = std::getenv("KVN");
  args.insert(args.begin(), other != nullptr ? other : KVN_PATH);
  return RunProcess(dir, std::move(args), options);
}

// A KVN file from its parts, valid or not: ranges as {first, last, delta},
// glyphs as an advance and 4 bitmap bytes (cut or padded with 0 to glyphBytes).
struct KvnParts {
  int width = 4, height = 4, defaultIndex = 0, glyphBytes = 4;
  std::vector<std::array<int, 3>> ranges{{63, 63, 63}, {65, 66, 64}};
  std::vector<std::pair<int, std::vector<int>>> glyphs{
      {4, {0xF0, 0x90, 0x90, 0xF0}}, {5, {0x60, 0x90, 0xF0, 0x90}}, {3, {0x90, 0xE0, 0x90, 0xE0}}};
};
std::string KvnBytes(const KvnParts& p) {
  std::string bytes;
  const auto word = [&bytes](int value) { bytes += {char(value & 0xFF), char(value >> 8)}; };
  word(static_cast<int>(p.glyphs.size()));
  word(static_cast<int>(p.ranges.size()));
  word(p.defaultIndex);
  bytes += {char(p.width), char(p.height), char(p.glyphBytes)};
  for (const auto& [first, last, delta] : p.ranges) {
    word(first);
    word(last);
    word(delta);
  }
  for (const auto& [advance, bitmap] : p.glyphs) {
    bytes += char(advance);
    for (int i = 0; i < p.glyphBytes; ++i) bytes += char(i < 4 ? bitmap[i] : 0);
  }
  return bytes;
}

// Three 4 x 4 glyphs: '?' (the default, advance 4), 'A' (advance 5) and 'B'
// (advance 3, so its last column reaches into the next glyph).
const std::string kQuestionArt = "####\n#..#\n#..#\n####\n", kAArt = ".##.\n#..#\n####\n#..#\n",
                  kBArt = "#..#\n###.\n#..#\n###.\n";
const std::string kSmallBdf =
    "STARTFONT 2.1\nFONT -test-Small-Medium-R-Normal--4-40-75-75-C-40-ISO8859-1\n"
    "SIZE 4 75 75\nFONTBOUNDINGBOX 4 4 0 0\nSTARTPROPERTIES 3\nCHARSET_REGISTRY \"ISO8859\"\n"
    "CHARSET_ENCODING \"1\"\nDEFAULT_CHAR 63\nENDPROPERTIES\nCHARS 3\n"
    "STARTCHAR A\nENCODING 65\nDWIDTH 5 0\nBBX 4 4 0 0\nBITMAP\n60\n90\nF0\n90\nENDCHAR\n"
    "STARTCHAR B\nENCODING 66\nDWIDTH 3 0\nBBX 4 4 0 0\nBITMAP\n90\nE0\n90\nE0\nENDCHAR\n"
    "STARTCHAR question\nENCODING 63\nDWIDTH 4 0\nBBX 4 4 0 0\nBITMAP\nF0\n90\n90\nF0\nENDCHAR\n"
    "ENDFONT\n";
// The same glyphs registered as Unicode, which needs an output code set.
const std::string kUnicodeBdf = [] {
  std::string text = kSmallBdf;
  text.replace(text.find("\"ISO8859\""), 9, "\"ISO10646\"");
  return text;
}();
// What bdf2kvn makes of it: glyphs in code order, the default (63) first.
const std::string kSmallKvn = KvnBytes({});
// The same glyphs with unsorted ranges, B (0x42) first; the default '?' is
// the last glyph and found by no code.
const std::string kUnsortedKvn = [] {
  KvnParts parts{.defaultIndex = 2, .ranges = {{66, 66, 66}, {65, 65, 64}}};
  std::swap(parts.glyphs[0], parts.glyphs[2]);
  return KvnBytes(parts);
}();

// The files every case starts from.
void MakeFiles(const TempDir& dir) {
  for (const auto& [name, bytes] :
       {std::pair<std::string, std::string>{"small.kvn", kSmallKvn},
        {"small.bdf", kSmallBdf},
        {"font.txt", kSmallBdf},  // BDF by its STARTFONT
        {"uni.bdf", kUnicodeBdf},
        {"chars.txt", "AZ"},
        {"unsorted.kvn", kUnsortedKvn},
        // PSF 1: 256 glyphs of 8 x 4, which state no baseline.
        {"cell.psf", std::string("\x36\x04\x00\x04", 4) + std::string(1024, '\0')},
        {"tail.kvn", kSmallKvn + "tail"},
        {"short.kvn", "short"}}) {
    WriteBytes(dir / name, bytes);
  }
  // Made by the build from tests/typeface/glyphs.txt: bitmap OpenType, and
  // TrueType squares on an 8-pixel grid.
  for (const char* font : {"small.otb", "grid.ttf"}) {
    fs::copy_file(fs::path(TYPEFACE_FONTS) / font, dir / font);
  }
  fs::create_directory(dir / "folder");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);  // with no writer
}

// A PNG as rows of '#' (black), '.' (white), 'r' (red: ink only in the old
// glyph of a diff), 'g' (green: only in the new) and '+' (any other colour);
// no rows when it is no PNG.
std::vector<std::string> ReadPng(const std::string& bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()) == 0) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) return {};
  std::vector<std::string> rows(image.height);
  for (std::size_t i = 0; i < pixels.size(); i += 3) {
    const std::array<int, 3> rgb{pixels[i], pixels[i + 1], pixels[i + 2]};
    const auto is = [&rgb](int r, int g, int b) { return rgb == std::array<int, 3>{r, g, b}; };
    rows[i / 3 / image.width] += is(0, 0, 0)         ? '#'
                                 : is(255, 255, 255) ? '.'
                                 : is(255, 0, 0)     ? 'r'
                                 : is(0, 160, 0)     ? 'g'
                                                     : '+';
  }
  return rows;
}

// The part of an image from column x, row y, w wide and h high, a line a row.
std::string Crop(const std::vector<std::string>& rows, std::size_t x, std::size_t y, std::size_t w,
                 std::size_t h) {
  std::string text;
  for (std::size_t row = y; row < y + h && row < rows.size(); ++row) {
    text += rows[row].substr(x, w) + "\n";
  }
  return text;
}
std::string Joined(const std::vector<std::string>& rows) { return Crop(rows, 0, 0, 9999, 9999); }

TEST(Kvn, RendersALineAsTheDeviceDrawsIt) {
  // clang-format off
  const struct {
    std::string file, text;
    std::vector<std::string> options, pixels;
    std::string err{};
  } cases[] = {
      // A (advance 5), the default glyph for 'x' (advance 4), then B (advance 3):
      // 12 wide, and B's last column falls outside.
      {"small.kvn", "AxB", {},
       {".##..#####..",
        "#..#.#..####",
        "####.#..##..",
        "#..#.#######"},
       "kvn: no glyph for U+0078 x; drawn as the default glyph\n"},
      // From the BDF font with the text in ISO 8859-1, each pixel 2 x 2.
      {"small.bdf", "A", {"--charset", "iso8859-1", "--scale", "2"},
       {"..####....", "..####....", "##....##..", "##....##..", "########..", "########..",
        "##....##..", "##....##.."}},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file + " " + c.text);
    TempDir dir;
    MakeFiles(dir);
    std::vector<std::string> args = {"render", c.file, c.text, "-o", "out.png"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const Outcome run = Kvn(dir.path(), args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(Joined(ReadPng(ReadBytes(dir / "out.png"))), Joined(c.pixels));
  }
}

TEST(Kvn, ShowsAndChecksGlyphs) {
  // clang-format off
  const struct {
    std::vector<std::string> args;
    std::string out, err{};
  } cases[] = {
      // A BDF font known by its STARTFONT, whatever its name.
      {{"show", "font.txt", "--code", "66", "--code", "0x3f"},
       "0x0042 index 2 advance 3\n" + kBArt + "\n0x003F index 0 advance 4\n" + kQuestionArt},
      {{"show", "small.kvn", "Ax"},
       "U+0041 A 0x0041 index 1 advance 5\n" + kAArt +
           "\nU+0078 x 0x0078 not in the font; default glyph index 0 advance 4\n" + kQuestionArt,
       "kvn: no glyph for U+0078 x; shown as the default glyph\n"},
      // What the conversion warns of, with what it is about.
      {{"show", "small.bdf", "--chars", "chars.txt", "--code", "0x41"},
       "0x0041 index 1 advance 5\n" + kAArt,
       "kvn: small.bdf: 1 character of chars.txt has no glyph in the font\n  no glyph: U+005A Z\n"},
      // An outline font drawn at a pixel size: 'A' of glyphs.txt on its baseline.
      {{"show", "grid.ttf", "--size", "8", "--charset", "unicode", "--code", "0x41"},
       "0x0041 index 3 advance 6\n......\n......\n.###..\n#...#.\n#...#.\n#####.\n#...#.\n"
       "#...#.\n......\n......\n"},
      {{"check", "small.kvn"}, "small.kvn: ok (3 glyphs)\n"},
      {{"check", "unsorted.kvn"}, "unsorted.kvn: ok (3 glyphs)\n",
       "kvn: unsorted.kvn: ranges are not in ascending order; lookups scan them in order\n"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    TempDir dir;
    MakeFiles(dir);
    const Outcome run = Kvn(dir.path(), c.args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, c.err);
  }
}

TEST(Kvn, InfoDescribesTheFont) {
  const struct {
    std::string file;
    std::vector<std::string> lines;
    std::vector<std::string> options{};
  } cases[] = {
      {"small.kvn",
       {"small.kvn", "  size           36 bytes", "  glyphs         3", "  cell           4x4",
        "  default glyph  index 0, code 0x003F", "  ranges         2, ascending",
        "    0x003F         glyph 0", "    0x0041-0x0042  glyphs 1-2"}},
      {"tail.kvn", {"  size           40 bytes (36 of font data, 4 after it)"}},
      {"unsorted.kvn",
       {"  default glyph  index 2, found by no code",
        "  ranges         2, not ascending (lookups scan them in order)",
        "    0x0042         glyph 0", "    0x0041         glyph 1"}},
      {"small.otb",
       {"small.otb (converted in memory)", "  glyphs         8", "  cell           6x10"},
       {"--charset", "unicode"}},
  };
  for (const auto& c : cases) {
    TempDir dir;
    MakeFiles(dir);
    std::vector<std::string> args{"info", c.file};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const Outcome run = Kvn(dir.path(), args);
    EXPECT_EQ(run.status, 0) << c.file;
    EXPECT_EQ(run.err, "") << c.file;
    for (const std::string& line : c.lines) {
      EXPECT_NE(("\n" + run.out).find("\n" + line + "\n"), std::string::npos) << line << run.out;
    }
  }
}

TEST(Kvn, SheetDrawsEveryGlyphInLabelledRowsOfSixteen) {
  // "003F" as the built-in digit font draws it, at scale 1.
  const std::string label =
      "###.....###.###.###.###\n#.#.....#.#.#.#...#.#..\n#.#.#.#.#.#.#.#..##.##.\n"
      "#.#..#..#.#.#.#...#.#..\n###.#.#.###.###.###.#..\n";
  TempDir dir;
  MakeFiles(dir);
  // A 27-pixel label column, then 16 cells between grid lines; the row as high
  // as the label (7) plus the lines.
  const Outcome run = Kvn(dir.path(), {"sheet", "small.kvn", "-o", "s.png"});
  EXPECT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> rows = ReadPng(ReadBytes(dir / "s.png"));
  ASSERT_EQ(rows.size(), 9u);
  EXPECT_EQ(rows[0].size(), 27u + 16 * 5 + 1);
  // The row's label, then '?' and A in the first two cells.
  EXPECT_EQ(Crop(rows, 2, 2, 23, 5), label);
  EXPECT_EQ(Crop(rows, 28, 1, 4, 4), kQuestionArt);
  EXPECT_EQ(Crop(rows, 33, 1, 4, 4), kAArt);
}

// The bytes of a c-array header's "  0x.., 0x..," lines.
std::string ArrayBytes(const std::string& text) {
  std::string bytes;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  0x", 0) != 0) continue;
    for (std::size_t at = 2; at < line.size(); at += 6) {
      EXPECT_EQ(line.substr(at, 2) + line.substr(at + 4, 1), "0x,") << line;
      bytes += static_cast<char>(std::stoi(line.substr(at + 2, 2), nullptr, 16));
    }
  }
  return bytes;
}

// What follows the font data is left out, and told.
TEST(Kvn, CArrayHoldsExactlyTheFontData) {
  TempDir dir;
  MakeFiles(dir);
  const Outcome run = Kvn(dir.path(), {"c-array", "tail.kvn", "--name", "small_font"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "kvn: tail.kvn: 4 bytes after the font data left out\n");
  EXPECT_EQ(ArrayBytes(run.out), kSmallKvn);
  EXPECT_NE(run.out.find("\nstatic const unsigned char small_font[] = {\n"), std::string::npos);
  EXPECT_NE(run.out.find("\n};\nstatic const unsigned long small_font_len = 36;\n"),
            std::string::npos);
}

// Firmware: includes the header twice, writes the array to array.kvn and
// prints the macros.
constexpr char kFirmware[] =
    "#include \"menu_font.h\"\n#include \"menu_font.h\"\n#include <stdio.h>\n"
    "int main(void) {\n"
    "  FILE* out = fopen(\"array.kvn\", \"wb\");\n"
    "  if (!out || fwrite(menu_font, 1, menu_font_len, out) != menu_font_len) return 1;\n"
    "  printf(\"%d %d %d %d %d\\n\", MENU_FONT_CELL_WIDTH, MENU_FONT_CELL_HEIGHT,\n"
    "         MENU_FONT_GLYPHS, MENU_FONT_SIZE, MENU_FONT_BASELINE);\n"
    "  return fclose(out);\n"
    "}\n";

// Both forms, built as C and as C++ (against the C definition), hold the
// bytes bdf2kvn writes for the same font and options, with macros that agree
// with the KVN header; a character the subset misses is told in bdf2kvn's words.
TEST(Kvn, CArrayBuildsAsCAndCxxAndHoldsWhatBdf2kvnWrites) {
  if (!fs::exists("/usr/bin/gcc") || !fs::exists("/usr/bin/g++")) GTEST_SKIP() << "no gcc, g++";
  TempDir dir;
  // FONTBOUNDINGBOX 16 16 0 -2: the baseline 14 rows below the top.
  fs::copy_file(KELVANE_SOURCE_DIR "/examples/kana16.bdf", dir / "kana16.bdf");
  WriteBytes(dir / "a.txt", "あい");
  WriteBytes(dir / "b.txt", "う漢\n");
  WriteBytes(dir / "main.c", kFirmware);
  WriteBytes(dir / "main.cpp", kFirmware);
  const std::vector<std::string> subset = {"--chars", "a.txt", "--chars", "b.txt"};
  std::vector<std::string> convert = {BDF2KVN_PATH, "-v", "-o", "expected.kvn", "kana16.bdf"};
  convert.insert(convert.end(), subset.begin(), subset.end());
  const Outcome converted = RunProcess(dir.path(), convert);
  ASSERT_EQ(converted.status, 0) << converted.err;
  const std::string missing =
      ": kana16.bdf: 1 character of a.txt and b.txt has no glyph in the font\n";
  EXPECT_EQ(converted.err, "bdf2kvn" + missing);
  const std::string kvn = ReadBytes(dir / "expected.kvn");
  ASSERT_GT(kvn.size(), 9u);
  const auto byte = [&kvn](std::size_t at) { return std::to_string(std::uint8_t(kvn[at])); };
  const std::string macros = byte(6) + " " + byte(7) + " " +
                             std::to_string(std::uint8_t(kvn[0]) | std::uint8_t(kvn[1]) << 8) +
                             " " + std::to_string(kvn.size()) + " 14\n";

  const std::string gcc = "/usr/bin/gcc", gxx = "/usr/bin/g++";
  const std::vector<std::string> c = {"-std=c99", "-Wall", "-Wextra", "-Werror"},
                                 cxx = {"-Wall", "-Wextra", "-Werror"};
  const auto command = [](std::string compiler, std::vector<std::string> flags,
                          std::vector<std::string> files) {
    flags.insert(flags.begin(), compiler);
    flags.insert(flags.end(), files.begin(), files.end());
    return flags;
  };
  const struct {
    std::vector<std::string> form;
    std::vector<std::vector<std::string>> builds;  // the last makes ./firmware
  } cases[] = {
      {{"--header", "menu_font.h", "--source", "menu_font.c"},
       {command(gcc, c, {"main.c", "menu_font.c", "-o", "firmware"}),
        command(gcc, c, {"-c", "menu_font.c", "-o", "menu_font.o"}),
        command(gxx, cxx, {"main.cpp", "menu_font.o", "-o", "firmware"})}},
      {{"-o", "menu_font.h"},
       {command(gcc, c, {"main.c", "-o", "firmware"}),
        command(gxx, cxx, {"main.cpp", "-o", "firmware"})}},
  };
  for (const auto& form : cases) {
    std::vector<std::string> args = {
        "c-array",   "kana16.bdf",  "--name",
        "menu_font", "--attribute", "__attribute__((section(\".rodata.fonts\"), aligned(4)))"};
    args.insert(args.end(), subset.begin(), subset.end());
    args.insert(args.end(), form.form.begin(), form.form.end());
    SCOPED_TRACE(testing::PrintToString(args));
    const Outcome run = Kvn(dir.path(), args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "kvn" + missing + "  no glyph: U+6F22 漢\n");
    for (const auto& build : form.builds) {
      SCOPED_TRACE(testing::PrintToString(build));
      const Outcome built = RunProcess(dir.path(), build);
      ASSERT_EQ(built.status, 0) << built.err;
      if (build.back() != "firmware") continue;
      fs::remove(dir / "array.kvn");
      const Outcome ran = RunProcess(dir.path(), {dir / "firmware"});
      EXPECT_EQ(ran.status, 0);
      EXPECT_EQ(ran.out, macros);
      EXPECT_EQ(ReadBytes(dir / "array.kvn"), kvn);
    }
  }
}

// NAME_BASELINE: where the font puts it, or what --baseline gives a font that
// states none.
TEST(Kvn, CArrayStatesTheBaselineWhereItIsKnown) {
  const struct {
    std::vector<std::string> args;
    std::string baseline;  // "": no NAME_BASELINE
  } cases[] = {
      {{"small.kvn"}, ""},
      {{"small.kvn", "--baseline", "3"}, "3"},
      {{"small.bdf"}, "4"},  // FONTBOUNDINGBOX 4 4 0 0
      {{"small.bdf", "--baseline", "4"}, "4"},
      // 'A' (on the baseline) ends on the 8th row, as ShowsAndChecksGlyphs draws it.
      {{"grid.ttf", "--size", "8", "--charset", "unicode"}, "8"},
      {{"cell.psf"}, ""},
      {{"cell.psf", "--baseline", "0"}, "0"},
  };
  TempDir dir;
  MakeFiles(dir);
  for (const auto& c : cases) {
    std::vector<std::string> args = {"c-array", "--name", "f"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(testing::PrintToString(args));
    const Outcome run = Kvn(dir.path(), args);
    EXPECT_EQ(run.status, 0) << run.err;
    const std::size_t at = run.out.find("\n#define F_BASELINE ");
    EXPECT_EQ(at == std::string::npos ? "" : run.out.substr(at + 20, c.baseline.size() + 1),
              c.baseline.empty() ? "" : c.baseline + " ");
  }
}

TEST(Kvn, RefusesAndReportsAsEachCaseNeeds) {
  // clang-format off
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err{};  // for status 2, a part of the message, if any
    rlim_t fileSizeLimit = 0;
  } cases[] = {
      {{"info", "none.kvn"}, 1,
       "kvn: none.kvn: Cannot open file! [none.kvn] (No such file or directory)\n"},
      {{"check", "short.kvn"}, 1,
       std::string("kvn: short.kvn: ") + kvn_status_text(KVN_SHORTER_THAN_HEADER) + "\n"},
      // No directory, device or FIFO is read or waited on, as FILE or as --chars.
      {{"info", "folder"}, 1, "kvn: folder: Cannot open file! [folder] (Is a directory)\n"},
      {{"show", "/dev/zero", "A"}, 1,
       "kvn: /dev/zero: Cannot open file! [/dev/zero] (not a regular file)\n"},
      {{"render", "fifo", "A", "-o", "x.png"}, 1,
       "kvn: fifo: Cannot open file! [fifo] (a pipe without a writer)\n"},
      {{"sheet", "small.bdf", "--chars", "fifo", "-o", "x.png"}, 2,
       "kvn: --chars: Cannot open file! [fifo] (a pipe without a writer)\n"},
      // A refusal with the remedy bdf2kvn names.
      {{"info", "uni.bdf"}, 1,
       "kvn: uni.bdf: CHARSET is not support! [ISO10646] (--charset shift_jis maps it)\n"},
      {{"render", "small.kvn", "A", "-o", "/dev/null"}, 1,
       "kvn: small.kvn: Cannot write file! [/dev/null] (not a regular file)\n"},
      // The sheet's image takes 198 bytes: no half-written file stays.
      {{"sheet", "small.kvn", "-o", "s.png"}, 1,
       "kvn: small.kvn: Cannot write file! [s.png] (File too large)\n", 120},
      // The header is not left without its source.
      {{"c-array", "small.kvn", "--name", "f", "--header", "f.h", "--source", "none/f.c"}, 1,
       "kvn: small.kvn: Cannot write file! [none/f.c] (No such file or directory)\n"},
      {{"render", "small.kvn", std::string(4000, 'A'), "-o", "s.png", "--scale", "64"}, 1,
       "kvn: small.kvn: the image would be 1280000x256 pixels, more than can be written (at most "
       "1000000 a side and 268435456 in all); try a smaller --scale\n"},
      {{}, 2}, {{"bogus", "small.kvn"}, 2}, {{"info"}, 2}, {{"render", "small.kvn", "A"}, 2},
      {{"render", "small.kvn", "A", "-o", "x.png", "--scale", "0"}, 2},
      {{"render", "small.kvn", "\xff", "-o", "x.png"}, 2},
      {{"show", "small.kvn", "A", "--code", "0x41"}, 2},
      // Conversion options are for BDF input.
      {{"info", "small.kvn", "--codes", "0x41"}, 2},
      // c-array: a header and a source, or -o's one header; text that would break the line.
      {{"c-array", "small.kvn", "--name", "f", "--header", "f.h"}, 2},
      {{"c-array", "small.kvn", "--name", "f", "--header", "f.h", "--source", "f.c",
        "-o", "g.h"}, 2},
      {{"c-array", "small.kvn", "--name", "f", "--attribute", "aligned(4"}, 2},
      {{"c-array", "small.kvn", "--name", "f", "--attribute", "x /* y"}, 2},
      // A baseline below the cell, or against the one the font states.
      {{"c-array", "small.kvn", "--name", "f", "--baseline", "5"}, 2},
      {{"c-array", "small.bdf", "--name", "f", "--baseline", "3"}, 2},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    TempDir dir;
    MakeFiles(dir);
    const Snapshot before = TakeSnapshot(dir.path());
    const Outcome run = Kvn(dir.path(), c.args,
                            {.fileSizeLimit = c.fileSizeLimit, .timeout = std::chrono::seconds(5)});
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, "");
    if (c.status == 2) {
      EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
      EXPECT_FALSE(run.err.empty());
    } else {
      EXPECT_EQ(run.err, c.err);
    }
    EXPECT_EQ(TakeSnapshot(dir.path()), before);  // nothing made, nothing half-written
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
  }
}

// 65,535 glyphs of 8 x 255: 4,096 rows of 256 pixels even at scale 1.
TEST(Kvn, TooLargeASheetIsRefusedWithItsSize) {
  TempDir dir;
  WriteBytes(dir / "big.kvn", KvnBytes({.width = 8,
                                        .height = 255,
                                        .glyphBytes = 255,
                                        .ranges = {{0, 65534, 0}},
                                        .glyphs = std::vector<std::pair<int, std::vector<int>>>(
                                            65535, {8, {0, 0, 0, 0}})}));
  const Outcome run = Kvn(dir.path(), {"sheet", "big.kvn", "-o", "s.png"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "kvn: big.kvn: the image would be 172x1048577 pixels, more than can be written (at "
            "most 1000000 a side and 268435456 in all)\n");
  EXPECT_FALSE(fs::exists(dir / "s.png"));
}

// Every output goes through the rules every writer keeps: the shared cases.
TEST(Kvn, WritesOutputsAsEveryWriterMust) {
  const std::vector<std::string> commands[] = {{"sheet", "small.kvn", "-o"},
                                               {"c-array", "small.kvn", "--name", "f", "-o"}};
  for (const auto& command : commands) {
    for (const WriterCase& c : WriterCases()) {
      if (c.readsStandardInput) continue;  // kvn reads no font from standard input
      SCOPED_TRACE(command.front() + " " + c.name);
      TempDir dir;
      WriteBytes(dir / "small.kvn", kSmallKvn);
      const std::string output = c.prepare(dir.path(), "small.kvn");
      if (output.empty()) {
        std::cerr << "skipped (needs root): " << c.name << '\n';
        continue;
      }
      std::vector<std::string> args = command;
      args.push_back(output);
      const Outcome run = Kvn(dir.path(), args);
      if (c.refusal.empty()) {
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
      } else {
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(c.refusal), std::string::npos) << run.err;
      }
      c.check(dir.path());
    }
  }
}

// The name of c-array's array must be usable in a header that C and C++
// files include after any standard header.
TEST(Kvn, CArrayNameMustSuitAnyCProgram) {
  const struct {
    std::string name, refusal;  // refusal "": the header is written
  } cases[] = {
      {"my-font", "not a C identifier"},
      {"int", "a keyword of C or C++"},
      {"class", "a keyword of C or C++"},
      {"__func__", "predefined by C or C++ compilers"},
      {"_Pragma", "reserved: names that start with an underscore and a capital letter"},
      {"__attribute__",
       "reserved: names that start with an underscore and a capital letter or a second underscore"},
      {"font__16", "reserved in C++: names with two underscores in a row"},
      {"_font", "reserved in C at file scope"},
      {"font_", "its length would be font__len"},
      {"NULL", "a macro of the C standard headers"},
      {"UINT16_C", "reserved for the macros of <stdint.h>"},
      {"PRIu8", "reserved for the macros of <inttypes.h>"},
      {"uint8_t", "reserved for types"},
      {"prixel", "its macro PRIXEL_CELL_WIDTH would be reserved for the macros of <inttypes.h>"},
      {"small_font", ""},
      {"Font_8x16", ""},
  };
  TempDir dir;
  MakeFiles(dir);
  // Every C99 standard header first, so that a name one of them defines breaks the build.
  std::string program;
  for (const char* header :
       {"assert", "complex", "ctype",  "errno",  "fenv",   "float",  "inttypes", "iso646",
        "limits", "locale",  "math",   "setjmp", "signal", "stdarg", "stdbool",  "stddef",
        "stdint", "stdio",   "stdlib", "string", "tgmath", "time",   "wchar",    "wctype"}) {
    program += "#include <" + std::string(header) + ".h>\n";
  }
  const bool haveCompiler = fs::exists("/usr/bin/gcc");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome run = Kvn(dir.path(), {"c-array", "small.kvn", "--name", c.name, "-o", "f.h"});
    if (!c.refusal.empty()) {
      EXPECT_EQ(run.status, 2);
      EXPECT_EQ(run.err.find("kvn: --name " + c.name + ": " + c.refusal), 0u) << run.err;
      continue;
    }
    EXPECT_EQ(run.status, 0) << run.err;
    if (!haveCompiler) continue;
    WriteBytes(dir / "use.c", program + "#include \"f.h\"\nint first(void) { return " + c.name +
                                  "[0] + (int)" + c.name + "_len; }\n");
    const Outcome built = RunProcess(dir.path(), {"/usr/bin/gcc", "-std=c99", "-Wall", "-Wextra",
                                                  "-Werror", "-c", "use.c", "-o", "use.o"});
    EXPECT_EQ(built.status, 0) << built.err;
  }
  if (!haveCompiler) std::cerr << "no /usr/bin/gcc: the accepted names were not compiled\n";
}

TEST(Kvn, HelpNamesEveryCommand) {
  TempDir dir;
  const Outcome help = Kvn(dir.path(), {"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* command : {"info", "check", "show", "render", "sheet", "c-array"}) {
    EXPECT_NE(help.out.find("\n  " + std::string(command) + " "), std::string::npos) << command;
  }
}

// kvn diff.

// small.kvn changed: A's top row a pixel to the right, B a pixel wider, C
// added, and '?' found by no code, a solid default glyph drawn instead.
const std::string kChangedKvn = KvnBytes({.defaultIndex = 3,
                                          .ranges = {{65, 67, 65}},
                                          .glyphs = {{5, {0x30, 0x90, 0xF0, 0x90}},
                                                     {4, {0x90, 0xE0, 0x90, 0xE0}},
                                                     {4, {0x70, 0x80, 0x80, 0x70}},
                                                     {4, {0xF0, 0xF0, 0xF0, 0xF0}}}});

// The fonts diff compares besides those of MakeFiles.
void MakeDiffFiles(const TempDir& dir) {
  MakeFiles(dir);
  WriteBytes(dir / "changed.kvn", kChangedKvn);
  WriteBytes(dir / "wide.kvn", KvnBytes({.width = 5}));  // the same ink in a wider cell
  // small.kvn and the katakana 0x8340-0x837E and 0x8380-0x8396, blank.
  KvnParts kana{
      .ranges = {
          {63, 63, 63}, {65, 66, 64}, {0x8340, 0x837E, 0x8340 - 3}, {0x8380, 0x8396, 0x8380 - 66}}};
  kana.glyphs.resize(3 + 86, {4, {0, 0, 0, 0}});
  WriteBytes(dir / "kana.kvn", KvnBytes(kana));
}

// As for cmp: exit 0 when every code draws the same, 1 when some draws
// differently, 2 on trouble, with nothing printed but why.
TEST(KvnDiff, TellsWhatDrawsDifferentlyOrWhyItCannot) {
  const std::string same =
      "0 codes added, 0 removed, 0 glyphs changed; every code draws as before\n";
  const std::string kanaFields = "layout: glyph count 3 -> 89\nlayout: range count 2 -> 4\n";
  // clang-format off
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out, err{};  // for status 2, "": any text will do
  } cases[] = {
      {{"small.kvn", "small.kvn"}, 0, same},
      {{"small.bdf", "small.kvn"}, 0, same},
      // Other ranges and glyph order; 0x3F lacked, but drawn by the default glyph as before.
      {{"small.kvn", "unsorted.kvn"}, 0,
       "layout: default index 0 -> 2\nlayout: ranges ascending -> not ascending\n"
       "layout: removed 0x003F (U+003F ?), drawn by NEW's default glyph as before\n"
       "0 codes added, 1 removed, 0 glyphs changed; every code draws as before\n"},
      {{"small.kvn", "changed.kvn"}, 1,
       "layout: glyph count 3 -> 4\nlayout: range count 2 -> 1\nlayout: default index 0 -> 3\n"
       "removed 0x003F (U+003F ?)\nadded 0x0043 (U+0043 C)\n"
       "changed 0x0041 (U+0041 A): bitmap\nchanged 0x0042 (U+0042 B): advance 3 -> 4\n"
       "changed default glyph: bitmap (drawn for 65532 codes neither font holds)\n"
       "1 code added, 1 removed, 2 glyphs changed; the default glyph changed\n"},
      {{"changed.kvn", "small.bdf", "--brief"}, 1,
       "1 code added, 1 removed, 2 glyphs changed; the default glyph changed\n"},
      {{"small.kvn", "wide.kvn"}, 1,
       "cell width 4 -> 5\n0 codes added, 0 removed, 0 glyphs changed; the cell changed\n"},
      // 0x837F stands for no character in Shift_JIS, but for U+837F in Unicode.
      {{"small.kvn", "kana.kvn"}, 1,
       kanaFields + "added 0x8340-0x8396 (U+30A1 \u30A1 - U+30F6 \u30F6), 86 codes\n"
       "86 codes added, 0 removed, 0 glyphs changed\n"},
      {{"small.kvn", "kana.kvn", "--charset", "unicode"}, 1,
       kanaFields + "added 0x8340-0x837E (U+8340 \u8340 - U+837E \u837E), 63 codes\n"
       "added 0x8380-0x8396 (U+8380 \u8380 - U+8396 \u8396), 23 codes\n"
       "86 codes added, 0 removed, 0 glyphs changed\n"},
      {{"small.kvn", "none.kvn"}, 2, "",
       "kvn: none.kvn: Cannot open file! [none.kvn] (No such file or directory)\n"},
      {{"uni.bdf", "small.kvn"}, 2, "",
       "kvn: uni.bdf: CHARSET is not support! [ISO10646] (--charset shift_jis maps it)\n"},
      {{"small.kvn", "fifo"}, 2, "",
       "kvn: fifo: Cannot open file! [fifo] (a pipe without a writer)\n"},
      {{"small.kvn", "changed.kvn", "--png", "changed.kvn"}, 2, "",
       "kvn: small.kvn: Output would overwrite the input! [changed.kvn]\n"},
      {{"small.kvn", "changed.kvn", "--codes", "0x41"}, 2, ""},  // converts neither
      {{"small.kvn"}, 2, ""},
      {{"small.kvn", "changed.kvn", "--png", "-"}, 2, ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    TempDir dir;
    MakeDiffFiles(dir);
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "diff");
    const Outcome run = Kvn(dir.path(), args, {.timeout = std::chrono::seconds(5)});
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, c.out);
    EXPECT_TRUE(c.status == 2 && c.err.empty() ? !run.err.empty() : run.err == c.err) << run.err;
  }
}

TEST(KvnDiff, DrawsEachChangeOldNewAndOverlaid) {
  TempDir dir;
  MakeDiffFiles(dir);
  const Outcome run = Kvn(dir.path(), {"diff", "small.kvn", "changed.kvn", "--png", "d.png"});
  EXPECT_EQ(run.status, 1);
  const std::vector<std::string> rows = ReadPng(ReadBytes(dir / "d.png"));
  // Rows for 0x3F, 0x41, 0x42 (its advance), 0x43 and the default glyph, each
  // as high as a label (7) between lines; a 27-pixel label column, then three
  // 4-pixel cells between lines.
  ASSERT_EQ(rows.size(), 5u * 8 + 1);
  EXPECT_EQ(rows[0].size(), 27u + 3 * 5 + 1);
  // A: old, new, and the pixel that moved red where it was, green where it is.
  EXPECT_EQ(Crop(rows, 28, 9, 14, 4),
            ".##.+..##+.r#g\n#..#+#..#+#..#\n####+####+####\n#..#+#..#+#..#\n");
}

// A diff with an image, by kvn or by `other` kvn: what it printed and drew.
std::pair<Outcome, std::string> DiffWithImage(const TempDir& dir, const char* other = nullptr) {
  std::vector<std::string> args{"diff", "small.bdf", "changed.kvn", "--png", "d.png"};
  if (other != nullptr) args.insert(args.begin(), other);
  Outcome run = other != nullptr ? RunProcess(dir.path(), args) : Kvn(dir.path(), args);
  return {std::move(run), ReadBytes(dir / "d.png")};
}

// The same fonts and options give the same bytes, run after run.
TEST(KvnDiff, GivesTheSameBytesEachRun) {
  TempDir dir;
  MakeDiffFiles(dir);
  const auto first = DiffWithImage(dir), second = DiffWithImage(dir);
  EXPECT_EQ(first.first.status, 1);
  EXPECT_EQ(second.first.out, first.first.out);
  EXPECT_FALSE(first.second.empty());
  EXPECT_EQ(second.second, first.second);
}

// A Debug build against a Release one, say: `make check` names the kvn of
// `make test`.
TEST(KvnDiff, GivesTheSameBytesAsAnotherBuild) {
  const char* other = std::getenv("KELVANE_OTHER_KVN");
  if (other == nullptr || *other == '\0') {
    GTEST_SKIP() << "KELVANE_OTHER_KVN names no other build's kvn to compare with";
  }
  TempDir dir;
  MakeDiffFiles(dir);
  const auto ours = DiffWithImage(dir), theirs = DiffWithImage(dir, other);
  EXPECT_EQ(theirs.first.status, ours.first.status);
  EXPECT_EQ(theirs.first.out, ours.first.out);
  EXPECT_EQ(theirs.first.err, ours.first.err);
  EXPECT_EQ(theirs.second, ours.second);
}

}  // namespace
}  // namespace kelvane::test
