#include "shell/working_directory.h"

#include <unistd.h>

#include <system_error>

namespace stirpex {

void RestoreWorkingDirectory(const std::filesystem::path& program_dir) {
  std::error_code ec;
  if (!program_dir.empty()) std::filesystem::current_path(program_dir, ec);
}

bool EnterStoredFolder(const std::string& stored, std::string& folder) {
  folder = stored;
  for (char& c : folder) {
    if (c == '\\') c = '/';
  }
  if (!folder.empty()) folder.pop_back();  // the trailing separator
  if (folder.empty()) folder = "/";
  return ::chdir(folder.c_str()) == 0;
}

}  // namespace stirpex
