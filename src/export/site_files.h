// The files of a web site, written so that re-publishing costs only what changed.
//
// A file whose bytes equal what the site's folder already holds under its name is left as it
// is, its modification time included, so that upload tools (rsync, a web host's sync) send only
// the pages that changed. Any other file is written as line_files.h writes: atomically, a file
// that is not there yet in place. The tally of a pass counts what was written, left unchanged
// and failed, and names each file to the site's manifest (site_manifest.h), unchanged ones too:
// they belong to this pass as much as the ones written.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/line_files.h"

namespace stirpex {

class SiteManifest;

enum class SiteWrite {
  kWritten,    // the file is new or its bytes changed
  kUnchanged,  // the folder held these very bytes: not touched
  kFailed,     // could not be written; an older file of the name stays as it was
};

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
  void Count(SiteWrite outcome, const std::filesystem::path& dir, std::string_view name);
  void Count(SiteWrite outcome, const std::filesystem::path& path) {
    Count(outcome, path.parent_path(), path.filename().string());
  }
  void Count(bool ok, const std::filesystem::path& path) {
    Count(ok ? SiteWrite::kWritten : SiteWrite::kFailed, path);
  }
};

// Streams the bytes of one file of the site. While they agree with the file already there
// they are only compared; from the first difference on (or when the old file turns out longer)
// the file is written through a temporary file, its agreeing start copied from the old file.
// A file that is not there yet is written in place. One writer per file; not copyable.
class SiteFileWriter {
 public:
  SiteFileWriter() = default;
  ~SiteFileWriter();
  SiteFileWriter(const SiteFileWriter&) = delete;
  SiteFileWriter& operator=(const SiteFileWriter&) = delete;

  // Starts the file at path (any earlier one of this writer is abandoned). Failures show in
  // Commit().
  void Open(const std::filesystem::path& path);
  void Write(std::string_view bytes);
  // The line and CR LF.
  void WriteLine(std::string_view line);
  // Ends the file: kUnchanged when every byte agreed with an old file of the same length,
  // else kWritten or kFailed as the atomic writer reports.
  SiteWrite Commit();

  const std::filesystem::path& path() const { return path_; }

 private:
  bool Refill();
  void StartWriting();
  void CloseOld();

  std::filesystem::path path_;
  AtomicFileWriter writer_;
  bool open_ = false;
  bool comparing_ = false;
  int old_fd_ = -1;
  unsigned long long old_size_ = 0;
  unsigned long long matched_ = 0;  // bytes that agreed with the old file
  std::string old_block_;           // the old file's bytes from matched_ - old_pos_ on
  std::size_t old_pos_ = 0;         // how far old_block_ has been compared
};

// Writes bytes as the whole file at path unless the folder holds them already.
SiteWrite WriteSiteFile(const std::filesystem::path& path, std::string_view bytes);
// The same for the path as text (the pages of a site are many: no path object per page).
SiteWrite WriteSiteFile(const std::string& path, std::string_view bytes);

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
  explicit SiteLineSink(SiteFileWriter& writer, std::string canonical_link = {})
      : writer_(writer), canonical_link_(std::move(canonical_link)) {}
  void Add(std::string line) override;
  // Starts the next file: the canonical link goes into it again.
  void Restart(std::string canonical_link) {
    canonical_link_ = std::move(canonical_link);
    placed_ = false;
  }

 private:
  SiteFileWriter& writer_;
  std::string canonical_link_;
  bool placed_ = false;
};

// The index of the first line holding "</head>" in any case, or lines.size().
std::size_t HeadEndLine(const std::vector<std::string>& lines);
bool HoldsHeadEnd(std::string_view line);

}  // namespace stirpex
