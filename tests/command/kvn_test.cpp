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
  for (const auto& [name, bytes] : {std::pair<std::string, std::string>{"small.kvn", kSmallKvn},
                                    {"small.bdf", kSmallBdf},
                                    {"font.txt", kSmallBdf},  // BDF by its STARTFONT
                                    {"uni.bdf", kUnicodeBdf},
                                    {"chars.txt", "AZ"},
                                    {"unsorted.kvn", kUnsortedKvn},
                                    {"tail.kvn", kSmallKvn + "tail"}}) {
    WriteBytes(dir / name, bytes);
  }
  // Made by the build from tests/typeface/glyphs.txt: bitmap OpenType, and
  // TrueType squares on an 8-pixel grid.
  for (const char* font : {"small.otb", "grid.ttf"}) {
    fs::copy_file(fs::path(TYPEFACE_FONTS) / font, dir / font);
  }
  fs::create_directory(dir / "folder");
}

// A gray PNG as rows of '#' (black), '.' (white) and '+' (any grey); no rows
// when it is no PNG.
std::vector<std::string> ReadPng(const std::string& bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()) == 0) return {};
  image.format = PNG_FORMAT_GRAY;
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) return {};
  std::vector<std::string> rows(image.height);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    rows[i / image.width] += pixels[i] == 0 ? '#' : pixels[i] == 255 ? '.' : '+';
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

TEST(Kvn, ShowsGlyphsAsTextArt) {
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

TEST(Kvn, CheckReportsWhatTheReaderFinds) {
  const struct {
    std::string bytes;
    kvn_status status;
  } cases[] = {
      {"short", KVN_SHORTER_THAN_HEADER},
      {KvnBytes({.defaultIndex = 3}), KVN_DEFAULT_OUTSIDE_GLYPHS},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(kvn_status_text(c.status));
    TempDir dir;
    WriteBytes(dir / "font.kvn", c.bytes);
    const Outcome run = Kvn(dir.path(), {"check", "font.kvn"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, std::string("kvn: font.kvn: ") + kvn_status_text(c.status) + "\n");
  }
  TempDir dir;
  MakeFiles(dir);
  for (const auto& [file, err] : std::vector<std::pair<std::string, std::string>>{
           {"small.kvn", ""},
           {"unsorted.kvn",
            "kvn: unsorted.kvn: ranges are not in ascending order; lookups scan them in "
            "order\n"}}) {
    const Outcome run = Kvn(dir.path(), {"check", file});
    EXPECT_EQ(run.status, 0) << file;
    EXPECT_EQ(run.out, file + ": ok (3 glyphs)\n");
    EXPECT_EQ(run.err, err);
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

TEST(Kvn, CArrayHoldsExactlyTheFontData) {
  for (const std::string file : {"small.kvn", "tail.kvn"}) {
    SCOPED_TRACE(file);
    TempDir dir;
    MakeFiles(dir);
    const Outcome run = Kvn(dir.path(), {"c-array", file, "--name", "small_font"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err,
              file == "tail.kvn" ? "kvn: tail.kvn: 4 bytes after the font data left out\n" : "");
    EXPECT_EQ(ArrayBytes(run.out), kSmallKvn);
    EXPECT_NE(run.out.find("\nstatic const unsigned char small_font[] = {\n"), std::string::npos);
    EXPECT_NE(run.out.find("\n};\nstatic const unsigned int small_font_len = 36;\n"),
              std::string::npos);
  }
}

TEST(Kvn, RefusesAndReportsAsEachCaseNeeds) {
  // clang-format off
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err{};  // for status 2, any text will do
    rlim_t fileSizeLimit = 0;
  } cases[] = {
      {{"info", "none.kvn"}, 1,
       "kvn: none.kvn: Cannot open file! [none.kvn] (No such file or directory)\n"},
      // A refusal with the remedy bdf2kvn names.
      {{"info", "uni.bdf"}, 1,
       "kvn: uni.bdf: CHARSET is not support! [ISO10646] (--charset shift_jis maps it)\n"},
      {{"render", "small.kvn", "A", "-o", "/dev/null"}, 1,
       "kvn: small.kvn: Cannot write file! [/dev/null] (not a regular file)\n"},
      // The sheet's image takes 198 bytes: no half-written file stays.
      {{"sheet", "small.kvn", "-o", "s.png"}, 1,
       "kvn: small.kvn: Cannot write file! [s.png] (File too large)\n", 120},
      {{}, 2}, {{"bogus", "small.kvn"}, 2}, {{"info"}, 2}, {{"render", "small.kvn", "A"}, 2},
      {{"render", "small.kvn", "A", "-o", "x.png", "--scale", "0"}, 2},
      {{"render", "small.kvn", "\xff", "-o", "x.png"}, 2},
      {{"show", "small.kvn", "A", "--code", "0x41"}, 2},
      // Conversion options are for BDF input.
      {{"info", "small.kvn", "--codes", "0x41"}, 2},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    TempDir dir;
    MakeFiles(dir);
    const Snapshot before = TakeSnapshot(dir.path());
    const Outcome run = Kvn(dir.path(), c.args, {.fileSizeLimit = c.fileSizeLimit});
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(c.status == 2 ? !run.err.empty() : run.err == c.err) << run.err;
    EXPECT_EQ(TakeSnapshot(dir.path()), before);  // nothing made, nothing half-written
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
  }
}

TEST(Kvn, TooLargeAnImageIsRefusedWithItsSize) {
  TempDir dir;
  MakeFiles(dir);
  // 65,535 glyphs of 8 x 255: 4,096 rows of 256 pixels even at scale 1.
  WriteBytes(dir / "big.kvn", KvnBytes({.width = 8,
                                        .height = 255,
                                        .glyphBytes = 255,
                                        .ranges = {{0, 65534, 0}},
                                        .glyphs = std::vector<std::pair<int, std::vector<int>>>(
                                            65535, {8, {0, 0, 0, 0}})}));
  const std::string limits =
      " pixels, more than can be written (at most 1000000 a side and "
      "268435456 in all)";
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"sheet", "big.kvn", "-o", "s.png"},
       "kvn: big.kvn: the image would be 172x1048577" + limits + "\n"},
      {{"render", "small.kvn", std::string(4000, 'A'), "-o", "s.png", "--scale", "64"},
       "kvn: small.kvn: the image would be 1280000x256" + limits + "; try a smaller --scale\n"},
  };
  for (const auto& c : cases) {
    const Outcome run = Kvn(dir.path(), c.args);
    EXPECT_EQ(run.status, 1) << c.err;
    EXPECT_EQ(run.err, c.err);
    EXPECT_FALSE(fs::exists(dir / "s.png"));
  }
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

// A directory, a device and a FIFO nobody writes to, as any command's FILE or
// as --chars: refused at once, never read from or waited on.
TEST(Kvn, RefusesFilesThatAreNotFilesAtOnce) {
  TempDir dir;
  MakeFiles(dir);
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  const std::vector<std::string> commands[] = {{"info", "FILE"},
                                               {"check", "FILE"},
                                               {"show", "FILE", "A"},
                                               {"render", "FILE", "A", "-o", "x.png"},
                                               {"sheet", "FILE", "-o", "x.png"},
                                               {"c-array", "FILE", "--name", "f"}};
  for (const std::string path : {"folder", "/dev/zero", "fifo"}) {
    for (const bool asChars : {false, true}) {
      for (std::vector<std::string> args : commands) {
        args[1] = asChars ? "small.bdf" : path;
        if (asChars) args.insert(args.end(), {"--chars", path});
        SCOPED_TRACE(testing::PrintToString(args));
        const auto start = std::chrono::steady_clock::now();
        const Outcome run = Kvn(dir.path(), args, {.timeout = std::chrono::seconds(5)});
        EXPECT_FALSE(run.timedOut);
        // Well under a second; sanitizer builds take half a second just to start.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        EXPECT_TRUE(run.status == 1 || run.status == 2) << run.status;
        EXPECT_NE(run.err.find("Cannot open file! [" + path + "] ("), std::string::npos) << run.err;
      }
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

}  // namespace
}  // namespace kelvane::test
