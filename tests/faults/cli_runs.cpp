#include "faults/cli_runs.h"

#include <cstdlib>
#include <filesystem>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "text/strings.h"

extern char** environ;

namespace pomvelt::faults {

const std::vector<InPlaceCommand>& InPlaceCommands() {
  static const std::vector<InPlaceCommand> commands = {
      {{"delete-elements"}, {"_0x4b_deleted.mp"}},
      {{"replace-type"}, {"_0x1_replaced.mp"}},
      {{"delete-layer", "--layer", "1"}, {"_1_layer_deleted.mp"}},
      {{"search-replace", "--find", "Type=0x1", "--replace", "Type=0x2"}, {"_replaced.mp"}},
      {{"eurasia", "--remove-levels"},
       {"_0_layer_deleted.mp", "_1_layer_deleted.mp", "_shifted.mp"}},
      {{"eurasia", "--fill-levels"}, {"_fixed.mp"}},
      {{"convert", "--translit", "to-russian"}, {"_rus.mp"}},
      {{"convert", "--translit", "to-translit", "--lower-case"}, {"_translit.mp"}},
  };
  return commands;
}

std::string Quoted(const std::string& text) {
  std::string quoted = text;
  ReplaceAll(quoted, "'", "'\\''");
  return "'" + quoted + "'";
}

Outcome RunCli(const test::TempDir& dir, const std::string& prefix, const std::string& args) {
  const std::string errFile = dir.File("stderr.txt");
  const std::string command = "cd " + Quoted(dir.path().string()) + " && " + prefix + " " +
                              Quoted(POMVELT_CLI_PATH) + " " + args + " 2>" + Quoted(errFile);
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, test::ReadBytes(errFile)};
}

std::string Preload() {
  return std::string("LD_PRELOAD=") + POMVELT_FAULT_SHIM;
}

pid_t Spawn(const std::vector<std::string>& args, const std::string& errPath) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  pid_t pid = -1;
  posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int WaitFor(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> CliArgs(const std::vector<std::string>& args) {
  std::vector<std::string> all = {POMVELT_CLI_PATH};
  all.insert(all.end(), args.begin(), args.end());
  return all;
}

void WriteGeneratedMap(const std::string& path, long size, int seed) {
  const std::string genmap = Quoted(POMVELT_GENMAP_PATH) + " " + Quoted(path) + " " +
                             std::to_string(size) + " " + std::to_string(seed);
  if (std::system(genmap.c_str()) != 0) return;
  std::string map = test::ReadBytes(path);
  ReplaceAll(map, "Data0=", "Data6=");
  ReplaceAll(map, "Origin0=", "Origin6=");
  test::WriteBytes(path, map);
}

std::string ResultOf(const std::vector<std::string>& command, const std::string& map) {
  test::TempDir dir;
  const std::string copy = dir.File("map.mp");
  std::filesystem::copy_file(map, copy);
  std::vector<std::string> args = CliArgs(command);
  args.push_back(copy);
  WaitFor(Spawn(args));
  return test::ReadBytes(copy);
}

}  // namespace pomvelt::faults
