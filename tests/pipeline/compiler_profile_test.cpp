// How a compile is called and what it must leave behind: the map's name for mkgmap, the folder
// the programs run in, their captured output, and a stop that reaches a running program.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "pipeline/cgpsmapper_run.h"
#include "pipeline/process_runner.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

using test::CrLf;
using test::Exists;
using test::PathPrefix;
using test::RecordingHost;
using test::TempDir;
using test::WriteShellProgram;

TEST(MapName, FromTheHeaderElseTheFileName) {
  struct Case {
    std::string file, header;
    std::optional<std::string> name;
  };
  for (const Case& c : std::vector<Case>{
           {"a.mp", "ID=58000240", "58000240"},
           {"a.mp", "ID=12", "00000012"},
           {"63240001_rus.mp", "ID=12", "00000012"},  // the header comes first
           {"63240001_rus.mp", "ID=", "63240001"},
           {"63240001_rus.mp", "ID=0x1f", "63240001"},
           {"63240001_rus.mp", "ID=123456789", "63240001"},
           {"tile_63240001.mp", "Name=x", "63240001"},
           {"a123456789.mp", "Name=x", std::nullopt},  // nine digits are no ID
           {"1234567.mp", "Name=x", std::nullopt},
           {"a.mp", "Name=x", std::nullopt},
       }) {
    TempDir dir;
    const std::string path = dir.File(c.file);
    test::WriteBytes(path, CrLf({"[IMG ID]", c.header, "[END-IMG ID]", "[POI]", "ID=99", "[END]"}));
    EXPECT_EQ(MapNameOf(path), c.name) << c.file << " " << c.header;
  }
  // An ID line after the header's end belongs to something else.
  TempDir dir;
  test::WriteBytes(dir.File("a.mp"), CrLf({"[IMG ID]", "[END-IMG ID]", "ID=11111111"}));
  EXPECT_EQ(MapNameOf(dir.File("a.mp")), std::nullopt);
}

TEST(MapName, MkgmapIsKnownByItsProgramName) {
  for (const char* program : {"mkgmap", "/usr/bin/mkgmap", "C:\\tools\\MKGMAP.EXE", "mkgmap.bat"}) {
    EXPECT_TRUE(IsMkgmap(program)) << program;
  }
  for (const char* program : {"cgpsmapper", "mkgmap-wrapper", "/opt/mkgmap/java", ""}) {
    EXPECT_FALSE(IsMkgmap(program)) << program;
  }
  EXPECT_EQ(CompilerMissingMessage("cgpsmapper"), "Отсутствует файл cgpsmapper.exe");
  EXPECT_EQ(CompilerMissingMessage("/opt/bin/mkgmap"), "Отсутствует файл /opt/bin/mkgmap");
}

TEST(LastLines, KeepsTheEndOfTheOutput) {
  EXPECT_EQ(LastLines("a\nb\nc\n", 2), "b\nc");
  EXPECT_EQ(LastLines("a\nb\nc", 5), "a\nb\nc");
  EXPECT_EQ(LastLines("a\r\nb\r\n\r\n", 1), "b");
  EXPECT_EQ(LastLines("", 3), "");
}

TEST(ProcessRunner, RunsInTheFolderGivenAndCapturesWhatTheProgramWrites) {
  TempDir bin, maps;
  WriteShellProgram(bin.File("where"), "pwd; echo oops >&2; exit 4\n");
  PathPrefix path(bin.path().string());
  ProcessRequest request;
  request.program = "where";
  request.folder = maps.path().string();
  request.captureOutput = true;
  const ProcessOutcome outcome = ProcessRunner::Run(request);
  EXPECT_EQ(outcome.exitStatus, 4);
  EXPECT_EQ(outcome.output, std::filesystem::canonical(maps.path()).string() + "\noops\n");
  // A folder that is not there is not entered: the program still runs.
  request.folder = maps.File("gone");
  EXPECT_TRUE(ProcessRunner::Run(request).started);
}

TEST(ProcessRunner, AStopReachesTheProgramsWholeGroup) {
  TempDir bin;
  const std::string log = bin.File("log");
  // The program's child must stop as well: the whole group is asked.
  WriteShellProgram(bin.File("slow"), "trap 'echo term >> " + log + "; exit 143' TERM\n" +
                                          "touch " + bin.File("started") + "\nsleep 30 &\nwait\n");
  PathPrefix path(bin.path().string());
  ProcessRequest request;
  request.program = "slow";
  request.stop = [&] { return Exists(bin.File("started")); };
  const auto start = std::chrono::steady_clock::now();
  const ProcessOutcome outcome = ProcessRunner::Run(request);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_TRUE(outcome.started);
  EXPECT_TRUE(outcome.stopped);
  EXPECT_FALSE(outcome.Succeeded());
  EXPECT_EQ(test::ReadBytes(log), "term\n");
}

}  // namespace
}  // namespace pomvelt
