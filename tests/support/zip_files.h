// Zip files made in a test (GEDCOM archives, friendly or hostile).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace stirpex::testing {

struct ZipEntry {
  std::string name;      // as stored; a name ending in "/" is a folder
  std::string bytes;     // the content of a file
  bool symlink = false;  // marked as a Unix symbolic link (its bytes the target)
};

// Writes the entries, in order, as a zip file at path; false when libzip refuses.
bool WriteZipFile(const std::filesystem::path& path, const std::vector<ZipEntry>& entries);

}  // namespace stirpex::testing
