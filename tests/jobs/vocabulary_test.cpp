#include <gtest/gtest.h>

#include "jobs/batch_job.h"
#include "jobs/polish_format.h"

namespace pomvelt {
namespace {

using K = ElementKind;

TEST(Vocabulary, HeadersAreFoundAnywhereInTheLine) {
  struct Case {
    const char* line;
    K kind;
    bool header;
  } cases[] = {
      {"[POLYGON]", K::kPolygon, true},   {"[RGN80]", K::kPolygon, true},
      {"  [RGN80] x", K::kPolygon, true}, {"[POLYLINE]", K::kPolygon, false},
      {"[POLYLINE]", K::kLine, true},     {"[RGN40]", K::kLine, true},
      {"[POI]", K::kPoint, true},         {"Label=at [POI] corner", K::kPoint, true},
      {"[RGN10]", K::kPoint, true},       {"[RGN20]", K::kPoint, false},
      {"[polygon]", K::kPolygon, false},  {"[END-RGN80]", K::kPolygon, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsElementHeader(c.line, c.kind), c.header) << c.line;
  }
  EXPECT_TRUE(IsAnyElementHeader("Label=at [POI] corner"));
  EXPECT_TRUE(IsAnyElementHeader("[RGN40]"));
  EXPECT_FALSE(IsAnyElementHeader("[RGN20]"));
  EXPECT_FALSE(IsAnyElementHeader("[IMG ID]"));
  EXPECT_FALSE(IsAnyElementHeader(""));
}

TEST(Vocabulary, EndMarkers) {
  EXPECT_TRUE(BeginsElementEnd("[END]", K::kPolygon));
  EXPECT_TRUE(BeginsElementEnd("[END] trailing", K::kPoint));
  EXPECT_FALSE(BeginsElementEnd(" [END]", K::kPolygon));
  EXPECT_TRUE(ContainsElementEnd(" [END]"));
  EXPECT_TRUE(BeginsElementEnd("[END-RGN40]", K::kLine));
  EXPECT_FALSE(BeginsElementEnd("[END-RGN40]", K::kPolygon));
  EXPECT_TRUE(BeginsElementEnd("[END-RGN80]", K::kPolygon));
  EXPECT_TRUE(BeginsElementEnd("[END-RGN10]", K::kPoint));
  EXPECT_TRUE(ContainsElementEnd("x[END-RGN40]"));
  EXPECT_FALSE(ContainsElementEnd("[END-IMG ID]"));
  EXPECT_FALSE(BeginsElementEnd("[END-IMG ID]", K::kPolygon));
}

TEST(Vocabulary, TypeLineIsExactEquality) {
  EXPECT_TRUE(IsTypeLine("Type=0x4b", "0x4b"));
  EXPECT_FALSE(IsTypeLine("Type=0x4B", "0x4b"));
  EXPECT_FALSE(IsTypeLine("Type=0x4b ", "0x4b"));
  EXPECT_FALSE(IsTypeLine(" Type=0x4b", "0x4b"));
  EXPECT_FALSE(IsTypeLine("Type=75", "0x4b"));
  EXPECT_FALSE(IsTypeLine("Type=0x4", "0x4b"));
  EXPECT_TRUE(IsTypeLine("Type=", ""));
  EXPECT_FALSE(IsTypeLine("Type=0x1", ""));
  EXPECT_FALSE(IsTypeLine("", ""));
}

TEST(Vocabulary, LevelKeysDoNotMatchLongerLevels) {
  const std::string key1 = "Data1=";
  EXPECT_EQ(std::string("Data10=(1,2)").find(key1), std::string::npos);
  EXPECT_NE(std::string("Data1=(1,2)").find(key1), std::string::npos);
}

TEST(MakeOutputPath, CutsAtTheLastDotOfTheFileName) {
  struct Case {
    const char* input;
    const char* expected;
  } cases[] = {
      {"/maps/town.mp", "/maps/town_0x4b_deleted.mp"},
      {"/maps/town.v2.mp", "/maps/town.v2_0x4b_deleted.mp"},
      {"C:\\maps\\town.MP", "C:\\maps\\town_0x4b_deleted.mp"},
      // A dot in a folder name never cuts the path.
      {"/maps.old/town", "/maps.old/town_0x4b_deleted.mp"},
      {"D:\\maps.old\\town", "D:\\maps.old\\town_0x4b_deleted.mp"},
      {"town", "town_0x4b_deleted.mp"},
      {"/maps/.hidden", "/maps/_0x4b_deleted.mp"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MakeOutputPath(c.input, "_0x4b_deleted.mp"), c.expected) << c.input;
  }
}

}  // namespace
}  // namespace pomvelt
