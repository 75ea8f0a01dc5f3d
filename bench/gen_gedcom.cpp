// stirpex-gen-gedcom: writes a synthetic GEDCOM file of invented people for benchmarks.
//
//   stirpex-gen-gedcom --people 1M [--seed 1] [--blur] [--rich] [--out FILE]
//
// Without --out the file goes to bench/data/synthetic-<size>-s<seed>.ged (with --blur,
// synthetic-blur-<size>-s<seed>.ged; with --rich, synthetic-rich-...). The same size, seed and
// options always give the same bytes.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "support/bench_support.h"
#include "support/gedcom_generator.h"

int main(int argc, char** argv) {
  using namespace stirpex::bench;
  CLI::App app{"Writes a synthetic GEDCOM file of invented people for benchmarks.",
               "stirpex-gen-gedcom"};
  std::string people_text = "1k";
  std::uint64_t seed = 1;
  std::string out;
  app.add_option("--people", people_text, "Number of people (1000, 10k, 1M ...)")
      ->capture_default_str();
  app.add_option("--seed", seed, "Seed of the random choices")->capture_default_str();
  bool blur = false;
  app.add_flag("--blur", blur,
               "A present-day tree (founders born 1700-1800, so that many people live) with the "
               "evidence blurred as real files blur it: dates dropped from many births and "
               "deaths, the death and burial records of some of the dead dropped, some RESN "
               "privacy");
  bool rich = false;
  app.add_flag("--rich", rich,
               "Write a researcher's GEDCOM 5.5.1 file: citations of shared sources with "
               "repositories, more events, media records, other names, associations, places "
               "with coordinates");
  app.add_option("--out", out, "File to write (default: bench/data/synthetic-SIZE-sSEED.ged)");
  CLI11_PARSE(app, argc, argv);

  const std::vector<std::uint64_t> sizes = ParseSizeList(people_text);
  if (sizes.size() != 1) {
    std::fprintf(stderr, "stirpex-gen-gedcom: --people takes one number, such as 1000 or 1M\n");
    return 2;
  }
  // A blurred tree is a present-day one, with living people (the tree bench_presumed_dead
  // measures the auto filter on).
  GeneratorOptions options = blur ? PresentDayTree(sizes[0], seed) : GeneratorOptions{};
  options.people = sizes[0];
  options.seed = seed;
  options.rich = rich;
  const std::string name = std::string("synthetic-") + (blur ? "blur-" : "") +
                           (rich ? "rich-" : "") + SizeLabel(options.people) + "-s" +
                           std::to_string(seed) + ".ged";
  const std::filesystem::path path =
      out.empty() ? BenchDataDir() / name : std::filesystem::path(out);
  GeneratorCounts counts;
  if (!WriteSyntheticGedcomFile(options, path, &counts)) {
    std::fprintf(stderr, "stirpex-gen-gedcom: cannot write %s\n", path.c_str());
    return 1;
  }
  std::printf("%s: %llu people, %llu families, %llu note records, %llu lines, %llu bytes\n",
              path.c_str(), static_cast<unsigned long long>(counts.people),
              static_cast<unsigned long long>(counts.families),
              static_cast<unsigned long long>(counts.notes),
              static_cast<unsigned long long>(counts.lines),
              static_cast<unsigned long long>(counts.bytes));
  if (rich) {
    std::printf("%llu source, %llu repository and %llu media records\n",
                static_cast<unsigned long long>(counts.sources),
                static_cast<unsigned long long>(counts.repositories),
                static_cast<unsigned long long>(counts.media));
  }
  return 0;
}
