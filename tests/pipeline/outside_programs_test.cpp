#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "jobs/file_rewrite.h"
#include "os/file.h"
#include "pipeline/cgpsmapper_run.h"
#include "pipeline/convert_script.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

using test::Exists;
using test::PathPrefix;
using test::RecordingHost;
using test::ScopedEnv;
using test::TempDir;
using test::WriteShellProgram;

// A fake compiler in its own folder, first on PATH: logs "argument count|arguments|" per run
// and exits with the status in the file "status" beside it (0 when there is none).
class FakeCompiler {
 public:
  FakeCompiler() : path_(bin_.path().string()), env_(kCompilerEnvironmentVariable, std::nullopt) {
    WriteShellProgram(bin_.File("cgpsmapper"), "printf '%s|' \"$#\" \"$@\" >> '" + log() +
                                                   "'\necho >> '" + log() + "'\n[ -f '" +
                                                   bin_.File("status") + "' ] && exit $(cat '" +
                                                   bin_.File("status") + "')\nexit 0\n");
  }
  std::string log() const { return bin_.File("log"); }
  std::string Runs() const { return test::ReadBytes(log()); }
  void ExitWith(int status) { test::WriteBytes(bin_.File("status"), std::to_string(status)); }

 private:
  TempDir bin_;
  PathPrefix path_;
  ScopedEnv env_;
};

// Only folders of exactly the names mkgmap's own output folders have are taken for leftovers,
// and of those only the ones whose mark ".pomvelt-run~XXXXXXXX.tmp" no live run holds.
TEST(RunCgpsmapper, OnlyRunFoldersNoLiveRunHoldsAreRemoved) {
  struct Case {
    const char* name;
    bool held;
    bool removed;
  };
  const Case cases[] = {
      {".pomvelt-mkgmap-0123456789ab", false, true},
      {".pomvelt-mkgmap-fedcba987654", true, false},
      {".pomvelt-mkgmap-ABCDEF012345", false, false},
      {".pomvelt-mkgmap-0123456789a", false, false},
      {".pomvelt-mkgmap-0123456789abc", false, false},
      {".pomvelt-mkgmap-0123456789ag", false, false},
      {"pomvelt-mkgmap-0123456789ab", false, false},
      {".pomvelt-undo", false, false},
  };
  TempDir dir;
  std::vector<std::unique_ptr<OutputFile>> marks;
  for (const Case& c : cases) {
    std::filesystem::create_directory(dir.File(c.name));
    test::WriteBytes(dir.File(std::string(c.name) + "/58000240.img"), "partial");
    marks.push_back(std::make_unique<OutputFile>());
    ASSERT_TRUE(marks.back()->CreateTemporary(dir.File(c.name), "pomvelt-run"));
    if (!c.held) marks.back()->Release();
  }
  test::WriteBytes(dir.File("a.mp"), "map");
  RemoveLeftoverRunFolders(dir.path().string());
  for (const Case& c : cases) {
    EXPECT_EQ(IsRunFolderName(c.name), c.removed || c.held) << c.name;
    EXPECT_EQ(Exists(dir.File(c.name)), !c.removed) << c.name;
  }
  EXPECT_TRUE(Exists(dir.File("a.mp")));
}

TEST(RunCgpsmapper, DeletesOnlyAnMpSourceAfterASuccessfulRun) {
  struct Case {
    std::string file;
    int deleteOption;
    int exitStatus;
    bool deleted;
  };
  for (const Case& c : std::vector<Case>{
           {"a_rus.mp", 1, 0, true},
           {"a_rus.mp", 0, 0, false},
           {"a_rus.mp", 1, 2, false},  // a failed compile keeps its source
           {"a.img", 1, 0, false},
           {"maps.mp3/a.img", 1, 0, false},  // ".mp" in the folder only
           {"a.mp.img", 1, 0, false},
           {"a.MP", 1, 0, false},
           {"my maps/a b.mp", 1, 0, true},
       }) {
    TempDir dir;
    FakeCompiler compiler;
    compiler.ExitWith(c.exitStatus);
    const std::string path = dir.File(c.file);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    test::WriteBytes(path, "map");
    ConversionState state;

    CompilerCall call;
    call.deleteMpAfterCompile = c.deleteOption != 0;
    const CompilerRun run = RunCgpsmapper(path, CompilerStage::kCompile, call, state);
    EXPECT_TRUE(run.process.started) << c.file;
    EXPECT_EQ(run.done, c.exitStatus == 0) << c.file;
    EXPECT_EQ(run.failure.has_value(), c.exitStatus != 0) << c.file;
    EXPECT_FALSE(state.compilerMissing) << c.file;
    EXPECT_EQ(compiler.Runs(), "1|" + path + "|\n") << c.file;
    EXPECT_EQ(Exists(path), !c.deleted) << c.file;
  }
}

TEST(RunCgpsmapper, AMissingCompilerIsFlaggedAndNothingIsDeleted) {
  TempDir dir;
  ScopedEnv path("PATH", dir.path().string());
  const std::string map = dir.File("a_rus.mp");
  test::WriteBytes(map, "map");
  for (const std::string& compiler : {std::string(), std::string("mkgmap")}) {
    ConversionState state;
    CompilerCall call;
    call.compiler = compiler;
    call.deleteMpAfterCompile = true;
    EXPECT_FALSE(RunCgpsmapper(map, CompilerStage::kCompile, call, state).process.started);
    EXPECT_TRUE(state.compilerMissing);
    EXPECT_EQ(CompilerMissingMessage(state.missingCompiler),
              compiler.empty() ? "Отсутствует файл cgpsmapper.exe" : "Отсутствует файл mkgmap");
    EXPECT_TRUE(Exists(map));
  }
}

TEST(RunCgpsmapper, RunsTheChosenCompiler) {
  TempDir dir;
  FakeCompiler cgpsmapper;
  WriteShellProgram(dir.File("other"), "echo \"$1\" > '" + dir.File("other.log") + "'\n");
  PathPrefix path(dir.path().string());
  ConversionState state;
  CompilerCall call;
  call.compiler = "other";
  RunCgpsmapper(dir.File("a.mp"), CompilerStage::kCompile, call, state);
  EXPECT_EQ(test::ReadBytes(dir.File("other.log")), dir.File("a.mp") + "\n");
  EXPECT_EQ(cgpsmapper.Runs(), "");

  ScopedEnv env(kCompilerEnvironmentVariable, std::string("other"));
  RunCgpsmapper(dir.File("b.mp"), CompilerStage::kCompile, CompilerCall{}, state);
  EXPECT_EQ(test::ReadBytes(dir.File("other.log")), dir.File("b.mp") + "\n");
}

// The script as the client's table has it, typed out separately from the program's copy.
const std::string kScriptBefore =
    "Option Explicit\r\n"
    "' ConvertToMp.vbs\r\n"
    "'\r\n";
const std::string kScriptAfter =
    "'\r\n"
    "'\r\n"
    "' This script uses GPSMapEdit to convert multiple maps to MP format in current "
    "directory.\r\n"
    "'\r\n"
    "' USAGE:\r\n"
    "' Input files should be put into folder (relative to the script file).\r\n"
    "' Log.txt file is created to log progress.\r\n"
    "'\r\n"
    "' Connect to GPSMapEdit.\r\n"
    "Dim a\r\n"
    "Set a = CreateObject (\"GPSMapEdit.Application.1\")\r\n"
    "a.MinimizeWindow\r\n"
    "' Check version of GPSMapEdit\r\n"
    "If a.Version < \"1.0.15.1\" Then\r\n"
    "\tMsgBox \"Obsolete version of GPSMapEdit is used. Please upgrade.\"\r\n"
    "\tWScript.Quit\r\n"
    "End If\r\n"
    "Dim fso\r\n"
    "Set fso = CreateObject (\"Scripting.FileSystemObject\")\r\n"
    "Dim strRoot\r\n"
    "strRoot = fso.GetAbsolutePathName (WScript.ScriptFullName + \"\\..\\\")\r\n"
    "Dim pMapsFolder\r\n"
    "If Not fso.FolderExists (strRoot + \"\\\") Then\r\n"
    "\tMsgBox \"Couldn't find maps\"\r\n"
    "\tWScript.Quit\r\n"
    "End if\r\n"
    "Set pMapsFolder = fso.GetFolder (strRoot + \"\\\")\r\n"
    "Dim pFile\r\n"
    "For Each pFile In pMapsFolder.Files\r\n"
    "\tDim strExt\r\n"
    "\tstrExt = fso.GetExtensionName (pFile.Path)\r\n"
    "\tIf strExt = \"img\" Or strExt = \"mp\" Then\r\n"
    "\t\ta.Open pFile.Path, False\r\n"
    "\t\tDim strOutFile\r\n"
    "\t\tstrOutFile = fso.GetParentFolderName(pFile.Path) + \"\\\" + fso.GetBaseName "
    "(pFile.Path) + \".mp\"\r\n"
    "\t\ta.SaveAs strOutFile, \"polish\"\r\n"
    "\tEnd if\r\n"
    "Next\r\n"
    "a.Exit";

void ExpectTheScript(const std::string& bytes) {
  ASSERT_GT(bytes.size(), kScriptBefore.size() + kScriptAfter.size());
  EXPECT_EQ(bytes.substr(0, kScriptBefore.size()), kScriptBefore);
  EXPECT_EQ(bytes.substr(bytes.size() - kScriptAfter.size()), kScriptAfter);
  // Between them: the two comment lines of the notice.
  const std::string notice =
      bytes.substr(kScriptBefore.size(), bytes.size() - kScriptBefore.size() - kScriptAfter.size());
  const std::size_t end = notice.find("\r\n");
  ASSERT_NE(end, std::string::npos);
  const std::string line4 = notice.substr(0, end);
  ASSERT_GE(notice.size(), end + 4);
  const std::string line5 = notice.substr(end + 2, notice.size() - end - 4);
  EXPECT_EQ(notice.substr(notice.size() - 2), "\r\n");
  for (const std::string& line : {line4, line5}) {
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line[0], '\'');
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    for (char c : line) EXPECT_TRUE(c >= 0x20 && c < 0x7f) << line;
  }
}

TEST(ConvertScript, WritesTheFortyFourLinesByteForByte) {
  TempDir dir;
  RecordingHost host;
  const std::string script = dir.File("ConvertToMp.vbs");
  test::WriteBytes(script, std::string(5000, 'x'));  // an old, longer file is replaced whole
  EXPECT_TRUE(WriteConvertScript(script, host));
  ExpectTheScript(test::ReadBytes(script));
  EXPECT_TRUE(host.messages.empty());
}

// A fake script host: copies the script it is given aside and logs its arguments.
void WriteFakeScriptHost(const TempDir& bin) {
  WriteShellProgram(bin.File("WScript.exe"), "printf '%s|' \"$#\" \"$@\" >> '" + bin.File("log") +
                                                 "'\necho >> '" + bin.File("log") +
                                                 "'\ncp \"$1\" '" + bin.File("seen.vbs") +
                                                 "' 2>/dev/null\n");
}

TEST(ConvertScript, RunsOnceOnTheFolderAndIsDeletedAfterwards) {
  TempDir bin, dir;
  WriteFakeScriptHost(bin);
  PathPrefix path(bin.path().string());
  const std::string folder = dir.File("my maps") + "/";
  std::filesystem::create_directories(folder);
  test::WriteBytes(folder + "ConvertToMp.vbs", "an older script");
  RecordingHost host;

  RunConvertScript(folder + "names.txt", host);
  EXPECT_EQ(test::ReadBytes(bin.File("log")), "1|" + folder + "ConvertToMp.vbs|\n");
  ExpectTheScript(test::ReadBytes(bin.File("seen.vbs")));
  EXPECT_FALSE(Exists(folder + "ConvertToMp.vbs"));
  EXPECT_TRUE(host.messages.empty());
}

TEST(ConvertScript, AFolderThatTakesNoScriptIsReportedAndTheHostStillRuns) {
  TempDir bin, dir;
  WriteFakeScriptHost(bin);
  PathPrefix path(bin.path().string());
  const std::string folder = dir.File("gone") + "/";
  RecordingHost host;
  RunConvertScript(folder + "names.txt", host);
  EXPECT_EQ(host.messages,
            std::vector<std::string>{CannotOpenForOutput(folder + "ConvertToMp.vbs") +
                                     ": No such file or directory"});
  EXPECT_EQ(test::ReadBytes(bin.File("log")), "1|" + folder + "ConvertToMp.vbs|\n");
  EXPECT_FALSE(Exists(folder + "ConvertToMp.vbs"));
}

TEST(ConvertScript, NoScriptHostIsNoFailure) {
  TempDir dir;
  ScopedEnv path("PATH", dir.path().string());
  RecordingHost host;
  RunConvertScript(dir.File("names.txt"), host);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_FALSE(Exists(dir.File("ConvertToMp.vbs")));
}

}  // namespace
}  // namespace pomvelt
