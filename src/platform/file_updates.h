// Files written again only when their bytes change, so that re-publishing a web site costs only
// what changed.
//
// A file whose bytes equal what is already there under its name is left as it is, its
// modification time included, so that upload tools (rsync, a web host's sync) send only the
// files that changed. Any other file is written as line_files.h writes: atomically, and a file
// that is not there yet in place. Every file made is a new file of the user's: its permissions
// are those the umask gives, whatever the file it was copied from had.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/file_bytes.h"
#include "platform/line_files.h"

namespace stirpex {

enum class FileUpdate {
  kWritten,    // the file is new or its bytes changed
  kUnchanged,  // these very bytes were there: not touched
  kFailed,     // could not be written; an older file of the name stays as it was
};

// Writes bytes as the whole file at path unless it holds them already. A file that is not
// there yet costs one open and one write (the many pages of a fresh site).
FileUpdate UpdateFile(const std::string& path, std::string_view bytes);
inline FileUpdate UpdateFile(const std::filesystem::path& path, std::string_view bytes) {
  return UpdateFile(path.native(), bytes);
}

// Streams the bytes of one file. While they agree with the file already there they are only
// compared; from the first difference on (or when the old file turns out longer) the file is
// written through a temporary file, its agreeing start copied from the old file. A file that
// is not there yet is written in place. One writer per file; not copyable.
class FileUpdater {
 public:
  FileUpdater() = default;
  FileUpdater(const FileUpdater&) = delete;
  FileUpdater& operator=(const FileUpdater&) = delete;

  // Starts the file at path (any earlier one of this writer is abandoned). Failures show in
  // Commit().
  void Open(const std::filesystem::path& path);
  void Write(std::string_view bytes);
  // The line and CR LF.
  void WriteLine(std::string_view line);
  // Ends the file: kUnchanged when every byte agreed with an old file of the same length,
  // else kWritten or kFailed as the atomic writer reports.
  FileUpdate Commit();

  const std::filesystem::path& path() const { return path_; }

 private:
  bool Refill();
  void StartWriting();
  void CloseOld();

  std::filesystem::path path_;
  AtomicFileWriter writer_;
  InputFile old_;
  bool open_ = false;
  bool comparing_ = false;
  unsigned long long matched_ = 0;  // bytes that agreed with the old file
  std::string old_block_;           // the old file's bytes read last
  std::size_t old_pos_ = 0;         // how far old_block_ has been compared
};

// Copies the file source to target, unless target is a copy already: of the same size and at
// least as new, or holding the same bytes (kUnchanged, target untouched). kFailed when source
// cannot be read or target cannot be written; an older target then stays as it was.
FileUpdate UpdateCopy(const std::filesystem::path& source, const std::filesystem::path& target);

}  // namespace stirpex
