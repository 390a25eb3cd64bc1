// fwflasher-window-shots: pictures of FwFlasher's window (with and without the
// memo) and of its info form for the documentation. The window runs its real
// flow, flashing an in-memory boot loader for a key on firmware 1.10; run it
// under Xvfb (xvfb-run) or offscreen.
//
//   fwflasher-window-shots OUTPUT_FOLDER
//   fwflasher-window-shots --check OUTPUT_FOLDER
//
// With --check (on an X server with a window manager, as scripts/window-check.sh
// runs it) it moves the window while it flashes and takes the screen: the
// window must stand, repainted, at its new place while the transfer runs.
#include <QApplication>
#include <QEventLoop>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <chrono>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <iostream>
#include <thread>

#include "FlasherApplication.h"
#include "TForm2.h"
#include "TFormInfo.h"
#include "oltrex/bootsim/BootLoader.h"
#include "oltrex/fwflasher/CarriedFirmware.h"

namespace fs = std::filesystem;
using namespace oltrex;
using namespace oltrex::fwflasher;

namespace {

// A key on firmware 1.10 that switches into its boot loader on request.
class ShowKey final : public KeyLibrary {
public:
    int keyInfo(char*, int) override { return -1; }
    int firmwareUpdateMode() override { return -1; }
    int readDirectory(DirectoryBuffers&) override { return -1; }
    int readFile(const std::string&, const std::string&) override { return -1; }
    int deleteFile(const std::string&) override { return -1; }
    int beginSecureMode() override { return -1; }
    int endSecureMode() override { return -1; }
    int getSerialNumber(char* record) override {
        std::strcpy(record, " StickID: OX12345678 FW-0110");
        return 0;
    }
    int initSwDownload() override { return 0; }
};

// The boot loader wired straight to the port; with `byteDelayUs` every byte
// written takes that long, so that a transfer lasts a while.
class LoopbackPort final : public ComPort {
public:
    explicit LoopbackPort(int byteDelayUs = 0) : byteDelayUs_(byteDelayUs) {}

    int open(const MessageSink& message) override {
        loader_ = bootsim::BootLoader();
        answers_.clear();
        if (message) message("USB-Mode 115200 Baud");
        return 0;
    }
    int readByte() override {
        if (answers_.empty()) return -1;
        const int byte = answers_.front();
        answers_.pop_front();
        return byte;
    }
    void write(const std::uint8_t* bytes, std::size_t size) override {
        if (byteDelayUs_) std::this_thread::sleep_for(std::chrono::microseconds(byteDelayUs_ * size));
        for (std::size_t i = 0; i < size; ++i) {
            if (auto result = loader_.feed(bytes[i])) {
                answers_.insert(answers_.end(), result->answerLine.begin(), result->answerLine.end());
            }
        }
    }
    void close() override {}
    std::string description() const override { return {}; }

private:
    int byteDelayUs_;
    bootsim::BootLoader loader_;
    std::deque<std::uint8_t> answers_;
};

// Accepts the conditions and every other box.
class AcceptingPrompts final : public FlasherPrompts {
public:
    PromptAnswer ask(PromptKind, std::string_view, std::string_view, PromptButtons) override {
        return PromptAnswer::Ok;
    }
};

// The clock of the answer time-outs; the wait before the transfer is skipped.
class NoWaitClock final : public Clock {
public:
    std::uint32_t tickMs() override { return systemClock().tickMs(); }
    void sleepMs(std::uint32_t) override {}
    LocalTime localTime() override { return systemClock().localTime(); }
};

bool save(QWidget& window, const fs::path& file) {
    QApplication::processEvents();
    const bool ok = window.grab().save(QString::fromStdString(file.string()), "PNG");
    std::cout << (ok ? "wrote " : "could not write ") << file.string() << '\n';
    return ok;
}

void waitFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitUntil(const std::function<bool()>& done, int ms) {
    for (int waited = 0; !done(); waited += 20) {
        if (waited > ms) return false;
        waitFor(20);
    }
    return true;
}

// Share of the pixels of `a` that `b` has alike (both the same size).
double alike(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) return 0;
    long same = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) same += (a.pixel(x, y) & 0xFFFFFF) == (b.pixel(x, y) & 0xFFFFFF);
    return double(same) / (double(a.width()) * a.height());
}

// Only the black root window shows in these parts of the screen.
bool onlyRootWindow(const QImage& screen, const QRegion& parts) {
    for (const QRect& rect : parts) {
        const QRect inside = rect.intersected(screen.rect());
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                if ((screen.pixel(x, y) & 0xFFFFFF) != 0) return false;
    }
    return true;
}

bool report(const char* check, bool ok) {
    std::cout << "check " << check << ": " << (ok ? "ok" : "FAILED") << '\n';
    return ok;
}

// Moves the window while it flashes; the screen must show it, repainted, at
// its new place, and nothing where it stood.
int check(FlasherServices services, const fs::path& folder) {
    LoopbackPort slowLine(150);  // about ten seconds for the whole image
    services.port = &slowLine;
    TFormInfo info;
    TForm2 form(services, info, true);
    form.FormShow();
    form.move(60, 60);
    form.show();
    waitFor(500);
    const QRect before = form.frameGeometry();
    form.ButtonUpgradeClick();
    bool ok = report("the click returns while the transfer runs", form.transferRunning());
    waitFor(1500);
    form.move(700, 300);
    waitFor(800);
    const QImage screen = form.screen()->grabWindow(0).toImage();
    const bool running = form.transferRunning();
    const QImage drawn = form.grab().toImage();
    const fs::path picture = folder / "fwflasher-flashing-moved.png";
    screen.save(QString::fromStdString(picture.string()));
    std::cout << "wrote " << picture.string() << '\n';
    ok &= report("still flashing when the screen was taken", running);
    ok &= report("the controls are off meanwhile",
                 !form.ButtonUpgrade->isEnabled() && !form.ButtonCancel->isEnabled());
    ok &= report("the window stands repainted at its new place", alike(screen.copy(form.geometry()), drawn) > 0.9);
    ok &= report("nothing is left where it stood",
                 onlyRootWindow(screen, QRegion(before).subtracted(QRegion(form.frameGeometry()))));
    ok &= report("the transfer ends and the controls are on again",
                 waitUntil([&] { return !form.transferRunning(); }, 60000) && form.ButtonUpgrade->isEnabled() &&
                     form.Label4->text() == QStringLiteral("Datentransfer abgeschlossen"));
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool checking = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !checking) {
        std::cerr << "usage: fwflasher-window-shots [--check] OUTPUT_FOLDER\n";
        return 2;
    }
    const fs::path folder = argv[argc - 1];
    fs::create_directories(folder);
    FlasherApplication app(argc, argv);
    ShowKey keys;
    LoopbackPort port;
    AcceptingPrompts prompts;
    NoWaitClock clock;
    FlasherServices services;
    services.keys = &keys;
    services.port = &port;
    services.clock = &clock;
    services.prompts = &prompts;
    services.image = {fwFlasherFirmwareImage(), fwFlasherFirmwareLength(), fwFlasherFirmwareTypeCode()};
    services.imageLabel = fwFlasherFirmwareLabel();

    if (checking) return check(services, folder);

    bool ok = true;
    TFormInfo info;
    for (const bool debugView : {true, false}) {
        TForm2 form(services, info, debugView);
        form.FormShow();
        form.show();
        form.ButtonUpgradeClick();
        ok &= waitUntil([&] { return !form.transferRunning(); }, 30000);
        ok &= save(form, folder / (debugView ? "fwflasher-window-memo.png" : "fwflasher-window.png"));
    }
    QTimer::singleShot(200, [&] {
        ok &= save(info, folder / "fwflasher-info.png");
        info.close();
    });
    info.exec();
    return ok ? 0 : 1;
}
