#pragma once
// The KeyFetch main dialog (dialog 102). It owns the key session and runs two
// worker threads: the poller, which steps the session once per tick, and the
// activity animator, which moves the thin activity bar while a file is read.
// The workers never touch a widget: they hand their updates to the dialog's
// thread through queued calls, and the dialog's running flag, which the
// shutdown clears, sits behind a mutex.
#include <QDialog>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

#include "oltrex/device/KeyLibrary.h"
#include "oltrex/drives/DriveScanner.h"
#include "oltrex/keyfetch/ActivityBar.h"
#include "oltrex/keyfetch/ContainerStore.h"
#include "oltrex/keyfetch/FileDownload.h"
#include "oltrex/keyfetch/KeySession.h"
#include "oltrex/keyfetch/SessionPoller.h"
#include "oltrex/keyfetch/gui/ActivityAnimator.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/platform/Settings.h"
#include "oltrex/sdimport/SdCardImport.h"

class QCheckBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;

namespace oltrex {

struct KeyFetchWindowSetup {
    KeyLibrary* key = nullptr;                // nullptr: the linked key library
    const SettingsStore* settings = nullptr;  // nullptr: the machine settings
    Clock* clock = nullptr;                   // nullptr: the system clock
    std::filesystem::path workFolder;         // KeyFetch's private temporary folder
    std::string cipherLibrary;                // empty: the cipher library's own name
    DriveSources drives;                      // for the SD-card import
    std::uint32_t pollerTickMs = SessionPoller::kTickMs;
    std::uint32_t animatorTickMs = ActivityAnimation::kIntervalMs;
    std::optional<QString> version;           // unset: the program's version
    // false: no worker threads; a test steps the poller and the animator
    // itself (pollOnce, animateOnce) and counts the ticks.
    bool startWorkers = true;
};

// The program's version as built.
QString keyFetchVersion();

class CKeyFetchDlg : public QDialog {
    Q_OBJECT
public:
    explicit CKeyFetchDlg(KeyFetchWindowSetup setup, QWidget* parent = nullptr);
    ~CKeyFetchDlg() override;

    KeySession& session() { return m_session; }
    ActivityAnimation& activity() { return m_activity; }
    QMenu* systemMenu() const { return m_systemMenu; }
    // Both worker threads are running.
    bool workersRunning() const;
    // The outcome of the last SD-card import, when one ran.
    const std::optional<SdImportResult>& lastImport() const { return m_lastImport; }

    // Without worker threads: one poller pass or one animator step on the
    // caller's thread; the control updates arrive as queued calls as usual.
    void pollOnce();
    void animateOnce();

public slots:
    void onStart();
    void onSdCard();
    void showAbout();
    void reject() override;  // "Exit", Escape and the close box

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void buildControls();
    void initDialog();
    void refreshFromSession();
    void showActivity(int percent);
    void afterPollerStep();
    void afterAnimatorStep(int percent);
    void shutdown();
    bool makeEuChecked() const;

    KeyFetchWindowSetup m_setup;
    KeyLibrary& m_key;
    const SettingsStore& m_settings;
    Clock& m_clock;
    ContainerStore m_store;
    FileDownloader m_downloader;
    KeySession m_session;
    ActivityAnimation m_activity;
    SessionPoller m_poller;
    ActivityAnimator m_animator;

    // Guards the running flag: once the shutdown cleared it, the workers
    // hand no further updates to the dialog.
    mutable std::mutex m_controlsMutex;
    bool m_running = false;

    QPushButton* m_start = nullptr;
    QPushButton* m_exit = nullptr;
    QPushButton* m_sdCard = nullptr;
    QCheckBox* m_makeEu = nullptr;
    QProgressBar* m_progress = nullptr;
    QProgressBar* m_activityBar = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_firmware = nullptr;
    QLabel* m_keyNumber = nullptr;
    QLabel* m_counter = nullptr;
    QLabel* m_generations = nullptr;
    QMenu* m_systemMenu = nullptr;
    bool m_importing = false;  // the SD-card import runs on this thread
    std::optional<SdImportResult> m_lastImport;
};

}  // namespace oltrex
