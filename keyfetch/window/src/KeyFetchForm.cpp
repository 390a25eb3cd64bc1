#include "oltrex/keyfetch/window/KeyFetchForm.h"

#include "oltrex/conversion/ConversionContext.h"
#include "oltrex/keyfetch/KeyInfo.h"
#include "oltrex/keyfetch/window/MainDialogTemplate.h"

#ifndef OLTREX_VERSION
#define OLTREX_VERSION ""
#endif

namespace oltrex {
namespace {

KeyLibrary& keyOf(const KeyFetchWindowSetup& s) { return s.key ? *s.key : keyLibrary(); }
const SettingsStore& settingsOf(const KeyFetchWindowSetup& s) { return s.settings ? *s.settings : machineSettings(); }
Clock& clockOf(const KeyFetchWindowSetup& s) { return s.clock ? *s.clock : systemClock(); }

ContextOptions contextOptionsOf(const KeyFetchWindowSetup& s) {
    ContextOptions options;
    options.settings = &settingsOf(s);
    options.clock = &clockOf(s);
    if (!s.cipherLibrary.empty()) options.cipherLibrary = s.cipherLibrary;
    options.workFolder = s.workFolder;
    return options;
}

}  // namespace

std::string keyFetchVersion() { return OLTREX_VERSION; }

KeyFetchForm::KeyFetchForm(KeyFetchWindowSetup setup, KeyFetchView& view)
    : setup_(std::move(setup)),
      view_(view),
      key_(keyOf(setup_)),
      settings_(settingsOf(setup_)),
      clock_(clockOf(setup_)),
      store_(key_, contextOptionsOf(setup_), clock_),
      downloader_(key_, store_, clock_, setup_.workFolder),
      session_(key_, downloader_, clock_, settings_),
      poller_(session_, activity_, [this](const SessionView&) { afterPollerStep(); }, setup_.pollerTickMs),
      animator_(activity_, [this](int percent) { afterAnimatorStep(percent); }, setup_.animatorTickMs) {}

KeyFetchForm::~KeyFetchForm() { shutdown(); }

std::string KeyFetchForm::caption() const {
    return std::string(kMainDialogCaption) + " [" + setup_.version.value_or(keyFetchVersion()) + "]";
}

void KeyFetchForm::initDialog() {
    refreshFromSession();
    view_.enable(MainControl::Start, false);
    view_.setChecked(MainControl::MakeEu, session_.makeEuDefault());
    view_.setPosition(MainControl::Activity, 0);
    view_.show(MainControl::Activity, false);
    {
        std::lock_guard lock(runningMutex_);
        running_ = true;
    }
    if (setup_.startWorkers) {
        animator_.start();
        poller_.start();
    }
}

// Worker threads: the update is handed to the view's thread, where the
// session is read afresh, so a late update never shows an older state than
// the session has.
void KeyFetchForm::afterPollerStep() {
    std::lock_guard lock(runningMutex_);
    if (running_) view_.postToViewThread([this] { refreshFromSession(); });
}

void KeyFetchForm::afterAnimatorStep(int percent) {
    std::lock_guard lock(runningMutex_);
    if (running_) view_.postToViewThread([this, percent] { view_.setPosition(MainControl::Activity, percent); });
}

void KeyFetchForm::refreshFromSession() {
    const SessionView view = session_.view();
    // While the SD-card import runs, both buttons stay disabled.
    if (view.state != SessionState::Write && !importing_) {
        view_.show(MainControl::Activity, false);
        view_.enable(MainControl::Start, view.usableCount > 0 && view.display.downloadCounter != kUnknownText);
    }
    // The SD-card import and a download never file at the same time.
    view_.enable(MainControl::SdCard, view.state != SessionState::Write && !importing_);
    view_.setText(MainControl::Status, view.display.status);
    view_.setText(MainControl::Firmware, view.display.firmware);
    view_.setText(MainControl::KeyNumber, view.display.keyNumber);
    view_.setText(MainControl::Counter, view.display.downloadCounter);
    view_.setText(MainControl::Generations, view.display.generationCounts);
    view_.setPosition(MainControl::Progress, view.display.percent);
}

void KeyFetchForm::startClicked() {
    // A view may deliver a click its disabled button should not have given.
    if (importing_ || session_.usableCount() <= 0) return;
    view_.show(MainControl::Activity, true);
    view_.enable(MainControl::Start, false);
    view_.enable(MainControl::SdCard, false);
    session_.start(view_.checked(MainControl::MakeEu));
}

void KeyFetchForm::sdCardClicked() {
    if (importing_ || session_.view().state == SessionState::Write) return;  // a download is filing
    view_.enable(MainControl::SdCard, false);
    view_.enable(MainControl::Start, false);

    SdImportRequest request;
    request.makeEuFile = view_.checked(MainControl::MakeEu);
    request.firmwareNumber = keyFirmwareNumber(session_.display().firmware);
    SdCardImport import(store_, clock_, setup_.drives, setup_.workFolder);
    importing_ = true;
    lastImport_ = import.run(request, view_);
    importing_ = false;

    if (lastImport_->message) view_.showImportMessage(*lastImport_->message);
    refreshFromSession();
}

void KeyFetchForm::closeRequested() {
    shutdown();
    view_.closeWindow();
}

void KeyFetchForm::shutdown() {
    {
        std::lock_guard lock(runningMutex_);
        if (!running_) return;
        running_ = false;
    }
    // A file read under way is finished before the poller sees the request.
    poller_.requestStop();
    animator_.requestStop();
    poller_.stop();
    animator_.stop();
    session_.close();
}

}  // namespace oltrex
