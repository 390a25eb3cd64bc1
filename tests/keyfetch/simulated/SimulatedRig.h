#pragma once
// KeyFetch's session, download run and container store on the simulated key
// ($OLTREX_KEY), the real container maker and libhime.so, with a clock whose
// local time stands still so that names made from it are known in advance.
#include <stdlib.h>

#include <memory>
#include <optional>

#include "KeyFetchFakes.h"
#include "oltrex/device/KeyLibrary.h"
#include "oltrex/dlcreader/ContainerReader.h"
#include "oltrex/keyfetch/ContainerStore.h"
#include "oltrex/keyfetch/FileDownload.h"
#include "oltrex/keyfetch/KeySession.h"
#include "oltrex/platform/Folders.h"
#include "oltrex/platform/Settings.h"
#include "oltrex/simkey/KeyFolder.h"
#include "oltrex/testdata/KeyForm.h"

namespace kftest {

struct RigSettings {
    bool noDelete = false;
    std::optional<std::string> containerPath;  // default: <root>/containers
};

class SimulatedRig {
  public:
    explicit SimulatedRig(RigSettings options = {}) {
        keyFolder = root / "key";
        containers = root / "containers";
        std::error_code ec;
        work = oltrex::createPrivateFolder(root.path(), "work-", ec);
        settings.set(oltrex::kTachographSettingsPath, "ContainerPath",
                     options.containerPath.value_or(containers.string()));
        settings.set(oltrex::kTachographSettingsPath, "InstTyp", "");
        settings.set(oltrex::kKeySettingsPath, "NoDelete", options.noDelete ? "1" : "0");
        settings.set(oltrex::kKeySettingsPath, "Language", "DE");
        ::setenv("OLTREX_KEY", keyFolder.c_str(), 1);
        ::setenv("OLTREX_BOOTSIM_AUTOSTART", "0", 1);

        oltrex::ContextOptions context;
        context.settings = &settings;
        context.clock = &clock;
        context.workFolder = work;
        store = std::make_unique<oltrex::ContainerStore>(key, context, clock);
        downloader = std::make_unique<oltrex::FileDownloader>(key, *store, clock, work);
        session = std::make_unique<oltrex::KeySession>(key, *downloader, clock, settings);
    }
    ~SimulatedRig() { ::unsetenv("OLTREX_KEY"); }

    // A new key holding `files` in the key's form.
    void makeKey(const std::vector<oltrex::testdata::KeyFile>& files,
                 const std::string& series = "OX", const std::string& firmware = "0120") {
        oltrex::simkey::KeyIdentity id;
        id.series = series;
        id.firmware = firmware;
        std::string error;
        ASSERT_TRUE(oltrex::simkey::createKey(keyFolder, id, &error)) << error;
        for (const auto& f : files)
            ASSERT_TRUE(oltrex::simkey::writeKeyFile(keyFolder, f.name, f.bytes, &error)) << error;
    }

    std::vector<std::string> keyFileNames() const {
        std::vector<std::string> names;
        for (const auto& f : oltrex::simkey::listKeyFiles(keyFolder)) names.push_back(f.name);
        return names;
    }

    // idle x3, look, read.
    void readKey() {
        for (int i = 0; i < 5; ++i) session->step();
    }

    // "Start" and steps until the run is over (look again).
    void download(bool makeEu) {
        ASSERT_TRUE(session->start(makeEu));
        for (int i = 0; i < 300 && session->state() == oltrex::SessionState::Write; ++i)
            session->step();
        ASSERT_EQ(session->state(), oltrex::SessionState::Look);
    }

    std::vector<fs::path> filesIn(const fs::path& folder) const {
        std::vector<fs::path> out;
        std::error_code ec;
        for (auto& e : fs::directory_iterator(folder, ec))
            if (e.is_regular_file()) out.push_back(e.path());
        std::sort(out.begin(), out.end());
        return out;
    }

    TempFolder root;
    fs::path keyFolder;
    fs::path containers;
    fs::path work;
    oltrex::MemorySettings settings;
    ManualClock clock;
    oltrex::LinkedKeyLibrary key;
    std::unique_ptr<oltrex::ContainerStore> store;
    std::unique_ptr<oltrex::FileDownloader> downloader;
    std::unique_ptr<oltrex::KeySession> session;
};

}  // namespace kftest
