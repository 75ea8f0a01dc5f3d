#include "export/site_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "database/text.h"
#include "export/site_manifest.h"

namespace stirpex {

namespace {

constexpr std::size_t kBlock = 1 << 16;

// Reads up to size bytes at offset (fewer only at the end of the file); -1 on an error.
long long ReadAt(int fd, char* data, std::size_t size, unsigned long long offset) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd, data + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<long long>(done);
}

// The open file at path when it is a regular file, with its size; -1 otherwise.
int OpenOld(const std::filesystem::path& path, unsigned long long& size) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  size = static_cast<unsigned long long>(st.st_size);
  return fd;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

void WriteTally::Count(SiteWrite outcome, const std::filesystem::path& dir, std::string_view name) {
  if (manifest) manifest->Wrote(name);
  if (names) names->emplace_back(name);
  switch (outcome) {
    case SiteWrite::kWritten:
      ++written;
      break;
    case SiteWrite::kUnchanged:
      ++unchanged;
      break;
    case SiteWrite::kFailed:
      if (failed++ == 0) first_failed = (dir / std::string(name)).string();
      break;
  }
}

SiteFileWriter::~SiteFileWriter() {
  CloseOld();
}

void SiteFileWriter::CloseOld() {
  if (old_fd_ >= 0) ::close(old_fd_);
  old_fd_ = -1;
  old_block_.clear();
  old_pos_ = 0;
}

void SiteFileWriter::Open(const std::filesystem::path& path) {
  CloseOld();
  writer_.Abandon();
  path_ = path;
  open_ = true;
  matched_ = 0;
  old_fd_ = OpenOld(path, old_size_);
  comparing_ = old_fd_ >= 0;
  // A new file is written where it belongs at once; something there that is not a regular
  // file makes the write fail as it always did.
  if (!comparing_) writer_.Open(path, NewFile::kInPlace);
}

bool SiteFileWriter::Refill() {
  old_block_.resize(kBlock);
  const long long n = ReadAt(old_fd_, old_block_.data(), kBlock, matched_);
  if (n <= 0) {
    old_block_.clear();
    old_pos_ = 0;
    return false;
  }
  old_block_.resize(static_cast<std::size_t>(n));
  old_pos_ = 0;
  return true;
}

void SiteFileWriter::StartWriting() {
  comparing_ = false;
  // The old file is there: through a temporary file, so that it stays whole until the rename.
  writer_.Open(path_, NewFile::kThroughTemporary);
  std::string block(kBlock, '\0');
  for (unsigned long long copied = 0; copied < matched_;) {
    const std::size_t want =
        static_cast<std::size_t>(std::min<unsigned long long>(kBlock, matched_ - copied));
    const long long n = ReadAt(old_fd_, block.data(), want, copied);
    if (n != static_cast<long long>(want)) {
      writer_.Abandon();  // the old file changed under us: the write fails
      break;
    }
    writer_.Write(std::string_view(block.data(), want));
    copied += want;
  }
  CloseOld();
}

void SiteFileWriter::Write(std::string_view bytes) {
  if (!open_) return;
  while (comparing_ && !bytes.empty()) {
    if (old_pos_ == old_block_.size() && !Refill()) break;
    const std::size_t n = std::min(bytes.size(), old_block_.size() - old_pos_);
    if (std::memcmp(bytes.data(), old_block_.data() + old_pos_, n) != 0) break;
    old_pos_ += n;
    matched_ += n;
    bytes.remove_prefix(n);
  }
  if (bytes.empty()) return;
  if (comparing_) StartWriting();
  writer_.Write(bytes);
}

void SiteFileWriter::WriteLine(std::string_view line) {
  Write(line);
  Write("\r\n");
}

SiteWrite SiteFileWriter::Commit() {
  if (!open_) return SiteWrite::kFailed;
  open_ = false;
  if (comparing_) {
    if (matched_ == old_size_) {
      CloseOld();
      comparing_ = false;
      return SiteWrite::kUnchanged;
    }
    StartWriting();  // the old file is longer
  }
  return writer_.Commit() ? SiteWrite::kWritten : SiteWrite::kFailed;
}

SiteWrite WriteSiteFile(const std::filesystem::path& path, std::string_view bytes) {
  return WriteSiteFile(path.native(), bytes);
}

SiteWrite WriteSiteFile(const std::string& path, std::string_view bytes) {
  // A file that is not there yet (every page of a fresh site) costs one open: made and written
  // in place, as line_files.h writes new files, and removed again when writing fails.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd >= 0) {
    bool ok = WriteAll(fd, bytes);
    if (::close(fd) != 0) ok = false;
    if (!ok) ::unlink(path.c_str());
    return ok ? SiteWrite::kWritten : SiteWrite::kFailed;
  }
  unsigned long long size = 0;
  fd = errno == EEXIST ? OpenOld(path, size) : -1;
  if (fd >= 0) {
    bool same = size == bytes.size();
    if (same && size > 0) {
      std::string old(bytes.size(), '\0');
      same = ReadAt(fd, old.data(), old.size(), 0) == static_cast<long long>(old.size()) &&
             old == bytes;
    }
    ::close(fd);
    if (same) return SiteWrite::kUnchanged;
  }
  return WriteFileAtomically(path, bytes, NewFile::kThroughTemporary) ? SiteWrite::kWritten
                                                                      : SiteWrite::kFailed;
}

bool HoldsHeadEnd(std::string_view line) {
  constexpr std::string_view kHeadEnd = "</HEAD>";
  for (std::size_t at = line.find('<'); at != std::string_view::npos && line.size() - at >= 7;
       at = line.find('<', at + 1)) {
    std::size_t k = 1;
    while (k < kHeadEnd.size() && ToUpperAscii(line[at + k]) == kHeadEnd[k]) ++k;
    if (k == kHeadEnd.size()) return true;
  }
  return false;
}

std::size_t HeadEndLine(const std::vector<std::string>& lines) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (HoldsHeadEnd(lines[i])) return i;
  }
  return lines.size();
}

void SiteLineSink::Add(std::string line) {
  if (!placed_ && !canonical_link_.empty() && HoldsHeadEnd(line)) {
    writer_.WriteLine(canonical_link_);
    placed_ = true;
  }
  writer_.WriteLine(line);
}

}  // namespace stirpex
