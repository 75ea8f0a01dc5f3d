// Reading files: the one place where the program opens a file to read it. The GEDCOM reader's
// line reader, the INI reader, the archive check and the viewer's display all read through
// here, so what counts as "a file that can be read" is decided once.
//
// Only regular files are read (a link is followed to what it names); a folder, a missing file
// and a file without read permission fail to open. Bytes are handed over exactly as stored.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>

namespace stirpex {

// A file open for reading in blocks. Not copyable; the file is closed by Close() or the
// destructor.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile() { Close(); }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens the file; false (and nothing open) when it is no regular file or cannot be opened.
  // An open file that was open before is closed first.
  bool Open(const std::filesystem::path& path);
  // Reads up to `size` bytes into `out`; returns how many were read. Fewer than asked means
  // the end of the file, or a read error when Failed() says so.
  std::size_t Read(char* out, std::size_t size);
  // Goes back to the first byte; false (and Failed()) when that is not possible.
  bool Rewind();
  // The size the file had when it was opened; 0 when it could not be learnt.
  unsigned long long Size() const { return size_; }
  // True once a read or Rewind failed.
  bool Failed() const { return failed_; }
  bool IsOpen() const { return file_ != nullptr; }
  void Close();

 private:
  std::FILE* file_ = nullptr;
  unsigned long long size_ = 0;
  bool failed_ = false;
};

// Reads the file whole, or its first `limit` bytes, into `bytes` (replacing what it held).
// False when the file cannot be opened or a read fails part way; `bytes` then holds what was
// read before the failure.
bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes,
                   std::size_t limit = std::numeric_limits<std::size_t>::max());

}  // namespace stirpex
