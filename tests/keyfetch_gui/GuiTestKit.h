#pragma once
// Shared pieces of the window tests: the application on the offscreen
// platform, a simulated key that tests plug and unplug by moving its folder,
// a container folder, and helpers that wait for the event loop or answer a
// modal dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <algorithm>
#include <functional>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "../drives/FakeDrives.h"
#include "oltrex/keyfetch/gui/KeyFetchDlg.h"
#include "oltrex/platform/Folders.h"
#include "oltrex/platform/Settings.h"
#include "oltrex/simkey/SimKey.h"
#include "oltrex/testdata/DemoKey.h"

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace guitest {

namespace fs = std::filesystem;

inline QApplication& app() {
    static int argc = 1;
    static char name[] = "keyfetch-gui-test";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: tearing Qt down among the other statics at exit is not safe.
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}

inline void processEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); }

// Runs the event loop until `done` holds or `timeoutMs` passed.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents();
    }
    return true;
}

// Calls `answer` with the next modal window other than `except` as soon as it
// shows (the caller then runs the code that opens it).
inline void answerNextModal(std::function<void(QWidget*)> answer, QWidget* except = nullptr) {
    auto* poll = new QTimer(&app());
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, answer, except] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == except || !modal->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        answer(modal);
    });
    poll->start();
}

inline std::string cipherLibraryPath() {
    const char* bin = std::getenv("OLTREX_BIN");
    return std::string(bin ? bin : ".") + "/libhime.so";
}

inline std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file()) names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A machine: the adapter's key slot ($OLTREX_KEY), keys waiting to be
// plugged, a container folder, the work folder and a mount table.
class Bench {
public:
    Bench() {
        app();
        root = drives.root();
        adapter = root / "adapter";
        containers = root / "containers";
        work = root / "work";
        fs::create_directories(containers);
        fs::create_directories(work);
        fs::permissions(work, fs::perms::owner_all, fs::perm_options::replace);
        ::setenv("OLTREX_KEY", adapter.c_str(), 1);
        settings.set(oltrex::kTachographSettingsPath, "ContainerPath", containers.string() + "/");
    }

    // A demo key waiting outside the adapter.
    fs::path makeDemoKey(const std::string& name, const oltrex::simkey::KeyFaults& faults = {}) {
        const fs::path folder = root / name;
        oltrex::simkey::KeyIdentity id;
        id.firmware = "0110";
        std::string error;
        EXPECT_TRUE(oltrex::simkey::createKey(folder, id, &error)) << error;
        for (const auto& file : oltrex::testdata::demoKeyFiles()) {
            EXPECT_TRUE(oltrex::simkey::writeKeyFile(folder, file.name, file.bytes, &error)) << error;
        }
        if (!faults.failRead.empty() || faults.readDelayMs || faults.failKeyInfo) {
            EXPECT_TRUE(oltrex::simkey::setFaults(folder, faults, &error)) << error;
        }
        return folder;
    }
    void plug(const fs::path& key) { fs::rename(key, adapter); }
    void unplug(const fs::path& to) { fs::rename(adapter, to); }

    oltrex::KeyFetchWindowSetup setup(bool workers, std::uint32_t tickMs = 20) {
        oltrex::KeyFetchWindowSetup s;
        s.settings = &settings;
        s.workFolder = work;
        s.cipherLibrary = cipherLibraryPath();
        s.drives = drives.sources();
        s.pollerTickMs = tickMs;
        s.animatorTickMs = tickMs / 2 ? tickMs / 2 : 1;
        s.startWorkers = workers;
        return s;
    }

    oltrex::testing::FakeDrives drives;
    fs::path root, adapter, containers, work;
    oltrex::MemorySettings settings;
};

}  // namespace guitest
