#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "jobs/batch_job.h"
#include "jobs/file_rewrite.h"
#include "os/path.h"
#include "support/test_support.h"
#include "text/cp1251.h"
#include "translit/russian_to_translit.h"
#include "translit/translit_test_support.h"
#include "translit/translit_to_russian.h"

namespace pomvelt {
namespace {

using test::CrLf;
using test::ReadBytes;
using test::RecordingHost;
using test::TempDir;

using FileConversion = FileOutcome (*)(const std::string&, const TranslationOptions&, CMapListFile*,
                                       const BatchContext&);

constexpr TranslationOptions kCopying{false, false};

TEST(LabelFiles, CopyBesideTheInput) {
  TempDir dir;
  const std::string map = dir.File("city.v1.mp");
  const std::string source = CrLf({"Preprocess=F", "Label=HOVGOROD"});
  test::WriteBytes(map, source);
  RecordingHost host;
  TranslationOptions options = kCopying;
  options.lowerCase = true;

  const FileOutcome rus = TranslitToRussianFile(map, options, nullptr, {host});
  EXPECT_EQ(rus.output, dir.File("city.v1_rus.mp"));
  EXPECT_EQ(rus.result, FileResult::kChanged);
  EXPECT_EQ(rus.counts.at(0).value, 1);  // labels changed
  EXPECT_EQ(rus.counts.at(1).value, 1);  // header lines rewritten
  EXPECT_EQ(ReadBytes(dir.File("city.v1_rus.mp")),
            CrLf({"Preprocess=Y", "CodePage=1251", "LblCoding=9", "Label=Новгород"_cp}));
  const FileOutcome back =
      RussianToTranslitFile(dir.File("city.v1_rus.mp"), options, nullptr, {host});
  EXPECT_EQ(back.output, dir.File("city.v1_rus_translit.mp"));
  EXPECT_EQ(back.counts.at(1).value, 2);
  EXPECT_EQ(ReadBytes(dir.File("city.v1_rus_translit.mp")),
            CrLf({"Preprocess=Y", "Label=Novgorod"}));
  EXPECT_EQ(ReadBytes(map), source);
  EXPECT_TRUE(host.messages.empty());
}

TEST(LabelFiles, InPlace) {
  struct Direction {
    FileConversion convert;
    const char* suffix;
    std::string_view in, out;
  } directions[] = {
      {TranslitToRussianFile, "_rus.mp", "Label=ELISTA", "Label=ЭЛИСТА"_cp},
      {RussianToTranslitFile, "_translit.mp", "Label=Элиста"_cp, "Label=ELISTA"},
  };
  for (const Direction& d : directions) {
    TempDir dir;
    const std::string map = dir.File("a.mp");
    test::WriteBytes(map, CrLf({d.in}));
    RecordingHost host;
    EXPECT_EQ(d.convert(map, TranslationOptions(), nullptr, {host}).output, map);  // by default
    EXPECT_EQ(ReadBytes(map), CrLf({d.out}));
    EXPECT_FALSE(test::Exists(dir.File(std::string("a") + d.suffix)));
    EXPECT_TRUE(host.messages.empty());
  }
}

TEST(LabelFiles, EachDirectionHasItsOwnReadFailure) {
  TempDir dir;
  const std::string missing = dir.File("missing.mp");
  RecordingHost host;
  CMapListFile list;
  ASSERT_TRUE(list.OpenNamesList(dir.File("names.txt"), host));
  const TranslationOptions options;
  // Each direction keeps its own text; both name the file and the system's reason.
  EXPECT_EQ(
      TranslitToRussianFile(missing, options, &list, {host}).messages,
      std::vector<std::string>{CannotOpenNamedForReading(missing) + ": No such file or directory"});
  EXPECT_EQ(
      RussianToTranslitFile(missing, options, &list, {host}).messages,
      std::vector<std::string>{CannotOpenForReading(missing) + ": No such file or directory"});
  EXPECT_FALSE(test::Exists(dir.File("missing_rus.mp")));
  EXPECT_EQ(list.Text(), "Имя карты:  Имя файла:\r\n\r\n"_cp);
}

TEST(LabelFiles, NamesListEntries) {
  TempDir dir;
  // The folder's name is UTF-8, as file names are on this system; the list holds code page 1251.
  std::filesystem::create_directory(dir.path() / PathOf("карты"));
  const std::string map = NameOf(dir.path() / PathOf("карты") / PathOf("река.mp"));
  test::WriteBytes(map, CrLf({"[IMG ID]", "Name=Big  River", "LocalName=Река=Волга"_cp,
                              "[END-IMG ID]", "Label=Name=X"}));
  RecordingHost host;
  CMapListFile list;
  ASSERT_TRUE(list.OpenNamesList(dir.File("names.txt"), host));
  const TranslationOptions options = kCopying;

  // A dry run adds nothing.
  ASSERT_FALSE(TranslitToRussianFile(map, options, &list, BatchContext{host, true}).Failed());
  EXPECT_EQ(list.Text(), "Имя карты:  Имя файла:\r\n\r\n"_cp);
  EXPECT_FALSE(test::Exists(MakeOutputPath(map, "_rus.mp")));

  // Every line holding "Name=" adds an entry; the line itself is converted as any other.
  ASSERT_FALSE(TranslitToRussianFile(map, options, &list, {host}).Failed());
  ASSERT_FALSE(RussianToTranslitFile(map, options, &list, {host}).Failed());
  const std::string entries =
      CrLf({"  BigRiver  река.mp"_cp, "  Волга  река.mp"_cp, "  X  река.mp"_cp});
  EXPECT_EQ(list.Text(), std::string("Имя карты:  Имя файла:\r\n\r\n"_cp) + entries + entries);
  EXPECT_EQ(ReadBytes(MakeOutputPath(map, "_rus.mp")),
            CrLf({"[IMG ID]", "Name=Big  River", "LocalName=Река=Волга"_cp, "[END-IMG ID]",
                  "Label=X"}));  // no row for X
  EXPECT_TRUE(list.FlushAndClose(host));
  EXPECT_EQ(ReadBytes(dir.File("names.txt")), list.Text());
  EXPECT_TRUE(host.messages.empty());
}

// The list is code page 1251 whatever page the maps are in.
TEST(LabelFiles, NamesListTakesNamesInto1251) {
  TempDir dir;
  struct Case {
    const char* page;
    std::string name;        // in the map's page
    std::string_view entry;  // in the list
  } cases[] = {
      {"65001", "Москва", "Москва"_cp},
      {"65001", "Łódź Москва", "??d? Москва"_cp},
      {"1252", "Bogot\xE1", "Bogot?"},
      {"1251", "\xC0\x98", "\xC0\x98"},  // as it always was
  };
  for (const Case& c : cases) {
    const std::string map = dir.File("m.mp");
    test::WriteBytes(map, CrLf({"[IMG ID]", std::string("CodePage=") + c.page, "Name=" + c.name,
                                "[END-IMG ID]"}));
    RecordingHost host;
    CMapListFile list;
    ASSERT_TRUE(list.OpenNamesList(dir.File("names.txt"), host));
    ASSERT_FALSE(RussianToTranslitFile(map, kCopying, &list, {host}).Failed()) << c.page;
    EXPECT_EQ(list.Text(), std::string("Имя карты:  Имя файла:\r\n\r\n"_cp) +
                               CrLf({"  " + std::string(c.entry) + "  m.mp"}))
        << c.page << " " << c.name;
  }
}

}  // namespace
}  // namespace pomvelt
