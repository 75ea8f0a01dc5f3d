// Synthetic GEDCOM files of our own for benchmarks: a population of invented people grown
// generation by generation from founder couples, with marriages, remarriages, children, dates
// and places, occupations, burials, inline notes and note records with CONT and CONC lines.
//
// The output depends only on the options (its own random generator, no library
// distributions), so a seed and a size always give the same bytes on every machine. Lines end
// with CR LF; names and places hold a few UTF-8 letters.
//
// With `blur` the same population is written with its evidence blurred as real files blur it:
// dates left out of many births and deaths, the death and burial records of some of the dead
// left out altogether, and some people marked "1 RESN privacy". The truth about everyone (who
// is living, when the dead died) comes back for measuring the privacy rules against.
//
// With `rich` the same population is written as a researcher's GEDCOM 5.5.1 file: 1 to 3
// citations per person (PAGE, some QUAY, DATA with TEXT) of a few thousand shared sources held
// in a few hundred repositories; christenings, burials, censuses, residences, emigration and
// typed EVEN events; engagements and divorces; media records linked from about a tenth of the
// people; other names, nicknames and associations; places "Town, County, Region, Country" of
// a fixed set, half of them with MAP coordinates. Its choices come from a random stream of
// their own, so the people, families and every line of the plain file are there too.
#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <vector>

namespace stirpex::bench {

// The year the generated population lives in: people born before it may still be alive.
inline constexpr int kGeneratorYear = 2024;

struct GeneratorOptions {
  std::uint64_t people = 1000;  // exact number of INDI records
  std::uint64_t seed = 1;
  bool blur = false;
  bool rich = false;
  // Founders (men who marry in from nowhere) are born in these years, one for every
  // people_per_founder people asked for; the generations grow from them until the tree is full.
  int founders_born_from = 1550;
  int founders_born_to = 1700;
  std::uint64_t people_per_founder = 200;
};

// A tree as a user's file is: blurred evidence, and generations that reach the present, so
// that a good share of its people are living.
GeneratorOptions PresentDayTree(std::uint64_t people, std::uint64_t seed);

// Shares of the blur, in percent.
inline constexpr int kBlurBirthDateDropped = 40;  // of births with a date
inline constexpr int kBlurDeathDateDropped = 40;  // of deaths with a date
// Of the dead, no DEAT and no BURI: more of the long dead, whose records are lost, than of
// those who died within living memory.
inline constexpr int kBlurDeathRecordDropped[3] = {30, 20, 10};  // died < 1900, < 1950, later
inline constexpr int kBlurRestricted = 1;                        // of everyone: "1 RESN privacy"

// What is true of one generated person (the file's I<n> is entry n-1).
struct PersonTruth {
  std::int16_t birth_year = 0;
  std::int16_t death_year = 0;  // 0: living
  bool restricted = false;      // written with "1 RESN privacy"
};

// What was written, for checking a load against it.
struct GeneratorCounts {
  std::uint64_t people = 0;
  std::uint64_t families = 0;
  std::uint64_t notes = 0;         // note records (level 0)
  std::uint64_t sources = 0;       // source records
  std::uint64_t repositories = 0;  // repository records
  std::uint64_t media = 0;         // media (OBJE) records
  std::uint64_t lines = 0;
  std::uint64_t bytes = 0;
};

// Writes the file to `out`, and the truth about each person to `truth` when given. Never fails
// by itself; the caller checks the stream.
GeneratorCounts WriteSyntheticGedcom(const GeneratorOptions& options, std::ostream& out,
                                     std::vector<PersonTruth>* truth = nullptr);

// Writes the file at `path` (through a temporary file renamed into place, so an interrupted
// run leaves no half file). False when the file cannot be written.
bool WriteSyntheticGedcomFile(const GeneratorOptions& options, const std::filesystem::path& path,
                              GeneratorCounts* counts = nullptr,
                              std::vector<PersonTruth>* truth = nullptr);

}  // namespace stirpex::bench
