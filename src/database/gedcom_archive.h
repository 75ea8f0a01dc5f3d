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
// The number of entries and the bytes unpacked are bounded (UnpackLimits): an archive whose
// entries declare more is refused as a whole before anything is unpacked, and one that gives
// more bytes than it declares is refused as soon as it does.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
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
  kUnreadable,          // not a zip archive libzip can read, or a read failed
  kNoGedcom,            // a readable archive without gedcom.ged at its top
  kTooManyEntries,      // more entries than max_entries
  kEntryTooLarge,       // an entry declares (or, without a size, gives) over max_entry_bytes
  kTooLarge,            // the entries declare (or give) over max_total_bytes together
  kLargerThanDeclared,  // an entry gives more bytes than it declares
  kWriteFailed,         // the temporary folder or a file in it could not be written
};

// Why an archive was not unpacked, in words to follow the path in a message, naming the
// limit it went beyond ("its entries declare more than 8 GiB together"); empty for kOk and
// kNoGedcom.
std::string UnpackProblem(UnpackStatus status, const UnpackLimits& limits = {});

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
