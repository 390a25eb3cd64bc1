#pragma once
// The key session: notices a key being plugged in or changed, reads its
// identity and directory, decides on secure mode and downloads one file per
// step once "Start" was pressed. A four-state machine (idle, look, read,
// write) stepped once per second by the poller.
//
// Threads: only the poller calls step(); a front end may call start(),
// view(), display() and the other accessors from its own thread at any time.
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "oltrex/device/KeyLibrary.h"
#include "oltrex/keyfetch/ActivityBar.h"
#include "oltrex/keyfetch/FileDownload.h"
#include "oltrex/keyfetch/KeyDirectory.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/platform/Settings.h"

namespace oltrex {

enum class SessionState : int { Idle = 0, Look = 1, Read = 2, Write = 3 };
const char* stateName(SessionState state);

inline constexpr const char* kUnknownText = "...";
inline constexpr const char* kInitialisingText =
    "OLTREX-Key Initialisierung. Bitte einen Moment warten!";
inline constexpr const char* kSecureDownloadText = "DLC-Secure Download";

// The five strings a front end shows (status line, firmware, key number,
// download counter, generation counts) and the overall percentage.
struct SessionDisplay {
    std::string status;
    std::string firmware = kUnknownText;
    std::string keyNumber = kUnknownText;
    std::string downloadCounter = kUnknownText;
    std::string generationCounts;
    int percent = 0;
    bool operator==(const SessionDisplay&) const = default;
};

// Everything a front end needs after a step, taken at one moment.
struct SessionView {
    SessionDisplay display;
    SessionState state = SessionState::Idle;
    int usableCount = 0;
    // "Start" is enabled outside the write state when usable files are listed.
    bool startEnabled = false;
    // The activity bar is shown while a download runs.
    bool downloading = false;
};

// One download run (from "Start" until the last file or an abort).
struct RunSummary {
    bool started = false;
    bool finished = false;  // every listed file was handled
    bool keyLost = false;   // the key stopped answering during the run
    int listed = 0;         // usable files when "Start" was pressed
    std::vector<KeyFile> listedFiles;
    std::vector<FileReport> files;  // handled files in order
    int filedCount() const;
    bool allFiled() const { return finished && filedCount() == listed; }
};

class KeySession {
  public:
    // Reads "NoDelete" and "MakeEU" from the key settings.
    KeySession(KeyLibrary& key, FileDownloader& downloader, Clock& clock,
               const SettingsStore& settings);
    ~KeySession();
    KeySession(const KeySession&) = delete;
    KeySession& operator=(const KeySession&) = delete;

    // One step of the state machine.
    void step();

    // "Start": when usable files are listed, the session downloads them, one
    // per step from the next one on. Returns false (and changes nothing) with
    // no usable files or while a download runs.
    bool start(bool makeEuFile);

    SessionState state() const;
    void setState(SessionState state);
    SessionDisplay display() const;
    SessionView view() const;
    int usableCount() const;
    std::vector<KeyFile> fileList() const;
    RunSummary lastRun() const;

    bool noDelete() const { return noDelete_; }
    // "MakeEU": the start value of "DDD-Datei erstellen".
    bool makeEuDefault() const { return makeEuDefault_; }
    bool secure() const;

    void setActivityBar(ActivityBar* bar);

    // At shutdown: a key left open in secure mode is closed.
    void close();

  private:
    SessionState stepIdle();
    SessionState stepLook();
    SessionState stepRead();
    SessionState stepWrite();
    void readDirectory();
    void takeDisplayFields(const std::string& keyInfo);
    bool keyAnswers(std::string& keyInfo);
    void endSecureMode();
    void updateCounters();
    void beginRun();  // under the lock

    KeyLibrary& key_;
    FileDownloader& downloader_;
    Clock& clock_;
    bool noDelete_ = false;
    bool makeEuDefault_ = false;

    // Guards the fields below against the front end's thread.
    mutable std::mutex mutex_;
    SessionDisplay display_;
    SessionState state_ = SessionState::Idle;
    bool stepping_ = false;
    bool pendingStart_ = false;
    bool makeEuFile_ = false;
    int idleTicks_ = 0;
    bool secure_ = false;
    std::string series_;  // of the key identity at the last directory read
    DirectoryListing listing_;
    int nextFile_ = 0;
    int gen1Done_ = 0;
    int gen2Done_ = 0;
    long long totalBytes_ = 1;
    long long bytesDone_ = 0;
    RunSummary run_;
    ActivityBar* bar_ = nullptr;
    NoActivityBar noBar_;
};

}  // namespace oltrex
