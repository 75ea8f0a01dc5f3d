// A console reporter for the Google Benchmark programs that also keeps, per benchmark, the best
// processor time of one iteration over all its repetitions. Processor time, because other
// programs on the machine stretch the wall-clock time of a measurement and of its floor
// unevenly; the best wall-clock time too, for measurements whose work is the system's (writing
// files). Header-only: the support library does not link Google Benchmark.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace stirpex::bench {

class Collector : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) continue;
      const double seconds = run.cpu_accumulated_time / static_cast<double>(run.iterations);
      auto [it, added] = best_.emplace(run.run_name.function_name, seconds);
      if (!added) it->second = std::min(it->second, seconds);
      const double wall = run.real_accumulated_time / static_cast<double>(run.iterations);
      auto [w, wall_added] = best_wall_.emplace(run.run_name.function_name, wall);
      if (!wall_added) w->second = std::min(w->second, wall);
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Best time of the named benchmark in seconds; 0 when it did not run.
  double Seconds(const std::string& name) const {
    auto it = best_.find(name);
    return it == best_.end() ? 0.0 : it->second;
  }
  // Best wall-clock time of the named benchmark in seconds; 0 when it did not run.
  double WallSeconds(const std::string& name) const {
    auto it = best_wall_.find(name);
    return it == best_wall_.end() ? 0.0 : it->second;
  }

 private:
  std::map<std::string, double> best_;
  std::map<std::string, double> best_wall_;
};

}  // namespace stirpex::bench
