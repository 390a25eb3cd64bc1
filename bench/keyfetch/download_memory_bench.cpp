// Peak memory of KeyFetch's headless download of a 10 MiB vehicle unit: the
// program is run on a simulated key holding that one file (container and EU
// file), and its peak resident set is read when it ends (wait4). The same
// program on a key with a small file shows what the program needs anyway.
// Goal: at most 64 MiB: the program's own few MiB and the file held a few
// times over (read, scanned, encrypted), never many times.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "oltrex/platform/Folders.h"
#include "oltrex/simkey/KeyFolder.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using oltrex::bench::Bytes;

fs::path programFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : self.parent_path();
}

struct Run {
    bool ok = false;
    double peakMiB = 0;
    double seconds = 0;
};

// One download of a fresh key holding `file`; KeyFetch's peak resident set.
Run downloadOnce(const Bytes& file) {
    Run run;
    std::error_code ec;
    const fs::path base =
        oltrex::createPrivateFolder(oltrex::systemTempFolder(), "oltrex-bench-dl-", ec);
    if (base.empty()) return run;
    oltrex::simkey::KeyIdentity id;
    fs::create_directories(base / "containers", ec);
    fs::create_directories(base / "tmp", ec);
    if (!oltrex::simkey::createKey(base / "key", id) ||
        !oltrex::simkey::writeKeyFile(base / "key", "V_BOX1000_622B5715", file)) {
        fs::remove_all(base, ec);
        return run;
    }
    {
        std::ofstream ini(base / "registry.ini");
        ini << "[Software\\OLTREX\\Tachograph]\nContainerPath=" << (base / "containers").string()
            << "\nInstTyp=\n[Software\\OLTREX\\OLTREX-KEY]\nMakeEU=1\nNoDelete=0\nLanguage=DE\n";
    }
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.rfind("OLTREX_", 0) == 0 || entry.rfind("TMPDIR=", 0) == 0) continue;
        env.push_back(entry);
    }
    env.push_back("OLTREX_REGISTRY=" + (base / "registry.ini").string());
    env.push_back("OLTREX_KEY=" + (base / "key").string());
    env.push_back("TMPDIR=" + (base / "tmp").string());
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string program = (programFolder() / "KeyFetch").string();
    std::vector<std::string> args = {program,          "--headless", "--start",   "--make-eu",
                                     "--tick-ms",      "10",         "--display", "lines",
                                     "--wait-seconds", "30"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        rusage usage{};
        if (::wait4(pid, &status, 0, &usage) == pid) {
            run.seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
            run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
                     oltrex::simkey::listKeyFiles(base / "key").empty();
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    fs::remove_all(base, ec);
    return run;
}

std::map<std::string, double> gPeak;

void Download(benchmark::State& state, std::size_t size, const char* name) {
    const Bytes file = oltrex::bench::vehicleUnitFile(size);
    double peak = 0;
    for (auto _ : state) {
        const Run run = downloadOnce(file);
        if (!run.ok) {
            state.SkipWithError("the download did not file the file");
            return;
        }
        state.SetIterationTime(run.seconds);
        peak = std::max(peak, run.peakMiB);
    }
    state.counters["peak_MiB"] = peak;
    state.counters["file_MiB"] = static_cast<double>(size) / (1 << 20);
    gPeak[name] = peak;
}

void DownloadTenMiB(benchmark::State& state) {
    Download(state, oltrex::bench::kTenMiB, "ten");
}
void DownloadSmallFile(benchmark::State& state) {
    Download(state, 64 * 1024, "small");
}

BENCHMARK(DownloadSmallFile)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(DownloadTenMiB)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::ConsoleReporter plain(benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&plain);
    benchmark::Shutdown();
    if (gPeak.count("ten")) {
        const double ten = gPeak["ten"];
        std::string figure = oltrex::bench::formatted("%.1f MiB", ten);
        if (gPeak.count("small"))
            figure += " (" + oltrex::bench::formatted("%.1f MiB", gPeak["small"]) +
                      " with a 64 KiB file)";
        oltrex::bench::goalLine("Peak memory of the headless download of a 10 MiB file", figure,
                                "<= 64 MiB", ten <= 64.0);
    }
    return 0;
}
