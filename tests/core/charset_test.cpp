#include "conversion/charset.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

TEST(CharsetIdOf, AcceptsKnownRegistriesInAnyCase) {
  const struct {
    const char* name;
    CharsetId id;
  } cases[] = {
      {"ISO8859", CHARSET_ISO8859},           {"iso8859", CHARSET_ISO8859},
      {"JISX0201.1976", CHARSET_JISX0201},    {"JISX0208.1983", CHARSET_JISX0208},
      {"jisx0208", CHARSET_JISX0208},         {"ISO10646", CHARSET_UNSUPPORTED},
      {"JISX0213.2000", CHARSET_UNSUPPORTED}, {"", CHARSET_UNSUPPORTED},
      {"ISO885", CHARSET_UNSUPPORTED},
  };
  for (const auto& c : cases) EXPECT_EQ(CharsetIdOf(c.name), c.id) << c.name;
}

TEST(JisToSjis, MapsRowCellCodes) {
  const struct {
    std::int32_t jis, sjis;
  } cases[] = {{0x2121, 0x8140}, {0x2422, 0x82A0}, {0x3021, 0x889F}, {0x5E7E, 0x9FFC},
               {0x5F21, 0xE040}, {0x7426, 0xEAA4}, {0x0041, 0x0041}, {-1, 0x701E}};
  for (const auto& c : cases) EXPECT_EQ(JisToSjis(c.jis), c.sjis) << std::hex << c.jis;
}

TEST(ConvertCode, MapsOnlyJisX0208) {
  EXPECT_EQ(ConvertCode("JISX0208.1983", 8481), 0x8140);
  EXPECT_EQ(ConvertCode("JISX0208.1983", 65), 65);
  EXPECT_EQ(ConvertCode("ISO8859", 8481), 8481);
  EXPECT_EQ(ConvertCode("", 8481), 8481);
}

}  // namespace
}  // namespace kelvane
