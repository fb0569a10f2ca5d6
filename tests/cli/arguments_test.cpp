// The command line's conventions: argument forms, usage errors that touch nothing, and help
// texts that name every option the parser knows.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "cli/cli.h"
#include "cli/cli_run.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

using test::CrLf;
using test::TempDir;

using test::CliRun;

CliRun Cli(const std::vector<std::string>& args) {
  return test::RunCliCaptured(args);
}

const std::string kMap = CrLf({"[IMG ID]", "[END-IMG ID]", "[POLYGON]", "Type=0x4b", "[END]",
                               "[POLYLINE]", "Type=0x4b", "[END]"});
const std::string kNoLine = CrLf({"[IMG ID]", "[END-IMG ID]", "[POLYGON]", "Type=0x4b", "[END]"});

// Every name and its bytes, so that a test sees a file appear, vanish or change.
std::map<std::string, std::string> Snapshot(const TempDir& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    files[e.path().filename().string()] = test::ReadBytes(e.path().string());
  }
  return files;
}

TEST(CliArguments, UsageErrorsPrintOneLineExitTwoAndTouchNothing) {
  struct Case {
    std::vector<std::string> args;  // "MAP" stands for a map in the folder
    std::string named;              // a part of the one line
  };
  const std::vector<Case> cases = {
      {{}, "no command given"},
      {{"frobnicate", "MAP"}, "unknown command frobnicate"},
      {{"-x"}, "unknown option -x"},
      {{"delete-elements", "-x", "MAP"}, "unknown option -x"},
      {{"delete-elements", "-cx", "MAP"}, "unknown option -x"},
      {{"delete-elements", "--bogus", "MAP"}, "unknown option --bogus"},
      {{"delete-elements", "MAP", "--bogus"}, "unknown option --bogus"},
      {{"delete-elements", "--kin=line", "MAP"}, "unknown option --kin"},
      {{"delete-elements", "MAP", "-5"}, "unknown option -5"},
      {{"delete-elements", "MAP", "--type"}, "--type needs a value"},
      {{"delete-elements", "MAP", "-k"}, "-k needs a value"},
      {{"delete-elements", "--copy=yes", "MAP"}, "--copy takes no value"},
      {{"delete-elements", "--kind", "circle", "MAP"}, "circle"},
      {{"delete-elements", "-c"}, "no files given"},
      {{"delete-elements", "--", ""}, "empty file name"},
      {{"replace-type", "--kind", "point", "MAP"}, "point"},
      {{"delete-layer", "--layer", "1a", "MAP"}, "1a"},
      {{"eurasia", "--remove-levels", "--fill-levels", "MAP"}, "exclude each other"},
      {{"eurasia", "MAP"}, "nothing to do"},
      {{"convert", "MAP"}, "nothing to do"},
      {{"convert", "--translit", "none", "MAP"}, "nothing to do"},
      {{"convert", "--compile", "--lower-case", "MAP"}, "--lower-case"},
      {{"convert", "--compile", "--copy", "MAP"}, "--copy"},
      {{"convert", "--translit", "to-russian", "--delete-mp", "MAP"}, "--delete-mp"},
      {{"convert", "--decompile", "mkgmap", "MAP"}, "mkgmap"},
      {{"delete-elements", "--type", "zzz", "MAP"}, "zzz"},
      {{"delete-elements", "-t0x", "MAP"}, "\"0x\""},
      {{"replace-type", "--to", "0x4g", "MAP"}, "0x4g"},
      {{"replace-type", "--from", "0X4b", "MAP"}, "0X4b"},
      {{"replace-type", "--from", " 1", "MAP"}, "\" 1\""},
      {{"replace-type", "--to=漢", "MAP"}, "漢"},
      {{"search-replace", "--find", "\xff\xfe", "MAP"}, "--find is not UTF-8"},
      {{"--version", "MAP"}, "--version"},
      {{"help", "frobnicate"}, "unknown command frobnicate"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string map = dir.File("m.mp");
    test::WriteBytes(map, kMap);
    const auto before = Snapshot(dir);
    std::vector<std::string> args = c.args;
    for (std::string& a : args) {
      if (a == "MAP") a = map;
    }
    const CliRun r = Cli(args);
    const std::string shown = args.empty() ? "(nothing)" : args[0] + " " + args.back();
    EXPECT_EQ(r.status, kExitUsage) << shown << "\n" << r.err;
    EXPECT_TRUE(r.out.empty()) << shown;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << shown << "\n" << r.err;
    EXPECT_NE(r.err.find(c.named), std::string::npos) << shown << "\n" << r.err;
    const std::string help = args.size() > 1 && FindCliCommand(args[0]) != nullptr
                                 ? "\"pomvelt-cli " + args[0] + " --help\""
                                 : "\"pomvelt-cli --help\"";
    EXPECT_NE(r.err.find(help), std::string::npos) << shown << "\n" << r.err;
    EXPECT_EQ(Snapshot(dir), before) << shown;
  }
}

TEST(CliArguments, EveryFormOfAnOptionMeansTheSame) {
  const std::vector<std::vector<std::string>> forms = {
      {"delete-elements", "--kind", "line", "MAP"},
      {"delete-elements", "--kind=line", "MAP"},
      {"delete-elements", "-k", "line", "MAP"},
      {"delete-elements", "-kline", "MAP"},
      {"delete-elements", "MAP", "-k", "line"},
      {"delete-elements", "-k", "point", "MAP", "--kind", "line"},  // the last one counts
      {"delete-elements", "-t", "0x4b", "-k", "line", "--", "MAP"},
      {"delete-elements", "--type=75", "--type=0x4b", "-kline", "MAP"},
  };
  for (const std::vector<std::string>& form : forms) {
    TempDir dir;
    const std::string map = dir.File("m.mp");
    test::WriteBytes(map, kMap);
    std::vector<std::string> args = form;
    for (std::string& a : args) {
      if (a == "MAP") a = map;
    }
    const CliRun r = Cli(args);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(test::ReadBytes(map), kNoLine) << args[1] << " " << args[2];
  }
}

TEST(CliArguments, AfterTheDoubleDashADashIsAFileName) {
  TempDir dir;
  test::WriteBytes(dir.File("-k.mp"), kMap);
  test::WriteBytes(dir.File("--copy"), kMap);
  const std::string command = "cd '" + dir.path().string() + "' && '" + POMVELT_CLI_PATH +
                              "' delete-elements -c -- -k.mp --copy 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(test::ReadBytes(dir.File("-k_0x4b_deleted.mp")),
            CrLf({"[IMG ID]", "[END-IMG ID]", "[POLYLINE]", "Type=0x4b", "[END]"}));
  EXPECT_TRUE(test::Exists(dir.File("--copy_0x4b_deleted.mp")));
  EXPECT_EQ(test::ReadBytes(dir.File("-k.mp")), kMap);
}

TEST(CliArguments, TheValidTypeCodesPass) {
  for (const char* code : {"0x4b", "0x4B", "0x10f04", "75", "007", ""}) {
    TempDir dir;
    const std::string map = dir.File("m.mp");
    test::WriteBytes(map, kMap);
    EXPECT_EQ(Cli({"delete-elements", "--copy", "--type", code, map}).status, kExitOk) << code;
  }
  // The list alone is a run of the Eurasia command; a translation alone is one of convert.
  TempDir dir;
  test::WriteBytes(dir.File("m.mp"), CrLf({"Name=M", "[END-IMG ID]"}));
  EXPECT_EQ(Cli({"eurasia", "--tdb-list", dir.File("m.mp")}).status, kExitOk);
  EXPECT_TRUE(test::Exists(dir.File("eurasia_pdb.txt")));
  EXPECT_EQ(Cli({"convert", "--translit", "to-russian", dir.File("m.mp")}).status, kExitOk);
}

// The text with every run of blanks and line ends as one blank, as the help wraps its lines.
std::string Flat(const std::string& text) {
  std::string flat;
  for (const char c : text) {
    const bool blank = c == ' ' || c == '\n';
    if (!blank || flat.empty() || flat.back() != ' ') flat.push_back(blank ? ' ' : c);
  }
  return flat;
}

// The help of every command names every option the parser takes for it, in both forms, with
// its value name, choices and default; whatever else stands on the line, help wins.
TEST(CliHelp, EveryCommandNamesEveryOptionItTakes) {
  ASSERT_FALSE(CliCommands().empty());
  for (const CliCommand* c : CliCommands()) {
    SCOPED_TRACE(c->name);
    const CliRun r = Cli({c->name, "--help"});
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_TRUE(r.err.empty());
    EXPECT_EQ(r.out.rfind("Usage: pomvelt-cli " + c->name + " [OPTION]...", 0), 0u) << r.out;
    for (const CliOption& o : CliOptionsOf(*c)) {
      EXPECT_NE(Flat(r.out).find(o.TakesValue() ? o.name + "=" + o.valueName : o.name + " "),
                std::string::npos)
          << o.name;
      if (o.shortName != 0) {
        EXPECT_NE(r.out.find(std::string("-") + o.shortName + ", " + o.name), std::string::npos)
            << o.name;
      }
      for (const std::string& choice : o.choices) {
        EXPECT_NE(r.out.find(choice), std::string::npos) << o.name << " " << choice;
      }
      if (!o.defaultValue.empty()) {
        EXPECT_NE(Flat(r.out).find("(default: " + o.defaultValue + ")"), std::string::npos)
            << o.name;
      }
    }
    EXPECT_NE(r.out.find("Examples:\n  pomvelt-cli " + c->name), std::string::npos);
    for (const std::vector<std::string>& other :
         std::vector<std::vector<std::string>>{{"help", c->name}, {c->name, "no-such.mp", "-h"}}) {
      const CliRun same = Cli(other);
      EXPECT_EQ(same.status, kExitOk) << other[0] << " " << other[1];
      EXPECT_EQ(same.out, r.out) << other[0] << " " << other[1];
    }
  }
  const CliRun overview = Cli({"--help"});
  EXPECT_EQ(overview.status, kExitOk);
  for (const CliCommand* c : CliCommands()) {
    EXPECT_NE(overview.out.find("\n  " + c->name + " "), std::string::npos) << c->name;
  }
  EXPECT_EQ(Cli({"help"}).out, overview.out);
  EXPECT_EQ(Cli({"-h"}).out, overview.out);
  EXPECT_EQ(Cli({"-V"}).out, std::string("Pomvelt ") + kVersion + "\n");
}

// The table others read: names that the parser can tell apart, defaults it would accept.
TEST(CliTable, NamesAreUniqueAndDefaultsValid) {
  std::set<std::string> commands;
  for (const CliCommand* c : CliCommands()) {
    SCOPED_TRACE(c->name);
    EXPECT_TRUE(commands.insert(c->name).second);
    EXPECT_FALSE(c->summary.empty() || c->description.empty() || !(c->run || c->runDirect));
    std::set<std::string> longNames;
    std::set<char> shortNames;
    for (const CliOption& o : CliOptionsOf(*c)) {
      EXPECT_EQ(o.name.rfind("--", 0), 0u) << o.name;
      EXPECT_TRUE(longNames.insert(o.name).second) << o.name;
      if (o.shortName != 0) {
        EXPECT_TRUE(shortNames.insert(o.shortName).second) << o.name;
      }
      EXPECT_FALSE(o.help.empty()) << o.name;
      if (!o.choices.empty() && !o.defaultValue.empty()) {
        EXPECT_NE(std::find(o.choices.begin(), o.choices.end(), o.defaultValue), o.choices.end())
            << o.name;
      }
    }
  }
}

}  // namespace
}  // namespace pomvelt
