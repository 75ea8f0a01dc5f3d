#include "platform/file_bytes.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace stirpex {

namespace {

FileProblem ProblemOfErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return FileProblem::kMissing;
    case EACCES:
    case EPERM:
      return FileProblem::kNoPermission;
    case EISDIR:
      return FileProblem::kFolder;
    default:
      return FileProblem::kUnreadable;
  }
}

}  // namespace

std::string_view DescribeFileProblem(FileProblem problem) {
  switch (problem) {
    case FileProblem::kNone:
      return {};
    case FileProblem::kMissing:
      return "no such file";
    case FileProblem::kFolder:
      return "a folder, not a file";
    case FileProblem::kNotRegular:
      return "not a regular file";
    case FileProblem::kNoPermission:
      return "no permission to read it";
    case FileProblem::kUnreadable:
      break;
  }
  return "it cannot be opened";
}

bool InputFile::Open(const std::filesystem::path& path) {
  Close();
  failed_ = false;
  size_ = 0;
  position_ = 0;
  problem_ = FileProblem::kNone;
  // O_NONBLOCK: opening a pipe must not wait for a writer (it is refused below all the same);
  // reads of a regular file do not heed it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    problem_ = ProblemOfErrno(errno);
    return false;
  }
  struct stat st {};
  const bool stated = ::fstat(fd, &st) == 0;
  if (!stated || !S_ISREG(st.st_mode)) {
    problem_ = !stated               ? FileProblem::kUnreadable
               : S_ISDIR(st.st_mode) ? FileProblem::kFolder
                                     : FileProblem::kNotRegular;
    ::close(fd);
    return false;
  }
  fd_ = fd;
  size_ = static_cast<unsigned long long>(st.st_size);
  return true;
}

std::size_t InputFile::Read(char* out, std::size_t size) {
  std::size_t done = 0;
  while (fd_ >= 0 && done < size) {
    const ssize_t n = ::read(fd_, out + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      failed_ = true;
      break;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  position_ += done;
  return done;
}

bool InputFile::Seek(unsigned long long offset) {
  if (fd_ < 0 || ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) {
    failed_ = true;
    return false;
  }
  position_ = offset;
  return true;
}

void InputFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool ReadFileBytes(const std::filesystem::path& path, std::string& bytes, std::size_t limit) {
  bytes.clear();
  InputFile file;
  if (!file.Open(path)) return false;
  // One read of the whole file when its size is known; then blocks until the end.
  std::size_t block =
      file.Size() > 0 && file.Size() < limit ? file.Size() + 1 : std::size_t{1} << 16;
  while (bytes.size() < limit) {
    const std::size_t want = std::min(block, limit - bytes.size());
    const std::size_t old = bytes.size();
    bytes.resize(old + want);
    const std::size_t got = file.Read(bytes.data() + old, want);
    bytes.resize(old + got);
    if (got < want) break;
    block = std::size_t{1} << 16;
  }
  return !file.Failed();
}

namespace {

// Blocks from this size on get a mapping of their own; smaller ones live in a string.
constexpr std::size_t kMappedFrom = std::size_t{4} << 20;
constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

ByteBlock& ByteBlock::operator=(ByteBlock&& other) noexcept {
  if (this != &other) {
    Release();
    text_ = std::move(other.text_);
    data_ = other.map_ ? other.data_ : text_.data();
    size_ = other.size_;
    map_ = other.map_;
    map_bytes_ = other.map_bytes_;
    other.data_ = nullptr;
    other.size_ = 0;
    other.map_ = nullptr;
    other.map_bytes_ = 0;
    other.text_.clear();
  }
  return *this;
}

bool ByteBlock::Allocate(std::size_t n) {
  Release();
  if (n >= kMappedFrom) {
    const std::size_t bytes = (n + kHugePage - 1) / kHugePage * kHugePage;
    void* map = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED) return false;
#ifdef MADV_HUGEPAGE
    ::madvise(map, bytes, MADV_HUGEPAGE);  // only a hint
#endif
    map_ = map;
    map_bytes_ = bytes;
    data_ = static_cast<char*>(map);
  } else {
    text_.resize(n);
    data_ = text_.data();
  }
  size_ = n;
  return true;
}

void ByteBlock::Adopt(std::string text) {
  Release();
  text_ = std::move(text);
  data_ = text_.data();
  size_ = text_.size();
}

void ByteBlock::Release() {
  if (map_) ::munmap(map_, map_bytes_);
  map_ = nullptr;
  map_bytes_ = 0;
  text_.clear();
  text_.shrink_to_fit();
  data_ = nullptr;
  size_ = 0;
}

bool ReadWholeFile(const std::filesystem::path& path, ByteBlock& bytes, FileProblem* problem) {
  bytes.Release();
  InputFile file;
  const bool opened = file.Open(path);
  if (problem) *problem = file.Problem();
  if (!opened) return false;
  // The size known at opening, and one byte more to see the end of the file at once.
  std::size_t room = static_cast<std::size_t>(file.Size()) + 1;
  if (!bytes.Allocate(room)) return false;
  std::size_t got = file.Read(bytes.data(), room);
  // A file that grew since it was opened (or whose size was not known) is read on.
  while (got == room && !file.Failed()) {
    ByteBlock larger;
    if (!larger.Allocate(room * 2)) return false;
    std::memcpy(larger.data(), bytes.data(), got);
    bytes = std::move(larger);
    room *= 2;
    got += file.Read(bytes.data() + got, room - got);
  }
  bytes.Shrink(got);
  return !file.Failed();
}

}  // namespace stirpex
