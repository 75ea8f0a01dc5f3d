// Synthetic GEDCOM files of our own for benchmarks: a population of invented people grown
// generation by generation from founder couples, with marriages, remarriages, children, dates
// and places, occupations, burials, inline notes and note records with CONT and CONC lines.
//
// The output depends only on the options (its own random generator, no library
// distributions), so a seed and a size always give the same bytes on every machine. Lines end
// with CR LF; names and places hold a few UTF-8 letters.
#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>

namespace stirpex::bench {

struct GeneratorOptions {
  std::uint64_t people = 1000;  // exact number of INDI records
  std::uint64_t seed = 1;
};

// What was written, for checking a load against it.
struct GeneratorCounts {
  std::uint64_t people = 0;
  std::uint64_t families = 0;
  std::uint64_t notes = 0;  // note records (level 0)
  std::uint64_t lines = 0;
  std::uint64_t bytes = 0;
};

// Writes the file to `out`. Never fails by itself; the caller checks the stream.
GeneratorCounts WriteSyntheticGedcom(const GeneratorOptions& options, std::ostream& out);

// Writes the file at `path` (through a temporary file renamed into place, so an interrupted
// run leaves no half file). False when the file cannot be written.
bool WriteSyntheticGedcomFile(const GeneratorOptions& options, const std::filesystem::path& path,
                              GeneratorCounts* counts = nullptr);

}  // namespace stirpex::bench
