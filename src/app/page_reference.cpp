#include "app/page_reference.h"

#include <system_error>

#include "database/text.h"

namespace fs = std::filesystem;

namespace stirpex {

namespace {

// Length of a URL scheme with its ":" at the start of s ("http:" gives 5), 0 when none. A
// single letter is a drive letter ("C:\..."), not a scheme.
std::size_t SchemeLength(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() &&
         ((s[i] >= 'a' && s[i] <= 'z') || (s[i] >= 'A' && s[i] <= 'Z') ||
          (i > 0 && ((s[i] >= '0' && s[i] <= '9') || s[i] == '+' || s[i] == '-' || s[i] == '.')))) {
    ++i;
  }
  if (i < 2 || i >= s.size() || s[i] != ':') return 0;
  return i + 1;
}

bool IsRegularFile(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec);
}

// The entry of `dir` named `name`, exactly or else without regard to ASCII case; empty when
// there is none.
fs::path FindEntry(const fs::path& dir, const std::string& name) {
  std::error_code ec;
  fs::path exact = dir / name;
  if (fs::exists(exact, ec)) return exact;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (EqualsNoCaseAscii(it->path().filename().string(), name)) return it->path();
  }
  return {};
}

// Walks the relative parts below base, each matched exactly or without regard to case.
fs::path ResolveBelow(const fs::path& base, const std::vector<std::string>& parts) {
  fs::path at = base;
  for (const std::string& part : parts) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      at = at.parent_path();
      continue;
    }
    at = FindEntry(at, part);
    if (at.empty()) return {};
  }
  return IsRegularFile(at) ? at : fs::path();
}

std::vector<std::string> SplitParts(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      parts.emplace_back(path.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

}  // namespace

bool IsExternalReference(std::string_view reference) {
  std::size_t n = SchemeLength(reference);
  return n > 0 && !EqualsNoCaseAscii(reference.substr(0, n), "file:");
}

std::string ReferenceFragment(std::string_view reference) {
  std::size_t hash = reference.find('#');
  return hash == std::string_view::npos ? std::string() : std::string(reference.substr(hash + 1));
}

fs::path ResolvePageReference(std::string_view reference, const std::vector<fs::path>& dirs) {
  std::size_t end = reference.find_first_of("#?");
  std::string_view bare = reference.substr(0, end);
  if (bare.empty() || IsExternalReference(bare)) return {};
  if (std::size_t n = SchemeLength(bare); n > 0) {  // file:
    bare.remove_prefix(n);
    if (bare.substr(0, 2) == "//") {
      bare.remove_prefix(2);
      std::size_t slash = bare.find('/');  // skip the host ("localhost" or nothing)
      if (slash == std::string_view::npos) return {};
      bare.remove_prefix(slash);
    }
  }
  std::string path = DecodeHexEscapes(bare, '%', true);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  if (!path.empty() && path[0] == '/') {
    if (IsRegularFile(path)) return path;
    return ResolveBelow("/", SplitParts(std::string_view(path).substr(1)));
  }
  std::vector<std::string> parts = SplitParts(path);
  for (const fs::path& dir : dirs) {
    if (dir.empty()) continue;
    fs::path exact = dir / path;
    if (IsRegularFile(exact)) return exact.lexically_normal();
  }
  for (const fs::path& dir : dirs) {
    if (dir.empty()) continue;
    fs::path found = ResolveBelow(dir, parts);
    if (!found.empty()) return found.lexically_normal();
  }
  return {};
}

}  // namespace stirpex
