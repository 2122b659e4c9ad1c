#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

// Prints the usual table, then each benchmark's time as a ratio to its baseline measured in
// the same run, so figures compare across machines and loads.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}

  // `name` is reported as a ratio to `baseline`, both as "Function/args", with "_median" and
  // the like for the statistics of repeated runs.
  void Compare(std::string name, std::string baseline) {
    pairs_.emplace_back(std::move(name), std::move(baseline));
  }

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      std::string key = run.run_name.function_name + "/" + run.run_name.args;
      if (!run.aggregate_name.empty()) key += "_" + run.aggregate_name;
      times_[key] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const auto& [name, baseline] : pairs_) {
      if (!times_.contains(name) || !times_.contains(baseline)) continue;
      GetOutputStream() << "ratio " << name << " / " << baseline << " = "
                        << times_[name] / times_[baseline] << "\n";
    }
  }

 private:
  std::vector<std::pair<std::string, std::string>> pairs_;
  std::map<std::string, double> times_;
};
