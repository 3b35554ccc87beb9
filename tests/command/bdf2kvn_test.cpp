// bdf2kvn run as a process: exit status, standard output and error, and every
// change it makes to the directory it runs in.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>

#include "expected_kvn.h"
#include "kelvane/version.h"
#include "kvn_reader.h"
#include "process_run.h"
#include "test_support.h"
#include "writer_cases.h"

namespace kelvane::test {
namespace {

// Runs bdf2kvn (this build's, or the one BDF2KVN names) with `args` in `dir`.
Outcome Bdf2kvn(const fs::path& dir, std::vector<std::string> args,
                const RunOptions& options = {}) {
  const char* other = std::getenv("BDF2KVN");
  args.insert(args.begin(), other != nullptr ? other : BDF2KVN_PATH);
  return RunProcess(dir, std::move(args), options);
}

// Two glyphs in an 8 x 2 cell, lines ended by `eol`, and the file it makes.
std::string SmallFont(const std::string& eol) {
  std::string text =
      "STARTFONT 2.1\nFONTBOUNDINGBOX 8 2 0 0\nCHARSET_REGISTRY \"ISO8859\"\nSTARTCHAR A\n"
      "ENCODING 65\nDWIDTH 8 0\nBITMAP\n81\n7E\nENDCHAR\nSTARTCHAR B\nENCODING 66\nDWIDTH 7 0\n"
      "BITMAP\nFF\nENDCHAR\nENDFONT\n";
  for (auto at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + eol.size()))
    text.replace(at, 1, eol);
  return text;
}
const std::string kSmallKvn = ExpectedKvn(8, 2, 0, {{65, 8, {0x81, 0x7E}}, {66, 7, {0xFF, 0}}});

// A glyph of 3 x 10 pixels, all set, one pixel left of and one below and above
// the box: what the box holds is kept.
const std::string kCutFont =
    "STARTFONT 2.1\nFONTBOUNDINGBOX 8 8 0 -1\nCHARSET_REGISTRY \"ISO8859\"\nSTARTCHAR A\n"
    "ENCODING 65\nDWIDTH 8 0\nBBX 3 10 -1 -2\nBITMAP\nE0\nE0\nE0\nE0\nE0\nE0\nE0\nE0\nE0\n"
    "E0\nENDCHAR\nENDFONT\n";

// The files every case starts from.
void MakeFiles(const TempDir& dir) {
  const std::string font = SmallFont("\n");
  std::string big = "FONTBOUNDINGBOX 16 16\n";  // 400 * 33 bytes out
  for (int code = 0; code < 400; ++code) big += "ENCODING " + std::to_string(code) + "\nENDCHAR\n";
  // clang-format off
  const std::pair<std::string, std::string> files[] = {
      {"a.bdf", font}, {"cr.bdf", SmallFont("\r\n")}, {"font.kvn", font}, {"big.bdf", big},
      {"big.kvn", "earlier"}, {"old.kvn", std::string(99, 'o')},
      {"esc\x1b]0;title\x07.bdf",
       "STARTFONT 2.1\nFONTBOUNDINGBOX 8 2 0 0\n"
       "CHARSET_REGISTRY \"\x1b[2J\x1b]0;pwned\x07\"\n" + font},
      {std::string(90, 'd') + ".bdf", ""},
      {"uni.bdf", "CHARSET_REGISTRY \"ISO10646\"\nCHARSET_ENCODING \"1\"\n" + font},
      {"k.bdf", font}, {"k.bdf.gz", font}, {"f.bdf", kCutFont},
      {"menu.txt", ""},
      {"j.bdf", "FONTBOUNDINGBOX 8 2 0 0\nCHARSET_REGISTRY \"JISX0208.1983\"\nSTARTCHAR x\n"
                "ENCODING 8481\nDWIDTH 8 0\nBITMAP\nFF\nENDCHAR\n"}};
  // clang-format on
  for (const auto& [name, bytes] : files) WriteBytes(dir / name, bytes);
  fs::permissions(dir / "old.kvn", fs::perms(0604));
  fs::create_symlink("old.kvn", dir / "link.kvn");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);  // with no writer
}

TEST(Bdf2kvn, ExitsReportsAndWritesAsEachCaseNeeds) {
  const std::string v = ": 2 glyphs, 1 ranges, 8x2 cell, 21 bytes\n", kvn = kSmallKvn;
  const std::string longDir(90, 'd');
  const std::string cut = ExpectedKvn(8, 8, 0, {{65, 8, std::vector<int>(8, 0xC0)}});
  // clang-format off
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out{}, err{};  // for a usage error (2), a part of the message, if any
    std::map<std::string, std::string> written{};  // files made or replaced, with their bytes
    RunOptions options{};
  } cases[] = {
      {{"a.bdf"}, 0, "", "", {{"a.kvn", kvn}}},
      {{"-v", "-o", "out.bin", "a.bdf"}, 0, "out.bin" + v, "", {{"out.bin", kvn}}},
      {{"-o", "link.kvn", "a.bdf"}, 0, "", "", {{"old.kvn", kvn}}},
      // One failing FILE does not stop the others; the status tells of it.
      {{"-v", "none.bdf", "cr.bdf", "font.kvn"}, 1, "cr.kvn" + v,
       "bdf2kvn: none.bdf: Cannot open file! [none.bdf] (No such file or directory)\n"
       "bdf2kvn: font.kvn: Output would overwrite the input! [font.kvn]\n",
       {{"cr.kvn", kvn}}},
      // A file-size limit fails the write instead of killing the program.
      {{"big.bdf"}, 1, "", "bdf2kvn: big.bdf: Cannot write file! [big.kvn] (File too large)\n",
       {}, {.fileSizeLimit = 4096}},
      // Two FILEs that would write one output: refused before anything is written.
      {{"k.bdf", "k.bdf.gz"}, 1, "",
       "bdf2kvn: k.bdf.gz: Output would be written twice! [k.kvn] (from k.bdf and from "
       "k.bdf.gz)\n"},
      // Control bytes from fonts and file names are shown, not obeyed. No option maps
      // this character set, so none is named.
      {{"esc\x1b]0;title\x07.bdf"}, 1, "",
       "bdf2kvn: esc\\x1b]0;title\\x07.bdf: CHARSET is not support! "
       "[\\x1b[2J\\x1b]0;pwned\\x07]\n"},
      // A long path is shortened in the middle, so the file name stays.
      {{longDir + ".bdf"}, 1, "",
       "bdf2kvn: " + longDir + ".bdf: File is not support ! (an empty file)\n"},
      {{"-o", longDir + "/x.kvn", "a.bdf"}, 1, "",
       "bdf2kvn: a.bdf: Cannot write file! [" + longDir.substr(0, 71) +
           ".../x.kvn] (No such file or directory)\n"},
      // What the box cuts off a glyph is told, and named with -v.
      {{"f.bdf"}, 0, "",
       "bdf2kvn: f.bdf: 1 glyph has pixels outside FONTBOUNDINGBOX 8 8 0 -1; those pixels were "
       "cut (-v names them)\n", {{"f.kvn", cut}}},
      {{"-v", "f.bdf"}, 0,
       "f.kvn: 1 glyphs, 1 ranges, 8x8 cell, 24 bytes\n  pixels cut: line 5 (ENCODING 65)\n",
       "bdf2kvn: f.bdf: 1 glyph has pixels outside FONTBOUNDINGBOX 8 8 0 -1; those pixels were "
       "cut\n", {{"f.kvn", cut}}},
      // Standard input and output.
      {{"-o", "in.kvn", "-"}, 0, "", "", {{"in.kvn", kvn}}, {.stdinFile = "a.bdf"}},
      {{"-v", "-o", "-", "a.bdf"}, 0, kvn, "-" + v},
      {{"-o", "-", "-"}, 0, kvn, "", {}, {.stdinFile = "a.bdf"}},
      // A Unicode font is refused with the option that maps it; a mapping converts it.
      {{"uni.bdf"}, 1, "",
       "bdf2kvn: uni.bdf: CHARSET is not support! [ISO10646] (--charset shift_jis maps it)\n"},
      {{"--charset", "iso8859-1", "--codes", "0x41", "-o", "one.kvn", "uni.bdf"}, 0, "", "",
       {{"one.kvn", ExpectedKvn(8, 2, 0, {{65, 8, {0x81, 0x7E}}})}}},
      // Fonts whose codes mean different characters are not merged as they are.
      {{"-o", "m.kvn", "a.bdf", "j.bdf"}, 1, "",
       "bdf2kvn: j.bdf: CHARSET is not support! [ISO8859 with JISX0208.1983] (their codes mean "
       "different characters) (--charset maps them into one code set)\n"},
      // Usage errors: what the message must hold, if anything.
      {{"--charset", "bogus", "a.bdf"}, 2}, {{"--codes", "", "a.bdf"}, 2},
      {{"--codes", "0x10000", "a.bdf"}, 2},
      {{"--chars", "menu.txt", "a.bdf"}, 2, "", "menu.txt has no characters"},
      // Not waited on.
      {{"--chars", "fifo", "a.bdf"}, 2, "",
       "bdf2kvn: --chars: Cannot open file! [fifo] (a pipe without a writer)\n", {},
       {.timeout = std::chrono::seconds(5)}},
      {{"-o", "x", "-", "-"}, 2, "", "", {}, {.stdinFile = "a.bdf"}},
      {{"-"}, 2}, {{}, 2}, {{"a.bdf", ""}, 2}, {{"--bogus", "a.bdf"}, 2},
      {{"--size", "0", "a.bdf"}, 2, "", "1 to 255"},
      {{"--size", "256", "a.bdf"}, 2, "", "1 to 255"},
      {{"--hinting", "odd", "a.bdf"}, 2, "", "native,auto,none"},
      {{"--cell", "0x8", "a.bdf"}, 2, "", "not a cell WxH"},
      {{"--version"}, 0, "bdf2kvn " KELVANE_VERSION "\n"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    TempDir dir;
    MakeFiles(dir);
    Snapshot expected = TakeSnapshot(dir.path());
    const Outcome run = Bdf2kvn(dir.path(), c.args, c.options);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, c.out);
    if (c.status == 2) {
      EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
      EXPECT_FALSE(run.err.empty());
    } else {
      EXPECT_EQ(run.err, c.err);
    }
    // A replaced file keeps its kind and permission bits; a new one is a plain file.
    for (const auto& [name, bytes] : c.written) {
      const auto mode = fs::status(dir / name).permissions();
      expected.try_emplace(name, Entry{fs::file_type::regular, mode, ""}).first->second.content =
          bytes;
    }
    EXPECT_EQ(TakeSnapshot(dir.path()), expected);
  }
}

// The glyph a lookup of `code` finds in a KVN file: its advance, then its
// rows in '#' and '.', each without the blank pixels at its right.
std::string GlyphArt(const std::string& kvn, std::uint32_t code) {
  kvn_font font;
  std::uint16_t index = 0;
  if (kvn_open(&font, kvn.data(), kvn.size()) != KVN_OK) return "no KVN font";
  if (kvn_lookup(&font, code, &index) == 0) return "no glyph";
  const kvn_glyph glyph = kvn_glyph_at(&font, index);
  std::string art = "advance " + std::to_string(glyph.advance) + "\n";
  const int rowBytes = (font.cell_width + 7) / 8;
  for (int y = 0; y < font.cell_height; ++y) {
    std::string row;
    for (int x = 0; x < font.cell_width; ++x) {
      row += (glyph.bitmap[y * rowBytes + x / 8] & (0x80 >> x % 8)) != 0 ? '#' : '.';
    }
    art += row.substr(0, row.find_last_of('#') + 1) + "\n";
  }
  return art;
}

// 'A' as glyphs.txt states it, 6 rows on the baseline of a cell that reaches
// 8 rows above it and 2 below, as every test font's cell does.
const char* const kARows[] = {".###.", "#...#", "#...#", "#####", "#...#", "#...#"};
const std::string kAArt = "advance 6\n\n\n.###\n#...#\n#...#\n#####\n#...#\n#...#\n\n\n";

// A single-byte FONTX2 font of 6 x 10 cells holding 'A' alone, on the same rows.
std::string Fontx2WithA() {
  std::string bytes = std::string("FONTX2") + "TEST    " + char(6) + char(10) + char(0);
  std::string glyphs(256 * 10, '\0');
  for (int row = 0; row < 6; ++row) {
    for (int x = 0; x < 5; ++x) {
      if (kARows[row][x] == '#') glyphs[0x41 * 10 + 2 + row] |= static_cast<char>(0x80 >> x);
    }
  }
  return bytes + glyphs;
}

// Each kind of font the build makes (tests/typeface/glyphs.txt), converted
// beside itself: the name loses its font endings, and 'A' is what the font drew.
TEST(Bdf2kvn, ConvertsEveryKindOfFont) {
  const struct {
    std::vector<std::string> args;
    std::string output;  // written with kAArt; none: refused with `err`
    std::string err{};
  } cases[] = {
      {{"--charset", "unicode", "small.pcf.gz"}, "small.kvn"},
      {{"--size", "8", "--charset", "unicode", "grid.ttf"}, "grid.kvn"},
      {{"HALF.FNT"}, "HALF.kvn"},
      {{"--charset", "unicode", "grid.ttf"},
       "",
       "bdf2kvn: grid.ttf: File is not support ! (an outline font: give a pixel size with "
       "--size)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    TempDir dir;
    for (const char* font : {"small.pcf.gz", "grid.ttf"}) {
      fs::copy_file(fs::path(TYPEFACE_FONTS) / font, dir / font);
    }
    WriteBytes(dir / "HALF.FNT", Fontx2WithA());
    const Snapshot before = TakeSnapshot(dir.path());
    const Outcome run = Bdf2kvn(dir.path(), c.args);
    EXPECT_EQ(run.status, c.output.empty() ? 1 : 0);
    EXPECT_EQ(run.err, c.err);
    Snapshot after = TakeSnapshot(dir.path());
    if (!c.output.empty()) {
      EXPECT_EQ(GlyphArt(ReadBytes(dir / c.output), 0x41), kAArt);
      after.erase(c.output);
    }
    EXPECT_EQ(after, before);
  }
}

// The cases every writer passes: a refusal leaves the input as it was.
TEST(Bdf2kvn, WritesOrRefusesAsEveryWriter) {
  const std::string font = SmallFont("\n");
  for (const WriterCase& c : WriterCases()) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    WriteBytes(dir / "in.bdf", font);
    const std::string output = c.prepare(dir.path(), "in.bdf");
    if (!output.empty()) {
      const Outcome run = c.readsStandardInput
                              ? Bdf2kvn(dir.path(), {"-o", output, "-"}, {.stdinFile = "in.bdf"})
                              : Bdf2kvn(dir.path(), {"-o", output, "in.bdf"});
      if (c.refusal.empty()) {
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ReadBytes(dir.path() / output), kSmallKvn);
      } else {
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(c.refusal), std::string::npos) << run.err;
      }
      EXPECT_EQ(ReadBytes(dir / "in.bdf"), font);
    }
    c.check(dir.path());  // last, always
  }
}

// Run through the dynamic loader, on an input large enough that huge pages pay.
TEST(Bdf2kvn, RunsThroughTheDynamicLoader) {
  const char* loaders[] = {"/lib64/ld-linux-x86-64.so.2", "/lib/ld-linux-aarch64.so.1"};
  const auto loader = std::find_if(std::begin(loaders), std::end(loaders),
                                   [](const char* path) { return fs::exists(path); });
  if (loader == std::end(loaders)) GTEST_SKIP() << "no known dynamic loader here";
  TempDir dir;
  {
    std::ofstream font(dir / "large.bdf", std::ios::binary);
    font << "FONTBOUNDINGBOX 16 16 0 0\n";
    for (int code = 0; code < 32000; ++code) {
      font << "STARTCHAR g\nENCODING " << code << "\nDWIDTH 16 0\nBITMAP\n";
      for (int row = 0; row < 16; ++row) font << "ABCD\n";
      font << "ENDCHAR\n";
    }
  }
  ASSERT_GT(fs::file_size(dir / "large.bdf"), 4u << 20);
  const Outcome run = Bdf2kvn(dir.path(), {"large.bdf"}, {.loader = *loader});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(fs::file_size(dir / "large.kvn"), 9u + 6 + 32000 * 33);
}

TEST(Bdf2kvn, HelpNamesTheArguments) {
  TempDir dir;
  const Outcome help = Bdf2kvn(dir.path(), {"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"FILE", "-o", "-v", "--charset", "--table", "--chars", "--codes"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace kelvane::test
