// Very long lines and very many lines go through bdf2kvn in bounded memory.
#include <gtest/gtest.h>

#include <fstream>

#include "child_process.h"
#include "fault_fixture.h"

namespace kelvane::faults {
namespace {

// Peak memory may exceed that of converting a tiny font by this much; holding
// the 100 MB line, or a record per empty line, would go far beyond it.
constexpr long kMemoryAllowanceKilobytes = 16 * 1024;

void WriteRepeated(const fs::path& path, const std::string& head, char fill, std::size_t count) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << head;
  const std::string chunk(1 << 20, fill);
  for (std::size_t left = count; left > 0;) {
    const std::size_t n = std::min(left, chunk.size());
    out.write(chunk.data(), static_cast<std::streamsize>(n));
    left -= n;
  }
}

class LargeInputTest : public FaultTest {
 protected:
  ProgramResult Bdf2kvn(const std::string& file) { return RunProgram({BDF2KVN_PATH, file}, dir()); }

  long BaselineKilobytes() {
    Write("tiny.bdf", SmallFont());
    const ProgramResult run = Bdf2kvn("tiny.bdf");
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    return run.peakKilobytes;
  }
};

TEST_F(LargeInputTest, HundredMegabyteSingleLineIsRefusedInBoundedMemory) {
  const long baseline = BaselineKilobytes();
  WriteRepeated(dir() / "line.bdf", "", 'A', 100'000'000);
  const ProgramResult run = Bdf2kvn("line.bdf");
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err, "bdf2kvn: line.bdf: File is not support !\n");
  EXPECT_FALSE(fs::exists(dir() / "line.kvn"));
  EXPECT_LT(run.peakKilobytes, baseline + kMemoryAllowanceKilobytes);
}

TEST_F(LargeInputTest, FontFollowedByAMillionEmptyLinesConvertsInBoundedMemory) {
  const long baseline = BaselineKilobytes();
  WriteRepeated(dir() / "tall.bdf", SmallFont(), '\n', 1'000'000);
  const ProgramResult run = Bdf2kvn("tall.bdf");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(ReadBytes(dir() / "tall.kvn"), SmallFontKvn());
  EXPECT_LT(run.peakKilobytes, baseline + kMemoryAllowanceKilobytes);
}

// A bitmap row megabytes long keeps its first bytes and does not disturb the next rows.
TEST_F(LargeInputTest, OverlongBitmapRowIsCut) {
  std::string font = SmallFont();
  font.replace(font.find("81\n"), 3, "81" + std::string(8'000'000, 'F') + "\n");
  Write("wide.bdf", font);
  const ProgramResult run = Bdf2kvn("wide.bdf");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(ReadBytes(dir() / "wide.kvn"), SmallFontKvn());
}

}  // namespace
}  // namespace kelvane::faults
