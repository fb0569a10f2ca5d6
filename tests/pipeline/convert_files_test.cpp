#include <gtest/gtest.h>

#include <filesystem>

#include "jobs/file_rewrite.h"
#include "pipeline/convert_files.h"
#include "pipeline/convert_script.h"
#include "pipeline/process_runner.h"
#include "support/test_support.h"
#include "text/cp1251.h"

namespace pomvelt {
namespace {

using test::CrLf;
using test::Exists;
using test::PathPrefix;
using test::RecordingHost;
using test::ScopedEnv;
using test::TempDir;
using test::WriteShellProgram;

const std::string kMap = CrLf({"[IMG ID]", "Name=Moskva", "CodePage=1252", "[END-IMG ID]",
                               "[POLYLINE]", "Type=0x1", "Label=ULITSA", "[END]"});

// The outside programs of a conversion, in a folder first on PATH. The compiler logs
// "argument count|arguments|" per run, then exits with the status in "status" when that file
// exists; otherwise it turns "x.img" into the map "x.mp" and "x.mp" into "x.img". The script
// host logs the same way and turns every ".img" of the script's folder into an ".mp".
class FakePrograms {
 public:
  FakePrograms() : path_(bin_.path().string()), env_(kCompilerEnvironmentVariable, std::nullopt) {
    test::WriteBytes(bin_.File("map"), kMap);
    const std::string logArgs =
        "printf '%s|' \"$#\" \"$@\" >> '" + log() + "'\necho >> '" + log() + "'\n";
    WriteShellProgram(bin_.File("cgpsmapper"),
                      logArgs + "[ -f '" + bin_.File("status") + "' ] && exit $(cat '" +
                          bin_.File("status") + "')\ncase \"$1\" in\n  *.img) cp '" +
                          bin_.File("map") + "' \"${1%.*}.mp\" ;;\n  *.mp) echo compiled > " +
                          "\"${1%.*}.img\" ;;\nesac\n");
    WriteShellProgram(bin_.File(kScriptHostProgram),
                      logArgs + "cp \"$1\" '" + bin_.File("seen.vbs") +
                          "'\nfor f in \"${1%/*}\"/*.img; " + "do cp '" + bin_.File("map") +
                          "' \"${f%.*}.mp\"; done\n");
  }
  std::string log() const { return bin_.File("log"); }
  std::string Runs() const { return test::ReadBytes(log()); }
  std::string SeenScript() const { return test::ReadBytes(bin_.File("seen.vbs")); }
  void CompilerExitsWith(int status) {
    test::WriteBytes(bin_.File("status"), std::to_string(status));
  }

 private:
  TempDir bin_;
  PathPrefix path_;
  ScopedEnv env_;
};

std::vector<std::string> Progress(const std::string& range, const std::vector<std::string>& names,
                                  int stepsEach) {
  std::vector<std::string> calls = {"SetRange " + range, "Show"};
  for (const std::string& n : names) {
    calls.push_back("SetText " + n);
    calls.insert(calls.end(), static_cast<std::size_t>(stepsEach), "StepIt");
  }
  calls.push_back("Hide");
  return calls;
}

TEST(ConvertFiles, AsksForCompiledMapsOnlyWhenDecompiling) {
  ConvertOptions options;
  for (int decompile : {0, 1}) {
    options.decompile = decompile != 0;
    const JobFileDialogParams p = ConvertDialogParams(options);
    EXPECT_FALSE(p.defaultExtension);
    EXPECT_EQ(p.flags, 0x300u);
    EXPECT_EQ(p.title, "Выбрать все - Ctr+A");
    EXPECT_EQ(p.initialFileName, decompile ? "*.img" : "*.mp");
    EXPECT_EQ(p.filter, decompile ? "файлы(*.img)|*.img|Все файлы (*.*)|*.*|"
                                  : "файлы(*.mp)|*.mp|файлы(*.txt)|*.txt|Все файлы (*.*)|*.*|");
  }
}

TEST(ConvertFiles, DecompileTranslateCompileWithBlanksInThePath) {
  FakePrograms programs;
  TempDir dir;
  const std::string folder = dir.File("my maps") + "/";
  std::filesystem::create_directories(folder);
  test::WriteBytes(folder + "a b.img", "compiled");
  RecordingHost host;
  ConvertOptions options;
  options.decompile = true;
  options.translation = Translation::kToRussian;
  options.compile = true;
  options.inPlace = false;
  ConversionState state;

  const BatchReport result = ConvertFiles(options, {folder + "a b.img"}, state, {host});
  EXPECT_EQ(programs.Runs(), "1|" + folder + "a b.img|\n1|" + folder + "a b_rus.mp|\n");
  EXPECT_TRUE(Exists(folder + "a b_rus.img"));
  EXPECT_EQ(test::ReadBytes(folder + "a b.mp"), kMap);  // the decompiled map stays as it was
  EXPECT_NE(test::ReadBytes(folder + "a b_rus.mp").find("Label="), std::string::npos);
  EXPECT_EQ(host.calls, Progress("0 3 1", {"a b.img"}, 3));
  EXPECT_EQ(host.messages, std::vector<std::string>{"Готово"});
  EXPECT_EQ(result.Totals().failed, 0);
  EXPECT_FALSE(Exists(folder + "names.txt"));
}

TEST(ConvertFiles, CompileOnlyRunsOnEachFileAsChosen) {
  FakePrograms programs;
  TempDir dir;
  test::WriteBytes(dir.File("a.mp"), kMap);
  test::WriteBytes(dir.File("b.txt"), kMap);
  RecordingHost host;
  ConvertOptions options;
  options.compile = true;
  options.lowerCase = true;  // acts only through a translation
  ConversionState state;

  ConvertFiles(options, {dir.File("a.mp"), dir.File("b.txt")}, state, {host});
  EXPECT_EQ(programs.Runs(), "1|" + dir.File("a.mp") + "|\n1|" + dir.File("b.txt") + "|\n");
  EXPECT_EQ(test::ReadBytes(dir.File("a.mp")), kMap);
  EXPECT_EQ(host.calls, Progress("0 2 1", {"a.mp", "b.txt"}, 1));
  EXPECT_EQ(host.messages, std::vector<std::string>{"Готово"});
}

TEST(ConvertFiles, TheFolderScriptRunsOnceBeforeTheFiles) {
  FakePrograms programs;
  TempDir dir;
  for (const char* name : {"a.img", "b.img"}) test::WriteBytes(dir.File(name), "compiled");
  RecordingHost host;
  ConvertOptions options;
  options.decompile = true;
  options.decompiler = Decompiler::kGpsMapEdit;
  options.translation = Translation::kToTranslit;
  options.inPlace = false;
  ConversionState state;

  ConvertFiles(options, {dir.File("a.img"), dir.File("b.img")}, state, {host});
  EXPECT_EQ(programs.Runs(), "1|" + dir.File("ConvertToMp.vbs") + "|\n");
  EXPECT_EQ(programs.SeenScript(), ConvertScriptText());
  EXPECT_FALSE(Exists(dir.File("ConvertToMp.vbs")));
  EXPECT_TRUE(Exists(dir.File("a_translit.mp")));
  EXPECT_TRUE(Exists(dir.File("b_translit.mp")));
  // The decompile share of the range is never stepped on this route.
  EXPECT_EQ(host.calls, Progress("0 4 1", {"a.img", "b.img"}, 1));
  EXPECT_EQ(host.messages, std::vector<std::string>{"Готово"});
}

TEST(ConvertFiles, AMissingCompilerStopsTheJobBeforeTheNextFile) {
  TempDir bin, dir;
  ScopedEnv path("PATH", bin.path().string());
  ScopedEnv env(kCompilerEnvironmentVariable, std::nullopt);
  for (const char* name : {"a.mp", "b.mp"}) test::WriteBytes(dir.File(name), kMap);
  ConvertOptions options;
  options.translation = Translation::kToRussian;
  options.compile = true;
  options.inPlace = false;

  struct Case {
    std::vector<std::string> files;
    std::string message;
  };
  for (const Case& c : std::vector<Case>{
           {{dir.File("a.mp"), dir.File("b.mp")}, "Отсутствует файл cgpsmapper.exe"},
           {{dir.File("b.mp")}, "Готово"},  // no next file to stop before
       }) {
    RecordingHost host;
    ConversionState state;
    state.compilerMissing = true;  // left over from an earlier job: cleared at the start
    const BatchReport result = ConvertFiles(options, c.files, state, {host});
    EXPECT_EQ(host.messages, std::vector<std::string>{c.message});
    EXPECT_EQ((result.Totals().files - result.Totals().notStarted), 1);
    EXPECT_EQ(result.Totals().failed, 1);
    EXPECT_EQ(result.Stopped(), c.files.size() == 2);
  }
  EXPECT_TRUE(Exists(dir.File("a_rus.mp")));
  EXPECT_TRUE(Exists(dir.File("b_rus.mp")));
}

TEST(ConvertFiles, CancelFinishesTheFileAndStillWritesTheNamesList) {
  FakePrograms programs;
  TempDir dir;
  for (const char* name : {"a.mp", "b.mp", "c.mp"}) test::WriteBytes(dir.File(name), kMap);
  RecordingHost host;
  host.onFile = [&](int) { host.cancelled = true; };
  ConvertOptions options;
  options.translation = Translation::kToRussian;
  options.compile = true;
  options.namesList = true;
  options.inPlace = false;
  ConversionState state;

  const BatchReport result =
      ConvertFiles(options, {dir.File("a.mp"), dir.File("b.mp"), dir.File("c.mp")}, state, {host});
  EXPECT_TRUE(result.Cancelled());
  EXPECT_EQ(host.messages, std::vector<std::string>{"Прервано"});
  EXPECT_EQ(programs.Runs(), "1|" + dir.File("a_rus.mp") + "|\n");
  EXPECT_FALSE(Exists(dir.File("b_rus.mp")));
  EXPECT_EQ(test::ReadBytes(dir.File("names.txt")),
            CrLf({"Имя карты:  Имя файла:"_cp, "", "  Moskva  a.mp"}));
  EXPECT_FALSE(state.namesList.IsOpen());
}

// Cancels once a file appears: the fake script host makes it while it runs.
class CancelOnMarker : public RecordingHost {
 public:
  std::string marker;
  bool IsCancelled() const override { return Exists(marker); }
};

TEST(ConvertFiles, CancelDuringTheFolderScriptStopsBeforeTheFirstFile) {
  FakePrograms programs;
  TempDir dir;
  test::WriteBytes(dir.File("a.img"), "compiled");
  CancelOnMarker host;
  host.marker = dir.File("a.mp");
  ConvertOptions options;
  options.decompile = true;
  options.decompiler = Decompiler::kGpsMapEdit;
  options.translation = Translation::kToRussian;
  options.compile = true;
  ConversionState state;

  ConvertFiles(options, {dir.File("a.img")}, state, {host});
  EXPECT_EQ(host.messages, std::vector<std::string>{"Прервано"});
  EXPECT_EQ(programs.Runs(), "1|" + dir.File("ConvertToMp.vbs") + "|\n");
  EXPECT_EQ(test::ReadBytes(dir.File("a.mp")), kMap);  // not translated in place
  EXPECT_EQ(host.calls, (std::vector<std::string>{"SetRange 0 3 1", "Show", "Hide"}));
}

TEST(ConvertFiles, AFailedDecompileLeavesTheTranslationToReportIt) {
  const std::string kNoFile = ": No such file or directory";
  FakePrograms programs;
  programs.CompilerExitsWith(1);
  TempDir dir;
  for (const char* name : {"a.img", "b.img"}) test::WriteBytes(dir.File(name), "compiled");
  RecordingHost host;
  ConvertOptions options;
  options.decompile = true;
  options.translation = Translation::kToRussian;
  options.compile = true;
  ConversionState state;

  const BatchReport result =
      ConvertFiles(options, {dir.File("a.img"), dir.File("b.img")}, state, {host});
  // No compile of a map that was never made; one step each, for the decompile run.
  EXPECT_EQ(programs.Runs(), "1|" + dir.File("a.img") + "|\n1|" + dir.File("b.img") + "|\n");
  EXPECT_EQ(host.messages, (std::vector<std::string>{
                               "Ошибка декомпиляции файла " + dir.File("a.img") + " (код 1)",
                               CannotOpenNamedForReading(dir.File("a.mp")) + kNoFile,
                               "Ошибка декомпиляции файла " + dir.File("b.img") + " (код 1)",
                               CannotOpenNamedForReading(dir.File("b.mp")) + kNoFile, "Готово"}));
  EXPECT_EQ(host.calls, Progress("0 6 1", {"a.img", "b.img"}, 1));
  EXPECT_EQ(result.Totals().failed, 2);
}

TEST(ConvertFiles, InPlaceCompileDeletesTheSourceOnlyWhenTheCompileSucceeded) {
  for (int status : {0, 1}) {
    FakePrograms programs;
    if (status != 0) programs.CompilerExitsWith(status);
    TempDir dir;
    test::WriteBytes(dir.File("a.mp"), kMap);
    RecordingHost host;
    ConvertOptions options;
    options.translation = Translation::kToRussian;
    options.compile = true;
    options.deleteMpAfterCompile = true;
    ConversionState state;

    const BatchReport result = ConvertFiles(options, {dir.File("a.mp")}, state, {host});
    EXPECT_EQ(programs.Runs(), "1|" + dir.File("a.mp") + "|\n");
    EXPECT_EQ(Exists(dir.File("a.mp")), status != 0);
    EXPECT_EQ(Exists(dir.File("a.img")), status == 0);
    EXPECT_EQ(result.Totals().failed, status != 0 ? 1 : 0);
    if (status == 0) {
      EXPECT_EQ(host.messages, std::vector<std::string>{"Готово"});
    } else {
      EXPECT_EQ(host.messages,
                (std::vector<std::string>{"Ошибка компиляции файла " + dir.File("a.mp") +
                                              " (код 1); файл " + dir.File("a.mp") + " не удалён",
                                          "Готово"}));
    }
  }
}

TEST(ConvertFiles, EveryStageOffOnlyWalksTheFiles) {
  RecordingHost host;
  ConversionState state;
  const BatchReport result = ConvertFiles(ConvertOptions{}, {"/nowhere/a.mp"}, state, {host});
  EXPECT_EQ(host.calls, Progress("0 0 1", {"a.mp"}, 0));
  EXPECT_EQ(host.messages, std::vector<std::string>{"Готово"});
  EXPECT_EQ(result.Totals().failed, 0);
}

// The counts of one file for each way of running the chain; a dry run counts the same runs
// and runs nothing.
TEST(ConvertFiles, CountsPerStage) {
  struct Case {
    const char* what;
    bool decompile, translate, compile, dryRun;
    int compilerStatus;
    // labels changed, header lines rewritten, labels not decodable, decompiled, translated,
    // compiled, failures
    std::vector<long long> counts;
    FileResult result;
    const char* runs;  // the file names the compiler was run on
  } cases[] = {
      {"translation",
       false,
       true,
       false,
       false,
       0,
       {1, 1, 0, 0, 1, 0, 0},
       FileResult::kChanged,
       ""},
      {"compile", false, false, true, false, 0, {0, 0, 1, 0}, FileResult::kChanged, "a.mp|"},
      {"compile fails", false, false, true, false, 1, {0, 0, 0, 1}, FileResult::kFailed, "a.mp|"},
      {"all three",
       true,
       true,
       true,
       false,
       0,
       {1, 1, 0, 1, 1, 1, 0},
       FileResult::kChanged,
       "a.img|a_rus.mp|"},
      {"dry translation and compile",
       false,
       true,
       true,
       true,
       0,
       {1, 1, 0, 0, 1, 1, 0},
       FileResult::kChanged,
       ""},
      {"dry, all three", true, true, true, true, 0, {1, 1, 1, 0}, FileResult::kChanged, ""},
  };
  for (const Case& c : cases) {
    FakePrograms programs;
    if (c.compilerStatus != 0) programs.CompilerExitsWith(c.compilerStatus);
    TempDir dir;
    test::WriteBytes(dir.File("a.mp"), kMap);
    test::WriteBytes(dir.File("a.img"), "compiled");
    ConvertOptions options;
    options.decompile = c.decompile;
    if (c.translate) options.translation = Translation::kToRussian;
    options.compile = c.compile;
    options.inPlace = false;
    RecordingHost host;
    ConversionState state;
    const BatchReport r = ConvertFiles(options, {dir.File(c.decompile ? "a.img" : "a.mp")}, state,
                                       BatchContext{host, c.dryRun});
    ASSERT_EQ(r.files.size(), 1u) << c.what;
    const FileOutcome& f = r.files[0];
    std::vector<long long> counts;
    for (const Count& k : f.counts) counts.push_back(k.value);
    EXPECT_EQ(counts, c.counts) << c.what;
    EXPECT_EQ(f.result, c.result) << c.what;
    std::string runs = programs.Runs();
    for (std::size_t at; (at = runs.find(dir.File(""))) != std::string::npos;) {
      runs.erase(at, dir.File("").size());
    }
    for (std::size_t at; (at = runs.find("1|")) != std::string::npos;) runs.erase(at, 2);
    for (std::size_t at; (at = runs.find('\n')) != std::string::npos;) runs.erase(at, 1);
    EXPECT_EQ(runs, c.runs) << c.what;
  }
}

// The names list as the list format has it, from the maps' own "Name=" lines.
std::string ExpectedNamesList(const std::vector<std::string>& maps) {
  std::string list = CrLf({"Имя карты:  Имя файла:"_cp, ""});
  for (const std::string& path : maps) {
    const std::string bytes = test::ReadBytes(path);
    std::size_t start = 0;
    while (start < bytes.size()) {
      std::size_t end = bytes.find('\n', start);
      if (end == std::string::npos) end = bytes.size();
      std::string line = bytes.substr(start, end - start);
      start = end + 1;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.find("Name=") == std::string::npos) continue;
      std::string squeezed;
      for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == ' ' && i + 1 < line.size() && line[i + 1] == ' ') {
          ++i;
          continue;
        }
        squeezed.push_back(line[i]);
      }
      list += "  " + squeezed.substr(squeezed.rfind('=') + 1) + "  " +
              std::filesystem::path(path).filename().string() + "\r\n";
    }
  }
  return list;
}

TEST(ConvertFiles, NamesListOfRealMaps) {
  const std::vector<std::string> names = {"zkir_RussiaBkg.mp", "gpsve_MapaDePrueba.mp",
                                          "mapsoft2_f11a.mp"};
  TempDir dir;
  std::vector<std::string> maps;
  for (const std::string& name : names) {
    const std::string source = test::DataMap(name);
    if (source.empty()) GTEST_SKIP() << "the shared data folder with the real maps is absent";
    std::filesystem::copy_file(source, dir.File(name));
    maps.push_back(dir.File(name));
  }
  for (int direction : {0, 1}) {
    RecordingHost host;
    ConvertOptions options;
    options.translation = static_cast<Translation>(direction);
    options.namesList = true;
    options.inPlace = false;
    ConversionState state;
    ConvertFiles(options, maps, state, {host});
    // The code page 1252 map has accented letters, which cannot be declared code page 1251:
    // it is not translated to Russian, and not listed.
    std::vector<std::string> listed = maps;
    if (options.translation == Translation::kToRussian) {
      listed.erase(listed.begin() + 1);
      ASSERT_EQ(host.messages.size(), 2u);
      EXPECT_NE(host.messages[0].find("не переведён"), std::string::npos) << host.messages[0];
      EXPECT_EQ(host.messages[1], "Готово");
    } else {
      EXPECT_EQ(host.messages, std::vector<std::string>{"Готово"});
    }
    EXPECT_EQ(test::ReadBytes(dir.File("names.txt")), ExpectedNamesList(listed)) << direction;
  }
}

}  // namespace
}  // namespace pomvelt
