#include "support/test_paths.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace stirpex::testing {

std::filesystem::path TestdataGedcomDir() {
  std::filesystem::path dir = std::filesystem::path(STIRPEX_TESTDATA_DIR) / "gedcom";
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) return {};
  return dir;
}

std::filesystem::path TestdataGedcom7Dir() {
  std::filesystem::path dir = std::filesystem::path(STIRPEX_TESTDATA_DIR) / "gedcom7";
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) return {};
  return dir;
}

std::vector<std::filesystem::path> TestdataGedcomFiles() {
  std::vector<std::filesystem::path> files;
  for (const std::filesystem::path& dir : {TestdataGedcomDir(), TestdataGedcom7Dir()}) {
    if (dir.empty()) continue;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
      std::string ext = entry.path().extension().string();
      for (char& c : ext) c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
      if (entry.is_regular_file() && (ext == ".ged" || ext == ".gdz")) {
        files.push_back(entry.path());
      }
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::filesystem::path> SampleAndTestdataGedcoms(std::uintmax_t max_bytes) {
  std::vector<std::filesystem::path> files = {SourceDir() / "ged" / "sample.ged"};
  for (const std::filesystem::path& file : TestdataGedcomFiles()) {
    std::error_code ec;
    if (std::filesystem::file_size(file, ec) <= max_bytes) files.push_back(file);
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::filesystem::path SourceDir() {
  return STIRPEX_SOURCE_DIR;
}
std::filesystem::path BinDir() {
  return STIRPEX_BIN_DIR;
}

namespace {

std::filesystem::path FreshFolder(const std::filesystem::path& base) {
  static std::atomic<int> counter{0};
  std::ostringstream name;
  name << "stirpex-test-" << ::getpid() << "-" << counter++;
  return base / name.str();
}

}  // namespace

TempDir::TempDir(InMemory) {
  std::error_code ec;
  const std::filesystem::path shm = "/dev/shm";
  const bool usable = std::filesystem::is_directory(shm, ec) && ::access(shm.c_str(), W_OK) == 0;
  path_ = FreshFolder(usable ? shm : std::filesystem::temp_directory_path());
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

TempDir::TempDir() {
  path_ = FreshFolder(std::filesystem::temp_directory_path());
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests may leave read-only folders behind; make them writable again before removing.
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  }
  std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::Write(std::string_view name, std::string_view bytes) const {
  std::filesystem::path file = path_ / std::string(name);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return file;
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string CrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

const Clock& TestClock() {
  static const FixedClock clock(1700000000);
  return clock;
}

}  // namespace stirpex::testing
