// apply-rules and --keep-whole from the shell: a broken rules file touches nothing; a good one
// changes the maps as the single commands would, and the report counts per rule.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/cli_run.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

using test::CrLf;
using test::RunCliCaptured;

const std::string kMap = CrLf({"[POLYGON]", "Type=0x4b", "[END]", "[POI]", "Type=0x2f06",
                               "Data0=(1,2)", "[END]", "[POLYLINE]", "Type=0x1", "[END]"});

TEST(RulesCli, BrokenRulesTouchNothing) {
  test::TempDir dir;
  const std::string rules = dir.File("r.txt"), map = dir.File("town.mp");
  test::WriteBytes(rules, "[POLYGON]\n0x4b=0x1\n[DELETE-POLYGON]\n0x4b\n[LINES]\n");
  test::WriteBytes(map, kMap);
  const test::CliRun r = RunCliCaptured({"apply-rules", rules, map});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(rules + ":4: код 0x4b и удаляется, и заменяется в строке 2\n" + rules +
                       ":5: неизвестная секция [LINES]\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(test::ReadBytes(map), kMap);
  EXPECT_EQ(RunCliCaptured({"apply-rules", dir.File("none.txt"), map}).status, 2);
  EXPECT_EQ(RunCliCaptured({"apply-rules", rules}).status, 2);  // no map
  EXPECT_EQ(test::FileNames(dir), (std::set<std::string>{"r.txt", "town.mp"}));
}

TEST(RulesCli, DryRunCopyAndInPlaceWithCountsPerRule) {
  test::TempDir dir;
  const std::string rules = dir.File("r.txt"), map = dir.File("town.mp");
  test::WriteBytes(rules, "[POLYGON]\n0x4b=0x1\n[DELETE-POI]\n0x2f06\n[POLYLINE]\n0x1=0x2\n");
  test::WriteBytes(map, kMap);
  const std::string expected =
      CrLf({"[POLYGON]", "Type=0x1", "[END]", "[POLYLINE]", "Type=0x2", "[END]"});

  test::CliRun r = RunCliCaptured({"apply-rules", "--dry-run", rules, map});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::ReadBytes(map), kMap);
  EXPECT_EQ(test::FileNames(dir), (std::set<std::string>{"r.txt", "town.mp"}));

  r = RunCliCaptured({"apply-rules", "--copy", "--report", "-", rules, map});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::ReadBytes(dir.File("town_rules.mp")), expected);
  EXPECT_EQ(test::ReadBytes(map), kMap);
  const nlohmann::json j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["command"], "apply-rules");
  EXPECT_EQ(j["options"]["rules"], rules);
  EXPECT_EQ(j["files"][0]["counts"], nlohmann::json::parse(R"({"[POLYGON] 0x4b=0x1": 1,
      "[DELETE-POI] 0x2f06": 1, "[POLYLINE] 0x1=0x2": 1})"));
  EXPECT_NE(r.err.find("заменено по правилу [POLYGON] 0x4b=0x1: 1, удалено по правилу "
                       "[DELETE-POI] 0x2f06: 1, заменено по правилу [POLYLINE] 0x1=0x2: 1"),
            std::string::npos)
      << r.err;

  r = RunCliCaptured({"apply-rules", rules, map});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::ReadBytes(map), expected);
  // Again: nothing left to change.
  r = RunCliCaptured({"apply-rules", rules, map});
  EXPECT_NE(r.err.find("Внимание: ни один файл не изменён"), std::string::npos) << r.err;
}

TEST(KeepWholeCli, DeleteLayerAndLevelRemoval) {
  test::TempDir dir;
  const std::string map = dir.File("town.mp");
  const std::string kept = CrLf({"[POLYGON]", "Type=0x4e", "Data1=(1,2)", "Data1=(3,4)", "[END]"});
  test::WriteBytes(map, CrLf({"[IMG ID]", "ID=1", "Levels=4", "[END-IMG ID]", "[POI]", "Type=0x1",
                              "Data0=(1,2)", "[END]"}) +
                            kept);
  test::CliRun r = RunCliCaptured({"delete-layer", "--keep-whole", "--copy", "--report", "-", map});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::ReadBytes(dir.File("town_0_layer_deleted.mp")),
            CrLf({"[IMG ID]", "ID=1", "Levels=4", "[END-IMG ID]"}) + kept);
  const nlohmann::json j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["options"]["keepWhole"], true);
  EXPECT_EQ(j["totals"]["counts"]["elementsDeleted"], 1);
  EXPECT_EQ(j["totals"]["counts"]["elementsReduced"], 0);

  EXPECT_EQ(RunCliCaptured({"eurasia", "--keep-whole", "--fill-levels", map}).status, 2);
  EXPECT_EQ(RunCliCaptured({"eurasia", "--keep-whole", map}).status, 2);
  EXPECT_EQ(RunCliCaptured({"eurasia", "--remove-levels", "--keep-whole", map}).status, 0);
  // Level 1 held the polygon: nothing but the header is left.
  EXPECT_EQ(test::ReadBytes(map).find("[POLYGON]"), std::string::npos);
}

}  // namespace
}  // namespace pomvelt
