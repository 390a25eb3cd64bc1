#include "TFormInfo.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "FormLayout.h"
#include "Pictures.h"
#include "oltrex/fwflasher/FlasherTexts.h"

namespace oltrex::fwflasher {

TFormInfo::TFormInfo(QWidget* parent) : QDialog(parent, fixedDialogFrameFlags()) {
    setWindowTitle(QString::fromUtf8(kInfoCaption));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setFixedSize(kClientWidth, kClientHeight);

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(8, 8, 353, 137);

    Image1 = new QLabel(Panel1);
    Image1->setGeometry(8, 16, 129, 105);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(adapterPicture());

    // The maker's address: neutral lines of our own.
    const QFont addressFont(QStringLiteral("Arial"), 10);
    const char* lines[] = {"OLTREX-Key Software", "Musterstraße 1", "12345 Musterstadt",
                           "www.oltrex.example"};
    QLabel** labels[] = {&LabelName, &LabelStreet, &LabelTown, &LabelWeb};
    for (int i = 0; i < 4; ++i) {
        *labels[i] = new QLabel(Panel1);
        (*labels[i])->setFont(addressFont);
        placeLabel(*labels[i], 152, 24 + 24 * i, QString::fromUtf8(lines[i]));
    }

    SerNbr = new QLabel(this);
    SerNbr->setFont(QFont(QStringLiteral("Arial"), 8));
    placeLabel(SerNbr, 16, 162, QString::fromUtf8(kKeyIdInitial));

    ButtonBack = new QPushButton(QStringLiteral("zurück"), this);
    ButtonBack->setGeometry(280, 156, 75, 25);
    ButtonBack->setDefault(true);
    connect(ButtonBack, &QPushButton::clicked, this, &TFormInfo::ButtonBackClick);

    centreOnScreen(this);
}

void TFormInfo::setKeyIdLine(const QString& text) {
    setLabelText(SerNbr, text);
    SerNbr->repaint();
}

void TFormInfo::ButtonBackClick() { close(); }

}  // namespace oltrex::fwflasher
