// How close a firmware transfer comes to the speed of the serial line.
//
// Flashes a 45096-byte image through the D2XX stand-in into oltrex-bootsim
// pacing at 115200 baud (10 bits a byte) and reports:
//   wall_s     the time of the transfer
//   bound_s    the line-rate bound: stuffed bytes on the line in both
//              directions x 10 bits / 115200
//   ratio      wall_s / bound_s (goal: at most 1.10)
//   cpu_share  CPU time of the flashing process / wall time (goal: at most 0.05)
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "oltrex/device/D2xxComPort.h"
#include "oltrex/transfer/ComTask.h"
#include "oltrex/transfer/LogTransferEvents.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace oltrex;

constexpr double kBaud = 115200.0;

// Counts the line bytes in both directions.
class CountingPort final : public ComPort {
public:
    explicit CountingPort(ComPort& inner) : inner_(inner) {}
    int open(const MessageSink& message) override { return inner_.open(message); }
    int readByte() override {
        const int b = inner_.readByte();
        if (b >= 0) ++received;
        return b;
    }
    void write(const std::uint8_t* bytes, std::size_t size) override {
        sent += size;
        inner_.write(bytes, size);
    }
    void close() override { inner_.close(); }
    std::string description() const override { return inner_.description(); }
    std::size_t sent = 0;
    std::size_t received = 0;

private:
    ComPort& inner_;
};

std::vector<std::uint8_t> makeImage() {
    std::vector<std::uint8_t> image(45096);
    std::mt19937 random(45096);
    for (auto& b : image) b = static_cast<std::uint8_t>(random());
    const std::string label = "ComP FW-0120";
    std::copy(label.begin(), label.end(), image.begin() + 0x400);
    return image;
}

fs::path programFolder() { return fs::read_symlink("/proc/self/exe").parent_path(); }

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

pid_t startSimulator(const fs::path& link) {
    std::vector<std::string> args = {(programFolder() / "oltrex-bootsim").string(), "--link",
                                     link.string(), "--pace", "115200", "--idle-timeout", "30"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return 0;
    for (int i = 0; i < 300; ++i) {
        struct stat st {};
        if (::lstat(link.c_str(), &st) == 0) return pid;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    return 0;
}

void FlashImageAt115200Baud(benchmark::State& state) {
    const std::vector<std::uint8_t> image = makeImage();
    std::string pattern = (fs::temp_directory_path() / "oltrex-flash-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const fs::path folder = pattern;
    const fs::path link = folder / "ttyOltrexKey";
    ::setenv("OLTREX_FTDI_PORT", link.c_str(), 1);

    for (auto _ : state) {
        const pid_t simulator = startSimulator(link);
        if (simulator == 0) {
            state.SkipWithError("oltrex-bootsim did not start");
            break;
        }
        TransferLog log;
        log.openFresh(folder);
        LogTransferEvents events(log);
        LinkedD2xxDevice device;
        D2xxComPort d2xx(device);
        CountingPort port(d2xx);
        ComTask task(port, systemClock(), events);
        task.setImage({image.data(), static_cast<std::uint32_t>(image.size()), "ComP FW-0120"});
        task.setState(eStart);

        const double cpuBefore = cpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        int result = 0;
        while (result == 0) result = task.step();
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = cpuSeconds() - cpuBefore;
        log.close();
        ::waitpid(simulator, nullptr, 0);
        if (result != 1) {
            std::fprintf(stderr, "transfer failed; its log stays in %s\n", folder.c_str());
            state.SkipWithError("transfer failed");
            ::unsetenv("OLTREX_FTDI_PORT");
            return;
        }

        const double bound = static_cast<double>(port.sent + port.received) * 10.0 / kBaud;
        state.SetIterationTime(wall);
        state.counters["wall_s"] = wall;
        state.counters["bound_s"] = bound;
        state.counters["ratio"] = wall / bound;
        state.counters["cpu_s"] = cpu;
        state.counters["cpu_share"] = cpu / wall;
        state.counters["line_bytes"] = static_cast<double>(port.sent + port.received);
        std::printf("transfer %.3f s, line-rate bound %.3f s (%zu bytes sent, %zu received), "
                    "ratio %.3f (goal <= 1.10), CPU %.3f s = %.1f %% of wall (goal <= 5 %%)\n",
                    wall, bound, port.sent, port.received, wall / bound, cpu, 100.0 * cpu / wall);
    }
    ::unsetenv("OLTREX_FTDI_PORT");
    std::error_code ec;
    fs::remove_all(folder, ec);
}

BENCHMARK(FlashImageAt115200Baud)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
