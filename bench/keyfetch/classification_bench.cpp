// The classification of downloaded files: a 10 MiB vehicle unit walked block
// by block (with its technical-data tag normalised), and the card test and
// conversion of a generation-2 driver card of about 70 KB.
// Goals: the block walk at least 500 MB/s, so that it never weighs against
// the container filing (which runs at the cipher's rate, a few hundred
// MB/s); a card classified and converted in at most 2 ms.
#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "BenchSupport.h"
#include "oltrex/keyfetch/Classification.h"
#include "oltrex/testdata/CardBuilder.h"

namespace {

using oltrex::bench::Bytes;

void ClassifyVehicleUnit(benchmark::State& state) {
    const Bytes original = oltrex::bench::vehicleUnitFile();
    Bytes file;
    Bytes cardImage;
    bool rewritten = false;
    for (auto _ : state) {
        state.PauseTiming();
        file = original;  // classification rewrites the file in place
        state.ResumeTiming();
        const char letter = oltrex::classifyBytes(file, cardImage, rewritten);
        benchmark::DoNotOptimize(letter);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(original.size()));
}

void ClassifyAndConvertCard(benchmark::State& state) {
    oltrex::testdata::CardOptions options;
    options.type = oltrex::testdata::CardType::Driver;
    options.generation = oltrex::testdata::Generation::Second;
    const Bytes original = oltrex::testdata::buildCardFile(options).bytes;
    Bytes file;
    Bytes cardImage;
    bool rewritten = false;
    for (auto _ : state) {
        state.PauseTiming();
        file = original;
        state.ResumeTiming();
        oltrex::classifyBytes(file, cardImage, rewritten);
        if (cardImage.empty()) {
            state.SkipWithError("the card was not converted");
            break;
        }
        benchmark::DoNotOptimize(cardImage.data());
    }
    state.counters["card_bytes"] = static_cast<double>(original.size());
}

BENCHMARK(ClassifyVehicleUnit)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(ClassifyAndConvertCard)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

// Plain console output (no colours), so that the goal line stands alone.
class Results : public benchmark::ConsoleReporter {
  public:
    Results() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            const auto rate = run.counters.find("bytes_per_second");
            if (rate != run.counters.end())
                rates[run.run_name.function_name] = rate->second.value / 1e6;
            // Real time per iteration in the benchmark's unit.
            times[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
    }
    std::map<std::string, double> rates, times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Results results;
    benchmark::RunSpecifiedBenchmarks(&results);
    benchmark::Shutdown();

    using oltrex::bench::formatted;
    if (results.rates.count("ClassifyVehicleUnit")) {
        const double mbs = results.rates["ClassifyVehicleUnit"];
        oltrex::bench::goalLine("Classification of a 10 MiB vehicle unit",
                                formatted("%.0f MB/s", mbs), ">= 500 MB/s", mbs >= 500);
    }
    if (results.times.count("ClassifyAndConvertCard")) {
        const double ms = results.times["ClassifyAndConvertCard"] / 1000.0;
        oltrex::bench::goalLine("Card test and conversion of a generation-2 driver card",
                                formatted("%.2f ms", ms), "<= 2 ms", ms <= 2.0);
    }
    return 0;
}
