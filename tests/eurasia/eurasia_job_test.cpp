#include <gtest/gtest.h>

#include "eurasia/eurasia_job.h"
#include "support/test_support.h"
#include "text/cp1251.h"

namespace pomvelt {
namespace {

using test::CrLf;
using test::RecordingHost;
using test::TempDir;
using Calls = std::vector<std::string>;

const std::string kMap = CrLf({"[IMG ID]", "Name=Volga", "Preprocess=F", "Levels=6", "Level0=24",
                               "[END-IMG ID]", "[POLYGON]", "Type=0x1", "Data0=(1,1)", "[END]",
                               "[POLYGON]", "Type=0x2", "Data3=(2,2)", "[END]"});

std::string PreviewHeader() {
  return CrLf({"[Map]", "FileName=maps", "MapVersion=100", "ProductCode=91", "Levels=2",
               "Level0=13", "Level1=12", "Zoom0=5", "Zoom1=6", "MapsourceName=Карты"_cp,
               "MapSetName=Карта"_cp, "CDSetName=", "Copy1=", "Copy2=", "[End-Map]", "[Files]"});
}

TEST(EurasiaJob, NothingChosenWalksTheFilesAndChangesNothing) {
  TempDir dir;
  const std::string a = dir.File("a.mp");
  test::WriteBytes(a, kMap);
  RecordingHost host;
  CMapListFile list;
  const BatchReport r = EurasiaJob(EurasiaOptions{}, {a}, list, {host});
  EXPECT_EQ(test::ReadBytes(a), kMap);
  EXPECT_EQ(r.Totals().unchanged, 1);
  EXPECT_EQ(host.calls, (Calls{"SetRange 0 1 1", "Show", "SetText a.mp", "Hide"}));
  EXPECT_EQ(host.messages, (Calls{"Готово"}));
  const JobFileDialogParams params = EurasiaDialogParams();
  EXPECT_EQ(params.flags, 0x300u);
  EXPECT_EQ(params.initialFileName, "*.mp");
  EXPECT_FALSE(params.defaultExtension);
  EXPECT_FALSE(test::Exists(dir.File("eurasia_pdb.txt")));
}

TEST(EurasiaJob, RemovalWithTheListAndAnUnreadableFile) {
  TempDir dir;
  const std::string a = dir.File("volga.mp"), missing = dir.File("gone.mp");
  test::WriteBytes(a, kMap);
  test::WriteBytes(dir.File("eurasia_pdb.txt"), "old list");
  RecordingHost host;
  CMapListFile list;
  const BatchReport r =
      EurasiaJob(EurasiaOptions{EurasiaAction::kRemoveLevels, true}, {missing, a}, list, {host});
  EXPECT_EQ(r.Totals().failed, 1);
  EXPECT_EQ(r.Totals().changed, 1);
  // The removal and the list entry each report the unreadable file.
  EXPECT_EQ(host.messages,
            (Calls{"Не могу открыть файл для чтения: " + missing + ": No such file or directory",
                   "Не могу открыть файл " + missing + " для чтения: No such file or directory",
                   "Готово"}));
  EXPECT_EQ(test::ReadBytes(a),
            CrLf({"[IMG ID]",  "Name=Volga",   "Preprocess=N", "CodePage=1251", "LblCoding=9",
                  "Levels=5",  "Level0=20",    "Level1=18",    "Level2=16",     "Level3=13",
                  "Level4=12", "Zoom0=2",      "Zoom1=3",      "Zoom2=4",       "Zoom3=5",
                  "Zoom4=6",   "[END-IMG ID]", "[POLYGON]",    "Type=0x2",      "Data1=(2,2)",
                  "[END]"}));
  EXPECT_EQ(test::ReadBytes(dir.File("eurasia_pdb.txt")),
            PreviewHeader() + CrLf({";  Volga  ", "img=volga.img", "[End-Files]"}));
  EXPECT_EQ(host.calls, (Calls{"SetRange 0 2 1", "Show", "SetText gone.mp", "StepIt",
                               "SetText volga.mp", "StepIt", "Hide"}));
}

TEST(EurasiaJob, FillAndACancelStillCloseTheList) {
  TempDir dir;
  const std::string a = dir.File("a.mp"), b = dir.File("b.mp");
  const std::string emptyLow = CrLf({"Name=A", "[POI]", "Type=0x1", "Data2=(1,1)", "[END]"});
  test::WriteBytes(a, emptyLow);
  test::WriteBytes(b, emptyLow);
  RecordingHost host;
  host.onFile = [&](int i) { host.cancelled = i == 0; };
  CMapListFile list;
  const BatchReport r =
      EurasiaJob(EurasiaOptions{EurasiaAction::kFillLevels, true}, {a, b}, list, {host});
  EXPECT_TRUE(r.Cancelled());
  EXPECT_EQ(r.files.at(1).result, FileResult::kNotStarted);
  EXPECT_EQ(test::ReadBytes(a), CrLf({"Name=A", "[POI]", "Type=0x1", "Data2=(1,1)", "Data0=(1,1)",
                                      "Data1=(1,1)", "[END]"}));
  EXPECT_EQ(test::ReadBytes(b), emptyLow);
  EXPECT_EQ(test::ReadBytes(dir.File("eurasia_pdb.txt")),
            PreviewHeader() + CrLf({";  A  ", "img=a.img", "[End-Files]"}));
  EXPECT_EQ(host.messages, (Calls{"Прервано"}));
}

TEST(EurasiaJob, DryRunWritesNeitherMapsNorList) {
  TempDir dir;
  const std::string a = dir.File("volga.mp");
  test::WriteBytes(a, kMap);
  for (const EurasiaAction action : {EurasiaAction::kRemoveLevels, EurasiaAction::kFillLevels}) {
    RecordingHost host;
    CMapListFile list;
    const BatchReport r = EurasiaJob(EurasiaOptions{action, true}, {a}, list, {host, true});
    EXPECT_TRUE(r.dryRun);
    EXPECT_EQ(r.Totals().changed, action == EurasiaAction::kRemoveLevels ? 1 : 0);
    EXPECT_EQ(test::ReadBytes(a), kMap);
    EXPECT_FALSE(test::Exists(dir.File("eurasia_pdb.txt")));
    EXPECT_EQ(host.messages, (Calls{"Готово"}));
  }
}

}  // namespace
}  // namespace pomvelt
