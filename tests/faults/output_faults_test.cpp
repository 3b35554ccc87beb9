// Output that cannot be written, or is not a plain file: nothing half-written,
// no temporary file left, an earlier file kept byte for byte.
#include <gtest/gtest.h>
#include <unistd.h>

#include "child_process.h"
#include "fault_fixture.h"

namespace kelvane::faults {
namespace {

std::string CannotWrite(const fs::path& output, const std::string& reason) {
  return "Cannot write file! [" + output.string() + "] (" + reason + ")";
}

// A 16 x 16 font of `glyphs` glyphs: 1 + 32 bytes each in the output.
std::string LargeFont(int glyphs) {
  std::string text = "STARTFONT 2.1\nFONTBOUNDINGBOX 16 16 0 -2\n";
  for (int code = 0; code < glyphs; ++code) {
    text += "ENCODING " + std::to_string(code) + "\nDWIDTH 16 0\nBITMAP\n";
    for (int row = 0; row < 16; ++row) text += "A5A5\n";
    text += "ENDCHAR\n";
  }
  return text;
}

using OutputFaultTest = FaultTest;

TEST_F(OutputFaultTest, MissingOutputDirectoryIsRefused) {
  const fs::path input = Write("a.bdf", SmallFont());
  const fs::path output = dir() / "missing" / "a.kvn";
  const Snapshot before = TakeSnapshot(dir());
  const auto summary = Convert(input, output);
  EXPECT_TRUE(RefusedLeavingUnchanged(
      summary, host_, CannotWrite(output, "No such file or directory"), before, dir()));
}

TEST_F(OutputFaultTest, DirectoryInPlaceOfTheOutputIsRefused) {
  const fs::path input = Write("a.bdf", SmallFont());
  fs::create_directory(dir() / "a.kvn");
  Write("a.kvn/inside", "kept");
  const Snapshot before = TakeSnapshot(dir());
  const auto summary = Convert(input, dir() / "a.kvn");
  EXPECT_TRUE(RefusedLeavingUnchanged(
      summary, host_, CannotWrite(dir() / "a.kvn", "Is a directory"), before, dir()));
}

TEST_F(OutputFaultTest, ReadOnlyOutputIsNotReplaced) {
  const fs::path input = Write("a.bdf", SmallFont());
  const fs::path output = Write("a.kvn", "earlier contents");
  fs::permissions(output, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const Snapshot before = TakeSnapshot(dir());
  const auto summary = Convert(input, output);
  EXPECT_TRUE(RefusedLeavingUnchanged(summary, host_, CannotWrite(output, "Permission denied"),
                                      before, dir()));
}

// The write runs into RLIMIT_FSIZE part way through the temporary file.
TEST_F(OutputFaultTest, FileSizeLimitMidWriteKeepsTheEarlierFile) {
  constexpr rlim_t kLimit = 4096;
  const fs::path input = Write("big.bdf", LargeFont(400));
  const fs::path output = Write("big.kvn", "earlier contents");
  ASSERT_GT(9 + 6 + 400 * 33, kLimit);
  const Snapshot before = TakeSnapshot(dir());

  const auto message = RunInChild(
      [&] {
        const auto summary = Convert(input, output);
        return summary ? std::string("converted") : host_.errors.at(0);
      },
      {.fileSize = kLimit});
  ASSERT_TRUE(message.has_value()) << "the child did not finish";
  EXPECT_EQ(*message, CannotWrite(output, "File too large"));
  EXPECT_EQ(Differences(before, TakeSnapshot(dir())), "");
}

TEST_F(OutputFaultTest, SymbolicLinkOutputReplacesItsTargetAndStays) {
  const fs::path input = Write("a.bdf", SmallFont());
  fs::create_directory(dir() / "real");
  Write("real/target.kvn", "an older and longer file than the new one");
  fs::create_symlink("real/target.kvn", dir() / "link.kvn");
  const Snapshot before = TakeSnapshot(dir());

  ASSERT_TRUE(Convert(input, dir() / "link.kvn").has_value())
      << ::testing::PrintToString(host_.errors);
  EXPECT_EQ(Differences(before, TakeSnapshot(dir())), "changed: real/target.kvn\n");
  EXPECT_TRUE(fs::is_symlink(dir() / "link.kvn"));
  EXPECT_EQ(ReadBytes(dir() / "real/target.kvn"), SmallFontKvn());
}

TEST_F(OutputFaultTest, DanglingSymbolicLinkOutputCreatesItsTarget) {
  const fs::path input = Write("a.bdf", SmallFont());
  fs::create_directory(dir() / "real");
  fs::create_symlink("real/new.kvn", dir() / "link.kvn");
  const Snapshot before = TakeSnapshot(dir());

  ASSERT_TRUE(Convert(input, dir() / "link.kvn").has_value())
      << ::testing::PrintToString(host_.errors);
  EXPECT_EQ(Differences(before, TakeSnapshot(dir())), "added: real/new.kvn\n");
  EXPECT_EQ(ReadBytes(dir() / "real/new.kvn"), SmallFontKvn());
}

TEST_F(OutputFaultTest, ReplacedOutputKeepsItsPermissionBits) {
  const fs::path input = Write("a.bdf", SmallFont());
  for (const auto mode : {fs::perms(0600), fs::perms(0604), fs::perms(0640), fs::perms(0751),
                          fs::perms(0222), fs::perms(0200)}) {
    SCOPED_TRACE(static_cast<int>(mode));
    const fs::path output = Write("a.kvn", "earlier contents");
    fs::permissions(output, mode);
    ASSERT_TRUE(Convert(input, output).has_value()) << ::testing::PrintToString(host_.errors);
    EXPECT_EQ(fs::status(output).permissions(), mode);
    EXPECT_EQ(ReadBytes(output), SmallFontKvn());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir()), fs::directory_iterator()), 2);
    fs::remove(output);
  }
}

// Every spelling of the input as the output is caught by file identity.
TEST_F(OutputFaultTest, InputAsItsOwnOutputIsRefused) {
  const fs::path input = Write("a.bdf", SmallFont());
  fs::create_hard_link(input, dir() / "hard.kvn");
  fs::create_symlink("a.bdf", dir() / "soft.kvn");
  for (const fs::path& output :
       {input, dir() / "." / "a.bdf", dir() / "hard.kvn", dir() / "soft.kvn"}) {
    SCOPED_TRACE(output.string());
    host_.errors.clear();
    const Snapshot before = TakeSnapshot(dir());
    const auto summary = Convert(input, output);
    EXPECT_TRUE(RefusedLeavingUnchanged(
        summary, host_, "Output would overwrite the input! [" + output.string() + "]", before,
        dir()));
  }
}

class Bdf2kvnOutputFaultTest : public FaultTest {
 protected:
  ProgramResult Bdf2kvn(std::vector<std::string> args, const ChildLimits& limits = {}) {
    args.insert(args.begin(), BDF2KVN_PATH);
    return RunProgram(args, dir(), limits);
  }
};

TEST_F(Bdf2kvnOutputFaultTest, RefusalsExitOneAndChangeNothing) {
  Write("a.bdf", SmallFont());
  Write("font.kvn", SmallFont());
  fs::create_directory(dir() / "dir.kvn");
  Write("ro.kvn", "earlier");
  fs::permissions(dir() / "ro.kvn", fs::perms(0444));
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"-o", "missing/a.kvn", "a.bdf"},
       "bdf2kvn: a.bdf: Cannot write file! [missing/a.kvn] (No such file or directory)\n"},
      {{"-o", "dir.kvn", "a.bdf"},
       "bdf2kvn: a.bdf: Cannot write file! [dir.kvn] (Is a directory)\n"},
      {{"-o", "ro.kvn", "a.bdf"},
       "bdf2kvn: a.bdf: Cannot write file! [ro.kvn] (Permission denied)\n"},
      {{"-o", "a.bdf", "a.bdf"}, "bdf2kvn: a.bdf: Output would overwrite the input! [a.bdf]\n"},
      {{"font.kvn"}, "bdf2kvn: font.kvn: Output would overwrite the input! [font.kvn]\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.front());
    const Snapshot before = TakeSnapshot(dir());
    const ProgramResult run = Bdf2kvn(c.args);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(Differences(before, TakeSnapshot(dir())), "");
  }
}

TEST_F(Bdf2kvnOutputFaultTest, FileSizeLimitMidWriteExitsOneAndKeepsTheEarlierFile) {
  Write("big.bdf", LargeFont(400));
  Write("big.kvn", "earlier contents");
  const Snapshot before = TakeSnapshot(dir());
  const ProgramResult run = Bdf2kvn({"big.bdf"}, {.fileSize = 4096});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err, "bdf2kvn: big.bdf: Cannot write file! [big.kvn] (File too large)\n");
  EXPECT_EQ(Differences(before, TakeSnapshot(dir())), "");
}

TEST_F(Bdf2kvnOutputFaultTest, SymbolicLinkOutputReplacesItsTarget) {
  Write("a.bdf", SmallFont());
  Write("target.kvn", "earlier contents, longer than the new file");
  fs::permissions(dir() / "target.kvn", fs::perms(0640));
  fs::create_symlink("target.kvn", dir() / "a.kvn");
  const ProgramResult run = Bdf2kvn({"a.bdf"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(fs::read_symlink(dir() / "a.kvn"), "target.kvn");
  EXPECT_EQ(ReadBytes(dir() / "target.kvn"), SmallFontKvn());
  EXPECT_EQ(fs::status(dir() / "target.kvn").permissions(), fs::perms(0640));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir()), fs::directory_iterator()), 3);
}

}  // namespace
}  // namespace kelvane::faults
