#pragma once
// Runs the registered benchmarks and prints, after the usual table, the ratio of two of
// them measured side by side in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vexa::bench {

class CollectingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration && !run.error_occurred)
        nsPerIteration[run.benchmark_name()] = run.GetAdjustedRealTime();  // in the run's time unit (ns)
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> nsPerIteration;
};

// pairs: {subject, reference, what the ratio means}
inline int RunWithRatios(int argc, char** argv,
                         const std::vector<std::pair<std::pair<std::string, std::string>, std::string>>& pairs) {
  benchmark::Initialize(&argc, argv);
  CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const auto& [names, meaning] : pairs) {
    const auto a = reporter.nsPerIteration.find(names.first);
    const auto b = reporter.nsPerIteration.find(names.second);
    if (a == reporter.nsPerIteration.end() || b == reporter.nsPerIteration.end() || b->second <= 0) continue;
    std::printf("RATIO %s / %s = %.2f  (%s)\n", names.first.c_str(), names.second.c_str(), a->second / b->second,
                meaning.c_str());
  }
  benchmark::Shutdown();
  return 0;
}

}  // namespace vexa::bench
