// Conversions one after another: the line reader's state carries over from
// file to file, and the same input always gives the same bytes.
#include <gtest/gtest.h>

#include "child_process.h"
#include "fault_fixture.h"

namespace kelvane::faults {
namespace {

using RepeatConversionTest = FaultTest;

// A file ending in CR leaves afterCR set, so an LF opening the next file
// completes that pair instead of ending an empty first line.
TEST_F(RepeatConversionTest, TrailingCrPairsWithTheNextFilesLeadingLf) {
  const fs::path first = Write("first.bdf", SmallFont("\r"));
  const fs::path second = Write("second.bdf", "\nFONTBOUNDINGBOX 8 x\n");
  ASSERT_TRUE(Convert(first, dir() / "first.kvn").has_value());
  EXPECT_TRUE(lineState_.afterCR);
  EXPECT_FALSE(Convert(second, dir() / "second.kvn").has_value());
  EXPECT_EQ(host_.errors,
            std::vector<std::string>{"Invalid number at line 1! [FONTBOUNDINGBOX 8 x]"});

  // The same second file read with a fresh state sees the empty line first.
  host_ = {};
  lineState_ = {};
  EXPECT_FALSE(Convert(second, dir() / "second.kvn").has_value());
  EXPECT_EQ(host_.errors,
            std::vector<std::string>{"Invalid number at line 2! [FONTBOUNDINGBOX 8 x]"});
}

TEST_F(RepeatConversionTest, CarriedStateStillGivesTheRightFont) {
  const fs::path first = Write("first.bdf", SmallFont("\r"));
  const fs::path second = Write("second.bdf", "\n" + SmallFont("\n"));
  ASSERT_TRUE(Convert(first, dir() / "first.kvn").has_value());
  ASSERT_TRUE(Convert(second, dir() / "second.kvn").has_value());
  EXPECT_TRUE(host_.errors.empty());
  EXPECT_EQ(ReadBytes(dir() / "first.kvn"), SmallFontKvn());
  EXPECT_EQ(ReadBytes(dir() / "second.kvn"), SmallFontKvn());
  EXPECT_TRUE(lineState_.afterLF);
}

TEST_F(RepeatConversionTest, Bdf2kvnCarriesTheStateAcrossItsFiles) {
  Write("first.bdf", SmallFont("\r"));
  Write("second.bdf", "\nFONTBOUNDINGBOX 8 x\n");
  const ProgramResult run = RunProgram({BDF2KVN_PATH, "first.bdf", "second.bdf"}, dir());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err, "bdf2kvn: second.bdf: Invalid number at line 1! [FONTBOUNDINGBOX 8 x]\n");
  EXPECT_EQ(ReadBytes(dir() / "first.kvn"), SmallFontKvn());
  EXPECT_FALSE(fs::exists(dir() / "second.kvn"));
}

// Every crafted font converts to the same bytes twice, into a fresh file and
// over the earlier result, or is refused twice with the same message.
TEST_F(RepeatConversionTest, SameInputGivesIdenticalOutput) {
  int converted = 0;
  for (const auto& item : fs::directory_iterator(KELVANE_FONT_CORPUS)) {
    SCOPED_TRACE(item.path().filename().string());
    std::vector<std::string> runs;
    for (const char* name : {"once.kvn", "twice.kvn", "twice.kvn"}) {
      host_ = {};
      lineState_ = {};
      const auto summary = Convert(item.path(), dir() / name);
      runs.push_back(summary ? ReadBytes(dir() / name) : "refused: " + host_.errors.at(0));
    }
    EXPECT_EQ(runs[0], runs[1]);
    EXPECT_EQ(runs[1], runs[2]);
    converted += runs[0].starts_with("refused: ") ? 0 : 1;
    fs::remove(dir() / "once.kvn");
    fs::remove(dir() / "twice.kvn");
  }
  EXPECT_GE(converted, 5);
}

TEST_F(RepeatConversionTest, Bdf2kvnTwiceGivesIdenticalOutput) {
  Write("a.bdf", SmallFont("\r\n"));
  std::string outputs[2];
  for (std::string& output : outputs) {
    const ProgramResult run = RunProgram({BDF2KVN_PATH, "a.bdf"}, dir());
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    output = ReadBytes(dir() / "a.kvn");
  }
  EXPECT_EQ(outputs[0], SmallFontKvn());
  EXPECT_EQ(outputs[1], outputs[0]);
}

}  // namespace
}  // namespace kelvane::faults
