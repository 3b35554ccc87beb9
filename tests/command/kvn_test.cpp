// kvn run as a process: what each command prints, the images it draws (read
// back pixel by pixel), its exit status, and what it leaves in the directory.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <csignal>
#include <cstdio>
#include <optional>

#include "kelvane/version.h"
#include "kvn_reader.h"
#include "test_support.h"

namespace kelvane::test {
namespace {

struct Outcome {
  int status = -1;
  std::string out{}, err{};
};

// The kvn under test: this build's, or the one KVN names.
std::string KvnPath() {
  const char* other = std::getenv("KVN");
  return other != nullptr ? other : KVN_PATH;
}

// Runs kvn with `args` in `dir`; `fileSizeLimit` sets RLIMIT_FSIZE.
Outcome Kvn(const fs::path& dir, std::vector<std::string> args, rlim_t fileSizeLimit = 0) {
  args.insert(args.begin(), KvnPath());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::FILE* const streams[] = {std::tmpfile(), std::tmpfile()};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(::fileno(streams[0]), STDOUT_FILENO);
    ::dup2(::fileno(streams[1]), STDERR_FILENO);
    if (fileSizeLimit > 0) {
      std::signal(SIGXFSZ, SIG_DFL);
      const rlimit limit{fileSizeLimit, fileSizeLimit};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
    }
    if (::chdir(dir.c_str()) != 0) ::_exit(127);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int raw = 0;
  ::waitpid(pid, &raw, 0);
  Outcome run{WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw)};
  for (auto [stream, text] : {std::pair{streams[0], &run.out}, std::pair{streams[1], &run.err}}) {
    std::rewind(stream);
    for (int c; (c = std::fgetc(stream)) != EOF;) *text += static_cast<char>(c);
    std::fclose(stream);
  }
  return run;
}

// A KVN file from its parts, valid or not: ranges as {first, last, delta},
// glyphs as an advance and bitmap bytes (padded with 0 to glyphBytes).
struct KvnParts {
  int width = 4, height = 4, defaultIndex = 0;
  std::vector<std::array<int, 3>> ranges{};
  std::vector<std::pair<int, std::vector<int>>> glyphs{};
  int glyphBytes = -1;              // -1: as the cell needs
  std::optional<int> glyphCount{};  // the header's, when it is to lie
};
std::string KvnBytes(const KvnParts& p) {
  const int glyphBytes = p.glyphBytes >= 0 ? p.glyphBytes : (p.width + 7) / 8 * p.height;
  std::string bytes;
  const auto word = [&bytes](int value) {
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>(value >> 8 & 0xFF);
  };
  word(p.glyphCount.value_or(static_cast<int>(p.glyphs.size())));
  word(static_cast<int>(p.ranges.size()));
  word(p.defaultIndex);
  for (const int byte : {p.width, p.height, glyphBytes}) bytes += static_cast<char>(byte);
  for (const auto& [first, last, delta] : p.ranges) {
    word(first);
    word(last);
    word(delta);
  }
  for (const auto& [advance, bitmap] : p.glyphs) {
    bytes += static_cast<char>(advance);
    for (int i = 0; i < glyphBytes; ++i) {
      bytes += static_cast<char>(i < static_cast<int>(bitmap.size()) ? bitmap[i] : 0);
    }
  }
  return bytes;
}

// Three 4 x 4 glyphs: '?' (the default, advance 4), 'A' (advance 5) and 'B'
// (advance 3, so its last column reaches into the next glyph).
// clang-format off
const std::vector<std::string> kQuestionArt = {"####",
                                               "#..#",
                                               "#..#",
                                               "####"};
const std::vector<std::string> kAArt = {".##.",
                                        "#..#",
                                        "####",
                                        "#..#"};
const std::vector<std::string> kBArt = {"#..#",
                                        "###.",
                                        "#..#",
                                        "###."};
// clang-format on
const std::string kSmallBdf =
    "STARTFONT 2.1\nFONT -test-Small-Medium-R-Normal--4-40-75-75-C-40-ISO8859-1\n"
    "SIZE 4 75 75\nFONTBOUNDINGBOX 4 4 0 0\nSTARTPROPERTIES 3\nCHARSET_REGISTRY \"ISO8859\"\n"
    "CHARSET_ENCODING \"1\"\nDEFAULT_CHAR 63\nENDPROPERTIES\nCHARS 3\n"
    "STARTCHAR A\nENCODING 65\nDWIDTH 5 0\nBBX 4 4 0 0\nBITMAP\n60\n90\nF0\n90\nENDCHAR\n"
    "STARTCHAR B\nENCODING 66\nDWIDTH 3 0\nBBX 4 4 0 0\nBITMAP\n90\nE0\n90\nE0\nENDCHAR\n"
    "STARTCHAR question\nENCODING 63\nDWIDTH 4 0\nBBX 4 4 0 0\nBITMAP\nF0\n90\n90\nF0\nENDCHAR\n"
    "ENDFONT\n";
const std::vector<std::pair<int, std::vector<int>>> kSmallGlyphs = {
    {4, {0xF0, 0x90, 0x90, 0xF0}}, {5, {0x60, 0x90, 0xF0, 0x90}}, {3, {0x90, 0xE0, 0x90, 0xE0}}};
// What bdf2kvn makes of it: glyphs in code order, the default (63) first.
const std::string kSmallKvn =
    KvnBytes({.ranges = {{63, 63, 63}, {65, 66, 64}}, .glyphs = kSmallGlyphs});
// The same glyphs with unsorted ranges: B (0x42) first, then A; '?' found by no code.
const std::string kUnsortedKvn =
    KvnBytes({.defaultIndex = 2,
              .ranges = {{66, 66, 66}, {65, 65, 64}},
              .glyphs = {kSmallGlyphs[2], kSmallGlyphs[1], kSmallGlyphs[0]}});

// A font with `count` glyphs of `width` x `height`, codes from 0x8140 up with
// a gap after every 100, so it has many ranges.
std::string LargeKvn(int count, int width, int height) {
  KvnParts parts{.width = width, .height = height};
  for (int i = 0; i < count; i += 100) {
    const int first = 0x8140 + i / 100 * 101 + i % 100, n = std::min(100, count - i);
    parts.ranges.push_back({first, first + n - 1, first - i});
  }
  std::vector<int> bitmap;
  for (int i = 0; i < (width + 7) / 8 * height; ++i) bitmap.push_back(i * 37 % 256);
  parts.glyphs.assign(count, {width, bitmap});
  return KvnBytes(parts);
}

std::string Gzip(const std::string& bytes) {
  std::string out(compressBound(bytes.size()) + 32, '\0');
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

// The files every case starts from.
void MakeFiles(const TempDir& dir) {
  const std::pair<std::string, std::string> files[] = {
      {"small.kvn", kSmallKvn},
      {"small.bdf", kSmallBdf},
      {"unsorted.kvn", kUnsortedKvn},
      {"tail.kvn", kSmallKvn + "tail"},
      {"font.bin", Gzip(kSmallBdf)},  // BDF by its gzip magic
      {"font.txt", kSmallBdf},        // BDF by its STARTFONT
      {"empty.bdf", ""},
      {"bad.kvn", "short"},
  };
  for (const auto& [name, bytes] : files) WriteBytes(dir / name, bytes);
  fs::create_directory(dir / "folder");
}

std::string Status(kvn_status status) { return kvn_status_text(status); }

// An image as rows of characters: '#' black, '.' white, '+' grid grey,
// '~' empty-cell grey, '?' anything else.
struct Picture {
  int width = 0, height = 0;
  std::vector<std::string> rows{};
};

std::optional<Picture> ReadPng(const std::string& bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()) == 0) {
    return std::nullopt;
  }
  if (image.format != PNG_FORMAT_GRAY) {  // the command writes 8-bit gray
    png_image_free(&image);
    return std::nullopt;
  }
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) {
    return std::nullopt;
  }
  Picture picture{static_cast<int>(image.width), static_cast<int>(image.height)};
  for (int y = 0; y < picture.height; ++y) {
    std::string row;
    for (int x = 0; x < picture.width; ++x) {
      switch (pixels[static_cast<std::size_t>(y) * picture.width + x]) {
        case 0:
          row += '#';
          break;
        case 255:
          row += '.';
          break;
        case 160:
          row += '+';
          break;
        case 224:
          row += '~';
          break;
        default:
          row += '?';
      }
    }
    picture.rows.push_back(row);
  }
  return picture;
}

std::vector<std::string> Scaled(const std::vector<std::string>& rows, int scale) {
  std::vector<std::string> out;
  for (const std::string& row : rows) {
    std::string wide;
    for (const char c : row) wide.append(static_cast<std::size_t>(scale), c);
    out.insert(out.end(), static_cast<std::size_t>(scale), wide);
  }
  return out;
}

// The part of a picture from column x, row y, w wide and h high.
std::vector<std::string> Crop(const Picture& picture, int x, int y, int w, int h) {
  std::vector<std::string> out;
  for (int row = y; row < y + h; ++row) {
    out.push_back(picture.rows.at(static_cast<std::size_t>(row))
                      .substr(static_cast<std::size_t>(x), static_cast<std::size_t>(w)));
  }
  return out;
}

std::string Joined(const std::vector<std::string>& rows) {
  std::string text;
  for (const std::string& row : rows) text += row + "\n";
  return text;
}

TEST(Kvn, RendersALineAsTheDeviceDrawsIt) {
  // clang-format off
  const struct {
    std::string file, text;
    std::vector<std::string> options;
    std::vector<std::string> pixels;
    std::string err{};
  } cases[] = {
      // A (advance 5), the default glyph for 'x' (advance 4), then B (advance 3): the
      // image is 12 wide, and B's last column falls outside it.
      {"small.kvn", "AxB", {},
       {".##..#####..",
        "#..#.#..####",
        "####.#..##..",
        "#..#.#######"},
       "kvn: no glyph for U+0078 x; drawn as the default glyph\n"},
      // B advances 3, so A's first column shares B's last one; ink wins.
      {"small.kvn", "BA", {},
       {"#..###..",
        "####..#.",
        "#..####.",
        "####..#."}},
      // The same from the BDF font, and with the text in ISO 8859-1.
      {"small.bdf", "BA", {"--charset", "iso8859-1"},
       {"#..###..",
        "####..#.",
        "#..####.",
        "####..#."}},
      // A character with no Shift_JIS code at all (é), and one twice: told once.
      {"small.kvn", "é?é", {},
       {"############",
        "#..##..##..#",
        "#..##..##..#",
        "############"},
       "kvn: no glyph for U+00E9 é; drawn as the default glyph\n"},
      // Nothing to draw: one white pixel across, the cell high.
      {"small.kvn", "", {}, {".", ".", ".", "."}},
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
    const auto picture = ReadPng(ReadBytes(dir / "out.png"));
    ASSERT_TRUE(picture);
    EXPECT_EQ(Joined(picture->rows), Joined(c.pixels));
  }
}

TEST(Kvn, RendersAtAScaleAndToStandardOutput) {
  TempDir dir;
  MakeFiles(dir);
  const std::vector<std::string> line = {"#..###..", "####..#.", "#..####.", "####..#."};
  const Outcome run = Kvn(dir.path(), {"render", "small.kvn", "BA", "-o", "-", "--scale", "3"});
  EXPECT_EQ(run.status, 0) << run.err;
  const auto picture = ReadPng(run.out);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 24);
  EXPECT_EQ(picture->height, 12);
  EXPECT_EQ(Joined(picture->rows), Joined(Scaled(line, 3)));
}

// A Japanese font, converted in memory: render draws what show prints, with
// the text in Shift_JIS (the default) or with font and text in Unicode.
TEST(Kvn, RenderAndShowAgreeOnAJapaneseFont) {
  TempDir dir;
  const std::string kana = std::string(KELVANE_SOURCE_DIR) + "/examples/kana16.bdf";
  const Outcome show = Kvn(dir.path(), {"show", kana, "あい"});
  EXPECT_EQ(show.status, 0) << show.err;
  EXPECT_EQ(show.err, "");
  std::vector<std::string> lines, expected(16);
  for (std::size_t at = 0, end; (end = show.out.find('\n', at)) != std::string::npos;
       at = end + 1) {
    lines.push_back(show.out.substr(at, end - at));
  }
  ASSERT_EQ(lines.size(), 35u) << show.out;
  EXPECT_EQ(lines[0], "U+3042 あ 0x82A0 index 2 advance 16");
  EXPECT_EQ(lines[17], "");
  EXPECT_EQ(lines[18], "U+3044 い 0x82A2 index 3 advance 16");
  for (int row = 0; row < 16; ++row) expected[row] = lines[1 + row] + lines[19 + row];
  EXPECT_NE(Joined(expected).find('#'), std::string::npos);
  for (const auto& options :
       {std::vector<std::string>{}, std::vector<std::string>{"--charset", "unicode"}}) {
    std::vector<std::string> args = {"render", kana, "あい", "-o", "line.png"};
    args.insert(args.end(), options.begin(), options.end());
    const Outcome render = Kvn(dir.path(), args);
    EXPECT_EQ(render.status, 0) << render.err;
    EXPECT_EQ(render.err, "");
    const auto picture = ReadPng(ReadBytes(dir / "line.png"));
    ASSERT_TRUE(picture);
    EXPECT_EQ(Joined(picture->rows), Joined(expected));
  }
  EXPECT_EQ(TakeSnapshot(dir.path()).size(), 1u);  // line.png alone
}

TEST(Kvn, ShowsGlyphsAsTextArt) {
  const std::string a = Joined(kAArt), b = Joined(kBArt), question = Joined(kQuestionArt);
  // clang-format off
  const struct {
    std::vector<std::string> args;
    std::string out, err{};
  } cases[] = {
      {{"show", "small.kvn", "--code", "0x41"}, "0x0041 index 1 advance 5\n" + a},
      {{"show", "small.bdf", "--code", "66", "--code", "0x3f"},
       "0x0042 index 2 advance 3\n" + b + "\n0x003F index 0 advance 4\n" + question},
      {{"show", "small.kvn", "--code", "0x43"},
       "0x0043 not in the font; default glyph index 0 advance 4\n" + question,
       "kvn: no glyph for 0x0043; shown as the default glyph\n"},
      {{"show", "small.kvn", "Ax"},
       "U+0041 A 0x0041 index 1 advance 5\n" + a +
           "\nU+0078 x 0x0078 not in the font; default glyph index 0 advance 4\n" + question,
       "kvn: no glyph for U+0078 x; shown as the default glyph\n"},
      // No Shift_JIS code for é; a control character is named by number only.
      {{"show", "small.kvn", "é\x1b"},
       "U+00E9 é no code; default glyph index 0 advance 4\n" + question +
           "\nU+001B no code; default glyph index 0 advance 4\n" + question,
       "kvn: no glyph for U+00E9 é; shown as the default glyph\n"
       "kvn: no glyph for U+001B; shown as the default glyph\n"},
      // Unsorted ranges: the reader's lookup still finds each code's glyph.
      {{"show", "unsorted.kvn", "--code", "0x41", "--code", "0x42"},
       "0x0041 index 1 advance 5\n" + a + "\n0x0042 index 0 advance 3\n" + b},
      // Its default glyph is the last one.
      {{"show", "unsorted.kvn", "--code", "0x3F"},
       "0x003F not in the font; default glyph index 2 advance 4\n" + question,
       "kvn: no glyph for 0x003F; shown as the default glyph\n"},
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
  const std::string small =
      "  glyphs         3\n"
      "  cell           4x4\n"
      "  bytes a glyph  4 of bitmap and 1 of advance\n"
      "  default glyph  index 0, code 0x003F\n"
      "  ranges         2, ascending\n"
      "    0x003F         glyph 0\n"
      "    0x0041-0x0042  glyphs 1-2\n";
  // clang-format off
  const struct {
    std::string file, out;
  } cases[] = {
      {"small.kvn", "small.kvn\n  size           36 bytes\n" + small},
      {"small.bdf", "small.bdf (BDF, converted in memory)\n  size           36 bytes\n" + small},
      {"font.bin", "font.bin (BDF, converted in memory)\n  size           36 bytes\n" + small},
      {"tail.kvn", "tail.kvn\n  size           40 bytes (36 of font data, 4 after it)\n" + small},
      {"unsorted.kvn",
       "unsorted.kvn\n  size           36 bytes\n  glyphs         3\n  cell           4x4\n"
       "  bytes a glyph  4 of bitmap and 1 of advance\n"
       "  default glyph  index 2, found by no code\n"
       "  ranges         2, not ascending (lookups scan them in order)\n"
       "    0x0042         glyph 0\n    0x0041         glyph 1\n"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    TempDir dir;
    MakeFiles(dir);
    const Outcome run = Kvn(dir.path(), {"info", c.file});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, "");
  }
}

TEST(Kvn, InfoShortensALongRangeList) {
  TempDir dir;
  WriteBytes(dir / "many.kvn", LargeKvn(2500, 8, 8));  // 25 ranges of 100 codes
  const Outcome run = Kvn(dir.path(), {"info", "many.kvn"});
  EXPECT_EQ(run.status, 0) << run.err;
  const auto ranges = run.out.substr(run.out.find("  ranges"));
  EXPECT_EQ(ranges,
            "  ranges         25, ascending\n"
            "    0x8140-0x81A3  glyphs 0-99\n    0x81A5-0x8208  glyphs 100-199\n"
            "    0x820A-0x826D  glyphs 200-299\n    0x826F-0x82D2  glyphs 300-399\n"
            "    0x82D4-0x8337  glyphs 400-499\n    0x8339-0x839C  glyphs 500-599\n"
            "    0x839E-0x8401  glyphs 600-699\n    0x8403-0x8466  glyphs 700-799\n"
            "    0x8468-0x84CB  glyphs 800-899\n    0x84CD-0x8530  glyphs 900-999\n"
            "    ... 10 more ...\n"
            "    0x8924-0x8987  glyphs 2000-2099\n    0x8989-0x89EC  glyphs 2100-2199\n"
            "    0x89EE-0x8A51  glyphs 2200-2299\n    0x8A53-0x8AB6  glyphs 2300-2399\n"
            "    0x8AB8-0x8B1B  glyphs 2400-2499\n");
}

TEST(Kvn, CheckReportsWhatTheReaderFinds) {
  const auto damaged = [](KvnParts parts) {
    if (parts.glyphs.empty()) parts.glyphs = kSmallGlyphs;
    if (parts.ranges.empty()) parts.ranges = {{63, 63, 63}, {65, 66, 64}};
    return KvnBytes(parts);
  };
  // clang-format off
  const struct {
    std::string bytes;
    kvn_status status;
  } cases[] = {
      {"short", KVN_SHORTER_THAN_HEADER},
      {kSmallKvn.substr(0, kSmallKvn.size() - 1), KVN_SHORTER_THAN_COUNTS},
      {damaged({.glyphCount = 4}), KVN_SHORTER_THAN_COUNTS},
      {damaged({.glyphBytes = 3}), KVN_GLYPH_BYTES_MISMATCH},
      {damaged({.width = 0, .glyphBytes = 0}), KVN_EMPTY_CELL},
      {damaged({.ranges = {{66, 65, 64}}}), KVN_RANGE_REVERSED},
      {damaged({.ranges = {{65, 67, 64}}}), KVN_RANGE_OUTSIDE_GLYPHS},
      {damaged({.defaultIndex = 3}), KVN_DEFAULT_OUTSIDE_GLYPHS},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(Status(c.status));
    TempDir dir;
    WriteBytes(dir / "font.kvn", c.bytes);
    for (const char* command : {"check", "info", "sheet"}) {
      std::vector<std::string> args = {command, "font.kvn"};
      if (std::string(command) == "sheet") args.insert(args.end(), {"-o", "s.png"});
      const Outcome run = Kvn(dir.path(), args);
      EXPECT_EQ(run.status, 1);
      EXPECT_EQ(run.out, "");
      EXPECT_EQ(run.err, "kvn: font.kvn: " + Status(c.status) + "\n");
    }
    EXPECT_EQ(TakeSnapshot(dir.path()).size(), 1u);
  }
  TempDir dir;
  MakeFiles(dir);
  for (const auto& [file, err] : std::vector<std::pair<std::string, std::string>>{
           {"small.kvn", ""},
           {"small.bdf", ""},
           {"tail.kvn", ""},
           {"unsorted.kvn",
            "kvn: unsorted.kvn: ranges are not in ascending order; lookups scan them in "
            "order\n"}}) {
    const Outcome run = Kvn(dir.path(), {"check", file});
    EXPECT_EQ(run.status, 0) << file;
    EXPECT_EQ(run.out, file + ": ok (3 glyphs)\n");
    EXPECT_EQ(run.err, err);
  }
}

// Row labels as the built-in digit font draws them.
// clang-format off
const std::vector<std::string> kLabel003F = {"###.....###.###.###.###",
                                             "#.#.....#.#.#.#...#.#..",
                                             "#.#.#.#.#.#.#.#..##.##.",
                                             "#.#..#..#.#.#.#...#.#..",
                                             "###.#.#.###.###.###.#.."};
const std::vector<std::string> kLabel0042 = {"###.....###.###.#.#.###",
                                             "#.#.....#.#.#.#.#.#...#",
                                             "#.#.#.#.#.#.#.#.###.###",
                                             "#.#..#..#.#.#.#...#.#..",
                                             "###.#.#.###.###...#.###"};
const std::vector<std::string> kDashes = {"...............",
                                          "...............",
                                          "###.###.###.###",
                                          "...............",
                                          "..............."};
// clang-format on

// The rows of a sheet of 4 x 4 glyphs at scale 1: a 27-pixel label column,
// then 16 cells of 4 x 7 (the label is taller than the cell) between grid lines.
std::vector<std::string> SheetRows(const std::vector<std::string>& label,
                                   const std::vector<std::vector<std::string>>& glyphs) {
  std::vector<std::string> rows;
  for (int y = 0; y < 7; ++y) {
    // The label ends 2 pixels before the grid, its top 1 pixel into the row.
    std::string row = y >= 1 && y <= 5 ? std::string(25 - label[0].size(), '.') + label[y - 1]
                                       : std::string(25, '.');
    row += "..+";
    for (int cell = 0; cell < 16; ++cell) {
      const bool used = cell < static_cast<int>(glyphs.size());
      row += (used ? (y < 4 ? glyphs[cell][y] : "....") : "~~~~") + std::string("+");
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(Kvn, SheetShowsEveryGlyphInCodeOrderWithLabels) {
  TempDir dir;
  MakeFiles(dir);
  const std::string line(27, '.'), grid = line + std::string(81, '+');
  {
    const Outcome run = Kvn(dir.path(), {"sheet", "small.kvn", "-o", "sheet.png"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out + run.err, "");
    const auto picture = ReadPng(ReadBytes(dir / "sheet.png"));
    ASSERT_TRUE(picture);
    std::vector<std::string> expected = {grid};
    for (const auto& row : SheetRows(kLabel003F, {kQuestionArt, kAArt, kBArt})) {
      expected.push_back(row);
    }
    expected.push_back(grid);
    EXPECT_EQ(Joined(picture->rows), Joined(expected));
  }
  {
    // Range order (B, then A), then the glyph no code finds in a row of its own.
    const Outcome run = Kvn(dir.path(), {"sheet", "unsorted.kvn", "-o", "sheet.png"});
    EXPECT_EQ(run.status, 0) << run.err;
    const auto picture = ReadPng(ReadBytes(dir / "sheet.png"));
    ASSERT_TRUE(picture);
    std::vector<std::string> expected = {grid};
    for (const auto& row : SheetRows(kLabel0042, {kBArt, kAArt})) expected.push_back(row);
    expected.push_back(grid);
    for (const auto& row : SheetRows(kDashes, {kQuestionArt})) expected.push_back(row);
    expected.push_back(grid);
    EXPECT_EQ(Joined(picture->rows), Joined(expected));
  }
  {
    // At scale 2 every part doubles but the grid lines.
    const Outcome run = Kvn(dir.path(), {"sheet", "small.bdf", "-o", "big.png", "--scale", "2"});
    EXPECT_EQ(run.status, 0) << run.err;
    const auto picture = ReadPng(ReadBytes(dir / "big.png"));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 54 + 16 * 9 + 1);
    EXPECT_EQ(picture->height, 14 + 2);
    EXPECT_EQ(Joined(Crop(*picture, 55, 1, 8, 8)), Joined(Scaled(kQuestionArt, 2)));
    EXPECT_EQ(Joined(Crop(*picture, 64, 1, 8, 8)), Joined(Scaled(kAArt, 2)));
    EXPECT_EQ(Joined(Crop(*picture, 4, 3, 46, 10)), Joined(Scaled(kLabel003F, 2)));
  }
}

// Overlapping ranges: the first range that holds a code wins, so the second
// range's glyph is found by no code.
TEST(Kvn, OverlappingRangesAsTheReaderSeesThem) {
  TempDir dir;
  WriteBytes(dir / "twice.kvn",
             KvnBytes({.defaultIndex = 1,
                       .ranges = {{65, 65, 65}, {65, 66, 64}},
                       .glyphs = {kSmallGlyphs[1], kSmallGlyphs[0], kSmallGlyphs[2]}}));
  const Outcome info = Kvn(dir.path(), {"info", "twice.kvn"});
  EXPECT_NE(info.out.find("  default glyph  index 1, found by no code\n"), std::string::npos)
      << info.out;
  const Outcome show = Kvn(dir.path(), {"show", "twice.kvn", "--code", "65"});
  EXPECT_EQ(show.out, "0x0041 index 0 advance 5\n" + Joined(kAArt));
  const Outcome sheet = Kvn(dir.path(), {"sheet", "twice.kvn", "-o", "s.png"});
  EXPECT_EQ(sheet.status, 0) << sheet.err;
  const auto picture = ReadPng(ReadBytes(dir / "s.png"));
  ASSERT_TRUE(picture);
  ASSERT_EQ(picture->height, 17);
  // A by code 65 through the first range, B by 66 through the second; then '?'.
  EXPECT_EQ(Joined(Crop(*picture, 28, 1, 9, 4)),
            Joined({".##.+#..#", "#..#+###.", "####+#..#", "#..#+###."}));
  EXPECT_EQ(Joined(Crop(*picture, 28, 9, 4, 4)), Joined(kQuestionArt));
  EXPECT_EQ(Joined(Crop(*picture, 10, 10, 15, 5)), Joined(kDashes));
}

// Two codes that find one glyph: the sheet shows it once, under the first.
TEST(Kvn, SheetShowsAGlyphOfTwoCodesOnce) {
  TempDir dir;
  WriteBytes(dir / "alias.kvn",
             KvnBytes({.ranges = {{0x41, 0x41, 0x41}, {0x3F, 0x3F, 0x3E}, {0x61, 0x61, 0x61}},
                       .glyphs = {kSmallGlyphs[1], kSmallGlyphs[0]}}));
  const Outcome sheet = Kvn(dir.path(), {"sheet", "alias.kvn", "-o", "s.png"});
  EXPECT_EQ(sheet.status, 0) << sheet.err;
  const auto picture = ReadPng(ReadBytes(dir / "s.png"));
  ASSERT_TRUE(picture);
  ASSERT_EQ(picture->height, 9);
  EXPECT_EQ(Joined(Crop(*picture, 28, 1, 14, 4)),
            Joined({".##.+####+~~~~", "#..#+#..#+~~~~", "####+#..#+~~~~", "#..#+####+~~~~"}));
}

// The bytes of a c-array header, and its other lines.
struct CArray {
  std::string bytes;
  std::vector<std::string> lines;
};
CArray ParseCArray(const std::string& text) {
  CArray parsed;
  std::size_t at = 0;
  for (std::size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
    parsed.lines.push_back(text.substr(at, end - at));
  }
  // Each line of bytes: two spaces, then up to 12 of "0x" and two lowercase
  // hexadecimal digits and a comma, one space apart.
  const auto hexDigit = [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); };
  for (const std::string& line : parsed.lines) {
    if (line.rfind("  0x", 0) != 0) continue;
    const std::size_t count = (line.size() - 1) / 6;
    EXPECT_TRUE(count <= 12 && line.size() == 2 + count * 6 - 1) << line;
    for (std::size_t at = 2; at + 5 <= line.size(); at += 6) {
      const std::string item = line.substr(at, 5);
      EXPECT_TRUE(item.rfind("0x", 0) == 0 && hexDigit(item[2]) && hexDigit(item[3]) &&
                  item[4] == ',' && (at + 5 == line.size() || line[at + 5] == ' '))
          << line;
      parsed.bytes += static_cast<char>(std::stoi(item.substr(2, 2), nullptr, 16));
    }
  }
  return parsed;
}

TEST(Kvn, CArrayHoldsTheFontData) {
  for (const std::string file : {"small.kvn", "small.bdf", "tail.kvn"}) {
    SCOPED_TRACE(file);
    TempDir dir;
    MakeFiles(dir);
    const Outcome run = Kvn(dir.path(), {"c-array", file, "--name", "small_font"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err,
              file == "tail.kvn" ? "kvn: tail.kvn: 4 bytes after the font data left out\n" : "");
    const CArray parsed = ParseCArray(run.out);
    EXPECT_EQ(parsed.bytes, kSmallKvn);  // never the bytes after the data
    ASSERT_EQ(parsed.lines.size(), 7u) << run.out;
    EXPECT_EQ(parsed.lines[0].rfind("/* " + file, 0), 0u) << parsed.lines[0];
    EXPECT_EQ(parsed.lines[0].substr(parsed.lines[0].size() - 3), " */");
    EXPECT_EQ(parsed.lines[1], "static const unsigned char small_font[] = {");
    EXPECT_EQ(parsed.lines[2],
              "  0x03, 0x00, 0x02, 0x00, 0x00, 0x00, 0x04, 0x04, 0x04, 0x3f, 0x00, 0x3f,");
    EXPECT_EQ(parsed.lines[4],
              "  0x90, 0xf0, 0x05, 0x60, 0x90, 0xf0, 0x90, 0x03, 0x90, 0xe0, 0x90, 0xe0,");
    EXPECT_EQ(parsed.lines[5], "};");
    EXPECT_EQ(parsed.lines[6], "static const unsigned int small_font_len = 36;");
  }
  TempDir dir;
  MakeFiles(dir);
  const Outcome toFile = Kvn(dir.path(), {"c-array", "small.kvn", "--name", "f", "-o", "f.h"});
  EXPECT_EQ(toFile.status, 0) << toFile.err;
  EXPECT_EQ(toFile.out, "");
  EXPECT_EQ(ParseCArray(ReadBytes(dir / "f.h")).bytes, kSmallKvn);
  // A file name cannot end the comment or break the line.
  fs::create_directory(dir / "a*");
  WriteBytes(dir / "a*/b\n.kvn", kSmallKvn);
  const Outcome odd = Kvn(dir.path(), {"c-array", "a*/b\n.kvn", "--name", "f"});
  EXPECT_EQ(odd.status, 0) << odd.err;
  const std::string comment = odd.out.substr(0, odd.out.find('\n'));
  EXPECT_EQ(comment.rfind("/* a*\\/b\\x0a.kvn: ", 0), 0u) << comment;
  EXPECT_EQ(comment.find("*/"), comment.size() - 2) << comment;
}

TEST(Kvn, ConvertsBdfInputWithoutWritingIt) {
  TempDir dir;
  MakeFiles(dir);
  const Snapshot before = TakeSnapshot(dir.path());
  for (const std::string file : {"small.bdf", "font.bin", "font.txt"}) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"info", file},
                                               {"check", file},
                                               {"show", file, "AB"},
                                               {"c-array", file, "--name", "x"}}) {
      const Outcome run = Kvn(dir.path(), args);
      EXPECT_EQ(run.status, 0) << testing::PrintToString(args) << run.err;
    }
  }
  EXPECT_EQ(TakeSnapshot(dir.path()), before);
  // The conversion options of bdf2kvn: only A is kept, so B is drawn as the default.
  const Outcome subset =
      Kvn(dir.path(), {"render", "small.bdf", "AB", "-o", "ab.png", "--codes", "0x41"});
  EXPECT_EQ(subset.status, 0);
  EXPECT_EQ(subset.err, "kvn: no glyph for U+0042 B; drawn as the default glyph\n");
  const auto picture = ReadPng(ReadBytes(dir / "ab.png"));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 9);
  Snapshot after = TakeSnapshot(dir.path());
  after.erase("ab.png");
  EXPECT_EQ(after, before);
}

TEST(Kvn, RefusesAndReportsAsEachCaseNeeds) {
  // clang-format off
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err{};  // for status 2, any text will do
    rlim_t fileSizeLimit = 0;
  } cases[] = {
      {{"info", "none.kvn"}, 1, "kvn: none.kvn: cannot read (No such file or directory)\n"},
      {{"check", "folder"}, 1, "kvn: folder: cannot read (Is a directory)\n"},
      {{"check", "/dev/zero"}, 1, "kvn: /dev/zero: cannot read (not a regular file)\n"},
      {{"info", "empty.bdf"}, 1, "kvn: empty.bdf: File is not support ! (an empty file)\n"},
      {{"render", "small.kvn", "A", "-o", "small.kvn"}, 1,
       "kvn: small.kvn: the output would overwrite the input\n"},
      {{"sheet", "small.bdf", "-o", "small.bdf"}, 1,
       "kvn: small.bdf: the output would overwrite the input\n"},
      {{"c-array", "small.kvn", "--name", "f", "-o", "small.kvn"}, 1,
       "kvn: small.kvn: the output would overwrite the input\n"},
      {{"render", "small.kvn", "A", "-o", "/dev/null"}, 1,
       "kvn: /dev/null: cannot write (not a regular file)\n"},
      {{"render", "small.kvn", "A", "-o", "folder"}, 1,
       "kvn: folder: cannot write (not a regular file)\n"},
      {{"sheet", "small.kvn", "-o", "none/s.png"}, 1,
       "kvn: none/s.png: cannot write (No such file or directory)\n"},
      {{"sheet", "small.kvn", "-o", "s.png"}, 1, "kvn: s.png: cannot write (File too large)\n",
       120},  // the image takes 198 bytes
      {{"render", "small.kvn", std::string(4000, 'A'), "-o", "s.png", "--scale", "64"}, 1,
       "kvn: small.kvn: the image would be 1280000x256 pixels, more than can be written (at "
       "most 1000000 a side and 268435456 in all); try a smaller --scale\n"},
      // Usage errors.
      {{}, 2}, {{"bogus", "small.kvn"}, 2}, {{"info"}, 2}, {{"info", ""}, 2}, {{"info", "-"}, 2},
      {{"info", "small.kvn", "extra"}, 2}, {{"render", "small.kvn", "A"}, 2},
      {{"render", "small.kvn", "-o", "x.png"}, 2}, {{"render", "small.kvn", "A", "-o", ""}, 2},
      {{"render", "small.kvn", "A", "-o", "x.png", "--scale", "0"}, 2},
      {{"render", "small.kvn", "A", "-o", "x.png", "--scale", "two"}, 2},
      {{"render", "small.kvn", "A", "-o", "x.png", "--charset", "bogus"}, 2},
      {{"render", "small.kvn", "A", "-o", "x.png", "--table", "bogus"}, 2},
      {{"render", "small.kvn", "\xff", "-o", "x.png"}, 2},
      {{"show", "small.kvn"}, 2}, {{"show", "small.kvn", "A", "--code", "0x41"}, 2},
      {{"show", "small.kvn", "--code", "0x10000"}, 2}, {{"show", "small.kvn", "--code", "A"}, 2},
      {{"show", "small.kvn", "--code", "0x"}, 2},
      {{"c-array", "small.kvn"}, 2}, {{"c-array", "small.kvn", "--name", "1font"}, 2},
      {{"c-array", "small.kvn", "--name", "my-font"}, 2},
      {{"c-array", "small.kvn", "--name", "static"}, 2},
      {{"sheet", "small.kvn"}, 2},
      // Conversion options are for BDF input.
      {{"info", "small.kvn", "--codes", "0x41"}, 2}, {{"check", "small.kvn", "--charset", "unicode"}, 2},
      {{"render", "small.kvn", "A", "-o", "x.png", "--codes", "0x41"}, 2},
      {{"info", "small.bdf", "--codes", "0x7E-0x20"}, 2},
      {{"info", "small.bdf", "--chars", "none.txt"}, 2},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    TempDir dir;
    MakeFiles(dir);
    const Snapshot before = TakeSnapshot(dir.path());
    const Outcome run = Kvn(dir.path(), c.args, c.fileSizeLimit);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(c.status == 2 ? !run.err.empty() : run.err == c.err) << run.err;
    EXPECT_EQ(TakeSnapshot(dir.path()), before);  // nothing made, nothing half-written
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
  }
}

TEST(Kvn, ReplacesAnOutputKeepingItsPermissions) {
  TempDir dir;
  MakeFiles(dir);
  WriteBytes(dir / "old.png", "old");
  fs::permissions(dir / "old.png", fs::perms(0640));
  fs::create_symlink("old.png", dir / "link.png");
  const Outcome run = Kvn(dir.path(), {"render", "small.kvn", "A", "-o", "link.png"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::is_symlink(dir / "link.png"));
  EXPECT_EQ(fs::status(dir / "old.png").permissions(), fs::perms(0640));
  const auto picture = ReadPng(ReadBytes(dir / "old.png"));
  ASSERT_TRUE(picture);
  EXPECT_EQ(Joined(picture->rows), Joined({".##..", "#..#.", "####.", "#..#."}));
}

TEST(Kvn, HelpNamesEveryCommandAndOption) {
  TempDir dir;
  const Outcome help = Kvn(dir.path(), {"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* command : {"info", "check", "show", "render", "sheet", "c-array"}) {
    EXPECT_NE(help.out.find(command), std::string::npos) << command;
  }
  const struct {
    const char* command;
    std::vector<const char*> options;
  } commands[] = {
      {"info", {"FILE", "--charset", "--table", "--chars", "--codes"}},
      {"check", {"FILE", "--charset", "--table", "--chars", "--codes"}},
      {"show", {"FILE", "TEXT", "--code", "--charset", "--table", "--chars", "--codes"}},
      {"render", {"FILE", "TEXT", "-o", "--scale", "--charset", "--table", "--chars", "--codes"}},
      {"sheet", {"FILE", "-o", "--scale", "--charset", "--table", "--chars", "--codes"}},
      {"c-array", {"FILE", "--name", "-o", "--charset", "--table", "--chars", "--codes"}},
  };
  for (const auto& c : commands) {
    const Outcome sub = Kvn(dir.path(), {c.command, "--help"});
    EXPECT_EQ(sub.status, 0) << c.command;
    for (const char* option : c.options) {
      EXPECT_NE(sub.out.find(option), std::string::npos) << c.command << " " << option;
    }
  }
  const Outcome version = Kvn(dir.path(), {"--version"});
  EXPECT_EQ(version.out, "kvn " KELVANE_VERSION "\n");
}

}  // namespace
}  // namespace kelvane::test
