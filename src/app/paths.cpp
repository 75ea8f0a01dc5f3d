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
