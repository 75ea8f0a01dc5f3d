// Paths and small fixtures shared by the core tests.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"

namespace stirpex::testing {

// Folder of the third-party GEDCOM files (../shared/testdata/gedcom), or empty when the
// folder is absent (as on a user's machine); tests then GTEST_SKIP.
std::filesystem::path TestdataGedcomDir();
// Folder of the GEDCOM 7 test files beside it (../shared/testdata/gedcom7), or empty.
std::filesystem::path TestdataGedcom7Dir();
// Every GEDCOM file of both folders (".ged" and the archives ".gdz", in any letter case),
// sorted; empty when the folders are absent.
std::vector<std::filesystem::path> TestdataGedcomFiles();

// The bundled sample (ged/sample.ged) and every .ged file of the test data, sorted; files
// larger than max_bytes are left out (sanitized builds skip the largest files, which add no
// new kind of record).
std::vector<std::filesystem::path> SampleAndTestdataGedcoms(std::uintmax_t max_bytes);

// The source tree (styles/, ged/) and the folder the programs are built into.
std::filesystem::path SourceDir();
std::filesystem::path BinDir();

// A fresh empty folder under the system temporary folder, removed when the object dies.
class TempDir {
 public:
  TempDir();
  // In memory (/dev/shm) when the system has such a folder: for tests that write many files.
  struct InMemory {};
  explicit TempDir(InMemory);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // Writes the bytes to a file in the folder and returns its full path.
  std::filesystem::path Write(std::string_view name, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
};

// The whole content of a file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);

// The clock of the tests: always 14 November 2023 (the SOURCE_DATE_EPOCH the tests run
// with), whose short date in the C locale is "11/14/23".
const Clock& TestClock();

// Joins lines with CR LF after each, as GEDCOM and style files are usually written.
std::string CrLf(const std::vector<std::string>& lines);

}  // namespace stirpex::testing
