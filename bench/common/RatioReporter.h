#pragma once
// Console reporter that also prints every case's cost per stereo frame as a
// ratio to the "FiltersOnly" case of the same run (the two filters' own
// dependency chains, the floor under every routed case), then the median
// and the worst ratio over the cases named as programs. With repetitions
// the medians are used. Cases report their cost in the counter
// "ns_per_frame".
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench_support {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Cases whose name contains `programTag` count as programs.
  explicit RatioReporter(std::string programTag) : programTag_(std::move(programTag)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      const auto counter = run.counters.find("ns_per_frame");
      if ((!median && !single) || counter == run.counters.end()) continue;
      const std::string name = run.run_name.str();
      if (!costs_.count(name)) order_.push_back(name);
      costs_[name] = {counter->second.value, run.report_label};
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto reference = costs_.find("FiltersOnly");
    if (reference == costs_.end() || !(reference->second.ns > 0.0)) return;
    std::printf("\n%-40s %10s %8s\n", "case (median)", "ns/frame", "ratio");
    std::vector<double> programRatios;
    for (const std::string& name : order_) {
      const Cost& c = costs_[name];
      const double ratio = c.ns / reference->second.ns;
      std::printf("%-40s %10.2f %8.3f  %s\n", name.c_str(), c.ns, ratio, c.label.c_str());
      if (name.find(programTag_) != std::string::npos) programRatios.push_back(ratio);
    }
    if (programRatios.empty()) return;
    std::sort(programRatios.begin(), programRatios.end());
    const size_t n = programRatios.size();
    const double median =
        n % 2 ? programRatios[n / 2] : 0.5 * (programRatios[n / 2 - 1] + programRatios[n / 2]);
    std::printf("programs: %zu  median ratio %.3f  worst ratio %.3f\n", n, median, programRatios.back());
  }

 private:
  struct Cost {
    double ns = 0.0;
    std::string label;
  };
  std::string programTag_;
  std::map<std::string, Cost> costs_;
  std::vector<std::string> order_;
};

// main() for a benchmark program that prints the ratio table.
inline int RunWithRatios(int argc, char** argv, const char* programTag) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter(programTag);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace bench_support
