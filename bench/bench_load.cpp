// Load benchmark: how fast LoadGedcom reads synthetic trees of 1k to 1M people and how much
// memory it takes, side by side with a floor measured in the same run: reading the same file
// into memory as the load does and finding its line ends, doing nothing with the lines. With
// --rich the trees are the generator's rich files, and the whole-file GEDCOM export of each is
// timed too, against a floor of writing the same bytes.
//
//   bench_load [--sizes=1k,10k,100k,1M] [--seed=1] [--rich] [Google Benchmark flags]
//   bench_load --smoke    checks the generator and the measuring on a small file, then exits
//
// Files are made under bench/data on first use (stirpex-gen-gedcom makes the same files).
// After the timings a table sums up, per size: throughput of the floor and of the load, their
// ratio, and the peak memory of a load in a fresh process, per person and against the file's
// size; and the load of the same tree in UTF-16 (a UTF-16LE copy of the file, decoded while it
// is read) against its UTF-8 load.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "database/database.h"
#include "database/gedcom_reader.h"
#include "database/text_lines.h"
#include "export/gedcom_whole_writer.h"
#include "platform/file_bytes.h"
#include "platform/line_files.h"
#include "support/bench_support.h"
#include "support/best_times.h"
#include "support/gedcom_generator.h"

namespace stirpex::bench {
namespace {

// Reads the file and splits its lines, as every load must at least do.
// The floor: what any load must do, reading the whole file into memory as LoadGedcom does
// (one open, one read) and finding its line ends.
std::uint64_t SplitLines(const std::filesystem::path& path) {
  ByteBlock text;
  if (!ReadWholeFile(path, text)) return 0;
  TextLineSplitter lines(text.view());
  std::uint64_t bytes = 0;
  std::string_view line;
  while (lines.Next(line)) bytes += line.size();
  return bytes;
}

bool Load(Database& db, const std::filesystem::path& path) {
  NullProgress progress;
  NullMessages messages;
  return LoadGedcom(db, path, progress, messages);
}

void BM_Floor(benchmark::State& state, std::filesystem::path path, std::uint64_t file_bytes) {
  for (auto _ : state) benchmark::DoNotOptimize(SplitLines(path));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file_bytes));
}

void BM_Load(benchmark::State& state, std::filesystem::path path, std::uint64_t file_bytes) {
  // One database for every load, as in the viewer; emptying it is the next load's first step,
  // done here before the clock runs so that each load starts from an empty database.
  Database db;
  for (auto _ : state) {
    state.PauseTiming();
    db.ClearDatabase();
    state.ResumeTiming();
    if (!Load(db, path)) state.SkipWithError("the file did not load");
    benchmark::DoNotOptimize(db.PersonList().size());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file_bytes));
}

// Writes the whole file of the tree; with `filtered` every tenth person excluded (people
// replaced), which makes the writer follow every pointer.
void BM_WriteWhole(benchmark::State& state, std::filesystem::path path, std::filesystem::path out,
                   bool filtered, std::uint64_t file_bytes) {
  Database db;
  if (!Load(db, path)) {
    state.SkipWithError("the file did not load");
    return;
  }
  TSettings settings;
  if (filtered) {
    settings.ExcDoExclude = true;
    for (std::size_t i = 0; i < db.PersonList().size(); i += 10)
      db.PersonList()[i]->Excluded = true;
  }
  NullMessages messages;
  for (auto _ : state) {
    if (!WriteWholeGedcom(db, settings, out, "1 JAN 2024", messages)) {
      state.SkipWithError("the file was not written");
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file_bytes));
}

// The floor of a write: the same bytes through the same atomic writer, in large pieces.
void BM_WriteFloor(benchmark::State& state, std::filesystem::path bytes_of,
                   std::filesystem::path out) {
  std::string bytes;
  ReadFileBytes(bytes_of, bytes);
  for (auto _ : state) {
    AtomicFileWriter writer;
    writer.Open(out);
    constexpr std::size_t kPiece = 1 << 20;
    for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
      writer.Write(std::string_view(bytes).substr(at, kPiece));
    }
    if (!writer.Commit()) state.SkipWithError("the file was not written");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

// The first fault in the records and pointers of a generated file: a pointer that names no
// record of the kind its tag wants, or record counts other than the generator's. Empty when
// there is none.
std::string RecordFault(const std::string& file, const GeneratorCounts& counts) {
  static const std::map<std::string, std::string> kWanted = {
      {"FAMC", "FAM"},  {"FAMS", "FAM"},  {"HUSB", "INDI"}, {"WIFE", "INDI"},
      {"CHIL", "INDI"}, {"ASSO", "INDI"}, {"SOUR", "SOUR"}, {"REPO", "REPO"},
      {"OBJE", "OBJE"}, {"NOTE", "NOTE"}, {"SUBM", "SUBM"}};
  std::unordered_map<std::string, std::string> kind_of;  // "@S1@" -> "SOUR"
  std::map<std::string, std::uint64_t> records;
  std::vector<std::pair<std::string, std::string>> pointers;  // tag, "@I1@"
  std::istringstream in(file);
  std::string line, level, first, second;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    second.clear();
    words >> level >> first >> second;
    if (level == "0" && first.front() == '@') {
      kind_of[first] = second;
      ++records[second];
    } else if (second.size() > 2 && second.front() == '@' && second.back() == '@') {
      pointers.emplace_back(first, second);
    }
  }
  for (const auto& [tag, id] : pointers) {
    const auto wanted = kWanted.find(tag);
    const auto found = kind_of.find(id);
    if (wanted == kWanted.end() || found == kind_of.end() || found->second != wanted->second) {
      return "the pointer " + tag + " " + id;
    }
  }
  if (records["INDI"] != counts.people || records["FAM"] != counts.families ||
      records["NOTE"] != counts.notes || records["SOUR"] != counts.sources ||
      records["REPO"] != counts.repositories || records["OBJE"] != counts.media) {
    return "the record counts";
  }
  return {};
}

std::uint64_t Fnv1a(const std::string& bytes) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (const char c : bytes) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
  return h;
}

struct SizeFacts {
  std::uint64_t people = 0;
  bool rich = false;
  std::filesystem::path path;
  std::filesystem::path utf16_path;
  std::uint64_t file_bytes = 0;
  std::uint64_t utf16_bytes = 0;
  std::uint64_t families = 0;
  std::uint64_t db_bytes = 0;
  long long peak = -1;
};

std::string Label(const SizeFacts& s) {
  return (s.rich ? "rich-" : "") + SizeLabel(s.people);
}

int RunSmoke() {
  char pattern[] = "/tmp/stirpex-bench-smoke-XXXXXX";
  if (!::mkdtemp(pattern)) return 1;
  const std::filesystem::path dir = pattern;
  int failures = 0;
  auto check = [&](bool ok, const char* what) {
    if (!ok) {
      std::fprintf(stderr, "bench_load --smoke: %s\n", what);
      ++failures;
    }
  };

  GeneratorOptions options;
  options.people = 2000;
  options.seed = 7;
  GeneratorCounts counts;
  check(WriteSyntheticGedcomFile(options, dir / "a.ged", &counts), "cannot write a.ged");
  check(WriteSyntheticGedcomFile(options, dir / "b.ged"), "cannot write b.ged");
  options.seed = 8;
  check(WriteSyntheticGedcomFile(options, dir / "c.ged"), "cannot write c.ged");
  auto bytes = [](const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  };
  const std::string a = bytes(dir / "a.ged");
  check(a == bytes(dir / "b.ged"), "the same seed gave different files");
  check(a != bytes(dir / "c.ged"), "another seed gave the same file");
  check(a.size() == counts.bytes, "byte count");
  check(a.find("\r\n") != std::string::npos && a.find("\n") == a.find("\r\n") + 1, "CR LF");
  // Figures and comparisons between builds rest on the plain files: their bytes stay put.
  check(Fnv1a(a) == 0xfc3c22f86c3718ddull, "the plain file is not the one this seed always gave");
  check(RecordFault(a, counts).empty(), "a fault in the records of the plain file");

  // A rich file holds the same people and families, and every pointer names a record.
  options.seed = 7;
  options.rich = true;
  GeneratorCounts rich_counts;
  check(WriteSyntheticGedcomFile(options, dir / "r.ged", &rich_counts), "cannot write r.ged");
  check(WriteSyntheticGedcomFile(options, dir / "s.ged"), "cannot write s.ged");
  const std::string r = bytes(dir / "r.ged");
  check(r == bytes(dir / "s.ged"), "the same seed gave different rich files");
  const std::string fault = RecordFault(r, rich_counts);
  if (!fault.empty()) std::fprintf(stderr, "rich file: %s\n", fault.c_str());
  check(fault.empty() && rich_counts.media > 0 && rich_counts.repositories > 0,
        "a fault in the records of the rich file");
  Database rich_db;
  check(Load(rich_db, dir / "r.ged") && rich_db.PersonList().size() == counts.people &&
            rich_db.FamilyList().size() == counts.families,
        "the rich file does not load as the same tree");

  Database db;
  check(Load(db, dir / "a.ged"), "a.ged does not load");
  check(db.PersonList().size() == counts.people && counts.people == 2000, "people count");
  check(db.FamilyList().size() == counts.families, "family count");
  std::size_t named = 0, placeholders = 0, with_parents = 0, remarried = 0, dated = 0;
  for (const TPersonRec* p : db.PersonList()) {
    named += !p->Name.empty();
    placeholders += p->Placeholder;
    with_parents += p->ParentFamily != nullptr;
    remarried += p->SpouseFamilies.size() > 1;
    dated += !p->BirthDate.empty();
  }
  check(named == counts.people && placeholders == 0, "every person has a record and a name");
  check(with_parents > counts.people / 2, "most people have parents");
  check(remarried > 0, "some people married twice");
  check(dated > counts.people / 2 && dated < counts.people, "most, not all, have birth dates");
  check(db.NoteList().size() > counts.notes && counts.notes > 0, "notes");
  check(db.Surnames().size() > 50, "surnames");
  check(SplitLines(dir / "a.ged") > 0, "floor");
  const std::filesystem::path utf16 = Utf16Copy(dir / "a.ged");
  check(!utf16.empty() && std::filesystem::file_size(utf16) > counts.bytes, "UTF-16 copy");
  Database db16;
  check(!utf16.empty() && Load(db16, utf16) && db16.PersonList().size() == counts.people &&
            db16.FamilyList().size() == counts.families &&
            db16.SourceEncoding() == TextEncoding::kUtf16Le,
        "the UTF-16 copy loads as the same tree");
  check(PeakMemoryIncrease([&] {
          Database child_db;
          Load(child_db, dir / "a.ged");
        }) > 0,
        "peak memory");

  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  if (failures == 0) std::printf("bench_load smoke run: OK\n");
  return failures == 0 ? 0 : 1;
}

void PrintSummary(const std::vector<SizeFacts>& sizes, const Collector& collector) {
  std::printf("\n%8s %9s %11s %10s %10s %8s %12s %10s %9s %12s %11s\n", "people", "file MB",
              "floor MB/s", "load MB/s", "load/floor", "peak MB", "peak B/pers", "peak/file",
              "db B/pers", "UTF-16 ms", "UTF-16/-8");
  for (const SizeFacts& s : sizes) {
    const std::string label = Label(s);
    const double floor = collector.Seconds("floor/" + label);
    const double load = collector.Seconds("load/" + label);
    const double mb = static_cast<double>(s.file_bytes) / 1e6;
    const double peak_mb = static_cast<double>(s.peak) / 1e6;
    const double utf16 = collector.Seconds("load-utf16/" + label);
    std::printf("%8s %9.1f %11.0f %10.0f %10.2f %8.1f %12.0f %10.2f %9.0f %12.0f %11.2f\n",
                label.c_str(), mb, floor > 0 ? mb / floor : 0.0, load > 0 ? mb / load : 0.0,
                floor > 0 ? load / floor : 0.0, peak_mb,
                static_cast<double>(s.peak) / static_cast<double>(s.people),
                static_cast<double>(s.peak) / static_cast<double>(s.file_bytes),
                static_cast<double>(s.db_bytes) / static_cast<double>(s.people), utf16 * 1000,
                load > 0 ? utf16 / load : 0.0);
  }
  for (const SizeFacts& s : sizes) {
    const std::string label = Label(s);
    // Writing is the system's work as much as the program's: wall-clock time.
    const double floor = collector.WallSeconds("write-floor/" + label);
    if (floor <= 0) continue;
    const double whole = collector.WallSeconds("write-whole/" + label);
    const double filtered = collector.WallSeconds("write-filtered/" + label);
    std::printf(
        "whole GEDCOM of %s (wall-clock): written in %.0f ms, %.2fx the floor of writing "
        "its bytes (%.0f ms); filtered (every tenth person replaced) %.0f ms, %.2fx; "
        "target 2x: %s\n",
        label.c_str(), whole * 1000, whole / floor, floor * 1000, filtered * 1000, filtered / floor,
        std::max(whole, filtered) <= 2 * floor ? "met" : "MISSED");
  }
  for (const SizeFacts& s : sizes) {
    if (s.people < 1000000) continue;
    const std::string label = Label(s);
    const double ratio = collector.Seconds("load/" + label) / collector.Seconds("floor/" + label);
    const double memory = static_cast<double>(s.peak) / static_cast<double>(s.file_bytes);
    const double utf16 =
        collector.Seconds("load-utf16/" + label) / collector.Seconds("load/" + label);
    std::printf(
        "targets for %s people: load within 5x the floor: %s (%.2fx); "
        "peak memory under 2x the file: %s (%.2fx); "
        "UTF-16 load within 1.5x the UTF-8 load: %s (%.2fx)\n",
        label.c_str(), ratio <= 5.0 ? "met" : "MISSED", ratio, memory < 2.0 ? "met" : "MISSED",
        memory, utf16 <= 1.5 ? "met" : "MISSED", utf16);
  }
}

}  // namespace
}  // namespace stirpex::bench

int main(int argc, char** argv) {
  using namespace stirpex::bench;
  std::string sizes_text = "1k,10k,100k,1M";
  std::uint64_t seed = 1;
  bool rich = false;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--smoke") return RunSmoke();
    if (arg.rfind("--sizes=", 0) == 0) {
      sizes_text = arg.substr(8);
    } else if (arg == "--rich") {
      rich = true;
    } else if (arg.rfind("--seed=", 0) == 0) {
      seed = std::strtoull(arg.c_str() + 7, nullptr, 10);
    } else {
      rest.push_back(argv[i]);
    }
  }
  int rest_count = static_cast<int>(rest.size());
  benchmark::Initialize(&rest_count, rest.data());
  if (benchmark::ReportUnrecognizedArguments(rest_count, rest.data())) return 2;

  std::vector<SizeFacts> sizes;
  for (std::uint64_t people : ParseSizeList(sizes_text)) {
    SizeFacts s;
    s.people = people;
    s.rich = rich;
    s.path = SyntheticGedcom(people, seed, rich);
    if (s.path.empty()) return 1;
    s.file_bytes = std::filesystem::file_size(s.path);
    s.utf16_path = Utf16Copy(s.path);
    if (s.utf16_path.empty()) return 1;
    s.utf16_bytes = std::filesystem::file_size(s.utf16_path);
    {
      // Checks the file once (and brings it into the page cache before the timings).
      stirpex::Database db;
      if (!Load(db, s.path) || db.PersonList().size() != people) {
        std::fprintf(stderr, "%s did not load as %llu people\n", s.path.c_str(),
                     static_cast<unsigned long long>(people));
        return 1;
      }
      s.families = db.FamilyList().size();
      s.db_bytes = db.ApproximateBytes();
    }
    s.peak = PeakMemoryIncrease([&] {
      stirpex::Database db;
      Load(db, s.path);
    });
    sizes.push_back(s);
  }
  if (sizes.empty()) {
    std::fprintf(stderr, "bench_load: --sizes takes a list such as 1k,10k,1M\n");
    return 2;
  }
  for (const SizeFacts& s : sizes) {
    const std::string label = Label(s);
    benchmark::RegisterBenchmark(("floor/" + label).c_str(), BM_Floor, s.path, s.file_bytes)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("load/" + label).c_str(), BM_Load, s.path, s.file_bytes)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("load-utf16/" + label).c_str(), BM_Load, s.utf16_path,
                                 s.utf16_bytes)
        ->Unit(benchmark::kMillisecond);
    if (!s.rich) continue;
    // The whole file written out again, beside the file; the floor writes the bytes of the
    // unfiltered output.
    std::filesystem::path out = s.path;
    out += ".out.ged";
    {
      stirpex::Database db;
      stirpex::NullMessages messages;
      if (!Load(db, s.path) ||
          !stirpex::WriteWholeGedcom(db, stirpex::TSettings{}, out, "1 JAN 2024", messages)) {
        return 1;
      }
    }
    std::filesystem::path floor_out = s.path;
    floor_out += ".floor.ged";
    benchmark::RegisterBenchmark(("write-whole/" + label).c_str(), BM_WriteWhole, s.path, out,
                                 false, s.file_bytes)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("write-filtered/" + label).c_str(), BM_WriteWhole, s.path, out,
                                 true, s.file_bytes)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("write-floor/" + label).c_str(), BM_WriteFloor, out, floor_out)
        ->Unit(benchmark::kMillisecond);
  }
  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  benchmark::Shutdown();
  PrintSummary(sizes, collector);
  return 0;
}
