// The privacy layer's walk over the whole tree (pages/shown_index.h): how long the first
// question about source, place and media pages takes, and how much memory its lists hold, on a
// rich tree with the filter off, replacing and masking one person in ten.
//
//   bench_shown_index [--file=path.ged | --size=1M] [--seed=1]
//   bench_shown_index --smoke    a small rich tree, checking what the lists hold, then exits
//
// Without --file the tree is the generator's rich file of that size (made under bench/data on
// first use). Per mode the table gives the wall time of the first question about a picture
// (which finds the media the replaced people link to), the wall and processor time of the
// walk after it, the peak memory the walk added (measured in a child process), and what it
// found.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

#include "database/database.h"
#include "database/gedcom_reader.h"
#include "pages/shown_index.h"
#include "support/bench_support.h"

namespace stirpex::bench {
namespace {

struct Row {
  const char* mode;
  double hidden_media = 0, seconds = 0, processor = 0;
  long long peak = 0;
  std::size_t sources = 0, places = 0, media = 0, citers = 0, events = 0;
};

Row Measure(const Database& db, const char* mode, bool exclude, bool mask) {
  TSettings settings;
  settings.ExcDoExclude = exclude;
  settings.ExcMaskDateOnly = mask;
  Row row{mode};
  {
    const ShownTree tree(db, settings);
    // The first question about a picture finds the media of the replaced people first.
    const auto media_start = std::chrono::steady_clock::now();
    ShowsMediaRecord(tree, 0);
    row.hidden_media =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - media_start).count();
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpu_start = std::clock();
    row.sources = SourcesWithPages(tree).size();
    row.processor = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    row.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    row.places = PlacesWithPages(tree).size();
    row.media = MediaWithPages(tree).size();
    for (std::uint32_t source : SourcesWithPages(tree)) row.citers += CitersOf(tree, source).size();
    for (const ShownPlace& place : PlacesWithPages(tree))
      row.events += EventsAt(tree, place).size();
  }
  row.peak = PeakMemoryIncrease([&] { SourcesWithPages(ShownTree(db, settings)); });
  return row;
}

bool Load(Database& db, const std::filesystem::path& path) {
  NullProgress progress;
  NullMessages messages;
  if (path.empty() || !LoadGedcom(db, path, progress, messages)) {
    std::fprintf(stderr, "cannot load %s\n", path.c_str());
    return false;
  }
  // One person in ten is excluded, as a filter of the living might leave them.
  for (std::size_t i = 0; i < db.PersonList().size(); i += 10) db.PersonList()[i]->Excluded = true;
  return true;
}

std::vector<Row> MeasureAll(const Database& db) {
  return {Measure(db, "off", false, false), Measure(db, "replace", true, false),
          Measure(db, "mask", true, true)};
}

void Print(const std::filesystem::path& path, const Database& db, const std::vector<Row>& rows) {
  std::printf("%s: %zu people, %zu families\n", path.c_str(), db.PersonList().size(),
              db.FamilyList().size());
  std::printf("%8s %9s %9s %9s %10s %8s %7s %7s %9s %9s\n", "mode", "media s", "walk s", "cpu s",
              "peak MB", "sources", "places", "media", "citers", "events");
  for (const Row& r : rows) {
    std::printf("%8s %9.3f %9.3f %9.3f %10.1f %8zu %7zu %7zu %9zu %9zu\n", r.mode, r.hidden_media,
                r.seconds, r.processor, r.peak / 1048576.0, r.sources, r.places, r.media, r.citers,
                r.events);
  }
}

int RunSmoke() {
  const std::filesystem::path path = SyntheticGedcom(2000, 1, true);
  Database db;
  if (!Load(db, path)) return 1;
  const std::vector<Row> rows = MeasureAll(db);
  Print(path, db, rows);
  const Row &off = rows[0], &replace = rows[1], &mask = rows[2];
  // Everything is listed with the filter off; replacing people takes lines away, masking
  // their dates none.
  const bool ok = off.sources > 0 && off.places > 0 && off.media > 0 &&
                  replace.citers < off.citers && replace.events < off.events &&
                  mask.citers == off.citers && mask.events == off.events && off.peak > 0;
  std::printf("bench_shown_index smoke run: %s\n", ok ? "OK" : "FAILED");
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace stirpex::bench

int main(int argc, char** argv) {
  using namespace stirpex::bench;
  std::filesystem::path file;
  std::uint64_t size = 1000000;
  std::uint64_t seed = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--smoke") return RunSmoke();
    if (arg.rfind("--file=", 0) == 0) {
      file = arg.substr(7);
    } else if (arg.rfind("--size=", 0) == 0 && ParseSizeList(arg.substr(7)).size() == 1) {
      size = ParseSizeList(arg.substr(7))[0];
    } else if (arg.rfind("--seed=", 0) == 0) {
      seed = std::strtoull(arg.c_str() + 7, nullptr, 10);
    } else {
      std::fprintf(stderr,
                   "usage: bench_shown_index [--file=path | --size=1M] [--seed=1] "
                   "[--smoke]\n");
      return 2;
    }
  }
  if (file.empty()) file = SyntheticGedcom(size, seed, true);
  stirpex::Database db;
  if (!Load(db, file)) return 1;
  Print(file, db, MeasureAll(db));
  return 0;
}
