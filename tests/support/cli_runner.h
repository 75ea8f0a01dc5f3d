// Runs the built stirpex-cli as a user does, for tests of its commands.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace stirpex::testing {

struct CliRun {
  int status = -1;  // exit status, -1 when the program did not exit normally
  std::string out;  // standard output, bytes as written
  std::string err;  // standard error
};

// Runs build/bin/stirpex-cli with the arguments in folder cwd (each argument quoted for the
// shell), with no input, on a fixed day (SOURCE_DATE_EPOCH) in the C locale so that the date
// on pages is predictable.
CliRun RunCliIn(const std::filesystem::path& cwd, const std::vector<std::string>& args);

// The same in the current folder.
CliRun RunCli(const std::vector<std::string>& args);

}  // namespace stirpex::testing
