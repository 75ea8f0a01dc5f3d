#include "export/site_manifest.h"

#include <algorithm>
#include <functional>
#include <system_error>

#include "database/gedcom_archive.h"
#include "database/text_lines.h"
#include "platform/stored_paths.h"

namespace stirpex {

namespace {

constexpr std::string_view kHeading = "# Stirpex web site: the files the last Save Website wrote";

std::uint64_t Hash(std::string_view name) {
  return std::hash<std::string_view>{}(name);
}

}  // namespace

bool IsSiteFileName(std::string_view name) {
  return name != kManifestName && (IsPlainFileName(name) || IsSafeRelativePath(name));
}

namespace {

// Whether every folder between dir and its file name is a real folder, not a link that could
// lead the removal out of the site.
bool InRealFolders(const std::filesystem::path& dir, std::string_view name) {
  std::filesystem::path at = dir;
  for (std::size_t slash = name.find('/'); slash != std::string_view::npos;
       slash = name.find('/', slash + 1)) {
    at = dir / std::string(name.substr(0, slash));
    std::error_code ec;
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(at, ec))) return false;
  }
  return true;
}

}  // namespace

SiteManifest::SiteManifest(const std::filesystem::path& dir)
    : dir_(dir), path_(dir / std::string(kManifestName)) {
  ForEachOldName([&](std::string_view name) { old_hashes_.push_back(Hash(name)); });
  std::sort(old_hashes_.begin(), old_hashes_.end());
  written_.assign(old_hashes_.size(), false);
  if (out_.Open(path_)) out_.WriteLine(kHeading);
}

template <typename Visit>
void SiteManifest::ForEachOldName(Visit&& visit) const {
  TextLineReader reader;
  if (!reader.Open(path_)) return;
  std::string_view line;
  while (reader.Next(line)) {
    if (!line.empty() && line.front() == '#') continue;
    if (IsSiteFileName(line)) visit(line);
  }
}

void SiteManifest::Wrote(std::string_view name) {
  if (!IsSiteFileName(name)) return;
  out_.WriteLine(name);
  const auto [first, last] = std::equal_range(old_hashes_.begin(), old_hashes_.end(), Hash(name));
  for (auto it = first; it != last; ++it)
    written_[static_cast<std::size_t>(it - old_hashes_.begin())] = true;
}

bool SiteManifest::WrittenBefore(std::string_view name) const {
  const auto it = std::lower_bound(old_hashes_.begin(), old_hashes_.end(), Hash(name));
  return it != old_hashes_.end() && *it == Hash(name) &&
         written_[static_cast<std::size_t>(it - old_hashes_.begin())];
}

long long SiteManifest::Close(bool remove_stale) {
  long long removed = 0;
  ForEachOldName([&](std::string_view name) {
    if (WrittenBefore(name)) return;
    if (remove_stale) {
      const std::filesystem::path file = dir_ / std::string(name);
      std::error_code ec;
      const std::filesystem::file_status status = std::filesystem::symlink_status(file, ec);
      if (ec || !std::filesystem::exists(status)) return;  // gone already: nothing to track
      const bool plain =
          std::filesystem::is_regular_file(status) || std::filesystem::is_symlink(status);
      if (plain && InRealFolders(dir_, name) && std::filesystem::remove(file, ec) && !ec) {
        ++removed;
        return;
      }
    }
    out_.WriteLine(name);  // still there: still ours to remove later
  });
  manifest_written_ = out_.Commit();
  return removed;
}

long long SiteManifest::Finish() {
  return Close(/*remove_stale=*/true);
}

void SiteManifest::Keep() {
  Close(/*remove_stale=*/false);
}

}  // namespace stirpex
