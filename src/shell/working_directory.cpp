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
  // A relative folder is taken where the working directory is now.
  // The root stays itself; any other folder loses its trailing separator.
  const std::filesystem::path resolved = ResolveStoredPath(stored, {});
  folder = resolved.empty() ? "/" : resolved.string();
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return ::chdir(folder.c_str()) == 0;
}

}  // namespace stirpex
