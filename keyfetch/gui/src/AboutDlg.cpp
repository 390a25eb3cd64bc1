#include "oltrex/keyfetch/gui/AboutDlg.h"

#include <QLabel>
#include <QPushButton>

#include "oltrex/keyfetch/gui/DialogUnits.h"
#include "oltrex/keyfetch/gui/KeyFetchArt.h"

namespace oltrex {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("IDD_ABOUTBOX_100"));
    setWindowTitle(QStringLiteral("Info über OLTREXKeyFetch"));
    setWindowIcon(keyFetchIcon());
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    const DialogUnits du(font());

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("IconProgram"));
    icon->setPixmap(keyFetchIcon().pixmap(32, 32));
    icon->setGeometry(du.toPixels(DuRect{11, 14, 21, 20}));
    auto* version = new QLabel(QStringLiteral("OLTREXKeyFetch Version 1.0"), this);
    version->setObjectName(QStringLiteral("LabelVersion"));
    version->setGeometry(du.toPixels(DuRect{40, 18, 119, 8}));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("IDC_1"));
    ok->setDefault(true);
    ok->setGeometry(du.toPixels(DuRect{178, 14, 50, 14}));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(du.toPixels(235, 40));
}

}  // namespace oltrex
