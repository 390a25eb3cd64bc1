// Screenshots of the KeyFetch window for the documentation, taken from the X
// server (run under Xvfb): the main window with a demo key before and during
// a download, and the drive chooser. Run it on a screen with a black root
// window (Xvfb -br), where the window is the only thing shown.
//   keyfetch-window-shots <key folder> <output folder> [work folder]
//   keyfetch-window-shots --check <card folder> <output folder>
//
// With --check (as scripts/window-check.sh runs it, with a window manager)
// it imports the SD-card files in <card folder>, offered as the only drive,
// through the drive chooser, and takes the screen the moment the import
// starts: the chooser must be gone and the window below drawn again, and the
// closing message must stand in the middle of the window.
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <QMessageBox>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "oltrex/keyfetch/KeySession.h"
#include "oltrex/keyfetch/gui/DlgDrives.h"
#include "oltrex/keyfetch/gui/KeyFetchDlg.h"
#include "oltrex/platform/Folders.h"
#include "oltrex/qtcommon/GermanTexts.h"

namespace {

namespace fs = std::filesystem;

void waitFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

template <typename Done>
bool waitUntil(Done done, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        if (done()) return true;
        waitFor(20);
    }
    return done();
}

// The part of the screen that is not the (black) root window: the window
// with the frame its window manager drew around it.
QRect windowArea(const QImage& screen) {
    QRect area;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if ((screen.pixel(x, y) & 0xFFFFFF) != 0) area |= QRect(x, y, 1, 1);
    return area;
}

// What the X server shows of the window, frame included where there is one.
bool shoot(QWidget& widget, const fs::path& file) {
    waitFor(200);
    QScreen* screen = widget.screen();
    const QPixmap whole = screen->grabWindow(0);
    QPixmap shot;
    if (!whole.isNull()) {
        const QRect area = windowArea(whole.toImage()).united(widget.frameGeometry());
        shot = whole.copy(area);
    }
    if (shot.isNull()) shot = widget.grab();
    const bool saved = shot.save(QString::fromStdString(file.string()));
    std::printf("%s %s\n", saved ? "wrote" : "could not write", file.c_str());
    return saved;
}

bool report(const char* check, bool ok) {
    std::printf("check %s: %s\n", check, ok ? "ok" : "FAILED");
    return ok;
}

// Share of the pixels of `a` that `b` has alike (both the same size).
double alike(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) return 0;
    long same = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) same += (a.pixel(x, y) & 0xFFFFFF) == (b.pixel(x, y) & 0xFFFFFF);
    return double(same) / (double(a.width()) * a.height());
}

// Takes the screen at the first file the import files, once the chooser was
// answered.
class ImportStartShot final : public oltrex::Clock {
public:
    std::uint32_t tickMs() override { return oltrex::systemClock().tickMs(); }
    void sleepMs(std::uint32_t ms) override { oltrex::systemClock().sleepMs(ms); }
    oltrex::LocalTime localTime() override {
        if (window && chooserAnswered && screen.isNull()) {
            screen = window->screen()->grabWindow(0).toImage();
            drawn = window->grab().toImage();
            for (QWidget* w : QApplication::topLevelWidgets())
                choosersLeft += qobject_cast<oltrex::CDlgDrives*>(w) && w->isVisible();
        }
        return oltrex::systemClock().localTime();
    }
    QWidget* window = nullptr;
    bool chooserAnswered = false;
    QImage screen, drawn;
    int choosersLeft = 0;
};

// The card folder as the only drive of a made-up mount table.
oltrex::DriveSources onlyDrive(const fs::path& card, const fs::path& scratch) {
    fs::create_directories(scratch / "sys" / "class" / "block" / "sdz1");
    std::ofstream(scratch / "mounts") << "/dev/sdz1 " << card.string() << " ext4 rw 0 0\n";
    oltrex::DriveSources sources;
    sources.mountTable = scratch / "mounts";
    sources.sysRoot = scratch / "sys";
    sources.devRoot = scratch / "dev";
    return sources;
}

int check(const fs::path& card, const fs::path& out) {
    std::error_code ec;
    const fs::path work = oltrex::createWorkFolder(ec);
    ImportStartShot shot;
    oltrex::KeyFetchWindowSetup setup;
    setup.workFolder = work;
    setup.clock = &shot;
    setup.drives = onlyDrive(card, work / "machine");
    QRect chooserFrame, messageFrame;
    bool ok = true;
    {
        oltrex::CKeyFetchDlg dialog(setup);
        shot.window = &dialog;
        dialog.move(300, 200);
        dialog.show();
        waitFor(500);
        QTimer poll;
        bool answering = false;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal == &dialog || !modal->isVisible() || answering) return;
            answering = true;
            // Once the window manager has framed it.
            QTimer::singleShot(500, modal, [&, modal] {
                answering = false;
                if (auto* chooser = qobject_cast<oltrex::CDlgDrives*>(modal)) {
                    chooserFrame = chooser->frameGeometry();
                    shot.chooserAnswered = true;
                    chooser->accept();
                } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                    messageFrame = box->frameGeometry();
                    box->button(QMessageBox::Ok)->click();
                }
            });
        });
        poll.start(20);
        dialog.onSdCard();
        const fs::path picture = out / "keyfetch-import-started.png";
        shot.screen.save(QString::fromStdString(picture.string()));
        std::printf("wrote %s\n", picture.c_str());

        ok &= report("the import filed a file after the chooser", !shot.screen.isNull() &&
                                                                        dialog.lastImport() &&
                                                                        dialog.lastImport()->containers() > 0);
        ok &= report("no chooser is left when the import starts", shot.choosersLeft == 0);
        const QRect covered = chooserFrame.intersected(dialog.geometry());
        ok &= report("the window is drawn again where the chooser stood",
                     !covered.isEmpty() &&
                         alike(shot.screen.copy(covered), shot.drawn.copy(covered.translated(-dialog.geometry().topLeft()))) >
                             0.95);
        ok &= report("the closing message stands in the middle of the window",
                     !messageFrame.isNull() &&
                         (messageFrame.center() - dialog.frameGeometry().center()).manhattanLength() <= 16);
        dialog.reject();
    }
    fs::remove_all(work, ec);
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool checking = argc == 4 && std::strcmp(argv[1], "--check") == 0;
    if (argc < 3) {
        std::fprintf(stderr, "usage: keyfetch-window-shots <key folder> <output folder> [work folder]\n"
                             "       keyfetch-window-shots --check <card folder> <output folder>\n");
        return 2;
    }
    QApplication app(argc, argv);
    oltrex::qtcommon::installGermanTranslations(app);
    if (checking) {
        fs::create_directories(argv[3]);
        return check(argv[2], argv[3]);
    }
    ::setenv("OLTREX_KEY", argv[1], 1);
    const fs::path out = argv[2];

    std::error_code ec;
    const fs::path work = argc > 3 ? fs::path(argv[3]) : oltrex::createWorkFolder(ec);
    oltrex::KeyFetchWindowSetup setup;
    setup.workFolder = work;
    setup.pollerTickMs = 300;
    setup.animatorTickMs = 60;
    int failures = 0;
    {
        oltrex::CKeyFetchDlg dialog(setup);
        dialog.move(40, 40);
        dialog.show();
        auto* start = dialog.findChild<QWidget*>(QStringLiteral("IDC_1"));
        if (!waitUntil([&] { return start->isEnabled(); }, 10000)) ++failures;
        if (!shoot(dialog, out / "keyfetch-main.png")) ++failures;

        QMetaObject::invokeMethod(&dialog, "onStart");
        // A few files in, during a read: the counters and both bars have moved.
        waitUntil([&] {
            const int step = dialog.activity().step();
            return dialog.session().view().display.percent >= 30 && step >= 2 && step <= 9;
        }, 30000);
        if (!shoot(dialog, out / "keyfetch-download.png")) ++failures;
        dialog.reject();
    }
    {
        oltrex::CDlgDrives chooser;
        chooser.move(40, 40);
        chooser.show();
        if (!shoot(chooser, out / "keyfetch-drives.png")) ++failures;
    }
    if (argc <= 3) fs::remove_all(work, ec);
    return failures == 0 ? 0 : 1;
}
