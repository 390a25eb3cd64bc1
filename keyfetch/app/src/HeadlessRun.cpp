#include "oltrex/keyfetch/console/HeadlessRun.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <set>

#include "oltrex/conversion/ConversionContext.h"
#include "oltrex/keyfetch/ActivityBar.h"
#include "oltrex/keyfetch/ContainerStore.h"
#include "oltrex/keyfetch/FileDownload.h"
#include "oltrex/keyfetch/SessionPoller.h"
#include "oltrex/keyfetch/console/ConsoleView.h"

namespace oltrex::console {
namespace {

using SteadyClock = std::chrono::steady_clock;

// Hands the poller's views to the main thread and wakes it; a stop request
// wakes it too.
class ViewMailbox {
  public:
    void post(const SessionView& view) {
        {
            std::lock_guard lock(mutex_);
            views_.push_back(view);
        }
        changed_.notify_one();
    }
    void wake() {
        {
            std::lock_guard lock(mutex_);
            woken_ = true;
        }
        changed_.notify_one();
    }
    // Waits until views arrive, wake() is called or `deadline` passes.
    void waitUntil(SteadyClock::time_point deadline) {
        std::unique_lock lock(mutex_);
        changed_.wait_until(lock, deadline, [this] { return woken_ || !views_.empty(); });
        woken_ = false;
    }
    std::vector<SessionView> take() {
        std::lock_guard lock(mutex_);
        std::vector<SessionView> out;
        out.swap(views_);
        return out;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool woken_ = false;
    std::vector<SessionView> views_;
};

std::string plural(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

void StopRequest::request() {
    std::lock_guard lock(mutex_);
    requested_ = true;
    if (wake_) wake_();
}

bool StopRequest::requested() const {
    std::lock_guard lock(mutex_);
    return requested_;
}

void StopRequest::onRequest(std::function<void()> wake) {
    std::lock_guard lock(mutex_);
    wake_ = std::move(wake);
}

int exitStatusOf(const RunSummary& run) {
    if (!run.started) return kExitNoDownload;
    if (run.allFiled()) return kExitAllFiled;
    const bool everyFileHandled =
        run.finished && static_cast<int>(run.files.size()) == run.listed &&
        std::all_of(run.files.begin(), run.files.end(), [](const FileReport& f) {
            return f.filed() || f.outcome == FileOutcome::Kept;
        });
    return everyFileHandled ? kExitFilesKept : kExitFilesLeft;
}

std::string summaryText(const RunSummary& run, bool noDelete) {
    if (!run.started) return "No download took place.\n";
    std::string text = "Summary: " + std::to_string(run.filedCount()) + " of " +
                       plural(run.listed, "listed file", "listed files") + " filed.\n";
    std::set<std::string> handled;
    for (const FileReport& f : run.files) {
        handled.insert(f.name);
        if (f.filed()) {
            text += "  filed " + f.name + "\n    container: " + f.filing.containerPath + "\n";
            if (!f.filing.euPath.empty()) text += "    EU file:   " + f.filing.euPath + "\n";
            if (noDelete) {
                text += "    kept on the key (NoDelete)\n";
            } else if (!f.removedFromKey()) {
                text += "    still on the key: its delete did not succeed\n";
            }
        } else if (f.outcome == FileOutcome::Kept) {
            text += "  not filed whole: " + f.name + " (" + f.filing.untaken + ")\n";
            if (f.filing.filed()) {
                text += "    container of what could be filed: " + f.filing.containerPath + "\n";
                if (!f.filing.euPath.empty()) text += "    EU file:   " + f.filing.euPath + "\n";
            }
            text += "    the key file is kept as " + f.filing.keptPath + "\n";
            if (noDelete) {
                text += "    kept on the key (NoDelete)\n";
            } else if (!f.removedFromKey()) {
                text += "    still on the key: its delete did not succeed\n";
            }
        } else {
            text += "  stays on the key: " + f.name + " (" + outcomeText(f.outcome) + ")\n";
        }
    }
    const char* why = run.keyLost ? "the key stopped answering" : "the download was stopped";
    for (const KeyFile& f : run.listedFiles)
        if (!handled.count(f.name))
            text += "  stays on the key: " + f.name + " (not handled: " + why + ")\n";
    return text;
}

int runHeadless(const ConsoleOptions& options, HeadlessEnvironment& env) {
    ContextOptions contextOptions;
    contextOptions.settings = &env.settings;
    contextOptions.clock = &env.clock;
    contextOptions.workFolder = env.workFolder;
    if (!env.cipherLibrary.empty()) contextOptions.cipherLibrary = env.cipherLibrary;

    ContainerStore store(env.key, contextOptions, env.clock);
    FileDownloader downloader(env.key, store, env.clock, env.workFolder);
    KeySession session(env.key, downloader, env.clock, env.settings);
    const bool makeEu = options.makeEuFile.value_or(session.makeEuDefault());

    const bool bar = options.display == DisplayStyle::Bar ||
                     (options.display == DisplayStyle::Auto && env.terminal);
    ConsoleView view(env.out, bar, env.terminalWidth);
    ViewMailbox mailbox;
    if (env.stop) env.stop->onRequest([&mailbox] { mailbox.wake(); });
    ActivityAnimation activity;
    SessionPoller poller(
        session, activity, [&mailbox](const SessionView& v) { mailbox.post(v); }, options.tickMs);

    view.message(
        std::string("KeyFetch: waiting for an OLTREX-Key") +
        (options.start ? "; the download starts as soon as a key with files is read" : "") +
        (makeEu ? " (DDD-Datei erstellen)" : "") + ".");
    poller.start();

    const auto startedAt = SteadyClock::now();
    auto nextActivityTick = startedAt + std::chrono::milliseconds(ActivityAnimation::kIntervalMs);
    std::optional<SessionView> latest;
    std::size_t filesShown = 0;
    bool downloadRequested = false;
    bool stopRequested = false;
    bool nothingToDownload = false;
    int viewsAfterRun = 0;

    for (;;) {
        mailbox.waitUntil(nextActivityTick);

        if (env.stop && env.stop->requested()) {
            stopRequested = true;
            view.message(
                "Stopping: the file under way is finished first; the other files stay on the key.");
            break;
        }
        if (SteadyClock::now() >= nextActivityTick) {
            nextActivityTick += std::chrono::milliseconds(ActivityAnimation::kIntervalMs);
            const int percent = activity.advance();
            if (latest && latest->downloading && bar) view.show(*latest, percent);
        }
        const std::vector<SessionView> views = mailbox.take();
        if (views.empty()) {
            if (!downloadRequested && options.start && options.waitSeconds &&
                SteadyClock::now() - startedAt >= std::chrono::seconds(*options.waitSeconds)) {
                view.message("No download began within " + std::to_string(*options.waitSeconds) +
                             " s: giving up.");
                break;
            }
            continue;
        }

        bool runOver = false;
        for (const SessionView& v : views) {
            latest = v;
            view.show(v, activity.percent());
            const RunSummary run = session.lastRun();
            for (; filesShown < run.files.size(); ++filesShown)
                view.fileHandled(run.files[filesShown]);

            if (!options.start) continue;
            if (!downloadRequested) {
                if (v.startEnabled) {
                    downloadRequested = session.start(makeEu);
                    if (downloadRequested)
                        view.message("Start: " + std::to_string(v.usableCount) +
                                     " file(s) to download.");
                } else if (v.state == SessionState::Idle &&
                           v.display.downloadCounter != kUnknownText && v.usableCount == 0) {
                    nothingToDownload = true;
                    runOver = true;
                }
            } else if (run.keyLost) {
                runOver = true;
            } else if (run.finished) {
                // Stay for the directory read that follows, so the key's new state is shown.
                if (v.state == SessionState::Idle || ++viewsAfterRun > 5) runOver = true;
            }
        }
        if (runOver) break;
    }

    if (env.stop) env.stop->onRequest({});
    poller.stop();
    session.close();
    const RunSummary run = session.lastRun();
    for (; filesShown < run.files.size(); ++filesShown) view.fileHandled(run.files[filesShown]);
    view.finish();

    if (nothingToDownload) {
        std::fprintf(env.out, "The key holds no usable files: nothing to download.\n");
        return kExitAllFiled;
    }
    if (!options.start && !run.started) return stopRequested ? kExitAllFiled : kExitNoDownload;
    std::fprintf(env.out, "%s", summaryText(run, session.noDelete()).c_str());
    if (latest && latest->state == SessionState::Idle && run.finished && !run.keyLost)
        std::fprintf(env.out, "The key now lists %s.\n",
                     plural(latest->usableCount, "usable file", "usable files").c_str());
    std::fflush(env.out);
    return exitStatusOf(run);
}

}  // namespace oltrex::console
