// Web-site benchmark: the whole web site of generated trees written with the default style,
// against a floor measured in the same run: creating the same number of files of the same
// sizes in a fresh folder with plain open, write and close, and nothing else. Each round also
// writes the site with the style's chart sections taken out (no chart pages, no statistics
// page), so that what the charts cost is measured in the same run.
//
//   bench_website [--sizes=10k,100k,1M] [--seed=1] [--trees] [--rich] [--dir=FOLDER] [--keep]
//                 [--jobs=N] [--one-thread] [--rounds=2]
//   bench_website --smoke    writes the site of a small tree once and checks it, then exits
//
// Per size the table gives the files and megabytes written, the seconds of the pass (building
// every page, the surname index, the search files, the atomic writes) on --jobs threads (one
// per core by default) and, with --one-thread, on one thread, the seconds of the floor and the
// ratio of the pass to it, pages per second, and by how much the resident memory grew during
// the pass over the loaded tree (sampled as the pass reports its progress). Each size runs
// --rounds rounds of site and floor and keeps the best time of each (the range of the rounds
// goes to standard error). Then the site of the last round is written again, unchanged, and
// once more after one person's name changed: the seconds of each and the files they wrote.
// The last columns give the largest search data file and all of them together, then the site
// without charts (files and seconds), the ratio of the site to it, and the largest chart page
// and the chart pages' average size. With --rich the trees are the generator's rich files
// (sources, places, media and every kind of event), whose sites also hold the pages of
// sources, places and media records and their indexes, counted on a line after the table.
// Sites are
// written under bench/data/website/ (or FOLDER, such as /dev/shm to leave the disk out) and
// removed afterwards unless --keep is given. Everything is synced to disk before each timing
// (not in the smoke run, which makes one round of a small tree).
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
#include "export/search_index.h"
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
  double one_thread_seconds = 0;  // 0: not measured
  double floor_seconds = 0;
  long long memory_growth = 0;
  double unchanged_seconds = 0;  // the site written again over itself
  long long unchanged_written = 0;
  double renamed_seconds = 0;  // and after one person's name changed
  long long renamed_written = 0;
  std::uintmax_t largest_search_file = 0;
  double search_megabytes = 0;
  long long plain_pages = 0;  // the site without charts
  double plain_seconds = 0;
  long long chart_pages = 0;
  std::uintmax_t largest_chart_page = 0;
  double chart_bytes = 0;
  long long record_pages = 0;  // pages of sources, places, media records and their indexes
};

// The style without its chart sections: a site without chart pages or statistics.
TStyle WithoutCharts(const TStyle& style) {
  TStyle plain;
  for (int s = 0; s < kStyleSectionCount; ++s) {
    const auto section = static_cast<TStyleSection>(s);
    if (section >= ssFanChart && section <= ssStatsLink) continue;
    for (const std::string& line : style.Section(section)) plain.Append(section, line);
  }
  return plain;
}

struct Config {
  std::uint64_t seed = 1;
  bool trees = false;
  bool rich = false;
  bool keep = false;
  bool one_thread = false;
  int jobs = 0;
  int rounds = 2;
};

// Writes the site into site on jobs threads; the seconds it took, or -1 on a failure.
double TimeSite(Database& db, TSettings& settings, const TStyle& style,
                const std::filesystem::path& site, int jobs, Row& row, WebsiteResult& result) {
  NullMessages messages;
  std::filesystem::create_directories(site);
  ::malloc_trim(0);
  SamplingProgress progress;
  const long long before = ResidentBytes();
  WebsiteOptions options;
  options.jobs = jobs;
  const auto start = std::chrono::steady_clock::now();
  result = SaveWebsite(db, settings, style, SystemClock(), site, options, progress, messages);
  const double seconds = Seconds(start);
  progress.Sample();
  if (result.pages_failed > 0 || result.folder_failed) {
    std::fprintf(stderr, "bench_website: %lld pages could not be written\n", result.pages_failed);
    return -1;
  }
  row.memory_growth = std::max(row.memory_growth, progress.peak() - before);
  return seconds;
}

// Writes the site into a fresh folder; the pages, bytes and sizes go to row and sizes.
double WriteSite(Database& db, TSettings& settings, const TStyle& style,
                 const std::filesystem::path& site, int jobs, Row& row,
                 std::vector<std::uintmax_t>& sizes) {
  WebsiteResult result;
  const double seconds = TimeSite(db, settings, style, site, jobs, row, result);
  if (seconds < 0) return -1;
  row.pages = result.pages_written;
  sizes = FileSizes(site);
  std::uintmax_t total = 0;
  for (std::uintmax_t size : sizes) total += size;
  row.megabytes = static_cast<double>(total) / 1e6;
  row.largest_search_file = 0;
  std::uintmax_t search_total = 0;
  for (const auto& entry : std::filesystem::directory_iterator(site)) {
    if (entry.path().filename().string().rfind("search-data", 0) != 0) continue;
    row.largest_search_file = std::max(row.largest_search_file, entry.file_size());
    search_total += entry.file_size();
  }
  row.search_megabytes = static_cast<double>(search_total) / 1e6;
  row.chart_pages = 0;
  row.largest_chart_page = 0;
  row.record_pages = 0;
  for (const auto& entry : std::filesystem::directory_iterator(site)) {
    const std::string name = entry.path().filename().string();
    for (const char* kind : {"sour~", "plac~", "obje~", "sources~", "places~"}) {
      if (name.rfind(kind, 0) == 0) ++row.record_pages;
    }
  }
  std::uintmax_t chart_total = 0;
  for (const auto& entry : std::filesystem::directory_iterator(site)) {
    const std::string name = entry.path().filename().string();
    // A place's page ends in hexadecimal digits, which may read "fc" or "dc" too.
    if (name.size() < 6 || name.find('~') != std::string::npos ||
        (name.compare(name.size() - 6, 6, "fc.htm") != 0 &&
         name.compare(name.size() - 6, 6, "dc.htm") != 0)) {
      continue;
    }
    ++row.chart_pages;
    row.largest_chart_page = std::max(row.largest_chart_page, entry.file_size());
    chart_total += entry.file_size();
  }
  row.chart_bytes = row.chart_pages ? static_cast<double>(chart_total) / row.chart_pages : 0;
  return seconds;
}

// Writes the site of the last round again over itself, then again after the name of one
// person with a family changed.
bool Republish(Database& db, TSettings& settings, const TStyle& style,
               const std::filesystem::path& site, int jobs, bool sync, Row& row) {
  WebsiteResult result;
  if (sync) ::sync();
  row.unchanged_seconds = TimeSite(db, settings, style, site, jobs, row, result);
  row.unchanged_written = result.pages_written;
  for (TPersonRec* person : db.PersonList()) {
    if (person->SpouseFamilies.empty()) continue;
    db.SetPersonName(person, person->Name.str() + " Renamed");
    break;
  }
  if (sync) ::sync();
  row.renamed_seconds = TimeSite(db, settings, style, site, jobs, row, result);
  row.renamed_written = result.pages_written;
  return row.unchanged_seconds >= 0 && row.renamed_seconds >= 0;
}

// Rounds of site and floor, each into a folder of its own, and the best time of each: the file
// system's state (folders removed just before, writeback of earlier data) weighs on whichever
// runs first.
bool RunSize(const std::filesystem::path& root, std::uint64_t people, const Config& config,
             Row& row) {
  const std::filesystem::path gedcom = SyntheticGedcom(people, config.seed, config.rich);
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
  settings.IncludeTrees = config.trees;
  row.people = people;
  const TStyle plain = WithoutCharts(style);

  const std::filesystem::path work = root / SizeLabel(people);
  std::filesystem::remove_all(work);
  row.site_seconds = row.floor_seconds = row.plain_seconds = 1e30;
  double worst_site = 0, worst_floor = 0, worst_one = 0, worst_plain = 0;
  const bool measured = config.rounds > 1;  // the smoke run only checks
  std::filesystem::path last_site;
  for (int round = 0; round < config.rounds; ++round) {
    std::vector<std::uintmax_t> sizes;
    const std::string n = std::to_string(round);
    if (measured) ::sync();
    last_site = work / ("site" + n);
    const double site = WriteSite(db, settings, style, last_site, config.jobs, row, sizes);
    if (site < 0) return false;
    if (config.one_thread) {
      if (measured) ::sync();
      std::vector<std::uintmax_t> one_sizes;
      const double one = WriteSite(db, settings, style, work / ("one" + n), 1, row, one_sizes);
      if (one < 0) return false;
      row.one_thread_seconds = round == 0 ? one : std::min(row.one_thread_seconds, one);
      worst_one = std::max(worst_one, one);
      if (!config.keep) std::filesystem::remove_all(work / ("one" + n));
    }
    {
      // The same site without charts, into a folder of its own.
      if (measured) ::sync();
      Row plain_row;
      std::vector<std::uintmax_t> plain_sizes;
      const double seconds =
          WriteSite(db, settings, plain, work / ("plain" + n), config.jobs, plain_row, plain_sizes);
      if (seconds < 0) return false;
      row.plain_pages = plain_row.pages;
      row.plain_seconds = std::min(row.plain_seconds, seconds);
      worst_plain = std::max(worst_plain, seconds);
      if (!config.keep) std::filesystem::remove_all(work / ("plain" + n));
    }
    if (measured) ::sync();
    const double floor = WriteFloor(work / ("floor" + n), sizes);
    if (floor < 0) return false;
    if (!config.keep) std::filesystem::remove_all(work / ("floor" + n));
    row.site_seconds = std::min(row.site_seconds, site);
    row.floor_seconds = std::min(row.floor_seconds, floor);
    worst_site = std::max(worst_site, site);
    worst_floor = std::max(worst_floor, floor);
    if (round + 1 < config.rounds && !config.keep) std::filesystem::remove_all(last_site);
  }
  if (measured) {
    std::fprintf(stderr, "%s: site %.2f-%.2f s, without charts %.2f-%.2f s, floor %.2f-%.2f s",
                 SizeLabel(people).c_str(), row.site_seconds, worst_site, row.plain_seconds,
                 worst_plain, row.floor_seconds, worst_floor);
    if (config.one_thread) {
      std::fprintf(stderr, ", one thread %.2f-%.2f s", row.one_thread_seconds, worst_one);
    }
    std::fprintf(stderr, "\n");
  }
  if (!Republish(db, settings, style, last_site, config.jobs, measured, row)) return false;
  if (!config.keep) std::filesystem::remove_all(work);
  return true;
}

int Smoke() {
  Row row;
  Config config;
  config.trees = true;
  config.rounds = 1;
  config.jobs = 2;
  // Written again unchanged, only the site's own manifest is new; after a name changed, some
  // pages and search files are written and most are not.
  if (!RunSize(BenchDataDir() / "website", 1000, config, row) || row.pages < 1000 ||
      row.unchanged_written != 0 || row.renamed_written == 0 ||
      row.renamed_written > row.pages / 10 || row.largest_search_file == 0 ||
      row.chart_pages == 0 || row.plain_pages + row.chart_pages + 1 != row.pages ||
      row.largest_chart_page > 30 * 1000) {
    std::fprintf(
        stderr,
        "bench_website: smoke run failed (%lld files, again %lld, renamed %lld, plain %lld, "
        "charts %lld, largest chart %ju)\n",
        row.pages, row.unchanged_written, row.renamed_written, row.plain_pages, row.chart_pages,
        static_cast<std::uintmax_t>(row.largest_chart_page));
    return 1;
  }
  std::printf("smoke: %lld files of 1k people written; again: %lld, after a name changed: %lld\n",
              row.pages, row.unchanged_written, row.renamed_written);
  return 0;
}

}  // namespace
}  // namespace stirpex::bench

int main(int argc, char** argv) {
  using namespace stirpex::bench;
  std::string sizes_text = "10k,100k,1M";
  Config config;
  std::filesystem::path root = BenchDataDir() / "website";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--smoke") return Smoke();
    if (arg.rfind("--sizes=", 0) == 0) {
      sizes_text = arg.substr(8);
    } else if (arg.rfind("--seed=", 0) == 0) {
      config.seed = std::stoull(arg.substr(7));
    } else if (arg == "--trees") {
      config.trees = true;
    } else if (arg == "--rich") {
      config.rich = true;
    } else if (arg.rfind("--dir=", 0) == 0) {
      root = std::filesystem::path(arg.substr(6)) / "stirpex-bench-website";
    } else if (arg == "--keep") {
      config.keep = true;
    } else if (arg.rfind("--jobs=", 0) == 0) {
      config.jobs = std::stoi(arg.substr(7));
    } else if (arg == "--one-thread") {
      config.one_thread = true;
    } else if (arg.rfind("--rounds=", 0) == 0) {
      config.rounds = std::max(2, std::stoi(arg.substr(9)));
    } else {
      std::fprintf(stderr,
                   "usage: bench_website [--sizes=10k,100k,1M] [--seed=1] [--trees] [--rich] "
                   "[--dir=FOLDER] [--keep] [--jobs=N] [--one-thread] [--rounds=2] | --smoke\n");
      return 2;
    }
  }
  const std::vector<std::uint64_t> sizes = ParseSizeList(sizes_text);
  if (sizes.empty()) return 2;

  std::vector<Row> rows;
  for (std::uint64_t people : sizes) {
    Row row;
    if (!RunSize(root, people, config, row)) return 1;
    rows.push_back(row);
  }
  std::printf("\nWeb site of generated trees (%s tree pages), default style, %u threads\n",
              config.trees ? "with" : "without", stirpex::PageThreads(config.jobs));
  std::printf("%6s %8s %7s %7s %7s %7s %6s %8s %7s %7s %6s %7s %6s %8s %7s %8s %7s %6s %8s %8s\n",
              "people", "files", "MB", "site s", "1thr s", "floor s", "ratio", "pages/s", "mem +MB",
              "again s", "wrote", "rename s", "wrote", "srch max", "srch MB", "plain f", "plain s",
              "charts", "chrt max", "chrt avg");
  for (const Row& r : rows) {
    std::printf(
        "%6s %8lld %7.1f %7.2f %7.2f %7.2f %6.2f %8.0f %7.1f %7.2f %6lld %7.2f %6lld %7.0fk "
        "%7.1f %8lld %7.2f %5.2fx %7.1fk %7.1fk\n",
        SizeLabel(r.people).c_str(), r.pages, r.megabytes, r.site_seconds, r.one_thread_seconds,
        r.floor_seconds, r.site_seconds / r.floor_seconds, r.pages / r.site_seconds,
        static_cast<double>(r.memory_growth) / 1e6, r.unchanged_seconds, r.unchanged_written,
        r.renamed_seconds, r.renamed_written, static_cast<double>(r.largest_search_file) / 1e3,
        r.search_megabytes, r.plain_pages, r.plain_seconds, r.site_seconds / r.plain_seconds,
        static_cast<double>(r.largest_chart_page) / 1e3, r.chart_bytes / 1e3);
  }
  for (const Row& r : rows) {
    if (r.record_pages > 0) {
      std::printf("%6s: %lld pages of sources, places and media records and their indexes\n",
                  SizeLabel(r.people).c_str(), r.record_pages);
    }
  }
  return 0;
}
