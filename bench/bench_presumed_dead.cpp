// How well the auto filter finds the living, measured against the truth of generated trees
// whose evidence is blurred as real files blur it (dates dropped from many births and deaths,
// death and burial records dropped for some of the dead, some RESN privacy; see
// bench/support/gedcom_generator.h).
//
//   bench_presumed_dead [--sizes=100k,1M] [--seed=1] [--years-ago=N] [--cli=PATH]
//   bench_presumed_dead --smoke    a small tree once, checking the targets, then exits
//
// The trees are those of PresentDayTree, the files `stirpex-gen-gedcom --people SIZE --seed
// SEED --blur` writes (bench/data/synthetic-blur-SIZE-sSEED.ged).
//
// The filter runs as the default settings run it (only ExcPresumedDead ticked, ExcMaxAge empty,
// that is 100 years, which the criterion raises to its least age of 110), in the generator's
// year; --years-ago=N gives ExcMaxAge=N instead. What is counted is whom the program excludes:
// the Excluded flags AutoExclude sets (stirpex-cli --auto-exclude, and whom stirpex-cli living
// lists). Per size the table gives the people living and dead, how many of the living were
// published (the target is none), whether every restricted person was excluded, the share of
// the people who died more than 120 years ago that were published (target: at least 95 %), the
// share of all the dead that were excluded (target: at most 12 %), and the processor time of
// the filter over the whole tree. It also checks the viewer's way: the People tab split by the
// same rule, its exclude list written (ExcludeEntries) and read back (ApplyExcludedNames) must
// mark the same people ("list differs": people marked otherwise, the target is none; "by
// record": entries that name a person by record).
//
// --cli=PATH also counts the people that `PATH living` lists on each tree (run in the
// generator's year), so that two builds of stirpex-cli are measured on the same trees.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/auto_filter.h"
#include "app/people_lists.h"
#include "database/database.h"
#include "database/exclude_entries.h"
#include "database/gedcom_reader.h"
#include "settings/settings.h"
#include "support/bench_support.h"
#include "support/gedcom_generator.h"

namespace stirpex::bench {
namespace {

constexpr int kLongDead = 120;  // died more than this many years ago

struct Figures {
  std::uint64_t people = 0;
  std::uint64_t living = 0, living_published = 0;
  std::uint64_t restricted = 0, restricted_excluded = 0;
  std::uint64_t dead = 0, dead_excluded = 0;
  std::uint64_t long_dead = 0, long_dead_published = 0;
  double filter_seconds = 0;
  // The viewer's exclude list read back: people marked otherwise than the filter marked them,
  // and entries naming a record. -1: not measured (a stirpex-cli row).
  long long list_differs = -1, record_entries = -1;

  double LongDeadPublished() const {
    return long_dead ? 100.0 * long_dead_published / long_dead : 100.0;
  }
  double DeadExcluded() const { return dead ? 100.0 * dead_excluded / dead : 0.0; }
  bool TargetsMet() const {
    return living_published == 0 && restricted_excluded == restricted &&
           LongDeadPublished() >= 95.0 && DeadExcluded() <= 12.0 && list_differs <= 0;
  }
};

struct Row {
  std::string label;
  Figures figures;
};

double ProcessSeconds() {
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Records are in file order: I<n> (or i<n>) is entry n-1 of the truth.
std::size_t TruthIndex(std::string_view id) {
  return std::strtoull(std::string(id.substr(1)).c_str(), nullptr, 10) - 1;
}

// Counts the exclusion (by truth index) against the truth.
void Count(const std::vector<PersonTruth>& truth, const std::vector<char>& excluded, Figures& f) {
  for (std::size_t n = 0; n < truth.size(); ++n) {
    const PersonTruth& t = truth[n];
    ++f.people;
    if (t.restricted) {
      ++f.restricted;
      if (excluded[n]) ++f.restricted_excluded;
    }
    if (t.death_year == 0) {
      ++f.living;
      if (!excluded[n]) ++f.living_published;
      continue;
    }
    ++f.dead;
    if (excluded[n]) ++f.dead_excluded;
    if (t.death_year < kGeneratorYear - kLongDead) {
      ++f.long_dead;
      if (!excluded[n]) ++f.long_dead_published;
    }
  }
}

// Whom `cli living path` lists (with ExcMaxAge=years_ago), by truth index; false when it could
// not be run.
bool CliExcluded(const std::string& cli, const std::filesystem::path& path,
                 const std::string& years_ago, std::vector<char>& excluded) {
  // Mid-year of the generator's year, so that the command counts years as the filter here.
  const std::string command = "SOURCE_DATE_EPOCH=1719792000 '" + cli +
                              "' --set 'ExcMaxAge=" + years_ago + "' living '" + path.string() +
                              "' 2>/dev/null";
  FILE* out = ::popen(command.c_str(), "r");
  if (!out) return false;
  char line[4096];
  while (std::fgets(line, sizeof line, out)) {
    const std::string_view text(line);
    const std::size_t n = TruthIndex(text.substr(0, text.find('\t')));
    if (n < excluded.size()) excluded[n] = 1;
  }
  return ::pclose(out) == 0;
}

// Generates the blurred tree, loads it and compares whom the filter excludes with the truth;
// with a stirpex-cli given, a second row for whom its living command lists.
bool Measure(std::uint64_t people, std::uint64_t seed, const std::string& years_ago,
             const std::string& cli, std::vector<Row>& rows) {
  const GeneratorOptions options = PresentDayTree(people, seed);
  const std::filesystem::path path = BenchDataDir() / ("synthetic-blur-" + SizeLabel(people) +
                                                       "-s" + std::to_string(seed) + ".ged");
  std::vector<PersonTruth> truth;
  if (!WriteSyntheticGedcomFile(options, path, nullptr, &truth)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
  }
  Database db;
  NullProgress progress;
  NullMessages messages;
  if (!LoadGedcom(db, path, progress, messages) || db.PersonList().size() != truth.size()) {
    std::fprintf(stderr, "%s did not load as %zu people\n", path.c_str(), truth.size());
    return false;
  }
  TSettings settings;  // the defaults
  settings.ExcMaxAge = years_ago;
  const AutoFilterRule rule(CriteriaFromSettings(settings), kGeneratorYear);
  const std::string tree = SizeLabel(people) + " s" + std::to_string(seed);

  Row row{tree, {}};
  Figures& f = row.figures;
  const double start = ProcessSeconds();
  AutoExclude(db, rule);
  f.filter_seconds = ProcessSeconds() - start;
  std::vector<char> excluded(truth.size(), 0);
  std::vector<char> flags;
  flags.reserve(truth.size());
  for (const TPersonRec* person : db.PersonList()) {
    excluded.at(TruthIndex(person->Id.view())) = person->Excluded;
    flags.push_back(person->Excluded);
  }
  Count(truth, excluded, f);

  // The viewer's way: Auto Exclude on the People tab, the list saved, read back.
  PeopleLists lists;
  lists.Attach(db);
  lists.Split([&rule](const TPersonRec& person) { return rule.Includes(person); });
  db.ExcludedNames() = lists.ExcludeEntries();
  lists.Detach();
  f.record_entries = 0;
  for (const std::string& entry : db.ExcludedNames()) {
    if (!ParseExcludeEntry(entry).record.empty()) ++f.record_entries;
  }
  db.ApplyExcludedNames();
  f.list_differs = 0;
  for (std::size_t i = 0; i < flags.size(); ++i) {
    if (db.PersonList()[i]->Excluded != static_cast<bool>(flags[i])) ++f.list_differs;
  }
  rows.push_back(std::move(row));

  if (!cli.empty()) {
    Row cli_row{tree + " cli", {}};
    std::vector<char> listed(truth.size(), 0);
    if (!CliExcluded(cli, path, years_ago, listed)) {
      std::fprintf(stderr, "%s living %s failed\n", cli.c_str(), path.c_str());
      return false;
    }
    Count(truth, listed, cli_row.figures);
    rows.push_back(std::move(cli_row));
  }
  return true;
}

void PrintTable(const std::string& years_ago, const std::string& cli,
                const std::vector<Row>& rows) {
  std::printf(
      "ExcMaxAge=%s, only ExcPresumedDead, the year %d; blur: %d %% of birth dates and "
      "%d %% of death dates dropped, %d/%d/%d %% of the dead (died before 1900/1950/later) "
      "without DEAT or BURI, %d %% RESN privacy\n",
      years_ago.empty() ? "(empty)" : years_ago.c_str(), kGeneratorYear, kBlurBirthDateDropped,
      kBlurDeathDateDropped, kBlurDeathRecordDropped[0], kBlurDeathRecordDropped[1],
      kBlurDeathRecordDropped[2], kBlurRestricted);
  if (!cli.empty()) std::printf("rows \"cli\": %s living\n", cli.c_str());
  std::printf("%-14s %9s %9s %10s %11s %16s %14s %9s %12s %10s\n", "tree", "living", "published",
              "RESN", "RESN excl.", "dead >120y publ.", "dead excluded", "filter s", "list differs",
              "by record");
  for (const auto& [label, f] : rows) {
    // A stirpex-cli row has no time of its own and no list.
    char seconds[32] = "", differs[32] = "", records[32] = "";
    if (f.list_differs >= 0) {
      std::snprintf(seconds, sizeof seconds, "%.3f", f.filter_seconds);
      std::snprintf(differs, sizeof differs, "%lld", f.list_differs);
      std::snprintf(records, sizeof records, "%lld", f.record_entries);
    }
    std::printf("%-14s %9llu %9llu %10llu %11llu %15.2f%% %13.2f%% %9s %12s %10s\n", label.c_str(),
                static_cast<unsigned long long>(f.living),
                static_cast<unsigned long long>(f.living_published),
                static_cast<unsigned long long>(f.restricted),
                static_cast<unsigned long long>(f.restricted_excluded), f.LongDeadPublished(),
                f.DeadExcluded(), seconds, differs, records);
  }
  for (const auto& [label, f] : rows) {
    std::printf(
        "targets for %s: no living person published: %s (%llu); every RESN person excluded: "
        "%s; >= 95 %% of the long dead published: %s (%.2f %%); <= 12 %% of the dead "
        "excluded: %s (%.2f %%)",
        label.c_str(), f.living_published == 0 ? "met" : "MISSED",
        static_cast<unsigned long long>(f.living_published),
        f.restricted_excluded == f.restricted ? "met" : "MISSED",
        f.LongDeadPublished() >= 95.0 ? "met" : "MISSED", f.LongDeadPublished(),
        f.DeadExcluded() <= 12.0 ? "met" : "MISSED", f.DeadExcluded());
    if (f.list_differs >= 0) {
      std::printf("; the saved list marks the same people: %s (%lld differ)",
                  f.list_differs == 0 ? "met" : "MISSED", f.list_differs);
    }
    std::printf("\n");
  }
}

int RunSmoke() {
  std::vector<Row> rows;
  if (!Measure(5000, 1, "", "", rows)) return 1;
  PrintTable("", "", rows);
  const Figures& f = rows.front().figures;
  return f.TargetsMet() && f.living > 0 && f.restricted > 0 ? 0 : 1;
}

}  // namespace
}  // namespace stirpex::bench

int main(int argc, char** argv) {
  using namespace stirpex::bench;
  std::string sizes_text = "100k,1M";
  std::uint64_t seed = 1;
  std::string years_ago;  // the default ExcMaxAge
  std::string cli;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--smoke") return RunSmoke();
    if (arg.rfind("--sizes=", 0) == 0) {
      sizes_text = arg.substr(8);
    } else if (arg.rfind("--seed=", 0) == 0) {
      seed = std::strtoull(arg.c_str() + 7, nullptr, 10);
    } else if (arg.rfind("--years-ago=", 0) == 0) {
      years_ago = arg.substr(12);
    } else if (arg.rfind("--cli=", 0) == 0) {
      cli = arg.substr(6);
    } else {
      std::fprintf(stderr,
                   "usage: bench_presumed_dead [--sizes=100k,1M] [--seed=1] [--years-ago=N] "
                   "[--cli=PATH] [--smoke]\n");
      return 2;
    }
  }
  std::vector<Row> rows;
  for (std::uint64_t people : ParseSizeList(sizes_text)) {
    if (!Measure(people, seed, years_ago, cli, rows)) return 1;
  }
  if (rows.empty()) {
    std::fprintf(stderr, "bench_presumed_dead: --sizes takes a list such as 100k,1M\n");
    return 2;
  }
  PrintTable(years_ago, cli, rows);
  bool met = true;
  for (const Row& row : rows) met = met && row.figures.TargetsMet();
  return met ? 0 : 1;
}
