// EU download files written by the container maker (EU mode) from a 10 MiB
// vehicle unit: the blocks without end markers, filed under the vehicle's
// name, synced. Shown beside AES-192-CBC alone on the same data.
// Goal: at least half the raw cipher's rate, as for the container filing:
// the EU file carries the same content without the cipher, and like the
// container it is written whole and synced before the run ends.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "BenchSupport.h"
#include "oltrex/conversion/ContainerMaker.h"
#include "oltrex/conversion/ConversionContext.h"
#include "oltrex/conversion/KeySets.h"
#include "oltrex/platform/Folders.h"
#include "oltrex/platform/Settings.h"

namespace {

namespace fs = std::filesystem;
using oltrex::bench::Bytes;

const Bytes& testFile() {
    static const Bytes file = oltrex::bench::vehicleUnitFile();
    return file;
}

fs::path programFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : self.parent_path();
}

void RawAes192Cbc(benchmark::State& state) {
    const Bytes& data = testFile();
    const oltrex::KeySet keys = oltrex::keySet(oltrex::KeySetId::ContainerB);
    Bytes out(data.size() + 16);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    for (auto _ : state) {
        int n1 = 0, n2 = 0;
        EVP_EncryptInit_ex(ctx, EVP_aes_192_cbc(), nullptr,
                           reinterpret_cast<const unsigned char*>(keys.key.data()),
                           reinterpret_cast<const unsigned char*>(keys.iv.data()));
        EVP_EncryptUpdate(ctx, out.data(), &n1, data.data(), static_cast<int>(data.size()));
        EVP_EncryptFinal_ex(ctx, out.data() + n1, &n2);
        benchmark::DoNotOptimize(out.data());
    }
    EVP_CIPHER_CTX_free(ctx);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(data.size()));
}

// One EU file per iteration: the local file is written anew (untimed, the
// maker consumes it), the EU file made, and removed again (untimed).
void EuFileWriting(benchmark::State& state) {
    std::error_code ec;
    const fs::path base =
        oltrex::createPrivateFolder(oltrex::systemTempFolder(), "oltrex-bench-eu-", ec);
    const fs::path work = base / "work";
    const fs::path containers = base / "containers";
    fs::create_directory(work, ec);
    fs::permissions(work, fs::perms::owner_all, fs::perm_options::replace, ec);
    fs::create_directories(containers / "EU", ec);
    oltrex::MemorySettings settings;
    settings.set(oltrex::kTachographSettingsPath, "ContainerPath", containers.string());
    oltrex::ContextOptions options;
    options.settings = &settings;
    options.workFolder = work;
    options.cipherLibrary = (programFolder() / "libhime.so").string();
    oltrex::ConversionContext context(options);
    if (!context.usable()) {
        state.SkipWithError("libhime.so is not usable next to the benchmark");
        fs::remove_all(base, ec);
        return;
    }
    const Bytes& file = testFile();
    const fs::path local = work / "V_B_OX_1000_622B5715";
    for (auto _ : state) {
        state.PauseTiming();
        {
            std::ofstream out(local, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(file.data()),
                      static_cast<std::streamsize>(file.size()));
        }
        std::string path = local.string();
        state.ResumeTiming();
        context.mode = 1;
        const int result = oltrex::buildContainer(context, path, "V", 120);
        state.PauseTiming();
        if (result != 0) {
            state.SkipWithError("the EU file was not made");
            break;
        }
        fs::remove(path, ec);
        state.ResumeTiming();
    }
    fs::remove_all(base, ec);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(file.size()));
}

BENCHMARK(EuFileWriting)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(RawAes192Cbc)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

// Plain console output (no colours), so that the goal line stands alone.
class Rates : public benchmark::ConsoleReporter {
  public:
    Rates() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            const auto it = run.counters.find("bytes_per_second");
            if (it != run.counters.end())
                rates[run.run_name.function_name] = it->second.value / 1e6;
        }
    }
    std::map<std::string, double> rates;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Rates rates;
    benchmark::RunSpecifiedBenchmarks(&rates);
    benchmark::Shutdown();
    if (rates.rates.count("EuFileWriting") && rates.rates.count("RawAes192Cbc")) {
        const double eu = rates.rates["EuFileWriting"], raw = rates.rates["RawAes192Cbc"];
        oltrex::bench::goalLine("EU file writing, 10 MiB vehicle unit",
                                oltrex::bench::formatted("%.0f MB/s", eu) + " (AES-192-CBC alone " +
                                    oltrex::bench::formatted("%.0f MB/s", raw) + ")",
                                ">= 0.50 x the AES-192-CBC rate", eu >= 0.5 * raw);
    }
    return 0;
}
