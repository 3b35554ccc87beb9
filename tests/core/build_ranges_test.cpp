#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "conversion/convert_file.h"
#include "output/build_ranges.h"
#include "output/kvn_format.h"

namespace kelvane {
namespace {

std::vector<std::int32_t> CodesFrom(std::int32_t first, std::int32_t last) {
  std::vector<std::int32_t> codes(static_cast<std::size_t>(last - first + 1));
  std::iota(codes.begin(), codes.end(), first);
  return codes;
}

TEST(BuildRanges, FindsRunsOfConsecutiveCodesInFileOrder) {
  const struct {
    const char* name;
    std::vector<std::int32_t> codes;
    std::int32_t defaultCode;
    std::vector<CodeRange> ranges;
    std::int32_t defaultIndex;
  } cases[] = {
      {"one code", {0x8140}, 0x8140, {{0x8140, 0x8140, 0x8140}}, 0},
      {"32..126", CodesFrom(32, 126), 63, {{32, 126, 32}}, 31},
      {"a gap", {32, 33, 35}, 35, {{32, 33, 32}, {35, 35, 33}}, 2},
      {"a repeated code", {65, 65}, 0, {{65, 65, 65}, {65, 65, 64}}, 0},
      {"codes not sorted", {66, 67, 65}, 0, {{66, 67, 66}, {65, 65, 63}}, 0},
      {"default at index 5", {10, 11, 12, 13, 14, 0}, 0, {{10, 14, 10}, {0, 0, -5}}, 5},
      {"default absent", {1, 2, 3}, 99, {{1, 3, 1}}, 0},
      {"last of several defaults wins", {7, 9, 7, 8}, 7, {{7, 7, 7}, {9, 9, 8}, {7, 8, 5}}, 2},
      {"worked example",
       {0x8140, 0x8141, 0x82A0},
       0x8140,
       {{0x8140, 0x8141, 0x8140}, {0x82A0, 0x82A0, 0x829E}},
       0},
  };
  for (const auto& c : cases) {
    const RangeTable table = BuildRanges(c.codes, c.defaultCode);
    EXPECT_EQ(table.ranges, c.ranges) << c.name;
    EXPECT_EQ(table.defaultIndex, c.defaultIndex) << c.name;
  }
}

TEST(SplitWord, PutsTheLowByteFirst) {
  const struct {
    std::int64_t value;
    std::array<std::uint8_t, 2> bytes;
  } cases[] = {{0, {0x00, 0x00}},
               {255, {0xFF, 0x00}},
               {256, {0x00, 0x01}},
               {0x8140, {0x40, 0x81}},
               {65535, {0xFF, 0xFF}}};
  for (const auto& c : cases) EXPECT_EQ(SplitWord(c.value), c.bytes) << c.value;
}

TEST(OutputPathFor, ReplacesTheExtensionOfTheFileNameOnly) {
  const struct {
    const char* input;
    const char* output;
  } cases[] = {
      {"C:\\fonts\\k16.bdf", "C:\\fonts\\k16.kvn"},
      {"C:\\a.b\\font", "C:\\a.b\\font.kvn"},
      {"x.y.bdf", "x.y.kvn"},
      {"C:\\f\\name.", "C:\\f\\name.kvn"},
      {"/home/a.b/font", "/home/a.b/font.kvn"},
      {"dir/x.y.bdf", "dir/x.y.kvn"},
      {"font", "font.kvn"},
      {"font.kvn", "font.kvn"},
      {"./font.BDF", "./font.kvn"},
  };
  for (const auto& c : cases) EXPECT_EQ(OutputPathFor(c.input), c.output) << c.input;
}

}  // namespace
}  // namespace kelvane
