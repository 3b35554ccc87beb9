// Whole conversions through the window's entry point: the bytes written for
// each kind of font, where they go, and every refusal with its message and an
// untouched directory.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "expected_kvn.h"
#include "pipeline/convert_file.h"
#include "test_support.h"

namespace kelvane::test {
namespace {

// Records "busy on", "busy off", "done: FILE N" and "error: TEXT", or "error
// while open: TEXT" when this process still has `input` open. Removes
// `removeOnBusy` as the work starts, like a file deleted after being chosen.
class RecordingHost : public ConversionHost {
 public:
  void SetBusy(bool on) override {
    events.push_back(on ? "busy on" : "busy off");
    if (on && !removeOnBusy.empty()) fs::remove(removeOnBusy);
  }
  void ShowError(const std::string& text) override {
    bool open = false;
    std::error_code ec;
    for (const auto& fd : fs::directory_iterator("/proc/self/fd", ec)) {
      open = open || fs::read_symlink(fd, ec) == input;
    }
    events.push_back((open ? "error while open: " : "error: ") + text);
  }
  void ShowDone(const ConversionSummary& summary) override {
    events.push_back("done: " + fs::path(summary.outputPath).filename().string() + " " +
                     std::to_string(summary.glyphCount));
  }

  std::vector<std::string> events;
  fs::path input, removeOnBusy;
};

std::string Glyph(const std::string& encoding, const std::string& body = "BITMAP\nFF\n") {
  return "STARTCHAR g\nENCODING " + encoding + "\n" + body + "ENDCHAR\n";
}

const std::string kBox = "FONTBOUNDINGBOX 8 1 0 0\n";
const std::vector<int> kFF = {0xFF};

TEST(OutputPathFor, ReplacesTheExtensionOfTheFileNameOnly) {
  const std::pair<const char*, const char*> cases[] = {{"C:\\fonts\\k16.bdf", "C:\\fonts\\k16.kvn"},
                                                       {"C:\\a.b\\font", "C:\\a.b\\font.kvn"},
                                                       {"/home/a.b/font", "/home/a.b/font.kvn"},
                                                       {"dir/x.y.bdf", "dir/x.y.kvn"},
                                                       {"C:\\f\\name.", "C:\\f\\name.kvn"},
                                                       {"font", "font.kvn"},
                                                       {".fontA", ".fontA.kvn"},
                                                       {"dir/.fontB", "dir/.fontB.kvn"},
                                                       {"C:\\f\\.fontC", "C:\\f\\.fontC.kvn"},
                                                       {".k16.bdf", ".k16.kvn"}};
  for (const auto& [input, output] : cases) EXPECT_EQ(OutputPathFor(input), output) << input;
}
// Editors often save each glyph cut to its ink with a tight BBX; placed by its
// box it must draw exactly as the same font saved with full-cell boxes.
TEST(ConvertFile, TightBoxesDrawAsFullCellOnes) {
  for (const std::string name : {"kana16", "latin8x8"}) {
    TempDir dir;
    fs::copy(KELVANE_SOURCE_DIR "/examples/" + name + ".bdf", dir / "full.bdf");
    fs::copy(KELVANE_SOURCE_DIR "/tests/data/" + name + "_tight.bdf", dir / "tight.bdf");
    RecordingHost host;
    LineReaderState lineState;
    ConvertFile(dir / "full.bdf", host, lineState);
    ConvertFile(dir / "tight.bdf", host, lineState);
    ASSERT_TRUE(fs::exists(dir / "full.kvn")) << name;
    EXPECT_EQ(ReadBytes(dir / "tight.kvn"), ReadBytes(dir / "full.kvn")) << name;
  }
}

TEST(ConvertFile, WritesTheFontSortedByCode) {
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
    RecordingHost host;
    LineReaderState lineState;
    ConvertFile(dir / "in.bdf", host, lineState);
    EXPECT_EQ(host.events.size(), 3u) << c.name;
    EXPECT_EQ(host.events[1].substr(0, 13), "done: in.kvn ") << c.name << ": " << host.events[1];
    EXPECT_EQ(ReadBytes(dir / "in.kvn"), c.kvn) << c.name;
  }
}

// Each refusal runs in a directory holding in.bdf (the case's text, else a
// valid font), old.kvn (an earlier output), a FIFO fifo.bdf and
// link.bdf -> in.bdf. "@" in a message stands for the directory.
TEST(ConvertFile, RefusesWithOneMessageAndChangesNothing) {
  const std::string kA = Glyph("65");
  const struct {
    std::string text{}, message{};
    const char* in = "in.bdf";
    bool removeInput = false;
  } cases[] = {
      {kBox + "CHARSET_REGISTRY \"ISO10646\"\n" + kA, "CHARSET is not support! [ISO10646]"},
      {"FONT -a-b-c-d-e--1-2-3-4-c-6-cns11643.1992-1\n" + kBox + kA,
       "CHARSET is not support! [CNS11643.1992]"},
      {kA, "File is not support ! (no FONTBOUNDINGBOX with a width and height before the glyphs)"},
      {kBox + "CHARSET_REGISTRY \"JISX0208\"\n" + Glyph("8481") + Glyph("65281"),
       "Value out of range at line 9! [ENCODING 65281] (the code is 77856; codes go up to 65535)"},
      {.message = "Cannot open file! [@none.bdf] (No such file or directory)", .in = "none.bdf"},
      {.message = "Cannot open file! [@fifo.bdf] (not a regular file)", .in = "fifo.bdf"},
      {.message = "Cannot open file! [@in.bdf] (No such file or directory)", .removeInput = true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    TempDir dir;
    WriteBytes(dir / "in.bdf", c.text.empty() ? kBox + kA : c.text);
    WriteBytes(dir / "old.kvn", "an earlier output");
    ASSERT_EQ(::mkfifo((dir / "fifo.bdf").c_str(), 0600), 0);
    fs::create_symlink("in.bdf", dir / "link.bdf");
    Snapshot expected = TakeSnapshot(dir.path());
    RecordingHost host;
    host.input = dir / c.in;
    if (c.removeInput) {
      host.removeOnBusy = dir / "in.bdf";
      expected.erase("in.bdf");
    }
    LineReaderState lineState;
    ConvertFile(dir / c.in, host, lineState);
    std::string message = c.message;
    if (const auto at = message.find('@'); at != std::string::npos)
      message.replace(at, 1, dir / "");
    EXPECT_EQ(host.events, (std::vector<std::string>{"busy on", "error: " + message, "busy off"}));
    EXPECT_EQ(TakeSnapshot(dir.path()), expected);
  }
}

}  // namespace
}  // namespace kelvane::test
