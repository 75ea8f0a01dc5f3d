#include "platform/file_updates.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace stirpex {

namespace {

constexpr std::size_t kBlock = 1 << 16;

// Whether the file at path holds exactly these bytes.
bool HoldsBytes(const std::string& path, std::string_view bytes) {
  InputFile old;
  if (!old.Open(path) || old.Size() != bytes.size()) return false;
  if (bytes.empty()) return true;
  std::string held(bytes.size(), '\0');
  return old.Read(held.data(), held.size()) == held.size() && held == bytes;
}

}  // namespace

FileUpdate UpdateFile(const std::string& path, std::string_view bytes) {
  switch (WriteNewFile(path, bytes)) {
    case NewFileWrite::kWritten:
      return FileUpdate::kWritten;
    case NewFileWrite::kFailed:
      return FileUpdate::kFailed;
    case NewFileWrite::kExists:
      break;
  }
  if (HoldsBytes(path, bytes)) return FileUpdate::kUnchanged;
  return WriteFileAtomically(path, bytes, NewFile::kThroughTemporary) ? FileUpdate::kWritten
                                                                      : FileUpdate::kFailed;
}

void FileUpdater::CloseOld() {
  old_.Close();
  old_block_.clear();
  old_pos_ = 0;
}

void FileUpdater::Open(const std::filesystem::path& path) {
  CloseOld();
  writer_.Abandon();
  path_ = path;
  open_ = true;
  matched_ = 0;
  comparing_ = old_.Open(path);
  // A new file is written where it belongs at once; something there that is not a regular
  // file makes the write fail.
  if (!comparing_) writer_.Open(path, NewFile::kInPlace);
}

bool FileUpdater::Refill() {
  old_block_.resize(kBlock);
  old_block_.resize(old_.Read(old_block_.data(), kBlock));
  old_pos_ = 0;
  return !old_block_.empty();
}

void FileUpdater::StartWriting() {
  comparing_ = false;
  // The old file is there: through a temporary file, so that it stays whole until the rename.
  writer_.Open(path_, NewFile::kThroughTemporary);
  std::string block(kBlock, '\0');
  bool ok = old_.Rewind();
  for (unsigned long long copied = 0; ok && copied < matched_;) {
    const std::size_t want =
        static_cast<std::size_t>(std::min<unsigned long long>(kBlock, matched_ - copied));
    ok = old_.Read(block.data(), want) == want;
    if (ok) writer_.Write(std::string_view(block.data(), want));
    copied += want;
  }
  if (!ok) writer_.Abandon();  // the old file changed under us: the write fails
  CloseOld();
}

void FileUpdater::Write(std::string_view bytes) {
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

void FileUpdater::WriteLine(std::string_view line) {
  Write(line);
  Write("\r\n");
}

FileUpdate FileUpdater::Commit() {
  if (!open_) return FileUpdate::kFailed;
  open_ = false;
  if (comparing_) {
    if (matched_ == old_.Size() && !old_.Failed()) {
      CloseOld();
      comparing_ = false;
      return FileUpdate::kUnchanged;
    }
    StartWriting();  // the old file is longer
  }
  return writer_.Commit() ? FileUpdate::kWritten : FileUpdate::kFailed;
}

FileUpdate UpdateCopy(const std::filesystem::path& source, const std::filesystem::path& target) {
  InputFile in;
  if (!in.Open(source)) return FileUpdate::kFailed;
  std::error_code ec;
  const auto source_time = std::filesystem::last_write_time(source, ec);
  if (!ec && std::filesystem::file_size(target, ec) == in.Size() && !ec &&
      std::filesystem::last_write_time(target, ec) >= source_time && !ec) {
    return FileUpdate::kUnchanged;
  }
  FileUpdater out;
  out.Open(target);
  std::string block(kBlock, '\0');
  for (;;) {
    const std::size_t n = in.Read(block.data(), block.size());
    out.Write(std::string_view(block.data(), n));
    if (n < block.size()) break;
  }
  if (in.Failed()) return FileUpdate::kFailed;  // out is abandoned with it
  return out.Commit();
}

}  // namespace stirpex
