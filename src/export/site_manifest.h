// The record a web site keeps of its own files, so that nothing stale stays online.
//
// A pass writes into the site's folder a small file of ours (kManifestName: a comment line,
// then one file name a line) naming every file it wrote there. The next pass into that folder
// removes the files the old manifest names and it no longer writes (the pages of a person
// excluded since, a split index page no longer needed), and touches nothing else: a file of
// the user's own stays, and a folder without a manifest loses nothing. A pass that does not
// finish removes nothing and keeps every name of the old manifest beside the ones it wrote.
//
// Only names of files in the folder are ever written, read or removed: plain names, and safe
// relative paths (IsSafeRelativePath: "media/photo.jpg", the pictures of a tree read from an
// archive), removed only through real folders, never through a link. Memory
// does not grow with the pass: the new manifest goes to its file as the pass writes, and the
// old one is held as one 8-byte hash a name.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/line_files.h"

namespace stirpex {

inline constexpr std::string_view kManifestName = ".stirpex-manifest";

class SiteManifest {
 public:
  // Reads the manifest of dir (none: nothing will be removed) and starts the new one beside
  // it. The folder must exist.
  explicit SiteManifest(const std::filesystem::path& dir);
  SiteManifest(const SiteManifest&) = delete;
  SiteManifest& operator=(const SiteManifest&) = delete;

  // A file the pass wrote in the folder, or meant to (a write that failed leaves an older
  // file of that name, which is not stale), or found already up to date there.
  void Wrote(std::string_view name);

  // After a complete pass: removes each file the old manifest names and the pass did not
  // write, then commits the new manifest (naming also any stale file that could not be
  // removed). Returns the number of files removed. False in manifest_written() when the new
  // manifest could not be written.
  long long Finish();
  // After a pass that stopped early: removes nothing, and commits a manifest that names every
  // file of the old one beside the files written so far.
  void Keep();

  bool manifest_written() const { return manifest_written_; }
  const std::filesystem::path& path() const { return path_; }

 private:
  // Calls visit(name) for each name of the old manifest, in its order.
  template <typename Visit>
  void ForEachOldName(Visit&& visit) const;
  bool WrittenBefore(std::string_view name) const;
  long long Close(bool remove_stale);

  std::filesystem::path dir_;
  std::filesystem::path path_;
  std::vector<std::uint64_t> old_hashes_;  // sorted
  std::vector<bool> written_;              // per entry of old_hashes_
  AtomicFileWriter out_;
  bool manifest_written_ = false;
};

// Whether a name of a manifest may stand for a file of the site: a plain file name (not "." or
// "..") or a safe relative path, and not the manifest itself.
bool IsSiteFileName(std::string_view name);

}  // namespace stirpex
