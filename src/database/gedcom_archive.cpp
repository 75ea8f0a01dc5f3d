#include "database/gedcom_archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

#include "database/text.h"
#include "platform/file_bytes.h"

namespace stirpex {

namespace {

struct ZipDiscard {
  void operator()(zip_t* zip) const { zip_discard(zip); }
};
struct ZipFileClose {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipDiscard>;
using ZipFilePtr = std::unique_ptr<zip_file_t, ZipFileClose>;

// A new folder under the system's temporary folder that only this user may enter.
std::filesystem::path MakePrivateFolder() {
  std::error_code ec;
  std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  if (ec) base = "/tmp";
  std::string pattern = (base / "stirpex-gdz-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) return {};
  return pattern;
}

// Entries made on Unix carry their file type: anything but a plain file or a folder (a
// symbolic link above all) is not unpacked.
bool IsSpecialFile(zip_t* zip, zip_uint64_t index) {
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(zip, index, 0, &system, &attributes) != 0) return false;
  if (system != ZIP_OPSYS_UNIX) return false;
  const unsigned type = (attributes >> 16) & S_IFMT;
  return type != 0 && type != S_IFREG && type != S_IFDIR;
}

enum class EntryResult { kWritten, kSkipped, kFailed };

class Unpacker {
 public:
  Unpacker(zip_t* zip, std::filesystem::path folder, const UnpackLimits& limits)
      : zip_(zip), folder_(std::move(folder)), limits_(limits) {}

  // Writes entry index to folder/name (name safe and relative, parent folders made).
  EntryResult Write(zip_uint64_t index, const std::string& name) {
    const std::filesystem::path target = folder_ / name;
    std::error_code ec;
    std::filesystem::create_directories(target.parent_path(), ec);
    // O_EXCL and O_NOFOLLOW: never through a link, never over a file unpacked before.
    const int fd =
        ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return EntryResult::kSkipped;
    ZipFilePtr file(zip_fopen_index(zip_, index, 0));
    bool ok = file != nullptr;
    std::uint64_t bytes = 0;
    char buffer[64 * 1024];
    while (ok) {
      const zip_int64_t n = zip_fread(file.get(), buffer, sizeof(buffer));
      if (n < 0) ok = false;
      if (n <= 0) break;
      bytes += static_cast<std::uint64_t>(n);
      total_ += static_cast<std::uint64_t>(n);
      if (bytes > limits_.max_entry_bytes || total_ > limits_.max_total_bytes) {
        over_limits_ = true;
        ok = false;
        break;
      }
      for (zip_int64_t done = 0; ok && done < n;) {
        const ssize_t w = ::write(fd, buffer + done, static_cast<std::size_t>(n - done));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
          write_failed_ = true;
          ok = false;
        } else {
          done += w;
        }
      }
    }
    if (::close(fd) != 0 && ok) {
      write_failed_ = true;
      ok = false;
    }
    if (!ok) {
      std::filesystem::remove(target, ec);
      return EntryResult::kFailed;
    }
    return EntryResult::kWritten;
  }

  // True when unpacking must stop: a write failed or the archive is too large.
  bool Stopped() const { return over_limits_ || write_failed_; }

 private:
  zip_t* zip_;
  std::filesystem::path folder_;
  const UnpackLimits& limits_;
  std::uint64_t total_ = 0;
  bool over_limits_ = false;
  bool write_failed_ = false;
};

}  // namespace

bool IsSafeRelativePath(std::string_view name) {
  if (name.empty()) return false;
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = name.find('/', start);
    const std::string_view part = name.substr(
        start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
    if (part.empty() || part.front() == '.') return false;
    for (char c : part) {
      if (c == '\\' || c == ':' || c == '\0') return false;
    }
    if (slash == std::string_view::npos) return true;
    start = slash + 1;
  }
}

bool IsZipArchive(const std::filesystem::path& path) {
  std::string magic;
  ReadFileBytes(path, magic, 4);
  return IsZipBytes(magic);
}

bool IsZipBytes(std::string_view first_bytes) {
  return first_bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4);
}

UnpackedArchive::~UnpackedArchive() {
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

std::unique_ptr<UnpackedArchive> UnpackGedcomArchive(const std::filesystem::path& archive,
                                                     UnpackStatus& status,
                                                     const UnpackLimits& limits) {
  status = UnpackStatus::kUnreadable;
  int error = 0;
  ZipPtr zip(zip_open(archive.c_str(), ZIP_RDONLY, &error));
  if (!zip) return nullptr;
  const zip_int64_t entries = zip_get_num_entries(zip.get(), 0);
  if (entries < 0 || static_cast<std::uint64_t>(entries) > limits.max_entries) return nullptr;

  const std::filesystem::path folder = MakePrivateFolder();
  if (folder.empty()) return nullptr;
  // From here on the folder is removed again unless the archive is returned.
  struct RemoveUnlessKept {
    const std::filesystem::path& folder;
    bool keep = false;
    ~RemoveUnlessKept() {
      std::error_code ec;
      if (!keep) std::filesystem::remove_all(folder, ec);
    }
  } guard{folder};

  Unpacker unpacker(zip.get(), folder, limits);
  std::string gedcom, gedcom_any_case;
  for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(entries); ++i) {
    const char* raw_name = zip_get_name(zip.get(), i, 0);
    if (!raw_name) continue;
    std::string name = raw_name;
    for (char& c : name) {
      if (c == '\\') c = '/';
    }
    const bool is_folder = !name.empty() && name.back() == '/';
    while (!name.empty() && name.back() == '/') name.pop_back();
    if (!IsSafeRelativePath(name) || IsSpecialFile(zip.get(), i)) continue;
    std::error_code ec;
    if (is_folder) {
      std::filesystem::create_directories(folder / name, ec);
      continue;
    }
    zip_stat_t stat;
    if (zip_stat_index(zip.get(), i, 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE) &&
        (stat.size > limits.max_entry_bytes || stat.size > limits.max_total_bytes)) {
      return nullptr;
    }
    const EntryResult result = unpacker.Write(i, name);
    if (unpacker.Stopped()) return nullptr;
    if (result != EntryResult::kWritten) continue;
    if (name == "gedcom.ged") {
      gedcom = name;
    } else if (gedcom_any_case.empty() && EqualsNoCaseAscii(name, "gedcom.ged")) {
      gedcom_any_case = name;
    }
  }
  if (gedcom.empty()) gedcom = gedcom_any_case;
  if (gedcom.empty()) {
    status = UnpackStatus::kNoGedcom;
    return nullptr;
  }
  status = UnpackStatus::kOk;
  guard.keep = true;
  return std::make_unique<UnpackedArchive>(folder, folder / gedcom);
}

}  // namespace stirpex
