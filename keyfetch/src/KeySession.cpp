#include "oltrex/keyfetch/KeySession.h"

#include <algorithm>
#include <cstdio>

#include "oltrex/conversion/ConversionContext.h"
#include "oltrex/keyfetch/KeyInfo.h"
#include "oltrex/platform/Trace.h"

namespace oltrex {
namespace {

// The key information buffer of the session's calls.
constexpr int kKeyInfoBufferSize = 128;

std::string format(const char* pattern, int a, int b) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

bool settingIsOn(const SettingsStore& settings, const char* name) {
    const SettingResult value = settings.read(kKeySettingsPath, name);
    return value.found() && !value.value.empty() && value.value[0] == '1';
}

bool endsWith(const std::string& text, std::string_view tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

const char* stateName(SessionState state) {
    switch (state) {
        case SessionState::Idle:
            return "idle";
        case SessionState::Look:
            return "look";
        case SessionState::Read:
            return "read";
        case SessionState::Write:
            return "write";
    }
    return "?";
}

int RunSummary::filedCount() const {
    return static_cast<int>(
        std::count_if(files.begin(), files.end(), [](const FileReport& f) { return f.filed(); }));
}

KeySession::KeySession(KeyLibrary& key, FileDownloader& downloader, Clock& clock,
                       const SettingsStore& settings)
    : key_(key), downloader_(downloader), clock_(clock) {
    noDelete_ = settingIsOn(settings, "NoDelete");
    makeEuDefault_ = settingIsOn(settings, "MakeEU");
    makeEuFile_ = makeEuDefault_;
    display_.status.clear();
}

KeySession::~KeySession() = default;

void KeySession::step() {
    SessionState current;
    {
        std::lock_guard lock(mutex_);
        stepping_ = true;
        current = state_;
    }
    const LocalTime now = clock_.localTime();
    tracef("State: %s (%04i/%02i/%02i %02i:%02i:%02i)\r\n", stateName(current), now.year, now.month,
           now.day, now.hour, now.minute, now.second);

    SessionState next = current;
    switch (current) {
        case SessionState::Idle:
            next = stepIdle();
            break;
        case SessionState::Look:
            next = stepLook();
            break;
        case SessionState::Read:
            next = stepRead();
            break;
        case SessionState::Write:
            next = stepWrite();
            break;
    }

    std::lock_guard lock(mutex_);
    state_ = next;
    stepping_ = false;
    if (pendingStart_) {
        // "Start" was pressed during the step: it holds if it still could be pressed now.
        pendingStart_ = false;
        if (state_ != SessionState::Write && listing_.usableCount() > 0 &&
            display_.downloadCounter != kUnknownText)
            beginRun();
    }
}

bool KeySession::keyAnswers(std::string& keyInfo) {
    return key_.keyInfoText(keyInfo, kKeyInfoBufferSize) == 0;
}

void KeySession::takeDisplayFields(const std::string& keyInfo) {
    if (keyInfo.find("FW-") == std::string::npos) return;
    const std::string firmware = displayFirmware(keyInfo);
    const std::string number = displayKeyNumber(keyInfo);
    std::lock_guard lock(mutex_);
    display_.firmware = firmware;
    if (keyInfo.find("StickID: ") != std::string::npos) display_.keyNumber = number;
}

SessionState KeySession::stepIdle() {
    if (++idleTicks_ < 3) return SessionState::Idle;
    idleTicks_ = 0;
    const SessionDisplay before = display();
    std::string keyInfo;
    const bool answered = keyAnswers(keyInfo);
    if (answered) takeDisplayFields(keyInfo);
    const SessionDisplay after = display();
    const bool sameKey =
        answered && after.firmware == before.firmware && after.keyNumber == before.keyNumber;
    return sameKey ? SessionState::Idle : SessionState::Look;
}

SessionState KeySession::stepLook() {
    {
        std::lock_guard lock(mutex_);
        display_.status.clear();
        display_.firmware = kUnknownText;
        display_.keyNumber = kUnknownText;
        display_.downloadCounter = kUnknownText;
        display_.generationCounts.clear();
    }
    std::string keyInfo;
    if (!keyAnswers(keyInfo)) return SessionState::Look;
    takeDisplayFields(keyInfo);
    std::lock_guard lock(mutex_);
    display_.status = kInitialisingText;
    totalBytes_ = 100;
    bytesDone_ = 0;
    display_.percent = 0;
    return SessionState::Read;
}

void KeySession::readDirectory() {
    const std::uint32_t started = clock_.tickMs();
    {
        std::lock_guard lock(mutex_);
        listing_ = {};
    }
    std::string keyInfo;
    key_.keyInfoText(keyInfo, kKeyInfoBufferSize);
    if (!keyInfo.empty()) {
        const std::string series = keySeries(keyInfo);
        const bool secure = needsSecureMode(series, keyFirmwareNumber(keyInfo));
        if (secure) key_.beginSecureMode();
        std::lock_guard lock(mutex_);
        series_ = series;
        secure_ = secure;
    }
    DirectoryBuffers buffers;
    DirectoryListing listing;
    if (key_.readDirectory(buffers) == 0) listing = readListing(buffers);
    {
        std::lock_guard lock(mutex_);
        listing_ = std::move(listing);
    }
    const std::uint32_t elapsed = clock_.tickMs() - started;
    tracef("getDirFromFlash and getFileSize for valid values: %9i ms\r\n",
           static_cast<int>(elapsed));
}

SessionState KeySession::stepRead() {
    readDirectory();
    std::lock_guard lock(mutex_);
    nextFile_ = 0;
    gen1Done_ = 0;
    gen2Done_ = 0;
    const int usable = listing_.usableCount();
    display_.downloadCounter = format("%i / %i", usable, usable);
    display_.generationCounts =
        format("( Gen1: %i, Gen2: %i )", listing_.gen1Files, listing_.gen2Files);
    display_.status = secure_ ? kSecureDownloadText : "";
    bytesDone_ = 0;
    totalBytes_ = std::max(1LL, listing_.totalBytes());
    display_.percent = 0;
    return SessionState::Idle;
}

void KeySession::updateCounters() {
    const int usable = listing_.usableCount();
    display_.percent = mulDiv(bytesDone_, 100, std::max(1LL, totalBytes_));
    display_.downloadCounter = format("%i / %i", usable - nextFile_, usable);
    display_.generationCounts = format("( Gen1: %i, Gen2: %i )", listing_.gen1Files - gen1Done_,
                                       listing_.gen2Files - gen2Done_);
}

void KeySession::endSecureMode() {
    key_.endSecureMode();
    std::lock_guard lock(mutex_);
    secure_ = false;
}

SessionState KeySession::stepWrite() {
    FileDownloadRequest request;
    bool haveFile = false;
    ActivityBar* bar = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (nextFile_ >= 0 && nextFile_ < static_cast<int>(listing_.files.size())) {
            haveFile = true;
            request.file = listing_.files[static_cast<std::size_t>(nextFile_)];
            request.series = series_;
            request.firmwareNumber =
                display_.firmware == kUnknownText ? 0 : decimalValue(display_.firmware);
            request.secure = secure_;
            request.makeEuFile = makeEuFile_;
            request.noDelete = noDelete_;
        }
        bar = bar_ ? bar_ : &noBar_;
    }

    bool keyLost = false;
    if (haveFile) {
        FileReport report = downloader_.download(request, *bar);
        // A failed read of a key that no longer answers ends the run: the
        // remaining files stay on the key and the session looks for a key again.
        if (report.outcome == FileOutcome::ReadFailed) {
            std::string keyInfo;
            keyLost = !keyAnswers(keyInfo);
        }
        std::lock_guard lock(mutex_);
        ++nextFile_;
        bytesDone_ += request.file.size;
        if (endsWith(request.file.name, ".2")) {
            ++gen2Done_;
        } else {
            ++gen1Done_;
        }
        updateCounters();
        run_.files.push_back(std::move(report));
    }

    if (keyLost) {
        trace("The key does not answer: download stopped\r\n");
        {
            std::lock_guard lock(mutex_);
            run_.keyLost = true;
        }
        if (secure()) endSecureMode();
        return SessionState::Look;
    }
    bool last;
    {
        std::lock_guard lock(mutex_);
        last = nextFile_ >= listing_.usableCount();
        if (last) run_.finished = true;
    }
    if (!last) return SessionState::Write;
    if (secure()) endSecureMode();
    // The directory is read again, so the files left on the key are listed anew.
    return SessionState::Look;
}

bool KeySession::start(bool makeEuFile) {
    std::lock_guard lock(mutex_);
    const bool enabled = state_ != SessionState::Write && listing_.usableCount() > 0 &&
                         display_.downloadCounter != kUnknownText;
    if (!enabled) return false;
    makeEuFile_ = makeEuFile;
    if (stepping_) {
        pendingStart_ = true;
        return true;
    }
    beginRun();
    return true;
}

void KeySession::beginRun() {
    state_ = SessionState::Write;
    run_ = {};
    run_.started = true;
    run_.listed = listing_.usableCount();
    run_.listedFiles = listing_.files;
}

SessionState KeySession::state() const {
    std::lock_guard lock(mutex_);
    return state_;
}

void KeySession::setState(SessionState state) {
    std::lock_guard lock(mutex_);
    state_ = state;
}

SessionDisplay KeySession::display() const {
    std::lock_guard lock(mutex_);
    return display_;
}

SessionView KeySession::view() const {
    std::lock_guard lock(mutex_);
    SessionView v;
    v.display = display_;
    v.state = pendingStart_ ? SessionState::Write : state_;
    v.usableCount = listing_.usableCount();
    v.downloading = v.state == SessionState::Write;
    v.startEnabled =
        !v.downloading && v.usableCount > 0 && display_.downloadCounter != kUnknownText;
    return v;
}

int KeySession::usableCount() const {
    std::lock_guard lock(mutex_);
    return listing_.usableCount();
}

std::vector<KeyFile> KeySession::fileList() const {
    std::lock_guard lock(mutex_);
    return listing_.files;
}

RunSummary KeySession::lastRun() const {
    std::lock_guard lock(mutex_);
    return run_;
}

bool KeySession::secure() const {
    std::lock_guard lock(mutex_);
    return secure_;
}

void KeySession::setActivityBar(ActivityBar* bar) {
    std::lock_guard lock(mutex_);
    bar_ = bar;
}

void KeySession::close() {
    if (secure()) endSecureMode();
}

}  // namespace oltrex
