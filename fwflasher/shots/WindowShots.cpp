// fwflasher-window-shots: pictures of FwFlasher's window (with and without the
// memo) and of its info form for the documentation. The window runs its real
// flow, flashing an in-memory boot loader for a key on firmware 1.10; run it
// under Xvfb (xvfb-run) or offscreen.
//
//   fwflasher-window-shots OUTPUT_FOLDER
#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <cstring>
#include <deque>
#include <filesystem>
#include <iostream>

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

// The boot loader wired straight to the port.
class LoopbackPort final : public ComPort {
public:
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
        for (std::size_t i = 0; i < size; ++i) {
            if (auto result = loader_.feed(bytes[i])) {
                answers_.insert(answers_.end(), result->answerLine.begin(), result->answerLine.end());
            }
        }
    }
    void close() override {}
    std::string description() const override { return {}; }

private:
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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fwflasher-window-shots OUTPUT_FOLDER\n";
        return 2;
    }
    const fs::path folder = argv[1];
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

    bool ok = true;
    TFormInfo info;
    for (const bool debugView : {true, false}) {
        TForm2 form(services, info, debugView);
        form.FormShow();
        form.show();
        form.ButtonUpgradeClick();
        ok &= save(form, folder / (debugView ? "fwflasher-window-memo.png" : "fwflasher-window.png"));
    }
    QTimer::singleShot(200, [&] {
        ok &= save(info, folder / "fwflasher-info.png");
        info.close();
    });
    info.exec();
    return ok ? 0 : 1;
}
