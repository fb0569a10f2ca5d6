#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "jobs/file_rewrite.h"
#include "jobs/map_list_file.h"
#include "support/test_support.h"
#include "text/cp1251.h"

namespace pomvelt {
namespace {

using test::ReadBytes;
using test::RecordingHost;
using test::TempDir;

constexpr std::string_view kNamesHead = "Имя карты:  Имя файла:\r\n\r\n"_cp;

bool PartialLeft(const TempDir& dir) {
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    if (entry.path().extension() == ".part") return true;
  }
  return false;
}

TEST(MapListFile, NamesListBytes) {
  TempDir dir;
  RecordingHost host;
  CMapListFile list;
  ASSERT_TRUE(list.OpenNamesList(dir.File(kNamesListFileName), host));
  list.AddMapName("Name=Big  River");
  list.AddFileName("D:\\maps\\river.mp");
  list.AddMapName("Name=Волга"_cp);
  list.AddFileName("/home/u/карты/волга.mp");  // UTF-8, as names are on this system
  list.AddMapName("Name=x");
  list.AddFileName("bare.mp");
  ASSERT_TRUE(list.FlushAndClose(host));
  EXPECT_EQ(ReadBytes(dir.File("names.txt")), std::string(kNamesHead) + "  BigRiver  river.mp\r\n" +
                                                  std::string("  Волга  волга.mp\r\n"_cp) +
                                                  "  x  bare.mp\r\n");
  EXPECT_FALSE(list.IsOpen());
  EXPECT_FALSE(PartialLeft(dir));
  EXPECT_TRUE(host.messages.empty());
}

TEST(MapListFile, PreviewListBytes) {
  TempDir dir;
  RecordingHost host;
  CMapListFile list;
  ASSERT_TRUE(list.OpenPreviewList(dir.File(kPreviewListFileName), host));
  for (const char* map : {"/m/volga.mp", "/m/x.mp.mp", "/m/UP.MP"}) {
    list.AddText(";");
    list.AddMapName("Name=Volga");
    list.AddLineEnd();
    list.AddText("img=");
    list.AddImgName(map);
  }
  list.AddText("[End-Files]");
  list.AddLineEnd();
  ASSERT_TRUE(list.FlushAndClose(host));
  EXPECT_EQ(ReadBytes(dir.File("eurasia_pdb.txt")), test::CrLf({"[Map]",
                                                                "FileName=maps",
                                                                "MapVersion=100",
                                                                "ProductCode=91",
                                                                "Levels=2",
                                                                "Level0=13",
                                                                "Level1=12",
                                                                "Zoom0=5",
                                                                "Zoom1=6",
                                                                "MapsourceName=Карты"_cp,
                                                                "MapSetName=Карта"_cp,
                                                                "CDSetName=",
                                                                "Copy1=",
                                                                "Copy2=",
                                                                "[End-Map]",
                                                                "[Files]",
                                                                ";  Volga  ",
                                                                "img=volga.img",
                                                                ";  Volga  ",
                                                                "img=x.img.img",
                                                                ";  Volga  ",
                                                                "img=UP.MP",
                                                                "[End-Files]"}));
}

TEST(MapListFile, MapNames) {
  struct Case {
    std::string_view line, entry;
  } cases[] = {
      {"Name=A  B", "  AB  "},             // two adjacent blanks vanish
      {"Name=A   B", "  A B  "},           // three leave one
      {"Name=A    B", "  AB  "},           // four vanish
      {" Name= A ", "   A   "},            // single blanks stay
      {"Name=x=y", "  y  "},               // after the last "="
      {"no key  here", "  no keyhere  "},  // no "=": the whole line
      {"", "    "},
  };
  for (const Case& c : cases) {
    CMapListFile list;
    list.AddMapName(c.line);
    EXPECT_EQ(list.Text(), c.entry) << c.line;
  }
}

TEST(MapListFile, FileNamesInCodePage1251) {
  CMapListFile list;
  list.AddFileName("карта.mp");
  list.AddImgName("C:\\maps\\Ёлки.mp");
  // Not UTF-8 (code page 1251 bytes already): kept byte for byte.
  list.AddFileName("/m/\xCA\xE0\xF0\xF2\xE0.mp");
  EXPECT_EQ(list.Text(), "карта.mp\r\nЁлки.img\r\nКарта.mp\r\n"_cp);
}

TEST(MapListFile, OldListStaysUntilTheNewOneIsWhole) {
  TempDir dir;
  const std::string path = dir.File("names.txt");
  test::WriteBytes(path, "old list\r\n");
  RecordingHost host;
  {
    CMapListFile list;
    ASSERT_TRUE(list.OpenNamesList(path, host));
    list.AddText("unflushed");
    EXPECT_EQ(ReadBytes(path), "old list\r\n");
  }  // destroyed without a flush: the text is dropped
  EXPECT_EQ(ReadBytes(path), "old list\r\n");
  EXPECT_FALSE(PartialLeft(dir));

  CMapListFile list;
  ASSERT_TRUE(list.OpenNamesList(path, host));
  list.AddText("dropped by the next open");
  ASSERT_TRUE(list.OpenNamesList(path, host));
  list.AddText("new");
  EXPECT_EQ(ReadBytes(path), "old list\r\n");
  ASSERT_TRUE(list.FlushAndClose(host));
  EXPECT_EQ(ReadBytes(path), std::string(kNamesHead) + "new");
  EXPECT_EQ(list.Text(), std::string(kNamesHead) + "new");  // kept after the flush
  EXPECT_TRUE(host.messages.empty());
}

TEST(MapListFile, OpenFailure) {
  TempDir dir;
  RecordingHost host;
  CMapListFile list;
  ASSERT_TRUE(list.OpenNamesList(dir.File("names.txt"), host));
  list.AddText("earlier");
  ASSERT_TRUE(list.FlushAndClose(host));

  std::filesystem::create_directory(dir.path() / "folder.txt");
  for (const auto& [path, reason] : std::vector<std::pair<std::string, std::string>>{
           {dir.File("no such folder/names.txt"), "No such file or directory"},
           {dir.File("folder.txt"), "Is a directory"}}) {
    host.messages.clear();
    EXPECT_FALSE(list.OpenPreviewList(path, host));
    EXPECT_EQ(host.messages, std::vector<std::string>{std::string(kCannotOpenForList) + ": " +
                                                      path + ": " + reason});
    EXPECT_FALSE(list.IsOpen());
    // The text is not reset and the adds still land in it; the flush writes nothing.
    list.AddText("+");
    EXPECT_TRUE(list.FlushAndClose(host));
    EXPECT_EQ(host.messages.size(), 1u);
  }
  EXPECT_EQ(list.Text(), std::string(kNamesHead) + "earlier++");
  EXPECT_EQ(ReadBytes(dir.File("names.txt")), std::string(kNamesHead) + "earlier");
  EXPECT_FALSE(PartialLeft(dir));
}

TEST(MapListFile, FailedReplacementIsReported) {
  TempDir dir;
  const std::string path = dir.File("names.txt");
  RecordingHost host;
  CMapListFile list;
  ASSERT_TRUE(list.OpenNamesList(path, host));
  // Something takes the list's name while the job runs: a folder a file cannot replace.
  std::filesystem::create_directories(dir.path() / "names.txt" / "inside");
  EXPECT_FALSE(list.FlushAndClose(host));
  EXPECT_EQ(host.messages, std::vector<std::string>{WriteErrorMessage(path) + ": Is a directory"});
  EXPECT_FALSE(PartialLeft(dir));
  EXPECT_TRUE(std::filesystem::is_directory(path));
}

}  // namespace
}  // namespace pomvelt
