#include "oltrex/keyrefresh/UpdateSession.h"

#include <cstdio>

#include "oltrex/keyrefresh/RefreshTexts.h"
#include "oltrex/keyrefresh/UpdateLog.h"

namespace oltrex {

void UpdateSession::takeOver(const std::string& keySerial, const std::string& fromVersion,
                             const std::string& toVersion) {
    std::lock_guard lock(mutex_);
    keySerial_ = keySerial;
    fromVersion_ = fromVersion;
    toVersion_ = toVersion;
}

std::string UpdateSession::fromToText() const {
    std::lock_guard lock(mutex_);
    char text[256];
    std::snprintf(text, sizeof text, refresh::kFromToFormat, fromVersion_.c_str(),
                  toVersion_.c_str());
    return text;
}

bool UpdateSession::start(int flag, const std::function<void()>& launchWorker) {
    active_.store(false);
    progress_ = 0;
    if (flag == 0) return false;
    running_.store(true);
    launchWorker();
    active_.store(true);
    return true;
}

bool UpdateSession::tick() {
    if (!active_.load()) return false;
    // A busy indicator: it sweeps about once a second and measures nothing.
    progress_ = progress_ + 1 >= 100 ? 0 : progress_ + 1;
    if (running_.load()) return false;
    active_.store(false);
    return true;
}

std::string UpdateSession::finishedKeySerial() const {
    std::lock_guard lock(mutex_);
    return finishedSerial_;
}

std::string UpdateSession::resultText() const {
    std::lock_guard lock(mutex_);
    return resultText_;
}

void UpdateSession::logFertig() {
    log(outcome() >= 0 ? refresh::kLogProgramOn : "");
}
void UpdateSession::logBeenden() {
    log(outcome() >= 0 ? refresh::kLogProgramEnd : "");
}

std::string UpdateSession::keySerial() const {
    std::lock_guard lock(mutex_);
    return keySerial_;
}

std::string UpdateSession::newFirmwareVersion() const {
    std::lock_guard lock(mutex_);
    return toVersion_;
}

void UpdateSession::setKeySerial(const std::string& serial) {
    std::lock_guard lock(mutex_);
    finishedSerial_ = serial;
}

void UpdateSession::showResult(const std::string& text) {
    std::string serial;
    {
        std::lock_guard lock(mutex_);
        serial = finishedSerial_;
        resultText_ = text;
        // A failure names the key it concerns, so the user knows which key
        // still runs its old firmware.
        if (outcome() < 0 && !serial.empty() && text.find(serial) == std::string::npos)
            resultText_ += "\r\nSeriennummer: " + serial;
    }
    if (resultListener_) resultListener_();
    if (outcome() >= 0) {
        log(refresh::kLogSuccessPrefix + serial + refresh::kLogSuccessSuffix);
    } else {
        log(refresh::kLogFailurePrefix + serial + refresh::kLogFailureSuffix);
    }
}

void UpdateSession::log(const std::string& text) {
    if (log_ != nullptr) log_->writeEntry(text);
}

}  // namespace oltrex
