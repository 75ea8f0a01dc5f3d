#include "support/cli_runner.h"

#include <sys/wait.h>

#include <cstdlib>

#include "support/test_paths.h"

namespace stirpex::testing {

namespace {

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

}  // namespace

CliRun RunCliIn(const std::filesystem::path& cwd, const std::vector<std::string>& args) {
  TempDir dir;
  std::string command = "cd " + Quote(cwd.string()) + " && SOURCE_DATE_EPOCH=1700000000 LC_ALL=C " +
                        Quote((BinDir() / "stirpex-cli").string());
  for (const std::string& arg : args) command += " " + Quote(arg);
  command += " >" + Quote((dir.path() / "out").string()) + " 2>" +
             Quote((dir.path() / "err").string()) + " </dev/null";
  CliRun run;
  const int raw = std::system(command.c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = ReadFileBytes(dir.path() / "out");
  run.err = ReadFileBytes(dir.path() / "err");
  return run;
}

CliRun RunCli(const std::vector<std::string>& args) {
  return RunCliIn(std::filesystem::current_path(), args);
}

}  // namespace stirpex::testing
