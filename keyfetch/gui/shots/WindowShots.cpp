// Screenshots of the KeyFetch window for the documentation, taken from the X
// server (run under Xvfb): the main window with a demo key before and during
// a download, and the drive chooser. Run it on a screen with a black root
// window (Xvfb -br), where the window is the only thing shown.
//   keyfetch-window-shots <key folder> <output folder> [work folder]
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "oltrex/keyfetch/KeySession.h"
#include "oltrex/keyfetch/gui/DlgDrives.h"
#include "oltrex/keyfetch/gui/KeyFetchDlg.h"
#include "oltrex/platform/Folders.h"

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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: keyfetch-window-shots <key folder> <output folder> [work folder]\n");
        return 2;
    }
    ::setenv("OLTREX_KEY", argv[1], 1);
    const fs::path out = argv[2];
    QApplication app(argc, argv);

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
