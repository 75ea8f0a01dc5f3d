// The files of a web site, counted as a pass writes them.
//
// Every file of a site is written by platform/file_updates.h, which leaves a file alone when
// it holds the bytes already, so that re-publishing costs only what changed. The tally of a
// pass counts what was written, left unchanged and failed, and names each file to the site's
// manifest (site_manifest.h), unchanged ones too: they belong to this pass as much as the ones
// written.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "pages/template/page_lines.h"
#include "platform/file_updates.h"

namespace stirpex {

class SiteManifest;

// Files written, left unchanged and failed, with the first path that failed; each file is
// also named to the site's manifest when there is one, and its name kept in `names` while
// that is set (the pass collects the index pages for the sitemap so).
struct WriteTally {
  long long written = 0;
  long long unchanged = 0;
  long long failed = 0;
  std::string first_failed;
  SiteManifest* manifest = nullptr;
  std::vector<std::string>* names = nullptr;

  // The file name in dir.
  void Count(FileUpdate outcome, const std::filesystem::path& dir, std::string_view name);
  void Count(FileUpdate outcome, const std::filesystem::path& path) {
    Count(outcome, path.parent_path(), path.filename().string());
  }
  void Count(bool ok, const std::filesystem::path& path) {
    Count(ok ? FileUpdate::kWritten : FileUpdate::kFailed, path);
  }
};

// Where the lines of a page go, one at a time: a line list in memory, or a file being written
// (the index of a large tree is long; streamed, it never stands in memory whole).
class LineSink {
 public:
  virtual ~LineSink() = default;
  virtual void Add(std::string line) = 0;
};

// Lines written to a file of the site as they come (each followed by CR LF). With a canonical
// link line given, that line goes before the first line that holds "</head>" in any case.
class SiteLineSink : public LineSink {
 public:
  explicit SiteLineSink(FileUpdater& writer, std::string canonical_link = {})
      : writer_(writer), canonical_link_(std::move(canonical_link)) {}
  void Add(std::string line) override;
  // Starts the next file: the canonical link goes into it again.
  void Restart(std::string canonical_link) {
    canonical_link_ = std::move(canonical_link);
    placed_ = false;
  }

 private:
  FileUpdater& writer_;
  std::string canonical_link_;
  bool placed_ = false;
};

// The index of the first line holding "</head>" in any case, or lines.size().
std::size_t HeadEndLine(const PageLines& lines);
bool HoldsHeadEnd(std::string_view line);

}  // namespace stirpex
