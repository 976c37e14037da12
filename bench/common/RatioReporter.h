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
      const bool aggregate = run.run_type == Run::RT_Aggregate;
      const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      const auto counter = run.counters.find("ns_per_frame");
      if (counter == run.counters.end()) continue;
      const std::string name = run.run_name.str();
      if (!costs_.count(name)) order_.push_back(name);
      Cost& cost = costs_[name];
      cost.label = run.report_label;
      if (single || (aggregate && run.aggregate_name == "median")) cost.ns = counter->second.value;
      if (single || (aggregate && run.aggregate_name == "min")) cost.minimum = counter->second.value;
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto reference = costs_.find("FiltersOnly");
    if (reference == costs_.end() || !(reference->second.ns > 0.0)) return;
    const Cost& ref = reference->second;
    std::printf("\n%-36s %10s %8s %10s %8s\n", "case", "median ns", "ratio", "min ns", "ratio");
    std::vector<double> ratios, minimumRatios;
    for (const std::string& name : order_) {
      const Cost& c = costs_[name];
      const double ratio = c.ns / ref.ns;
      const double minimumRatio = c.minimum / ref.minimum;
      std::printf("%-36s %10.2f %8.3f %10.2f %8.3f  %s\n", name.c_str(), c.ns, ratio, c.minimum, minimumRatio,
                  c.label.c_str());
      if (name.find(programTag_) != std::string::npos) {
        ratios.push_back(ratio);
        minimumRatios.push_back(minimumRatio);
      }
    }
    if (ratios.empty()) return;
    std::printf("programs: %zu  median ratio %.3f  worst %.3f   (from minima: median %.3f  worst %.3f)\n",
                ratios.size(), Median(ratios), Worst(ratios), Median(minimumRatios), Worst(minimumRatios));
  }

 private:
  struct Cost {
    double ns = 0.0;       // median over the repetitions
    double minimum = 0.0;  // fastest repetition: least disturbed by other load
    std::string label;
  };
  static double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
  }
  static double Worst(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }
  std::string programTag_;
  std::map<std::string, Cost> costs_;
  std::vector<std::string> order_;
};

inline void AddMinimum(benchmark::internal::Benchmark* b) {
  b->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
}

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
