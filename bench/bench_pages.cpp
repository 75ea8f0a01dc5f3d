// Page benchmark: how fast the family pages of a generated tree are built in memory with the
// default style, as the web-site pass builds them (no page person) and as the viewer builds
// them (the husband as the page's person, with notes and pedigree), and the chart pages of
// every family that has them (fan of ancestors, tree of descendants).
//
//   bench_pages [--sizes=100k] [--seed=1] [Google Benchmark flags]
//   bench_pages --smoke    builds the pages of a small file once and checks them, then exits
//
// After the timings a table gives, per size and kind, family pages per second and MB/s of HTML.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "database/database.h"
#include "database/gedcom_reader.h"
#include "pages/chart_pages.h"
#include "pages/family_page.h"
#include "pages/style.h"
#include "settings/settings.h"
#include "support/bench_support.h"
#include "support/best_times.h"

namespace stirpex::bench {
namespace {

const std::filesystem::path kStyle =
    std::filesystem::path(STIRPEX_BENCH_DATA_DIR).parent_path().parent_path() / "styles" /
    "stirp1.sty";

struct Tree {
  Database db;
  TSettings settings;
  TStyle style;
};

bool LoadTree(Tree& tree, const std::filesystem::path& gedcom) {
  NullProgress progress;
  NullMessages messages;
  return LoadStyleFile(tree.style, kStyle, messages) &&
         LoadGedcom(tree.db, gedcom, progress, messages);
}

struct PassResult {
  std::uint64_t pages = 0;
  std::uint64_t bytes = 0;  // HTML, with a line end counted per line
  bool markers_left = false;
};

// Builds the page of every family into one reused list, as a writer would between files.
PassResult BuildAllFamilyPages(const Tree& tree, bool with_person) {
  const PageContext ctx(tree.db, tree.settings, tree.style, SystemClock());
  PassResult result;
  PageLines lines;
  for (const TFamilyRec* family : tree.db.FamilyList()) {
    lines.clear();
    const TPersonRec* person =
        with_person ? (family->Husband ? family->Husband : family->Wife) : nullptr;
    BuildFamilyPage(ctx, *family, person, lines);
    for (std::string_view line : lines) {
      result.bytes += line.size() + 2;
      if (line.find("<!--^") != std::string::npos) result.markers_left = true;
    }
    ++result.pages;
  }
  return result;
}

enum class Chart { kFan, kDescendants };

// Builds the chart page of every family that has one, as the web-site pass does.
PassResult BuildAllChartPages(const Tree& tree, Chart kind) {
  const PageContext ctx(tree.db, tree.settings, tree.style, SystemClock());
  PassResult result;
  PageLines lines;
  for (const TFamilyRec* family : tree.db.FamilyList()) {
    lines.clear();
    if (kind == Chart::kFan) {
      if (FanChartPage(ctx, *family).empty()) continue;
      BuildFanChartPage(ctx, *family, lines);
    } else {
      if (DescendantChartPage(ctx, *family).empty()) continue;
      BuildDescendantChartPage(ctx, *family, lines);
    }
    for (std::string_view line : lines) {
      result.bytes += line.size() + 2;
      if (line.find("<!--^") != std::string::npos) result.markers_left = true;
    }
    ++result.pages;
  }
  return result;
}

void BM_ChartPages(benchmark::State& state, const Tree* tree, Chart kind) {
  PassResult last;
  for (auto _ : state) {
    last = BuildAllChartPages(*tree, kind);
    benchmark::DoNotOptimize(last.bytes);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * last.bytes));
  state.counters["pages/s"] = benchmark::Counter(
      static_cast<double>(state.iterations() * last.pages), benchmark::Counter::kIsRate);
}

void BM_FamilyPages(benchmark::State& state, const Tree* tree, bool with_person) {
  PassResult last;
  for (auto _ : state) {
    last = BuildAllFamilyPages(*tree, with_person);
    benchmark::DoNotOptimize(last.bytes);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * last.bytes));
  state.counters["pages/s"] = benchmark::Counter(
      static_cast<double>(state.iterations() * last.pages), benchmark::Counter::kIsRate);
}

int RunSmoke() {
  Tree tree;
  const std::filesystem::path gedcom = SyntheticGedcom(1000, 1);
  if (gedcom.empty() || !LoadTree(tree, gedcom)) {
    std::fprintf(stderr, "bench_pages --smoke: cannot load the style or the generated file\n");
    return 1;
  }
  int failures = 0;
  for (bool with_person : {false, true}) {
    const PassResult result = BuildAllFamilyPages(tree, with_person);
    if (result.pages != tree.db.FamilyList().size() || result.pages == 0 || result.markers_left ||
        result.bytes < result.pages * 1000) {
      std::fprintf(stderr, "bench_pages --smoke: bad pages (%s)\n",
                   with_person ? "viewer" : "web site");
      ++failures;
    }
  }
  if (failures == 0) std::printf("bench_pages smoke run: OK\n");
  return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace stirpex::bench

int main(int argc, char** argv) {
  using namespace stirpex::bench;
  std::string sizes_text = "100k";
  std::uint64_t seed = 1;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--smoke") == 0) return RunSmoke();
    if (std::strncmp(argv[i], "--sizes=", 8) == 0) {
      sizes_text = argv[i] + 8;
    } else if (std::strncmp(argv[i], "--seed=", 7) == 0) {
      seed = std::strtoull(argv[i] + 7, nullptr, 10);
    } else {
      rest.push_back(argv[i]);
    }
  }
  const std::vector<std::uint64_t> sizes = ParseSizeList(sizes_text);
  if (sizes.empty()) {
    std::fprintf(stderr, "bench_pages: bad --sizes list: %s\n", sizes_text.c_str());
    return 2;
  }

  std::vector<std::unique_ptr<Tree>> trees;
  for (std::uint64_t people : sizes) {
    auto tree = std::make_unique<Tree>();
    const std::filesystem::path gedcom = SyntheticGedcom(people, seed);
    if (gedcom.empty() || !LoadTree(*tree, gedcom)) {
      std::fprintf(stderr, "bench_pages: cannot load the style or %s\n", gedcom.c_str());
      return 1;
    }
    const std::string label = SizeLabel(people);
    benchmark::RegisterBenchmark(("site/" + label).c_str(), BM_FamilyPages, tree.get(), false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("viewer/" + label).c_str(), BM_FamilyPages, tree.get(), true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("fan/" + label).c_str(), BM_ChartPages, tree.get(), Chart::kFan)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("descendants/" + label).c_str(), BM_ChartPages, tree.get(),
                                 Chart::kDescendants)
        ->Unit(benchmark::kMillisecond);
    trees.push_back(std::move(tree));
  }

  int rest_argc = static_cast<int>(rest.size());
  benchmark::Initialize(&rest_argc, rest.data());
  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  benchmark::Shutdown();

  std::printf("\n%8s %12s %10s %12s %10s %14s\n", "people", "kind", "pages", "pages/s", "HTML MB/s",
              "bytes/page");
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    for (const char* kind : {"site", "viewer", "fan", "descendants"}) {
      const double seconds = collector.Seconds(std::string(kind) + "/" + SizeLabel(sizes[i]));
      const std::string_view k = kind;
      const PassResult pass = k == "fan" ? BuildAllChartPages(*trees[i], Chart::kFan)
                              : k == "descendants"
                                  ? BuildAllChartPages(*trees[i], Chart::kDescendants)
                                  : BuildAllFamilyPages(*trees[i], k == "viewer");
      std::printf("%8s %12s %10llu %12.0f %10.1f %14.0f\n", SizeLabel(sizes[i]).c_str(), kind,
                  static_cast<unsigned long long>(pass.pages),
                  seconds > 0 ? static_cast<double>(pass.pages) / seconds : 0.0,
                  seconds > 0 ? static_cast<double>(pass.bytes) / seconds / 1e6 : 0.0,
                  static_cast<double>(pass.bytes) / static_cast<double>(pass.pages));
    }
  }
  return 0;
}
