// Reading files: the one place where the program opens a file to read it. The GEDCOM reader's
// line reader, the INI reader, the archive reader, the web site's comparison of old pages and
// the viewer's display all read through here, so what counts as "a file that can be read" is
// decided once, and so is the word to the user on why one cannot be.
//
// Only regular files are read (a link is followed to what it names); a folder, a missing file
// and a file without read permission fail to open. Bytes are handed over exactly as stored.
#pragma once

#include <cstddef>
#include <filesystem>
#include <limits>
#include <string>
#include <string_view>

namespace stirpex {

// Why a file could not be opened for reading.
enum class FileProblem {
  kNone,
  kMissing,       // nothing of that name (or a folder on its way is missing)
  kFolder,        // a folder, not a file
  kNotRegular,    // a device, a pipe or a socket
  kNoPermission,  // the user may not read it, or may not enter a folder on its way
  kUnreadable,    // any other failure to open it
};

// The words telling the user what is wrong, to follow a message's path in parentheses:
// "no such file", "a folder, not a file", "not a regular file", "no permission to read it",
// "it cannot be opened" (empty for kNone).
std::string_view DescribeFileProblem(FileProblem problem);

// A file open for reading in blocks. Not copyable; the file is closed by Close() or the
// destructor.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile() { Close(); }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens the file; false (nothing open, and Problem() says why) when it is no regular file
  // or cannot be opened. An open file that was open before is closed first.
  bool Open(const std::filesystem::path& path);
  // Reads up to `size` bytes into `out`; returns how many were read. Fewer than asked means
  // the end of the file, or a read error when Failed() says so.
  std::size_t Read(char* out, std::size_t size);
  // Goes to the byte at `offset` (reads from there on); false (and Failed()) when that is not
  // possible.
  bool Seek(unsigned long long offset);
  bool Rewind() { return Seek(0); }
  // The offset of the next byte Read gives.
  unsigned long long Position() const { return position_; }
  // The size the file had when it was opened.
  unsigned long long Size() const { return size_; }
  // True once a read or a seek failed.
  bool Failed() const { return failed_; }
  // Why the last Open failed; kNone after one that succeeded.
  FileProblem Problem() const { return problem_; }
  bool IsOpen() const { return fd_ >= 0; }
  void Close();

 private:
  int fd_ = -1;
  unsigned long long size_ = 0;
  unsigned long long position_ = 0;
  bool failed_ = false;
  FileProblem problem_ = FileProblem::kNone;
};

// Reads the file whole, or its first `limit` bytes, into `bytes` (replacing what it held).
// False when the file cannot be opened or a read fails part way; `bytes` then holds what was
// read before the failure.
bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes,
                   std::size_t limit = std::numeric_limits<std::size_t>::max());

// Bytes held in one block, as a whole file is read into memory: large blocks lie on memory
// mapped for them (on huge pages where the system allows, so that filling them takes few page
// faults) and are never cleared before they are written. Not copyable; moving hands the
// block over.
class ByteBlock {
 public:
  ByteBlock() = default;
  ~ByteBlock() { Release(); }
  ByteBlock(ByteBlock&& other) noexcept { *this = std::move(other); }
  ByteBlock& operator=(ByteBlock&& other) noexcept;
  ByteBlock(const ByteBlock&) = delete;
  ByteBlock& operator=(const ByteBlock&) = delete;

  // Room for n bytes, whose contents are undefined until written; what was held is released.
  // False (and nothing held) when the memory cannot be had.
  bool Allocate(std::size_t n);
  // Holds the bytes of text instead (no copy).
  void Adopt(std::string text);
  // Keeps the first n bytes (n at most size()).
  void Shrink(std::size_t n) { size_ = n < size_ ? n : size_; }
  void Release();

  char* data() { return data_; }
  const char* data() const { return data_; }
  std::size_t size() const { return size_; }
  std::string_view view() const { return {data_, size_}; }
  // Bytes taken from the system for the block.
  std::size_t reserved() const { return map_ ? map_bytes_ : text_.capacity(); }

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
  void* map_ = nullptr;  // the mapping of a large block, else nullptr
  std::size_t map_bytes_ = 0;
  std::string text_;  // the bytes of a small or adopted block
};

// Reads the whole file into `bytes` with one open and, when its size is known, one read (a
// file that grows while it is read is read to its end). False when the file cannot be opened
// (`problem` then says why, see InputFile::Open) or a read fails part way (`problem` stays
// kNone; `bytes` holds what was read).
bool ReadWholeFile(const std::filesystem::path& path, ByteBlock& bytes,
                   FileProblem* problem = nullptr);

}  // namespace stirpex
