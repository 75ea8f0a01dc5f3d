#include "database/gedcom_archive.h"

#include <sys/stat.h>
#include <zip.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "database/text.h"
#include "platform/file_bytes.h"
#include "platform/line_files.h"
#include "platform/stored_paths.h"

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

// The archive as libzip reads it: through the file layer, as every file is read.
struct ArchiveFile {
  InputFile file;
  zip_error_t error;
  ArchiveFile() { zip_error_init(&error); }
  ~ArchiveFile() { zip_error_fini(&error); }
  ArchiveFile(const ArchiveFile&) = delete;
  ArchiveFile& operator=(const ArchiveFile&) = delete;
};

zip_int64_t ReadArchiveFile(void* state, void* data, zip_uint64_t length,
                            zip_source_cmd_t command) {
  ArchiveFile& archive = *static_cast<ArchiveFile*>(state);
  InputFile& file = archive.file;
  const auto failed = [&archive](int zip_error) -> zip_int64_t {
    zip_error_set(&archive.error, zip_error, 0);
    return -1;
  };
  switch (command) {
    case ZIP_SOURCE_OPEN:
      return file.Rewind() ? 0 : failed(ZIP_ER_SEEK);
    case ZIP_SOURCE_READ: {
      const std::size_t n = file.Read(static_cast<char*>(data), static_cast<std::size_t>(length));
      return file.Failed() ? failed(ZIP_ER_READ) : static_cast<zip_int64_t>(n);
    }
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
      return 0;
    case ZIP_SOURCE_STAT: {
      zip_stat_t* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &archive.error);
      if (!stat) return -1;
      zip_stat_init(stat);
      stat->size = file.Size();
      stat->valid |= ZIP_STAT_SIZE;
      return sizeof(*stat);
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&archive.error, data, length);
    case ZIP_SOURCE_SEEK: {
      const zip_int64_t offset = zip_source_seek_compute_offset(file.Position(), file.Size(), data,
                                                                length, &archive.error);
      if (offset < 0) return -1;
      return file.Seek(static_cast<unsigned long long>(offset)) ? 0 : failed(ZIP_ER_SEEK);
    }
    case ZIP_SOURCE_TELL:
      return static_cast<zip_int64_t>(file.Position());
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(
          ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR,
          ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_SUPPORTS, -1);
    default:
      return failed(ZIP_ER_OPNOTSUPP);
  }
}

// The archive opened for reading, or null.
ZipPtr OpenArchive(ArchiveFile& archive, const std::filesystem::path& path) {
  if (!archive.file.Open(path)) return nullptr;
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_function_create(ReadArchiveFile, &archive, &error);
  zip_t* zip = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
  if (source && !zip) zip_source_free(source);  // an opened archive owns its source
  zip_error_fini(&error);
  return ZipPtr(zip);
}

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

// An entry to unpack: its safe name, and the size it declares when it declares one.
struct Entry {
  zip_uint64_t index = 0;
  std::string name;
  bool folder = false;
  bool sized = false;
  std::uint64_t size = 0;
  std::optional<std::time_t> mtime;  // as the archive gives it
};

// The entries to unpack, in order, when every limit holds for what they declare; else
// `status` says which limit does not, and nothing is returned.
std::vector<Entry> PlanEntries(zip_t* zip, const UnpackLimits& limits, UnpackStatus& status) {
  std::vector<Entry> plan;
  const zip_int64_t count = zip_get_num_entries(zip, 0);
  if (count < 0) {
    status = UnpackStatus::kUnreadable;
    return {};
  }
  if (static_cast<std::uint64_t>(count) > limits.max_entries) {
    status = UnpackStatus::kTooManyEntries;
    return {};
  }
  std::uint64_t total = 0;
  for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
    const char* raw_name = zip_get_name(zip, i, 0);
    if (!raw_name) continue;
    Entry entry;
    entry.index = i;
    entry.name = WithForwardSlashes(raw_name);
    entry.folder = !entry.name.empty() && entry.name.back() == '/';
    while (!entry.name.empty() && entry.name.back() == '/') entry.name.pop_back();
    if (!IsSafeRelativePath(entry.name) || IsSpecialFile(zip, i)) continue;
    zip_stat_t stat;
    if (!entry.folder && zip_stat_index(zip, i, 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE)) {
      entry.sized = true;
      entry.size = stat.size;
      if (stat.valid & ZIP_STAT_MTIME) entry.mtime = stat.mtime;
      if (stat.size > limits.max_entry_bytes) {
        status = UnpackStatus::kEntryTooLarge;
        return {};
      }
      total += stat.size;
      if (total > limits.max_total_bytes) {
        status = UnpackStatus::kTooLarge;
        return {};
      }
    }
    plan.push_back(std::move(entry));
  }
  status = UnpackStatus::kOk;
  return plan;
}

enum class EntryResult { kWritten, kSkipped };

class Unpacker {
 public:
  Unpacker(zip_t* zip, std::filesystem::path folder, const UnpackLimits& limits)
      : zip_(zip), folder_(std::move(folder)), limits_(limits) {}

  // Writes the entry to folder/name, its parent folders made. The bytes are counted as they
  // come, whatever the entry declared: an archive may lie.
  EntryResult Write(const Entry& entry) {
    const std::filesystem::path target = folder_ / entry.name;
    std::error_code ec;
    std::filesystem::create_directories(target.parent_path(), ec);
    // Never over a file unpacked before, never through a link.
    AtomicFileWriter out;
    if (!out.Open(target, NewFile::kNewOnly)) return EntryResult::kSkipped;
    ZipFilePtr file(zip_fopen_index(zip_, entry.index, 0));
    if (!file) return EntryResult::kSkipped;  // a damaged entry: the others may still do
    std::uint64_t bytes = 0;
    char buffer[64 * 1024];
    for (;;) {
      const zip_int64_t n = zip_fread(file.get(), buffer, sizeof(buffer));
      if (n < 0) return EntryResult::kSkipped;
      if (n == 0) break;
      bytes += static_cast<std::uint64_t>(n);
      total_ += static_cast<std::uint64_t>(n);
      if (entry.sized && bytes > entry.size) return Stop(UnpackStatus::kLargerThanDeclared);
      if (bytes > limits_.max_entry_bytes) return Stop(UnpackStatus::kEntryTooLarge);
      if (total_ > limits_.max_total_bytes) return Stop(UnpackStatus::kTooLarge);
      out.Write(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    if (!out.Commit()) return Stop(UnpackStatus::kWriteFailed);
    // The entry's own time, so that a file unpacked again by a later load is the same file to
    // whoever decides by time whether it changed (the pictures a web site made of it).
    if (entry.mtime) {
      std::filesystem::last_write_time(
          target,
          std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(*entry.mtime)),
          ec);
    }
    return EntryResult::kWritten;
  }

  // Why unpacking must stop, kOk while it may go on.
  UnpackStatus stopped() const { return stopped_; }

 private:
  EntryResult Stop(UnpackStatus why) {
    stopped_ = why;
    return EntryResult::kSkipped;
  }

  zip_t* zip_;
  std::filesystem::path folder_;
  const UnpackLimits& limits_;
  std::uint64_t total_ = 0;
  UnpackStatus stopped_ = UnpackStatus::kOk;
};

// "2 GiB", "64 MiB", "1000 bytes".
std::string SizeText(std::uint64_t bytes) {
  if (bytes > 0 && bytes % (std::uint64_t(1) << 30) == 0)
    return std::to_string(bytes >> 30) + " GiB";
  if (bytes > 0 && bytes % (std::uint64_t(1) << 20) == 0)
    return std::to_string(bytes >> 20) + " MiB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace

std::string UnpackProblem(UnpackStatus status, const UnpackLimits& limits) {
  switch (status) {
    case UnpackStatus::kOk:
    case UnpackStatus::kNoGedcom:
      return {};
    case UnpackStatus::kUnreadable:
      return "not a zip archive that can be read";
    case UnpackStatus::kTooManyEntries:
      return "the archive holds more than " + std::to_string(limits.max_entries) + " entries";
    case UnpackStatus::kEntryTooLarge:
      return "an entry of the archive is larger than " + SizeText(limits.max_entry_bytes);
    case UnpackStatus::kTooLarge:
      return "the entries of the archive are larger than " + SizeText(limits.max_total_bytes) +
             " together";
    case UnpackStatus::kLargerThanDeclared:
      return "an entry of the archive holds more bytes than it declares";
    case UnpackStatus::kWriteFailed:
      return "it could not be unpacked into the temporary folder";
  }
  return {};
}

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
  ArchiveFile file;  // outlives the archive that reads it
  ZipPtr zip = OpenArchive(file, archive);
  if (!zip) return nullptr;
  // Every limit is checked against what the entries declare before anything is unpacked.
  const std::vector<Entry> plan = PlanEntries(zip.get(), limits, status);
  if (status != UnpackStatus::kOk) return nullptr;

  status = UnpackStatus::kWriteFailed;
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
  for (const Entry& entry : plan) {
    if (entry.folder) {
      std::error_code ec;
      std::filesystem::create_directories(folder / entry.name, ec);
      continue;
    }
    const EntryResult result = unpacker.Write(entry);
    if (unpacker.stopped() != UnpackStatus::kOk) {
      status = unpacker.stopped();
      return nullptr;
    }
    if (result != EntryResult::kWritten) continue;
    if (entry.name == "gedcom.ged") {
      gedcom = entry.name;
    } else if (gedcom_any_case.empty() && EqualsNoCaseAscii(entry.name, "gedcom.ged")) {
      gedcom_any_case = entry.name;
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
