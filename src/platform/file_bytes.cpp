#include "platform/file_bytes.h"

#include <algorithm>
#include <system_error>

namespace stirpex {

bool InputFile::Open(const std::filesystem::path& path) {
  Close();
  failed_ = false;
  size_ = 0;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  file_ = std::fopen(path.c_str(), "rb");
  if (!file_) return false;
  const auto size = std::filesystem::file_size(path, ec);
  size_ = ec ? 0 : size;
  return true;
}

std::size_t InputFile::Read(char* out, std::size_t size) {
  if (!file_ || size == 0) return 0;
  const std::size_t n = std::fread(out, 1, size, file_);
  if (n < size && std::ferror(file_)) failed_ = true;
  return n;
}

bool InputFile::Rewind() {
  if (!file_ || std::fseek(file_, 0, SEEK_SET) != 0) {
    failed_ = true;
    return false;
  }
  return true;
}

void InputFile::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
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

}  // namespace stirpex
