#include "oltrex/keyrefresh/window/RefreshForm.h"

#include <cstdio>

#include "oltrex/keyrefresh/CarriedFirmware.h"
#include "oltrex/keyrefresh/FirmwareHeader.h"
#include "oltrex/keyrefresh/HeadlessRefresh.h"
#include "oltrex/keyrefresh/RefreshTexts.h"
#include "oltrex/keyrefresh/SRecordImage.h"
#include "oltrex/keyrefresh/UpdateLog.h"

namespace oltrex {

std::string refreshWindowTitle() {
    char title[128];
    std::snprintf(title, sizeof title, refresh::kTitleFormat, refresh::kWindowTitle,
                  refresh::kProgramVersion);
    return title;
}

std::string aboutNameLine() {
    return std::string(refresh::kAboutName) + " " + keyRefreshFirmwareVersion();
}

RefreshForm::RefreshForm(const RefreshServices& services, RefreshView& view)
    : services_(services), view_(view), alive_(std::make_shared<RefreshForm*>(this)) {
    // The worker hands its result over on its own thread; the field is set on
    // the view's thread.
    std::weak_ptr<RefreshForm*> alive = alive_;
    session_.setResultListener([this, alive] {
        view_.postToViewThread([alive] {
            if (auto form = alive.lock()) (*form)->showResultNow();
        });
    });
}

RefreshForm::~RefreshForm() {
    // Nothing may still run on the session once it is gone.
    joinWorker();
    session_.setResultListener(nullptr);
}

bool RefreshForm::initDialog() {
    view_.setTitle(refreshWindowTitle());
    if (!view_.askConditions(refresh::kConditionsCaption, conditionsText())) {
        cancel();
        return false;
    }
    view_.createPages();
    pagesCreated_ = true;

    // Key page: identifies the key. No page has its owner yet, so the
    // identification writes no log entry.
    view_.showFirmwareButton(false);
    key_ = identifyKey(*services_.keys, *services_.clock, services_.newFirmware);
    weiterShown_ = key_.valid;
    if (!key_.valid) {
        view_.showExclamation(refresh::kRefusalCaption, refresh::kInvalidKeyText);
        view_.showWeiter(false);
    }
    view_.showKeyInfo(key_.pageText);

    // Update page: the update cannot be broken off from the window.
    view_.enableUpdateButtons(false);
    view_.showProgress(0);
    view_.showFromTo("");
    session_.start(0, [] {});

    // Finished page.
    view_.showResult("");

    ownerSet_ = true;
    session_.setLog(services_.log);
    ok();
    return true;
}

void RefreshForm::ok() {
    if (!pagesCreated_) return;
    const auto next = sequencer_.advance(updateActive());
    if (!next) return;
    switch (*next) {
        case kKeyPage:
            view_.showPage(kKeyPage);
            break;
        case kUpdatePage:
            view_.showPage(kUpdatePage);
            startUpdate();
            session_.setActive(true);
            break;
        case kFinishedPage:
            // The worker has ended: everything it handed over is complete.
            showResultNow();
            view_.showPage(kFinishedPage);
            break;
        default:
            break;
    }
}

void RefreshForm::cancel() {
    if (updateActive()) return;
    view_.closeWindow();
}

void RefreshForm::enter() {
    switch (pageIndex()) {
        case kKeyPage:
            if (weiterShown_) weiter();
            break;
        case kUpdatePage:
            updatePageOk();
            break;
        case kFinishedPage:
            fertig();
            break;
        default:
            ok();
            break;
    }
}

void RefreshForm::escape() {
    switch (pageIndex()) {
        case kKeyPage:
            keyPageBeenden();
            break;
        case kUpdatePage:
            updatePageCancel();
            break;
        case kFinishedPage:
            finishedBeenden();
            break;
        default:
            cancel();
            break;
    }
}

void RefreshForm::weiter() {
    // A view may deliver a click its hidden button should not have given.
    if (!weiterShown_ || pageIndex() != kKeyPage) return;
    if (!sameKeyStillPlugged(*services_.keys, key_.keySerial)) {
        view_.showExclamation(refresh::kRefusalCaption, refresh::kKeyChangedText);
        return;
    }
    if (ownerSet_ && services_.log != nullptr) {
        char entry[600];
        std::snprintf(entry, sizeof entry, refresh::kLogStartUpdateFormat, key_.keySerial.c_str(),
                      key_.keyFirmware.c_str(), key_.newFirmware.c_str());
        services_.log->writeEntry(entry);
    }
    session_.takeOver(key_.keySerial, key_.keyFirmware, key_.newFirmware);
    ok();
}

void RefreshForm::firmwareHeader() {
    const std::filesystem::path folder = firmwareHeaderFolder(services_.firmwareFolder.string());
    if (folder.empty()) return;
    SRecordImage image;
    makeFirmwareHeader(folder, ownerSet_ ? services_.log : nullptr, image);
}

void RefreshForm::fertig() {
    if (!ownerSet_ || pageIndex() != kFinishedPage) return;
    session_.logFertig();
    ok();
}

void RefreshForm::finishedBeenden() {
    if (!ownerSet_ || pageIndex() != kFinishedPage) return;
    session_.logBeenden();
    cancel();
}

void RefreshForm::startUpdate() {
    view_.stopBusyTimer();
    view_.showProgress(0);
    view_.showFromTo(session_.fromToText());
    view_.startBusyTimer();
    joinWorker();  // a finished earlier run
    session_.start(1, [this] {
        worker_ = std::thread(
            [this, setup = services_.worker] { runUpdateWorker(session_, setup); });
    });
}

void RefreshForm::busyTick() {
    if (!session_.active()) return;
    const bool ended = session_.tick();
    view_.showProgress(session_.progress());
    if (!ended) return;
    view_.stopBusyTimer();
    joinWorker();
    updatePageOk();
}

void RefreshForm::showResultNow() {
    view_.showResult(session_.resultText());
}

void RefreshForm::joinWorker() {
    if (worker_.joinable()) worker_.join();
}

}  // namespace oltrex
