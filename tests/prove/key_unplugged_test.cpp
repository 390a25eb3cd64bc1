// The key pulled out before each key-library call of a download in turn:
// the session, the download run and the container store on the simulated key
// (libkeylink.so), the real container maker and libhime.so. Whatever call the
// key goes missing before, nothing leaves the key that is not filed, the
// session looks for a key again, and once the key is back the download ends
// with every file filed.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ProveSupport.h"
#include "oltrex/device/KeyLibrary.h"
#include "oltrex/keyfetch/ContainerStore.h"
#include "oltrex/keyfetch/FileDownload.h"
#include "oltrex/keyfetch/KeySession.h"
#include "oltrex/platform/Settings.h"
#include "oltrex/platform/Trace.h"

namespace prove {
namespace {

class StillClock final : public oltrex::Clock {
  public:
    std::uint32_t tickMs() override { return now_ += 1; }
    void sleepMs(std::uint32_t ms) override { now_ += ms; }
    oltrex::LocalTime localTime() override { return {2024, 5, 6, 7, 8, 9, 0}; }

  private:
    std::uint32_t now_ = 1000;
};

// The real key library; before call number `unplugBefore` (from 1) the key
// folder is moved away, as when the key is pulled out of the adapter.
class UnpluggingKey final : public oltrex::KeyLibrary {
  public:
    UnpluggingKey(fs::path folder, int unplugBefore)
        : folder_(std::move(folder)), unplugBefore_(unplugBefore) {}

    int keyInfo(char* text, int size) override {
        return call("keyInfo", [&] { return real_.keyInfo(text, size); });
    }
    int readDirectory(oltrex::DirectoryBuffers& dir) override {
        return call("readDirectory", [&] { return real_.readDirectory(dir); });
    }
    int readFile(const std::string& remote, const std::string& local) override {
        return call("readFile", [&] { return real_.readFile(remote, local); });
    }
    int deleteFile(const std::string& name) override {
        return call("deleteFile", [&] { return real_.deleteFile(name); });
    }
    int firmwareUpdateMode() override {
        return call("firmwareUpdateMode", [&] { return real_.firmwareUpdateMode(); });
    }
    int beginSecureMode() override {
        return call("beginSecureMode", [&] { return real_.beginSecureMode(); });
    }
    int endSecureMode() override {
        return call("endSecureMode", [&] { return real_.endSecureMode(); });
    }
    int getSerialNumber(char* record) override {
        return call("getSerialNumber", [&] { return real_.getSerialNumber(record); });
    }
    int initSwDownload() override {
        return call("initSwDownload", [&] { return real_.initSwDownload(); });
    }

    void plugBack() {
        if (!unplugged_) return;
        fs::rename(unpluggedFolder(), folder_);
        unplugged_ = false;
    }
    int calls() const { return calls_; }
    const std::string& unpluggedAt() const { return unpluggedAt_; }

  private:
    template <class F>
    int call(const char* name, F&& f) {
        if (++calls_ == unplugBefore_) {
            fs::rename(folder_, unpluggedFolder());
            unplugged_ = true;
            unpluggedAt_ = name;
        }
        return f();
    }
    fs::path unpluggedFolder() const { return folder_.string() + ".unplugged"; }

    oltrex::LinkedKeyLibrary real_;
    fs::path folder_;
    int unplugBefore_;
    int calls_ = 0;
    bool unplugged_ = false;
    std::string unpluggedAt_;
};

// One download of a fresh key with the key pulled before call `unplugBefore`
// (0: never).
class Download {
  public:
    Download(const std::vector<td::KeyFile>& files, const std::string& series,
             const std::string& firmware, int unplugBefore)
        : key_(root_ / "key", unplugBefore) {
        makeKey(root_ / "key", files, series, firmware);
        containers_ = root_ / "containers";
        std::error_code ec;
        work_ = oltrex::createPrivateFolder(root_.path(), "work-", ec);
        settings_.set(oltrex::kTachographSettingsPath, "ContainerPath", containers_.string());
        settings_.set(oltrex::kTachographSettingsPath, "InstTyp", "");
        settings_.set(oltrex::kKeySettingsPath, "NoDelete", "0");
        settings_.set(oltrex::kKeySettingsPath, "Language", "DE");
        ::setenv("OLTREX_KEY", (root_ / "key").c_str(), 1);
        ::setenv("OLTREX_BOOTSIM_AUTOSTART", "0", 1);
        oltrex::ContextOptions context;
        context.settings = &settings_;
        context.clock = &clock_;
        context.workFolder = work_;
        store_ = std::make_unique<oltrex::ContainerStore>(key_, context, clock_);
        downloader_ = std::make_unique<oltrex::FileDownloader>(key_, *store_, clock_, work_);
        session_ = std::make_unique<oltrex::KeySession>(key_, *downloader_, clock_, settings_);
    }
    ~Download() { ::unsetenv("OLTREX_KEY"); }

    // Steps the session, pressing "Start" whenever it can be pressed, until
    // a run has ended or `steps` steps are done. True when a run ended.
    bool runOnce(int steps = 80) {
        bool started = false;
        for (int i = 0; i < steps; ++i) {
            session_->step();
            if (started && session_->state() != oltrex::SessionState::Write) return true;
            if (!started && session_->view().startEnabled) started = session_->start(true);
        }
        return false;
    }

    UnpluggingKey& key() { return key_; }
    oltrex::KeySession& session() { return *session_; }
    fs::path keyFolder() const { return root_ / "key"; }
    const fs::path& containers() const { return containers_; }

  private:
    TempFolder root_;
    fs::path containers_, work_;
    oltrex::MemorySettings settings_;
    StillClock clock_;
    UnpluggingKey key_;
    std::unique_ptr<oltrex::ContainerStore> store_;
    std::unique_ptr<oltrex::FileDownloader> downloader_;
    std::unique_ptr<oltrex::KeySession> session_;
};

std::vector<std::string> usableNames(const std::vector<td::KeyFile>& files) {
    std::vector<std::string> names;
    for (const auto& f : files)
        if (!keysOwnFile(f.name)) names.push_back(f.name);
    std::sort(names.begin(), names.end());
    return names;
}

// Captures the trace lines while it lives.
class TraceCapture {
  public:
    TraceCapture() {
        oltrex::setTraceSink([this](std::string_view text) { text_ += text; });
        oltrex::setTraceEnabled(true);
    }
    ~TraceCapture() {
        oltrex::setTraceEnabled(false);
        oltrex::setTraceSink({});
    }
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

// What became of the key's files, judged against the containers of an
// undisturbed download of the same key: a file that left the key must be in
// a container identical to the one the undisturbed download made of it (the
// clock stands still, so the same file gives the same container byte for
// byte, in secure mode too, where the container holds the re-encoded form).
struct Outcome {
    std::vector<std::string> lost, filed, onKey, strays, workingLeft;
};

Outcome judge(const std::map<std::string, Bytes>& reference, const fs::path& keyFolder,
              const fs::path& containers) {
    Outcome out;
    std::vector<Bytes> made;
    for (const fs::path& path : filesIn(containers)) {
        const std::string name = path.filename().string();
        if (name.rfind(".", 0) == 0) {
            out.workingLeft.push_back(name);
            continue;
        }
        made.push_back(readBytes(path));
        const bool known = std::any_of(reference.begin(), reference.end(),
                                       [&](const auto& r) { return r.second == made.back(); });
        if (!known) out.strays.push_back(name);
    }
    const std::vector<std::string> remaining = keyFileNames(keyFolder);
    for (const auto& [name, container] : reference) {
        if (std::find(remaining.begin(), remaining.end(), name) != remaining.end()) {
            out.onKey.push_back(name);
        } else if (std::find(made.begin(), made.end(), container) != made.end()) {
            out.filed.push_back(name);
        } else {
            out.lost.push_back(name);
        }
    }
    return out;
}

void unplugBeforeEachCall(const std::string& series, const std::string& firmware) {
    const std::vector<td::KeyFile> files = mixedKeyFiles();
    int calls = 0;
    std::map<std::string, Bytes> reference;  // key file -> its container
    {
        Download undisturbed(files, series, firmware, 0);
        ASSERT_TRUE(undisturbed.runOnce());
        calls = undisturbed.key().calls();
        for (const oltrex::FileReport& report : undisturbed.session().lastRun().files) {
            ASSERT_TRUE(report.filed()) << report.name << " was not filed undisturbed";
            reference[report.name] = readBytes(report.filing.containerPath);
        }
        ASSERT_EQ(reference.size(), usableNames(files).size());
    }
    ASSERT_GT(calls, 8);
    std::printf(
        "the undisturbed download makes %d key-library calls; the key is pulled before each in "
        "turn\n",
        calls);

    for (int k = 1; k <= calls; ++k) {
        Download download(files, series, firmware, k);
        TraceCapture trace;
        download.runOnce();
        SCOPED_TRACE("key pulled before call " + std::to_string(k) + " (" +
                     download.key().unpluggedAt() + ")");
        ASSERT_FALSE(download.key().unpluggedAt().empty());
        // No run is under way without a key: the session looks for one.
        EXPECT_NE(download.session().state(), oltrex::SessionState::Write);
        download.key().plugBack();

        const Outcome pulled = judge(reference, download.keyFolder(), download.containers());
        EXPECT_TRUE(pulled.lost.empty()) << "lost: " << joined(pulled.lost);
        EXPECT_TRUE(pulled.strays.empty())
            << "containers unlike any of the key's files: " << joined(pulled.strays);
        EXPECT_TRUE(pulled.workingLeft.empty()) << joined(pulled.workingLeft);
        EXPECT_NE(trace.text().find("State: look"), std::string::npos)
            << "the session never looked for the key again";

        // The key back in the adapter: the download goes on to its end.
        for (int round = 0; round < 3; ++round) {
            const std::vector<std::string> left = keyFileNames(download.keyFolder());
            if (std::all_of(left.begin(), left.end(), keysOwnFile)) break;
            download.runOnce();
        }
        const Outcome after = judge(reference, download.keyFolder(), download.containers());
        EXPECT_TRUE(after.lost.empty()) << "lost: " << joined(after.lost);
        EXPECT_TRUE(after.onKey.empty()) << "still on the key: " << joined(after.onKey);
        EXPECT_EQ(after.filed.size(), reference.size());
    }
}

TEST(KeyPulledOut, BeforeAnyCallOfAPlainDownloadNothingLeavesTheKeyUnfiled) {
    unplugBeforeEachCall("OX", "0120");
}

TEST(KeyPulledOut, BeforeAnyCallOfASecureProtectedDownloadNothingLeavesTheKeyUnfiled) {
    // Series OB from firmware 0102 needs both the protected read and secure mode.
    unplugBeforeEachCall("OB", "0102");
}

}  // namespace
}  // namespace prove
