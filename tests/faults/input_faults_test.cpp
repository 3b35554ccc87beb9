// Inputs that are missing, vanish, are not fonts, or end early.
#include <gtest/gtest.h>

#include <random>

#include "child_process.h"
#include "fault_fixture.h"

namespace kelvane::faults {
namespace {

constexpr const char* kNotSupported = "File is not support !";

std::string Junk(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

std::string CutInsideSecondGlyph() {
  const std::string font = SmallFont();
  return font.substr(0, font.find("FF\nENDCHAR"));
}

// Removes the input once the conversion has started, before it is opened.
class VanishingInputHost : public RecordingHost {
 public:
  explicit VanishingInputHost(fs::path input) : input_(std::move(input)) {}
  void SetBusy(bool on) override {
    if (on) fs::remove(input_);
    RecordingHost::SetBusy(on);
  }

 private:
  fs::path input_;
};

using InputFaultTest = FaultTest;

TEST_F(InputFaultTest, UnopenableInputIsRefused) {
  fs::create_directory(dir() / "folder.bdf");
  Write("a.kvn", "earlier contents");
  const struct {
    const char* name;
    const char* reason;
  } cases[] = {{"folder.bdf", "Is a directory"}, {"missing.bdf", "No such file or directory"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    host_ = {};
    const Snapshot before = TakeSnapshot(dir());
    const fs::path input = dir() / c.name;
    const auto summary = Convert(input, dir() / "a.kvn");
    EXPECT_TRUE(RefusedLeavingUnchanged(
        summary, host_, "Cannot open file! [" + input.string() + "] (" + c.reason + ")", before,
        dir()));
    EXPECT_EQ(host_.busy, (std::vector<bool>{true, false}));
  }
}

TEST_F(InputFaultTest, InputRemovedAfterBeingChosenIsRefused) {
  const fs::path input = Write("a.bdf", SmallFont());
  Write("a.kvn", "earlier contents");
  Snapshot expected = TakeSnapshot(dir());
  expected.erase("a.bdf");
  VanishingInputHost host(input);
  const auto summary = ConvertFileTo(input.string(), (dir() / "a.kvn").string(), host, lineState_);
  EXPECT_TRUE(RefusedLeavingUnchanged(
      summary, host, "Cannot open file! [" + input.string() + "] (No such file or directory)",
      expected, dir()));
}

// Contents that are no font, or a font cut short, are refused without output.
TEST_F(InputFaultTest, UnusableContentsAreRefused) {
  const struct {
    const char* what;
    std::string bytes;
    std::string message;
  } cases[] = {
      {"empty", "", kNotSupported},
      {"binary junk", Junk(64 * 1024, 7), kNotSupported},
      {"junk with NUL, CR and LF only", std::string("\0\r\n\n\r\0\0\r\r", 9), kNotSupported},
      {"cut inside a glyph's rows", CutInsideSecondGlyph(),
       "Unexpected end of file at line 12! [ENCODING 66]"},
      {"cut before BITMAP", SmallFont().substr(0, SmallFont().find("DWIDTH 7")),
       "Unexpected end of file at line 12! [ENCODING 66]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    host_ = {};
    lineState_ = {};
    const fs::path input = Write("in.bdf", c.bytes);
    Write("in.kvn", "earlier contents");
    const Snapshot before = TakeSnapshot(dir());
    const auto summary = Convert(input, dir() / "in.kvn");
    EXPECT_TRUE(RefusedLeavingUnchanged(summary, host_, c.message, before, dir()));
  }
}

TEST_F(InputFaultTest, LastLineWithoutTerminatorStillCounts) {
  for (const std::string eol : {"\n", "\r", "\r\n", "\n\r"}) {
    SCOPED_TRACE(::testing::PrintToString(eol));
    lineState_ = {};
    std::string font = SmallFont(eol);
    font = font.substr(0, font.rfind("ENDFONT"));  // the last line is now ENDCHAR
    font.resize(font.size() - eol.size());
    const fs::path input = Write("a.bdf", font);
    ASSERT_TRUE(Convert(input, dir() / "a.kvn").has_value())
        << ::testing::PrintToString(host_.errors);
    EXPECT_EQ(ReadBytes(dir() / "a.kvn"), SmallFontKvn());
  }
}

class Bdf2kvnInputFaultTest : public FaultTest {};

TEST_F(Bdf2kvnInputFaultTest, RefusedInputsExitOneWithTheirMessage) {
  fs::create_directory(dir() / "folder.bdf");
  Write("empty.bdf", "");
  Write("junk.bdf", Junk(4096, 11));
  Write("cut.bdf", CutInsideSecondGlyph());
  Write("good.bdf", SmallFont());
  const Snapshot before = TakeSnapshot(dir());
  const ProgramResult run = RunProgram(
      {BDF2KVN_PATH, "folder.bdf", "missing.bdf", "empty.bdf", "junk.bdf", "cut.bdf", "good.bdf"},
      dir());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "bdf2kvn: folder.bdf: Cannot open file! [folder.bdf] (Is a directory)\n"
            "bdf2kvn: missing.bdf: Cannot open file! [missing.bdf] (No such file or directory)\n"
            "bdf2kvn: empty.bdf: File is not support !\n"
            "bdf2kvn: junk.bdf: File is not support !\n"
            "bdf2kvn: cut.bdf: Unexpected end of file at line 12! [ENCODING 66]\n");
  EXPECT_EQ(Differences(before, TakeSnapshot(dir())), "added: good.kvn\n");
  EXPECT_EQ(ReadBytes(dir() / "good.kvn"), SmallFontKvn());
}

}  // namespace
}  // namespace kelvane::faults
