// Shared pieces of the benchmark programs (bench/bench_*.cpp): where the generated GEDCOM
// files live, how to get one of a given size, and how to measure the peak memory of a piece
// of work.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace stirpex::bench {

// bench/data in the source tree (git-ignored).
std::filesystem::path BenchDataDir();

// The synthetic GEDCOM file of `people` people made with `seed` (a rich one with `rich`, see
// GeneratorOptions), under BenchDataDir(); made first (with a line on standard error) when it
// is not there yet. Empty when it cannot be written.
std::filesystem::path SyntheticGedcom(std::uint64_t people, std::uint64_t seed = 1,
                                      bool rich = false);

// A UTF-16LE copy (with byte-order mark) of a UTF-8 file, beside it as "<name>-utf16le.ged";
// made first (with a line on standard error) when it is not there yet. Empty when it cannot
// be written.
std::filesystem::path Utf16Copy(const std::filesystem::path& utf8_file);

// Runs `work` in a child process and returns by how many bytes its resident memory grew at
// its peak (peak resident set minus the resident set before the work); -1 when the child
// could not be run or failed. The work's results die with the child.
long long PeakMemoryIncrease(const std::function<void()>& work);

// "1000,10000" -> {1000, 10000}; accepts k and M suffixes ("1k,1M"). Empty on a bad list.
std::vector<std::uint64_t> ParseSizeList(const std::string& text);

// 1000 -> "1k", 1000000 -> "1M", 2500 -> "2500".
std::string SizeLabel(std::uint64_t n);

}  // namespace stirpex::bench
