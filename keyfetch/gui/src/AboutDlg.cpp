#include "oltrex/keyfetch/gui/AboutDlg.h"

#include <QLabel>
#include <QPushButton>

#include "oltrex/keyfetch/gui/DialogUnits.h"
#include "oltrex/keyfetch/gui/KeyFetchArt.h"
#include "oltrex/keyfetch/window/SmallDialogs.h"

namespace oltrex {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("IDD_ABOUTBOX_100"));
    setWindowTitle(QString::fromUtf8(about::kCaption));
    setWindowIcon(keyFetchIcon());
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    const DialogUnits du(font());

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("IconProgram"));
    icon->setPixmap(keyFetchIcon().pixmap(32, 32));
    icon->setGeometry(du.toPixels(about::kIcon));
    auto* version = new QLabel(QString::fromUtf8(about::kVersionLine), this);
    version->setObjectName(QStringLiteral("LabelVersion"));
    version->setGeometry(du.toPixels(about::kVersion));
    auto* ok = new QPushButton(QString::fromUtf8(about::kOk), this);
    ok->setObjectName(QStringLiteral("IDC_1"));
    ok->setDefault(true);
    ok->setGeometry(du.toPixels(about::kOkButton));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(du.toPixels(about::kWidthDu, about::kHeightDu));
}

}  // namespace oltrex
