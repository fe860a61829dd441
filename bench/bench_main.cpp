// Runs every benchmark and ends with the summary the README's Performance
// section shows: pass/floor per situation, the module's heap use per pass,
// and the settings load's throughput against inih.
//
// Unless told otherwise, each benchmark runs five times, interleaved at random
// with the others so that a slow spell of the machine does not fall on one
// side of a ratio, and the summary reads the medians.
#include "bench.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// Each benchmark's counters, from its median run (or its only run).
class Collector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (run.error_occurred) {
                failed.insert(run.run_name.function_name);
            } else if (median || single) {
                auto& counters = results[run.run_name.function_name];
                for (const auto& [name, counter] : run.counters) {
                    counters[name] = counter.value;
                }
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    [[nodiscard]] bool anyFailed() const { return !failed.empty(); }

    // The counters of a benchmark that ran without error, or null.
    const std::map<std::string, double>* find(const std::string& name) const {
        const auto found = results.find(name);
        return found == results.end() || failed.contains(name) ? nullptr : &found->second;
    }

private:
    std::map<std::string, std::map<std::string, double>> results;
    std::set<std::string> failed;
};

const char* verdict(bool met) {
    return met ? "met" : "MISSED";
}

void printSummary(const Collector& collector) {
    std::printf("\nSummary (medians; CPU time of the benchmark thread)\n\n");
    std::printf("| situation | native calls | pass | floor | pass/floor (target <= 1.10) "
                "| allocations/pass | bytes/pass | bytes kept | heap (target: the two "
                "catalogues at most, nothing kept) |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    for (const char* situation : bench::situations) {
        const auto* c = collector.find(bench::loopPassName(situation));
        if (c == nullptr) {
            std::printf("| %s | not measured ||||||||\n", situation);
            continue;
        }
        const double ratio = c->at(bench::passOverFloor);
        const double allocations = c->at(bench::allocationsPerPass);
        const double bytes = c->at(bench::bytesPerPass);
        const double kept = c->at(bench::bytesKept);
        // A catalogue is one array of 67 four-byte hashes.
        const bool heapMet = allocations <= 2.0 && bytes <= 2.0 * 67 * 4 && kept == 0.0;
        std::printf("| %s | %.0f | %.0f us | %.0f us | %.3f (%s) | %.2f | %.0f | %.0f | %s |\n",
                    situation, c->at(bench::callsPerPass), c->at(bench::passMicroseconds),
                    c->at(bench::floorMicroseconds), ratio, verdict(ratio <= 1.10), allocations,
                    bytes, kept, verdict(heapMet));
    }
    const auto* c = collector.find(bench::settingsLoadName);
    if (c == nullptr) {
        std::printf("\nsettings load: not measured\n");
        return;
    }
    const double mebibytes = c->at(bench::fileBytes) / (1024.0 * 1024.0);
    const double ratio = c->at(bench::moduleOverInih);
    std::printf("\n| settings file of %.2f MiB | time | throughput |\n|---|---|---|\n", mebibytes);
    std::printf("| loadSettings (module) | %.2f ms | %.0f MiB/s |\n",
                c->at(bench::moduleMilliseconds),
                mebibytes / c->at(bench::moduleMilliseconds) * 1e3);
    std::printf("| ini_parse (inih), keeping every value | %.2f ms | %.0f MiB/s |\n",
                c->at(bench::inihMilliseconds), mebibytes / c->at(bench::inihMilliseconds) * 1e3);
    std::printf("\nthroughput module/inih: %.3f (target >= 1.00: %s)\n", ratio,
                verdict(ratio >= 1.0));
}

bool given(int argc, char** argv, const char* flag) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=5";
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    if (!given(argc, argv, "--benchmark_repetitions")) {
        args.push_back(repetitions.data());
    }
    if (!given(argc, argv, "--benchmark_enable_random_interleaving")) {
        args.push_back(interleave.data());
    }
    if (!given(argc, argv, "--benchmark_report_aggregates_only")) {
        args.push_back(aggregates.data());
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) {
        return 1;
    }
    bench::registerLoopPassBenchmarks();
    bench::registerSettingsLoadBenchmarks();
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    printSummary(collector);
    benchmark::Shutdown();
    // A benchmark that could not measure (say, a floor that no longer repeats
    // its pass) fails the run; a missed target does not, timings being noisy.
    return collector.anyFailed() ? 1 : 0;
}
