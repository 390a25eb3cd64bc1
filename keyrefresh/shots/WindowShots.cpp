// keyrefresh-window-shots: pictures of KeyRefresh's conditions box and its
// three pages for the documentation. The window runs its real flow against an
// in-memory key and boot loader; run it under Xvfb (xvfb-run) or offscreen.
//
//   keyrefresh-window-shots OUTPUT_FOLDER
//   keyrefresh-window-shots --check OUTPUT_FOLDER
//
// With --check (on an X server with a window manager, as scripts/window-check.sh
// runs it) a key on firmware 2.50 is refused before the window is shown: the
// conditions box and the refusal box must stand in the middle of the screen
// and speak German.
#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <thread>

#include "DialogUnits.h"
#include "DlgLogin.h"
#include "DlgUpdate.h"
#include "KeyRefreshDlg.h"
#include "RefreshPrompts.h"
#include "oltrex/bootsim/BootLoader.h"
#include "oltrex/keyrefresh/CarriedFirmware.h"
#include "oltrex/keyrefresh/HeadlessRefresh.h"
#include "oltrex/keyrefresh/RefreshTexts.h"
#include "oltrex/qtcommon/CentredMessageBox.h"
#include "oltrex/qtcommon/GermanTexts.h"

namespace fs = std::filesystem;
using namespace oltrex;

namespace {

// A key (on firmware 1.10 unless told) that switches into its boot loader on request.
class ShowKey final : public KeyLibrary {
  public:
    explicit ShowKey(std::string firmware = "0110") : text_(" StickID: OX0012345678 FW-" + firmware) {}
    int keyInfo(char* text, int size) override {
        std::snprintf(text, static_cast<std::size_t>(size), "%s", text_.c_str());
        return 0;
    }
    int firmwareUpdateMode() override { return 0; }
    int readDirectory(DirectoryBuffers&) override { return -1; }
    int readFile(const std::string&, const std::string&) override { return -1; }
    int deleteFile(const std::string&) override { return -1; }
    int beginSecureMode() override { return -1; }
    int endSecureMode() override { return -1; }
    int getSerialNumber(char*) override { return -1; }
    int initSwDownload() override { return -1; }

  private:
    std::string text_;
};

// The boot loader wired straight to the port.
class LoopbackPort final : public ComPort {
  public:
    int open(const MessageSink& message) override {
        if (message) message("USB-Mode 115200 Baud");
        return 0;
    }
    int readByte() override {
        std::lock_guard lock(mutex_);
        if (answers_.empty()) return -1;
        const int byte = answers_.front();
        answers_.pop_front();
        return byte;
    }
    void write(const std::uint8_t* bytes, std::size_t size) override {
        std::lock_guard lock(mutex_);
        for (std::size_t i = 0; i < size; ++i)
            if (auto result = loader_.feed(bytes[i]))
                answers_.insert(answers_.end(), result->answerLine.begin(),
                                result->answerLine.end());
    }
    void close() override {}
    std::string description() const override { return "loopback"; }

  private:
    std::mutex mutex_;
    bootsim::BootLoader loader_;
    std::deque<std::uint8_t> answers_;
};

// Holds the worker in its boot-loader wait until the picture of the update
// page is taken.
class ShowClock final : public Clock {
  public:
    std::uint32_t tickMs() override { return systemClock().tickMs(); }
    void sleepMs(std::uint32_t ms) override {
        if (ms < 1000) return systemClock().sleepMs(ms);
        std::unique_lock lock(mutex_);
        opened_.wait(lock, [this] { return open_; });
    }
    LocalTime localTime() override { return systemClock().localTime(); }
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

class AcceptingPrompts final : public gui::RefreshPrompts {
  public:
    bool acceptConditions(QWidget*, const QString&, const QString&) override { return true; }
    void exclamation(QWidget*, const QString&, const QString&) override {}
};

bool save(QWidget& widget, const fs::path& file) {
    const bool saved = widget.grab().save(QString::fromStdString(file.string()), "PNG");
    std::cerr << (saved ? "wrote " : "cannot write ") << file.string() << "\n";
    return saved;
}

void waitUntil(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition() && std::chrono::steady_clock::now() < deadline) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool report(const std::string& check, bool ok) {
    std::cout << "check " << check << ": " << (ok ? "ok" : "FAILED") << '\n';
    return ok;
}

// What one box showed on the screen.
struct ShownBox {
    QString text;
    QStringList buttons;
    QRect frame;
};

// The boxes that come before the window is shown, as the program shows them.
int check(const fs::path& out) {
    ShowKey refused("0250");
    ShowClock clock;
    clock.open();
    gui::QtRefreshPrompts boxes;
    const fs::path scratch = fs::temp_directory_path() / "keyrefresh-window-check";
    fs::create_directories(scratch);
    CWLog log(scratch / "OLTREXKeyRefresh.log", clock);
    gui::RefreshWindowParts parts;
    parts.keys = &refused;
    parts.clock = &clock;
    parts.log = &log;
    parts.prompts = &boxes;
    parts.newFirmware = keyRefreshFirmwareVersion();

    std::vector<ShownBox> shown;
    QTimer poll;
    bool answering = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || answering) return;
        answering = true;
        // Once the window manager has framed it.
        QTimer::singleShot(500, box, [&, box] {
            ShownBox seen{box->text(), {}, box->frameGeometry()};
            for (QAbstractButton* button : box->buttons()) seen.buttons << button->text();
            const fs::path picture =
                out / (shown.empty() ? "keyrefresh-conditions-screen.png" : "keyrefresh-refused-key-screen.png");
            box->screen()->grabWindow(0).save(QString::fromStdString(picture.string()));
            std::cout << "wrote " << picture.string() << '\n';
            shown.push_back(seen);
            box->button(QMessageBox::Ok)->click();
            answering = false;
        });
    });
    poll.start(20);
    gui::CKeyRefreshDlg window(parts);
    const bool started = window.OnInitDialog();  // before the window is shown, as the program does

    const QPoint middle = QGuiApplication::primaryScreen()->availableGeometry().center();
    bool ok = report("the window starts after both boxes", started && shown.size() == 2);
    if (shown.size() == 2) {
        ok &= report("the conditions box offers OK and Abbrechen",
                     shown[0].buttons == QStringList({"OK", "Abbrechen"}));
        ok &= report("the refusal box says the key is invalid",
                     shown[1].text == QString::fromUtf8("Ungültiger Key\nUpdate ist nicht möglich."));
        for (const ShownBox& box : shown) {
            const int off = (box.frame.center() - middle).manhattanLength();
            ok &= report("a box stands in the middle of the screen (" + std::to_string(off) + " pixels off)",
                         off <= 16);
        }
    }
    window.done(0);
    std::error_code ec;
    fs::remove_all(scratch, ec);
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool checking = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !checking) {
        std::cerr << "usage: keyrefresh-window-shots [--check] OUTPUT_FOLDER\n";
        return 2;
    }
    const fs::path out = argv[argc - 1];
    fs::create_directories(out);
    QApplication app(argc, argv);
    qtcommon::installGermanTranslations(app);
    if (checking) return check(out);
    bool ok = true;

    // The conditions box as the program shows it.
    qtcommon::CentredMessageBox conditions(QMessageBox::NoIcon, gui::qtext(refresh::kConditionsCaption),
                                           gui::boxText(conditionsText()), QMessageBox::Ok | QMessageBox::Cancel);
    conditions.show();
    QApplication::processEvents();
    ok &= save(conditions, out / "keyrefresh-conditions.png");
    conditions.hide();

    ShowKey key;
    LoopbackPort port;
    ShowClock clock;
    AcceptingPrompts prompts;
    const fs::path scratch = fs::temp_directory_path() / "keyrefresh-window-shots";
    fs::create_directories(scratch);
    CWLog log(scratch / "OLTREXKeyRefresh.log", clock);

    gui::RefreshWindowParts parts;
    parts.keys = &key;
    parts.clock = &clock;
    parts.log = &log;
    parts.prompts = &prompts;
    parts.newFirmware = keyRefreshFirmwareVersion();
    parts.worker.keys = &key;
    parts.worker.port = &port;
    parts.worker.clock = &clock;
    parts.worker.image = {keyRefreshFirmwareImage(), keyRefreshFirmwareLength(),
                          keyRefreshFirmwareDescription()};
    parts.worker.logFolder = scratch;

    gui::CKeyRefreshDlg window(parts);
    window.show();
    window.OnInitDialog();
    QApplication::processEvents();
    ok &= save(window, out / "keyrefresh-key-page.png");

    window.keyPage()->weiterButton()->click();
    waitUntil([&] { return window.updatePage()->progressBar()->value() >= 40; });
    ok &= save(window, out / "keyrefresh-update-page.png");

    clock.open();
    waitUntil([&] { return window.pageIndex() == kFinishedPage; });
    QApplication::processEvents();
    ok &= save(window, out / "keyrefresh-finished-page.png");

    window.done(0);
    std::error_code ec;
    fs::remove_all(scratch, ec);
    return ok && window.session().outcome() == 1 ? 0 : 1;
}
