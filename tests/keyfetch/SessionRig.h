#pragma once
// A key session wired to a fake key, a manual clock, in-memory settings and a
// container maker that files each local file's bytes as "<key name>.dlc".
#include <memory>

#include "KeyFetchFakes.h"
#include "oltrex/keyfetch/ContainerStore.h"
#include "oltrex/keyfetch/FileDownload.h"
#include "oltrex/keyfetch/KeySession.h"
#include "oltrex/platform/Settings.h"

namespace kftest {

class SessionRig {
  public:
    using Setting = std::pair<const char*, const char*>;
    explicit SessionRig(std::initializer_list<Setting> keySettings = {}) {
        for (const auto& [name, value] : keySettings)
            settings.set(oltrex::kKeySettingsPath, name, value);
        oltrex::ContextOptions options;
        options.cipherTable = &idleCipherTable();
        options.workFolder = work.path();
        options.settings = &settings;
        options.clock = &clock;
        store = std::make_unique<oltrex::ContainerStore>(
            key, options, clock,
            [this](oltrex::ConversionContext& c, std::string& p, std::string_view kind, int fw) {
                return fileAsContainer(c, p, kind, fw);
            });
        downloader = std::make_unique<oltrex::FileDownloader>(key, *store, clock, work.path());
        session = std::make_unique<oltrex::KeySession>(key, *downloader, clock, settings);
    }

    // Steps until the session is in `state` (at most `limit` steps); the number of steps taken.
    int stepUntil(oltrex::SessionState state, int limit = 50) {
        for (int i = 1; i <= limit; ++i) {
            session->step();
            if (session->state() == state) return i;
        }
        return -1;
    }

    // From a fresh session to the first directory read: idle x3, look, read.
    void readKey() {
        for (int i = 0; i < 5; ++i) session->step();
    }

    // Runs a download to its end (back in look).
    void download(bool makeEu = false) {
        ASSERT_TRUE(session->start(makeEu));
        ASSERT_GT(stepUntil(oltrex::SessionState::Look, 200), 0);
    }

    fs::path containerOf(const std::string& keyName) const {
        return containers / (keyName + ".dlc");
    }

    int fileAsContainer(oltrex::ConversionContext& context, std::string& path,
                        std::string_view kindName, int fw) {
        kindNames.emplace_back(kindName);
        firmwareNumbers.push_back(fw);
        const Bytes content = readBytes(path);
        if (failMaker || content.empty()) return -13;
        context.folder = containers.path().string() + "/";
        const fs::path filed = containers / (fs::path(path).filename().string() + ".dlc");
        writeBytes(filed, content);
        fs::remove(path);
        path = filed.string();
        return 0;
    }

    TempFolder work;
    TempFolder containers;
    FakeKey key;
    ManualClock clock;
    oltrex::MemorySettings settings;
    std::unique_ptr<oltrex::ContainerStore> store;
    std::unique_ptr<oltrex::FileDownloader> downloader;
    std::unique_ptr<oltrex::KeySession> session;
    std::vector<std::string> kindNames;
    std::vector<int> firmwareNumbers;
    bool failMaker = false;
};

}  // namespace kftest
