#include "AboutDlg.h"

#include <QLabel>
#include <QPushButton>

#include "DialogUnits.h"
#include "oltrex/keyrefresh/window/RefreshForm.h"
#include "oltrex/keyrefresh/RefreshTexts.h"

namespace oltrex::gui {

CAboutDlg::CAboutDlg(const QIcon& icon, QWidget* parent) : QDialog(parent) {
    setWindowTitle(qtext(refresh::kAboutCaption));
    setFixedSize(dluSize(336, 110));
    auto* picture = new QLabel(this);
    picture->setPixmap(icon.pixmap(32, 32));
    picture->setGeometry(dluRect(11, 17, 21, 20));
    name_ = new QLabel(this);
    name_->setObjectName("1006");
    name_->setText(qtext(aboutNameLine()));
    name_->setGeometry(dluRect(40, 14, 280, 8));
    // The maker's lines.
    int y = 30;
    for (const char* line : refresh::kAboutMakerLines) {
        auto* label = new QLabel(qtext(line), this);
        label->setGeometry(dluRect(40, y, 280, 8));
        y += 12;
    }
    auto* ok = new QPushButton("OK", this);
    ok->setDefault(true);
    ok->setGeometry(dluRect(279, 89, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace oltrex::gui
