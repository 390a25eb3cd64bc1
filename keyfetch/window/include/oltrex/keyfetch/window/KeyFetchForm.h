#pragma once
// The KeyFetch main dialog's logic for every view of it (Qt, Win32). The form
// owns the key session with its store and downloader and runs two worker
// threads: the poller, which steps the session once per tick, and the
// activity animator, which moves the thin activity bar while a file is read.
// The workers never touch a control: they hand their updates to the view's
// thread (postToViewThread), and the running flag, which the shutdown
// clears, sits behind a mutex. A view builds its controls and carries out
// KeyFetchView; the form decides what they show and when they take input.
#include <cstdint>
#include <filesystem>
#include <functional>
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
#include "oltrex/keyfetch/window/ActivityAnimator.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/platform/Settings.h"
#include "oltrex/sdimport/SdCardImport.h"

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
    std::optional<std::string> version;       // unset: the program's version
    // false: no worker threads; a test steps the poller and the animator
    // itself (pollOnce, animateOnce) and counts the ticks.
    bool startWorkers = true;
};

// The program's version as built.
std::string keyFetchVersion();

// The controls of dialog 102 the form changes.
enum class MainControl {
    Start,        // IDC_1
    SdCard,       // IDC_4
    MakeEu,       // IDC_1000, check box
    Progress,     // IDC_1001, progress bar
    Activity,     // IDC_1007, thin progress bar
    Status,       // IDC_1002
    Firmware,     // IDC_1003
    KeyNumber,    // IDC_1004
    Counter,      // IDC_1005
    Generations,  // IDC_1006
};

// A view of the main dialog. Every call comes on the view's thread except
// postToViewThread. As a DriveChooser it asks for the SD card's drive.
class KeyFetchView : public DriveChooser {
public:
    // From a worker: runs `change` later on the view's thread, after what was
    // posted before. A view that is gone drops it.
    virtual void postToViewThread(std::function<void()> change) = 0;
    virtual void setText(MainControl control, const std::string& utf8) = 0;
    virtual void enable(MainControl control, bool enabled) = 0;
    virtual void show(MainControl control, bool shown) = 0;
    // A progress bar, 0 to 100.
    virtual void setPosition(MainControl bar, int percent) = 0;
    virtual void setChecked(MainControl box, bool checked) = 0;
    virtual bool checked(MainControl box) const = 0;
    // The SD-card import's closing message, modal, centred on the dialog.
    virtual void showImportMessage(const ImportMessage& message) = 0;
    // The About box, modal.
    virtual void showAboutBox() = 0;
    // Ends the dialog (the workers have ended already).
    virtual void closeWindow() = 0;
};

class KeyFetchForm {
public:
    // On the view's thread. Nothing is shown or started before initDialog().
    KeyFetchForm(KeyFetchWindowSetup setup, KeyFetchView& view);
    // Ends the workers as the shutdown does.
    ~KeyFetchForm();
    KeyFetchForm(const KeyFetchForm&) = delete;
    KeyFetchForm& operator=(const KeyFetchForm&) = delete;

    // "OLTREX-KeyFetch [<version>]".
    std::string caption() const;
    // Once the controls exist: the first texts and states, then the workers.
    void initDialog();

    // "Start": downloads the usable files with the check box's choice.
    void startClicked();
    // "Einlesen der SD-Karte …": the import on this thread, then its message.
    void sdCardClicked();
    // The About entry of the system menu.
    void aboutChosen() { view_.showAboutBox(); }
    // "Exit", Escape and the close box: the shutdown, then the window closes.
    void closeRequested();
    // Ends both workers (a file read under way is finished first) and closes
    // the session; what the key still holds stays on it. Idempotent.
    void shutdown();

    KeySession& session() { return session_; }
    ActivityAnimation& activity() { return activity_; }
    bool workersRunning() const { return poller_.running() || animator_.running(); }
    // The outcome of the last SD-card import, when one ran.
    const std::optional<SdImportResult>& lastImport() const { return lastImport_; }

    // Without worker threads: one poller pass or one animator step on the
    // caller's thread; the control updates are posted to the view as usual.
    void pollOnce() { poller_.stepOnce(); }
    void animateOnce() { afterAnimatorStep(activity_.advance()); }

private:
    void refreshFromSession();
    void afterPollerStep();
    void afterAnimatorStep(int percent);

    KeyFetchWindowSetup setup_;
    KeyFetchView& view_;
    KeyLibrary& key_;
    const SettingsStore& settings_;
    Clock& clock_;
    ContainerStore store_;
    FileDownloader downloader_;
    KeySession session_;
    ActivityAnimation activity_;
    SessionPoller poller_;
    ActivityAnimator animator_;

    // Guards the running flag: once the shutdown cleared it, the workers
    // hand no further updates to the view.
    mutable std::mutex runningMutex_;
    bool running_ = false;

    bool importing_ = false;  // the SD-card import runs on the view's thread
    std::optional<SdImportResult> lastImport_;
};

}  // namespace oltrex
