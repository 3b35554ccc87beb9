#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion/bdf_readers.h"

namespace kelvane {
namespace {

using namespace std::string_literals;

std::vector<std::string> AllLines(ByteInput& input, LineReaderState& state) {
  std::vector<std::string> lines;
  std::string line;
  while (!input.AtEnd()) {
    ReadLine(input, state, line);
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> AllLines(std::string bytes) {
  ByteInput input(std::move(bytes));
  LineReaderState state;
  return AllLines(input, state);
}

using Lines = std::vector<std::string>;

TEST(ReadLine, EachTerminatorEndsOneLine) {
  const struct {
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"AB\nCD\n", {"AB", "CD"}},
      {"AB\rCD\r", {"AB", "CD"}},
      // The second byte of a final pair is read by one more call, which then
      // meets the end with nothing gathered.
      {"AB\r\nCD\r\n", {"AB", "CD", ""}},
      {"AB\n\rCD\n\r", {"AB", "CD", ""}},
      {"A\r\n\r\nB", {"A", "", "B"}},
      {"A\r\rB", {"A", "", "B"}},
      {"A\n\nB", {"A", "", "B"}},
      {"A\r\n\nB", {"A", "", "B"}},
      {"AB\0CD\n"s, {"AB", "CD"}},
      {"\0\0"s, {"", ""}},
      {"A\nB", {"A", "B"}},
      {"\n", {""}},
      {"", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AllLines(c.bytes), c.lines) << testing::PrintToString(c.bytes);
  }
}

TEST(ReadLine, KeepsOtherBytesUnchanged) {
  const std::string line = "COMMENT \xE3\x83\x95\x7F\t x";
  EXPECT_EQ(AllLines(line + "\n"), Lines{line});
}

TEST(ReadLine, StateCarriesOverToTheNextInput) {
  LineReaderState state;
  ByteInput first("A\r"s);
  EXPECT_EQ(AllLines(first, state), Lines{"A"});
  EXPECT_TRUE(state.afterCR);

  // The LF that starts the next input completes the CR LF pair.
  ByteInput second("\nB\n"s);
  EXPECT_EQ(AllLines(second, state), (Lines{"B"}));
  EXPECT_TRUE(state.afterLF);

  ByteInput third("\rC"s);
  EXPECT_EQ(AllLines(third, state), (Lines{"C"}));
  EXPECT_FALSE(state.afterCR);
  EXPECT_FALSE(state.afterLF);
}

TEST(ReadLine, FreshStateTakesALeadingLineFeedAsAnEmptyLine) {
  EXPECT_EQ(AllLines("\nB\n"), (Lines{"", "B"}));
}

TEST(ReadLine, LongLineKeepsItsFirst4096Characters) {
  std::string longLine;
  for (int i = 0; i < 100000; ++i) longLine += static_cast<char>('a' + i % 26);
  const Lines lines = AllLines(longLine + "\r\nNEXT\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], longLine.substr(0, 4096));
  EXPECT_EQ(lines[1], "NEXT");
}

TEST(BdfLines, CountsLinesFromOne) {
  ByteInput input("A\r\nB\n\nC"s);
  LineReaderState state;
  BdfLines lines(input, state);
  std::vector<std::pair<std::int64_t, std::string>> seen;
  while (lines.Next()) seen.emplace_back(lines.number(), lines.line());
  const std::vector<std::pair<std::int64_t, std::string>> expected = {
      {1, "A"}, {2, "B"}, {3, ""}, {4, "C"}};
  EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace kelvane
