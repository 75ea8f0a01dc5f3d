#include "app/paths.h"

#include <string>
#include <system_error>

namespace stirpex {

std::filesystem::path ProgramDir() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec && exe.has_parent_path()) return exe.parent_path();
  std::filesystem::path here = std::filesystem::current_path(ec);
  return ec ? std::filesystem::path(".") : here;
}

std::filesystem::path DataDir(const std::filesystem::path& program_dir) {
  std::error_code ec;
  if (std::filesystem::is_directory(program_dir / "styles", ec)) return program_dir;
  std::filesystem::path shared =
      (program_dir.parent_path() / "share" / "stirpex").lexically_normal();
  if (std::filesystem::is_directory(shared / "styles", ec)) return shared;
  return program_dir;
}

std::filesystem::path ResolveStoredPath(std::string_view stored,
                                        const std::filesystem::path& base) {
  if (stored.empty()) return {};
  std::string text(stored);
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  std::filesystem::path path(text);
  if (path.is_absolute()) return path.lexically_normal();
  return (base / path).lexically_normal();
}

}  // namespace stirpex
