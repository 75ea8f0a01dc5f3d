// Writing text files whole: every file the program writes (pages, web sites, GEDCOM and GENDEX
// exports, settings and project files) goes through here.
//
// A file is written atomically: the bytes go to a new temporary file in the target's folder,
// which is flushed and closed, and only then renamed over the target. A write that fails part
// way (the folder is missing, the disk is full, the file cannot be created) leaves any older
// file of that name exactly as it was and removes the temporary file. Lines are written as
// bytes, each followed by CR LF, with no character conversion.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace stirpex {

// The message of every failed write: "Unable to write to " + path.
std::string UnableToWriteMessage(const std::filesystem::path& path);

// How a file that does not exist yet is written. An existing file is always replaced through
// a temporary file. A new one may be written under its own name, which saves the rename for
// the thousands of small pages of a web site: a failed write then removes it again, so only a
// crash in the middle can leave a new file cut short. Single exports and settings always go
// through a temporary file. kNewOnly writes in place too, but never replaces anything: Open
// fails when the name is taken (by a file, a folder or a link, which is not followed); the
// files unpacked from an archive are written so.
enum class NewFile { kThroughTemporary, kInPlace, kNewOnly };

// Streams bytes into a temporary file beside `path` and renames it over `path` on Commit().
// Until then the target is untouched; a writer destroyed without a successful Commit() removes
// its temporary file (or, for a new file written in place, the file). Not copyable; one writer
// per file.
class AtomicFileWriter {
 public:
  AtomicFileWriter() = default;
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // Creates the temporary file. False when it cannot be created (missing folder, no right to
  // write there); the writer is then failed and every later call does nothing.
  bool Open(const std::filesystem::path& path, NewFile new_file = NewFile::kThroughTemporary);
  // Appends bytes (buffered). A failed write makes the writer failed.
  void Write(std::string_view bytes);
  // Appends the line and CR LF.
  void WriteLine(std::string_view line);
  // Flushes, closes and renames the temporary file over the target. True when every step
  // succeeded; otherwise the temporary file is removed and the target is unchanged.
  bool Commit();
  // Gives up: removes the temporary file, leaves the target unchanged.
  void Abandon();

  bool failed() const { return failed_; }
  const std::filesystem::path& target() const { return target_; }

 private:
  bool FlushBuffer();

  int fd_ = -1;
  bool failed_ = false;
  std::filesystem::path target_;
  std::filesystem::path temp_;  // empty while writing a new file in place
  bool in_place_ = false;
  std::string buffer_;
};

// What WriteNewFile did.
enum class NewFileWrite {
  kWritten,  // the file was made with the bytes
  kExists,   // something of that name is there already: nothing was touched
  kFailed,   // it could not be made or written; nothing of it stays
};

// Writes bytes as a file that is not there yet, in place, in one write: the lean path of the
// many new pages of a web site.
NewFileWrite WriteNewFile(const std::string& path, std::string_view bytes);

// Writes the bytes as the whole content of the file, atomically. False on any failure.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         NewFile new_file = NewFile::kThroughTemporary);

// Writes each line followed by CR LF (an empty list makes an empty file), atomically.
// False on any failure; the caller reports it with UnableToWriteMessage(path).
bool WriteLines(const std::vector<std::string>& lines, const std::filesystem::path& path,
                NewFile new_file = NewFile::kThroughTemporary);

}  // namespace stirpex
