// How well the auto filter's "Presumed dead" criterion finds the living, measured against the
// truth of generated trees whose evidence is blurred as real files blur it (dates dropped from
// many births and deaths, death and burial records dropped for some of the dead, some RESN
// privacy; see bench/support/gedcom_generator.h).
//
//   bench_presumed_dead [--sizes=100k,1M] [--seed=1] [--years-ago=N]
//   bench_presumed_dead --smoke    a small tree once, checking the targets, then exits
//
// The filter runs as the default settings run it (only ExcPresumedDead ticked, ExcMaxAge empty,
// that is 100 years, which the criterion raises to its least age of 110), in the generator's
// year; --years-ago=N gives ExcMaxAge=N instead. Per size the table gives the people living and
// dead, how many of the living were published (included by the filter; the target is none), whether
// every restricted person was excluded, the share of the people who died more than 120 years ago
// that were published (target: at least 95 %), the share of all the dead that were excluded
// (target: at most 12 %), and the processor time of the filter over the whole tree.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "app/auto_filter.h"
#include "database/database.h"
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

  double LongDeadPublished() const {
    return long_dead ? 100.0 * long_dead_published / long_dead : 100.0;
  }
  double DeadExcluded() const { return dead ? 100.0 * dead_excluded / dead : 0.0; }
  bool TargetsMet() const {
    return living_published == 0 && restricted_excluded == restricted &&
           LongDeadPublished() >= 95.0 && DeadExcluded() <= 12.0;
  }
};

double ProcessSeconds() {
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Generates the blurred tree, loads it and compares the filter's choices with the truth.
bool Measure(std::uint64_t people, std::uint64_t seed, const std::string& years_ago, Figures& f) {
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

  const double start = ProcessSeconds();
  std::vector<char> included(truth.size());
  for (std::size_t i = 0; i < db.PersonList().size(); ++i) {
    included[i] = rule.Includes(*db.PersonList()[i]);
  }
  f.filter_seconds = ProcessSeconds() - start;

  for (std::size_t i = 0; i < db.PersonList().size(); ++i) {
    const TPersonRec& person = *db.PersonList()[i];
    // Records are in file order: I<n> is entry n-1 of the truth.
    const std::size_t n = std::strtoull(person.Id.str().c_str() + 1, nullptr, 10) - 1;
    const PersonTruth& t = truth.at(n);
    ++f.people;
    if (t.restricted) {
      ++f.restricted;
      if (!included[i]) ++f.restricted_excluded;
    }
    if (t.death_year == 0) {
      ++f.living;
      if (included[i]) ++f.living_published;
      continue;
    }
    ++f.dead;
    if (!included[i]) ++f.dead_excluded;
    if (t.death_year < kGeneratorYear - kLongDead) {
      ++f.long_dead;
      if (included[i]) ++f.long_dead_published;
    }
  }
  return true;
}

void PrintTable(const std::string& years_ago,
                const std::vector<std::pair<std::uint64_t, Figures>>& rows) {
  std::printf(
      "ExcMaxAge=%s, only ExcPresumedDead, the year %d; blur: %d %% of birth dates and "
      "%d %% of death dates dropped, %d/%d/%d %% of the dead (died before 1900/1950/later) "
      "without DEAT or BURI, %d %% RESN privacy\n",
      years_ago.empty() ? "(empty)" : years_ago.c_str(), kGeneratorYear, kBlurBirthDateDropped,
      kBlurDeathDateDropped, kBlurDeathRecordDropped[0], kBlurDeathRecordDropped[1],
      kBlurDeathRecordDropped[2], kBlurRestricted);
  std::printf("%8s %9s %9s %10s %11s %16s %14s %9s\n", "people", "living", "published", "RESN",
              "RESN excl.", "dead >120y publ.", "dead excluded", "filter s");
  for (const auto& [size, f] : rows) {
    std::printf("%8s %9llu %9llu %10llu %11llu %15.2f%% %13.2f%% %9.3f\n", SizeLabel(size).c_str(),
                static_cast<unsigned long long>(f.living),
                static_cast<unsigned long long>(f.living_published),
                static_cast<unsigned long long>(f.restricted),
                static_cast<unsigned long long>(f.restricted_excluded), f.LongDeadPublished(),
                f.DeadExcluded(), f.filter_seconds);
  }
  for (const auto& [size, f] : rows) {
    std::printf(
        "targets for %s: no living person published: %s (%llu); every RESN person excluded: "
        "%s; >= 95 %% of the long dead published: %s (%.2f %%); <= 12 %% of the dead "
        "excluded: %s (%.2f %%)\n",
        SizeLabel(size).c_str(), f.living_published == 0 ? "met" : "MISSED",
        static_cast<unsigned long long>(f.living_published),
        f.restricted_excluded == f.restricted ? "met" : "MISSED",
        f.LongDeadPublished() >= 95.0 ? "met" : "MISSED", f.LongDeadPublished(),
        f.DeadExcluded() <= 12.0 ? "met" : "MISSED", f.DeadExcluded());
  }
}

int RunSmoke() {
  Figures f;
  if (!Measure(5000, 1, "", f)) return 1;
  PrintTable("", {{5000, f}});
  return f.TargetsMet() && f.living > 0 && f.restricted > 0 ? 0 : 1;
}

}  // namespace
}  // namespace stirpex::bench

int main(int argc, char** argv) {
  using namespace stirpex::bench;
  std::string sizes_text = "100k,1M";
  std::uint64_t seed = 1;
  std::string years_ago;  // the default ExcMaxAge
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--smoke") return RunSmoke();
    if (arg.rfind("--sizes=", 0) == 0) {
      sizes_text = arg.substr(8);
    } else if (arg.rfind("--seed=", 0) == 0) {
      seed = std::strtoull(arg.c_str() + 7, nullptr, 10);
    } else if (arg.rfind("--years-ago=", 0) == 0) {
      years_ago = arg.substr(12);
    } else {
      std::fprintf(stderr,
                   "usage: bench_presumed_dead [--sizes=100k,1M] [--seed=1] [--years-ago=N] "
                   "[--smoke]\n");
      return 2;
    }
  }
  std::vector<std::pair<std::uint64_t, Figures>> rows;
  bool met = true;
  for (std::uint64_t people : ParseSizeList(sizes_text)) {
    Figures f;
    if (!Measure(people, seed, years_ago, f)) return 1;
    met = met && f.TargetsMet();
    rows.emplace_back(people, f);
  }
  if (rows.empty()) {
    std::fprintf(stderr, "bench_presumed_dead: --sizes takes a list such as 100k,1M\n");
    return 2;
  }
  PrintTable(years_ago, rows);
  return met ? 0 : 1;
}
