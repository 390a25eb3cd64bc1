#pragma once
// KeyRefresh's window logic for every view of it: the conditions, the page
// sequence, what each page shows and enables, the update worker's thread and
// the busy bar, the log entries of the pages, and that nothing breaks off a
// running update (OK, Cancel and closing are ignored meanwhile). A view only
// builds its controls, carries out RefreshView and passes on the user's input.
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "oltrex/device/KeyLibrary.h"
#include "oltrex/keyrefresh/KeyIdentification.h"
#include "oltrex/keyrefresh/PageSequencer.h"
#include "oltrex/keyrefresh/UpdateSession.h"
#include "oltrex/keyrefresh/window/RefreshView.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/transfer/UpdateWorker.h"

namespace oltrex {

class CWLog;

// What the window works with: the key, the clock, the update log and the
// update worker's setup.
struct RefreshServices {
    KeyLibrary* keys = nullptr;
    Clock* clock = nullptr;  // paces the key identification
    CWLog* log = nullptr;
    UpdateWorkerSetup worker;
    std::string newFirmware;  // version of the carried image, "1.20"
    // Command-line folder of the hidden firmware-header button.
    std::filesystem::path firmwareFolder;
};

// "BRENVA-KeyRefresh [1.20.1.0]".
std::string refreshWindowTitle();
// The About box's name line: "OLTREX-KeyRefresh 1.20".
std::string aboutNameLine();

class RefreshForm {
  public:
    // The busy bar's period.
    static constexpr int kBusyTickMs = 10;

    // On the view's thread.
    RefreshForm(const RefreshServices& services, RefreshView& view);
    // Waits for an update still running; what it hands over after that is dropped.
    ~RefreshForm();
    RefreshForm(const RefreshForm&) = delete;
    RefreshForm& operator=(const RefreshForm&) = delete;

    // Title, conditions, pages, key identification, key page. false when the
    // conditions were declined: the window has then been closed without any
    // access to the key.
    bool initDialog();
    // The main window's OK: the next page; nothing while the update runs.
    void ok();
    // The main window's Cancel: ends the window, except while the update runs.
    void cancel();
    // Closing through the window frame.
    void close() { cancel(); }
    bool mayClose() const { return !updateActive(); }

    // Enter and Escape: the shown page's default button and its "Beenden".
    void enter();
    void escape();

    // Key page.
    void weiter();
    void keyPageBeenden() { cancel(); }
    void firmwareHeader();
    // Update page (both buttons are off for good; Enter and Escape land here).
    void updatePageOk() { ok(); }
    void updatePageCancel() { cancel(); }
    // Finished page.
    void fertig();
    void finishedBeenden();

    // The view's busy-bar timer: one sweep step; once the worker has ended,
    // the finished page.
    void busyTick();

    int pageIndex() const { return sequencer_.index(); }
    bool updateActive() const { return session_.active(); }
    bool weiterShown() const { return weiterShown_; }
    bool pagesCreated() const { return pagesCreated_; }
    const KeyIdentification& key() const { return key_; }
    UpdateSession& session() { return session_; }
    const RefreshServices& services() const { return services_; }

  private:
    void startUpdate();
    void showResultNow();
    void joinWorker();

    RefreshServices services_;
    RefreshView& view_;
    UpdateSession session_;
    PageSequencer sequencer_;
    KeyIdentification key_;
    bool pagesCreated_ = false;
    bool ownerSet_ = false;  // the pages write log entries from now on
    bool weiterShown_ = true;
    std::thread worker_;
    // Posted hand-overs check it on the view's thread: a form that is gone
    // takes none.
    std::shared_ptr<RefreshForm*> alive_;
};

}  // namespace oltrex
