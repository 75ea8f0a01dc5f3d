#include "shell/working_directory.h"

#include <unistd.h>

#include <system_error>

#include "platform/stored_paths.h"

namespace stirpex {

void RestoreWorkingDirectory(const std::filesystem::path& program_dir) {
  std::error_code ec;
  if (!program_dir.empty()) std::filesystem::current_path(program_dir, ec);
}

bool EnterStoredFolder(const std::string& stored, std::string& folder) {
  folder = WithForwardSlashes(stored);
  if (!folder.empty()) folder.pop_back();  // the trailing separator
  if (folder.empty()) folder = "/";
  return ::chdir(folder.c_str()) == 0;
}

}  // namespace stirpex
