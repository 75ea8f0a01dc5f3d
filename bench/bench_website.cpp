// Web-site benchmark: the whole web site of generated trees written with the default style,
// against a floor measured in the same run: creating the same number of files of the same
// sizes in a fresh folder with plain open, write and close, and nothing else.
//
//   bench_website [--sizes=10k,100k,1M] [--seed=1] [--trees] [--dir=FOLDER] [--keep]
//   bench_website --smoke    writes the site of a small tree once and checks it, then exits
//
// Per size the table gives the pages and megabytes written, the seconds of the pass (building
// every page, the surname index, the atomic writes) and of the floor, their ratio, pages per
// second, and by how much the resident memory grew during the pass over the loaded tree
// (sampled as the pass reports its progress). Each size runs two rounds of site and floor and
// keeps the best time of each. Sites are written under bench/data/website/ (or FOLDER, such
// as /dev/shm to leave the disk out) and removed afterwards unless --keep is given. Everything is
// synced to disk before each timing (not in the smoke run, which makes one round of a small tree).
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "database/database.h"
#include "database/gedcom_reader.h"
#include "export/website.h"
#include "pages/style.h"
#include "settings/settings.h"
#include "support/bench_support.h"

namespace stirpex::bench {
namespace {

const std::filesystem::path kStyle =
    std::filesystem::path(STIRPEX_BENCH_DATA_DIR).parent_path().parent_path() / "styles" /
    "stirp1.sty";

long long ResidentBytes() {
  long long pages_total = 0, pages_resident = 0;
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (!statm) return -1;
  const int read = std::fscanf(statm, "%lld %lld", &pages_total, &pages_resident);
  std::fclose(statm);
  return read == 2 ? pages_resident * ::sysconf(_SC_PAGESIZE) : -1;
}

// Follows the pass and samples the resident memory now and then.
class SamplingProgress : public NullProgress {
 public:
  void ProgressPercent(int) override {
    if ((++steps_ & 1023) == 0) Sample();
  }
  void Sample() { peak_ = std::max(peak_, ResidentBytes()); }
  long long peak() const { return peak_; }

 private:
  long long steps_ = 0;
  long long peak_ = 0;
};

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The sizes of the files of a folder.
std::vector<std::uintmax_t> FileSizes(const std::filesystem::path& dir) {
  std::vector<std::uintmax_t> sizes;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    sizes.push_back(entry.file_size());
  }
  return sizes;
}

// The floor: as many files of the same sizes, each created, written and closed.
double WriteFloor(const std::filesystem::path& dir, const std::vector<std::uintmax_t>& sizes) {
  std::filesystem::create_directories(dir);
  std::string bytes(1 << 16, 'x');
  const auto start = std::chrono::steady_clock::now();
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const std::string name = (dir / ("p" + std::to_string(i) + ".htm")).string();
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    for (std::uintmax_t left = sizes[i]; left > 0;) {
      const std::size_t n = static_cast<std::size_t>(std::min<std::uintmax_t>(left, bytes.size()));
      if (::write(fd, bytes.data(), n) != static_cast<ssize_t>(n)) {
        ::close(fd);
        return -1;
      }
      left -= n;
    }
    if (::close(fd) != 0) return -1;
  }
  return Seconds(start);
}

struct Row {
  std::uint64_t people = 0;
  long long pages = 0;
  double megabytes = 0;
  double site_seconds = 0;
  double floor_seconds = 0;
  long long memory_growth = 0;
};

// Writes the site into a fresh folder; the pages, bytes and sizes go to row and sizes.
double WriteSite(Database& db, TSettings& settings, const TStyle& style,
                 const std::filesystem::path& site, Row& row, std::vector<std::uintmax_t>& sizes) {
  NullMessages messages;
  std::filesystem::create_directories(site);
  ::malloc_trim(0);
  SamplingProgress progress;
  const long long before = ResidentBytes();
  WebsiteOptions options;
  const auto start = std::chrono::steady_clock::now();
  const WebsiteResult result =
      SaveWebsite(db, settings, style, SystemClock(), site, options, progress, messages);
  const double seconds = Seconds(start);
  progress.Sample();
  if (result.pages_failed > 0 || result.folder_failed) {
    std::fprintf(stderr, "bench_website: %lld pages could not be written\n", result.pages_failed);
    return -1;
  }
  row.pages = result.pages_written;
  row.memory_growth = std::max(row.memory_growth, progress.peak() - before);
  sizes = FileSizes(site);
  std::uintmax_t total = 0;
  for (std::uintmax_t size : sizes) total += size;
  row.megabytes = static_cast<double>(total) / 1e6;
  return seconds;
}

// Two rounds of site and floor, each into a folder of its own, and the best time of each:
// the file system's state (folders removed just before, writeback of earlier data) weighs on
// whichever runs first.
bool RunSize(const std::filesystem::path& root, std::uint64_t people, std::uint64_t seed,
             bool trees, bool keep, int rounds, Row& row) {
  const std::filesystem::path gedcom = SyntheticGedcom(people, seed);
  if (gedcom.empty()) return false;
  Database db;
  TStyle style;
  NullProgress quiet;
  NullMessages messages;
  if (!LoadStyleFile(style, kStyle, messages) || !LoadGedcom(db, gedcom, quiet, messages)) {
    std::fprintf(stderr, "bench_website: cannot load %s or %s\n", gedcom.c_str(), kStyle.c_str());
    return false;
  }
  TSettings settings;
  settings.IncludeTrees = trees;
  row.people = people;

  const std::filesystem::path work = root / SizeLabel(people);
  std::filesystem::remove_all(work);
  row.site_seconds = row.floor_seconds = 1e30;
  const bool measured = rounds > 1;  // the smoke run only checks
  for (int round = 0; round < rounds; ++round) {
    std::vector<std::uintmax_t> sizes;
    const std::string n = std::to_string(round);
    if (measured) ::sync();
    const double site = WriteSite(db, settings, style, work / ("site" + n), row, sizes);
    if (site < 0) return false;
    if (measured) ::sync();
    const double floor = WriteFloor(work / ("floor" + n), sizes);
    if (floor < 0) return false;
    row.site_seconds = std::min(row.site_seconds, site);
    row.floor_seconds = std::min(row.floor_seconds, floor);
  }
  if (!keep) std::filesystem::remove_all(work);
  return true;
}

int Smoke() {
  Row row;
  if (!RunSize(BenchDataDir() / "website", 1000, 1, /*trees=*/true, /*keep=*/false, /*rounds=*/1,
               row) ||
      row.pages < 1000) {
    std::fprintf(stderr, "bench_website: smoke run failed\n");
    return 1;
  }
  std::printf("smoke: %lld pages of 1k people written\n", row.pages);
  return 0;
}

}  // namespace
}  // namespace stirpex::bench

int main(int argc, char** argv) {
  using namespace stirpex::bench;
  std::string sizes_text = "10k,100k,1M";
  std::uint64_t seed = 1;
  bool trees = false, keep = false;
  std::filesystem::path root = BenchDataDir() / "website";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--smoke") return Smoke();
    if (arg.rfind("--sizes=", 0) == 0) {
      sizes_text = arg.substr(8);
    } else if (arg.rfind("--seed=", 0) == 0) {
      seed = std::stoull(arg.substr(7));
    } else if (arg == "--trees") {
      trees = true;
    } else if (arg.rfind("--dir=", 0) == 0) {
      root = std::filesystem::path(arg.substr(6)) / "stirpex-bench-website";
    } else if (arg == "--keep") {
      keep = true;
    } else {
      std::fprintf(stderr,
                   "usage: bench_website [--sizes=10k,100k,1M] [--seed=1] [--trees] "
                   "[--dir=FOLDER] [--keep] | --smoke\n");
      return 2;
    }
  }
  const std::vector<std::uint64_t> sizes = ParseSizeList(sizes_text);
  if (sizes.empty()) return 2;

  std::vector<Row> rows;
  for (std::uint64_t people : sizes) {
    Row row;
    if (!RunSize(root, people, seed, trees, keep, /*rounds=*/2, row)) return 1;
    rows.push_back(row);
  }
  std::printf("\nWeb site of generated trees (%s tree pages), default style\n",
              trees ? "with" : "without");
  std::printf("%8s %9s %9s %9s %9s %7s %10s %12s\n", "people", "pages", "MB", "site s", "floor s",
              "ratio", "pages/s", "memory +MB");
  for (const Row& r : rows) {
    std::printf("%8s %9lld %9.1f %9.2f %9.2f %7.2f %10.0f %12.1f\n", SizeLabel(r.people).c_str(),
                r.pages, r.megabytes, r.site_seconds, r.floor_seconds,
                r.site_seconds / r.floor_seconds, r.pages / r.site_seconds,
                static_cast<double>(r.memory_growth) / 1e6);
  }
  return 0;
}
