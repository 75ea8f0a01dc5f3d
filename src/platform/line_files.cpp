#include "platform/line_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

namespace stirpex {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

std::atomic<unsigned long> temp_counter{0};

// A hidden name in the target's folder that no other writer uses at the same time. The
// target's own name is kept (shortened) so that a leftover after a crash says what it was.
std::filesystem::path TempNameFor(const std::filesystem::path& target) {
  std::string name = "." + target.filename().string().substr(0, 100) + ".~" +
                     std::to_string(::getpid()) + "." + std::to_string(temp_counter++);
  return target.parent_path() / name;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::string UnableToWriteMessage(const std::filesystem::path& path) {
  return "Unable to write to " + path.string();
}

AtomicFileWriter::~AtomicFileWriter() {
  Abandon();
}

bool AtomicFileWriter::Open(const std::filesystem::path& path, NewFile new_file) {
  Abandon();
  failed_ = false;
  target_ = path;
  buffer_.clear();
  if (path.filename().empty()) {
    failed_ = true;
    return false;
  }
  if (new_file != NewFile::kThroughTemporary) {
    // Only a file that is not there yet: O_EXCL makes the test and the creation one step (and
    // follows no link).
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      in_place_ = true;
      return true;
    }
    if (new_file == NewFile::kNewOnly) {
      failed_ = true;
      return false;
    }
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp_ = TempNameFor(path);
    // Mode 0666 less the umask, as any new file of the user gets.
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) return true;
    if (errno != EEXIST) break;
  }
  temp_.clear();
  failed_ = true;
  return false;
}

bool AtomicFileWriter::FlushBuffer() {
  if (failed_ || fd_ < 0) return false;
  if (!buffer_.empty()) {
    if (!WriteAll(fd_, buffer_.data(), buffer_.size())) failed_ = true;
    buffer_.clear();
  }
  return !failed_;
}

void AtomicFileWriter::Write(std::string_view bytes) {
  if (failed_ || fd_ < 0) return;
  if (buffer_.size() + bytes.size() > kBufferSize) {
    if (!FlushBuffer()) return;
    if (bytes.size() > kBufferSize) {
      if (!WriteAll(fd_, bytes.data(), bytes.size())) failed_ = true;
      return;
    }
  }
  buffer_.append(bytes);
}

void AtomicFileWriter::WriteLine(std::string_view line) {
  Write(line);
  Write("\r\n");
}

bool AtomicFileWriter::Commit() {
  if (fd_ < 0) {
    failed_ = true;
    return false;
  }
  bool ok = FlushBuffer();
  // close() reports errors of delayed writes on some file systems: check it too.
  if (::close(fd_) != 0) ok = false;
  fd_ = -1;
  if (in_place_) {
    in_place_ = false;
    if (!ok) {
      failed_ = true;
      ::unlink(target_.c_str());
    }
    return ok;
  }
  if (ok && std::rename(temp_.c_str(), target_.c_str()) != 0) ok = false;
  if (!ok) {
    failed_ = true;
    ::unlink(temp_.c_str());
  }
  temp_.clear();
  return ok;
}

void AtomicFileWriter::Abandon() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (in_place_) {
    ::unlink(target_.c_str());
    in_place_ = false;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
  buffer_.clear();
}

NewFileWrite WriteNewFile(const std::string& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EEXIST ? NewFileWrite::kExists : NewFileWrite::kFailed;
  bool ok = WriteAll(fd, bytes.data(), bytes.size());
  if (::close(fd) != 0) ok = false;
  if (!ok) ::unlink(path.c_str());
  return ok ? NewFileWrite::kWritten : NewFileWrite::kFailed;
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         NewFile new_file) {
  AtomicFileWriter writer;
  if (!writer.Open(path, new_file)) return false;
  writer.Write(bytes);
  return writer.Commit();
}

bool WriteLines(const std::vector<std::string>& lines, const std::filesystem::path& path,
                NewFile new_file) {
  // Joined first so that a page of a web site costs one write call.
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string bytes;
  bytes.reserve(size);
  for (const std::string& line : lines) {
    bytes += line;
    bytes += "\r\n";
  }
  return WriteFileAtomically(path, bytes, new_file);
}

}  // namespace stirpex
