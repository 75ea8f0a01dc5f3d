#include "platform/stored_paths.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <system_error>
#include <unordered_map>

namespace fs = std::filesystem;

namespace stirpex {

namespace {

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// The value of a hexadecimal digit, -1 for any other character.
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = LowerAscii(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// "%XX" escapes of a URL decoded; a "%" without two hex digits stays as it is.
std::string DecodePercentEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
        HexDigit(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2])));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

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

bool IsFolder(const fs::path& p) {
  std::error_code ec;
  return fs::is_directory(p, ec);
}

// The entry of `dir` named `name`, exactly or else without regard to ASCII case, that is a
// regular file (want_file) or a folder; empty when there is none. The folder is listed anew,
// or its entries taken from `listings` when given.
fs::path FindEntry(const fs::path& dir, std::string_view name, bool want_file,
                   FolderListings* listings) {
  const auto fits = [want_file](const fs::path& p) {
    return want_file ? IsRegularFile(p) : IsFolder(p);
  };
  fs::path exact = dir / std::string(name);
  if (fits(exact)) return exact;
  if (listings) {
    for (const fs::path& entry : listings->EntriesNamed(dir, name)) {
      if (fits(entry)) return entry;
    }
    return {};
  }
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (EqualsNoCase(it->path().filename().native(), name) && fits(it->path())) {
      return it->path();
    }
  }
  return {};
}

std::string LowerAsciiText(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = LowerAscii(c);
  return lower;
}

// The parts of a "/"-separated path, "" and "." left out.
std::vector<std::string_view> SplitParts(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      const std::string_view part = path.substr(start, i - start);
      if (!part.empty() && part != ".") parts.push_back(part);
      start = i + 1;
    }
  }
  return parts;
}

// Walks the parts below base, each matched exactly or without regard to case.
fs::path FindBelow(const fs::path& base, const std::vector<std::string_view>& parts,
                   FolderListings* listings = nullptr) {
  fs::path at = base;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (parts[i] == "..") {
      at = at.parent_path();
      continue;
    }
    at = FindEntry(at, parts[i], /*want_file=*/i + 1 == parts.size(), listings);
    if (at.empty()) return {};
  }
  return IsRegularFile(at) ? at : fs::path();
}

}  // namespace

fs::path ProgramDir() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec && exe.has_parent_path()) return exe.parent_path();
  fs::path here = fs::current_path(ec);
  return ec ? fs::path(".") : here;
}

fs::path DataDir(const fs::path& program_dir) {
  std::error_code ec;
  if (fs::is_directory(program_dir / "styles", ec)) return program_dir;
  fs::path shared = (program_dir.parent_path() / "share" / "stirpex").lexically_normal();
  if (fs::is_directory(shared / "styles", ec)) return shared;
  return program_dir;
}

std::string WithForwardSlashes(std::string_view stored) {
  std::string text(stored);
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

std::string StoredFileName(std::string_view stored) {
  const std::size_t cut = stored.find_last_of("/\\:");
  return std::string(cut == std::string_view::npos ? stored : stored.substr(cut + 1));
}

std::string FileCaption(std::string_view reference) {
  const std::string name = StoredFileName(reference);
  return DecodePercentEscapes(name.empty() ? reference : name);
}

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

fs::path ResolveStoredPath(std::string_view stored, const fs::path& base) {
  if (stored.empty()) return {};
  fs::path path(WithForwardSlashes(stored));
  if (path.is_absolute()) return path.lexically_normal();
  return (base / path).lexically_normal();
}

namespace {

fs::path FindFileVia(std::string_view relative, const std::vector<fs::path>& dirs,
                     FolderListings* listings) {
  for (const fs::path& dir : dirs) {
    if (dir.empty()) continue;
    fs::path exact = dir / std::string(relative);
    if (IsRegularFile(exact)) return exact;
  }
  const std::vector<std::string_view> parts = SplitParts(relative);
  for (const fs::path& dir : dirs) {
    if (dir.empty()) continue;
    fs::path found = FindBelow(dir, parts, listings);
    if (!found.empty()) return found;
  }
  return {};
}

}  // namespace

fs::path FindFileIn(std::string_view relative, const std::vector<fs::path>& dirs) {
  return FindFileVia(relative, dirs, nullptr);
}

struct FolderListings::Listings {
  std::mutex mutex;
  // Folder -> its entries by their names in lower case, each name's entries in folder order.
  std::map<fs::path, std::unordered_map<std::string, std::vector<fs::path>>> folders;
};

FolderListings::FolderListings() : listings_(std::make_unique<Listings>()) {}
FolderListings::~FolderListings() = default;

fs::path FolderListings::FindFileIn(std::string_view relative, const std::vector<fs::path>& dirs) {
  return FindFileVia(relative, dirs, this);
}

std::vector<fs::path> FolderListings::EntriesNamed(const fs::path& dir, std::string_view name) {
  std::lock_guard<std::mutex> lock(listings_->mutex);
  auto [folder, added] = listings_->folders.try_emplace(dir);
  if (added) {
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
      folder->second[LowerAsciiText(it->path().filename().native())].push_back(it->path());
    }
  }
  const auto found = folder->second.find(LowerAsciiText(name));
  return found == folder->second.end() ? std::vector<fs::path>() : found->second;
}

bool IsExternalReference(std::string_view reference) {
  std::size_t n = SchemeLength(reference);
  return n > 0 && !EqualsNoCase(reference.substr(0, n), "file:");
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
  const std::string path = WithForwardSlashes(DecodePercentEscapes(bare));
  if (!path.empty() && path[0] == '/') {
    if (IsRegularFile(path)) return path;
    return FindBelow("/", SplitParts(std::string_view(path).substr(1)));
  }
  fs::path found = FindFileIn(path, dirs);
  return found.empty() ? found : found.lexically_normal();
}

}  // namespace stirpex
