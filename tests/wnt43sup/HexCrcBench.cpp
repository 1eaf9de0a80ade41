// Benchmark of the HEX CRC on ordered, reversed and shuffled applications of 36 KB and 64 KB,
// indexed against rescanning, with the cost of each order relative to the ordered file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "tests/wnt43sup/HexCrcOracle.h"
#include "tests/wnt43sup/HexFiles.h"
#include "wnt43sup/HexCrc.h"

using namespace hexcrc_test;

namespace {

struct BenchApp {
  const char* size;  // "36KB": 7000 to FFFF; "64KB": 0000 to FFFF
  std::uint16_t beginning;
};
const BenchApp kApplications[] = {{"36KB", 0x7000}, {"64KB", 0x0000}};
const std::pair<Order, const char*> kOrders[] = {{Order::kAscending, "ordered"},
                                                 {Order::kDescending, "reversed"},
                                                 {Order::kShuffled, "shuffled"}};

// Keeps the CPU time per iteration of every run, in seconds, by name. CPU time rather than
// wall time, so that other work on the machine disturbs the ratios less.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_Defaults : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      times_[run.benchmark_name()] =
          run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    std::printf("\nCPU time relative to the ordered file of the same size:\n");
    for (const char* method : {"indexed", "rescanning"}) {
      for (const BenchApp& app : kApplications) {
        const std::string base = std::string(method) + "/" + app.size + "/";
        const auto ordered = times_.find(base + "ordered");
        if (ordered == times_.end()) continue;
        for (const char* order : {"reversed", "shuffled"}) {
          const auto other = times_.find(base + order);
          if (other == times_.end()) continue;
          std::printf("  %-28s %8.2fx\n", (base + order).c_str(), other->second / ordered->second);
        }
      }
    }
    std::printf("CPU time of rescanning relative to indexed:\n");
    for (const BenchApp& app : kApplications) {
      for (const auto& [order, name] : kOrders) {
        const std::string tail = std::string(app.size) + "/" + name;
        const auto indexed = times_.find("indexed/" + tail);
        const auto rescanning = times_.find("rescanning/" + tail);
        if (indexed == times_.end() || rescanning == times_.end()) continue;
        std::printf("  %-28s %8.0fx\n", tail.c_str(), rescanning->second / indexed->second);
      }
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  const Image image = RandomImage(8343);
  std::vector<std::string> texts;
  texts.reserve(6);
  for (const BenchApp& app : kApplications) {
    for (const auto& [order, name] : kOrders) {
      std::vector<HexRecord> records = hexcrc_test::Application(image, app.beginning, 0x10000);
      Reorder(records, order);
      const std::string& text = texts.emplace_back(HexText(records));
      const std::string tail = std::string(app.size) + "/" + name;
      benchmark::RegisterBenchmark(("indexed/" + tail).c_str(), [&text](benchmark::State& state) {
        for (auto _ : state) benchmark::DoNotOptimize(wnt43sup::ComputeHexCrc(text));
        state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
      })->Unit(benchmark::kMicrosecond);
      benchmark::RegisterBenchmark(("rescanning/" + tail).c_str(), [&text](
                                                                       benchmark::State& state) {
        for (auto _ : state) benchmark::DoNotOptimize(RescanHexCrc(text));
        state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
      })->Unit(benchmark::kMillisecond);
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
