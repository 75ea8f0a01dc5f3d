// A GEDCOM archive (.gdz): a zip file holding gedcom.ged and the media files it names, with
// paths inside the archive ("media/photo.jpg").
//
// An archive is unpacked into a private folder of its own (made fresh under the system's
// temporary folder, readable by the user alone) and read from there: its gedcom.ged is the
// GEDCOM file, and the folder is the tree's folder, where pictures named with a path inside
// the archive are found by the viewer and copied from by Save Website. The folder and
// everything in it are removed when the UnpackedArchive is destroyed (the database owns it
// until the next load).
//
// Archives come from anywhere, so unpacking never writes outside that folder: an entry whose
// name is not a safe relative path (IsSafeRelativePath, with "\" taken as "/"), and entries
// that are symbolic links or other special files, are skipped; nothing already there is
// overwritten.
// The number of entries and the bytes unpacked are bounded (UnpackLimits); an archive beyond
// them is refused as a whole.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>

namespace stirpex {

// True when the file begins as a zip archive does ("PK\3\4"); false when it does not or
// cannot be read. No GEDCOM text file begins so.
bool IsZipArchive(const std::filesystem::path& path);
// The same test on a file's first bytes.
bool IsZipBytes(std::string_view first_bytes);

struct UnpackLimits {
  std::uint64_t max_entries = 100000;
  std::uint64_t max_entry_bytes = std::uint64_t(2) << 30;  // 2 GiB for one file
  std::uint64_t max_total_bytes = std::uint64_t(8) << 30;  // 8 GiB for the whole archive
};

enum class UnpackStatus {
  kOk,
  kUnreadable,  // not a zip archive libzip can read, a read or write failed, or over the limits
  kNoGedcom,    // a readable archive without gedcom.ged at its top
};

class UnpackedArchive {
 public:
  UnpackedArchive(std::filesystem::path folder, std::filesystem::path gedcom)
      : folder_(std::move(folder)), gedcom_(std::move(gedcom)) {}
  ~UnpackedArchive();
  UnpackedArchive(const UnpackedArchive&) = delete;
  UnpackedArchive& operator=(const UnpackedArchive&) = delete;

  const std::filesystem::path& folder() const { return folder_; }
  // The GEDCOM file: gedcom.ged at the top of the folder (its name matched without regard to
  // case when the archive has no exact "gedcom.ged").
  const std::filesystem::path& gedcom() const { return gedcom_; }

 private:
  std::filesystem::path folder_;
  std::filesystem::path gedcom_;
};

// Unpacks the archive into a new private folder. Null with status set when it cannot be
// unpacked or holds no gedcom.ged; the folder is then removed again.
std::unique_ptr<UnpackedArchive> UnpackGedcomArchive(const std::filesystem::path& archive,
                                                     UnpackStatus& status,
                                                     const UnpackLimits& limits = {});

// True when name is a relative path of plain names separated by "/": no part is empty or
// begins with a dot (so none is "." or ".."), and none holds "\", ":" or NUL. The names an
// archive may unpack to and a web site may copy a picture to.
bool IsSafeRelativePath(std::string_view name);

}  // namespace stirpex
