#include "TFormInfo.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "FormLayout.h"
#include "Pictures.h"
#include "oltrex/fwflasher/FlasherTexts.h"
#include "oltrex/fwflasher/FormGeometry.h"

namespace oltrex::fwflasher {

TFormInfo::TFormInfo(QWidget* parent) : QDialog(parent, fixedDialogFrameFlags()) {
    using namespace infoform;
    auto font = [](FontSpec spec) { return QFont(QString::fromUtf8(spec.family), spec.points); };
    auto place = [](QWidget* widget, PixelRect r) {
        widget->setGeometry(r.left, r.top, r.width, r.height);
    };
    setWindowTitle(QString::fromUtf8(kInfoCaption));
    setFont(font(kFont));
    setFixedSize(kClientWidth, kClientHeight);

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    place(Panel1, kPanel1);

    Image1 = new QLabel(Panel1);
    place(Image1, kImage1);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(adapterPicture());

    QLabel** labels[] = {&LabelName, &LabelStreet, &LabelTown, &LabelWeb};
    for (int i = 0; i < 4; ++i) {
        *labels[i] = new QLabel(Panel1);
        (*labels[i])->setFont(font(kAddressFont));
        placeLabel(*labels[i], addressLine(i).left, addressLine(i).top,
                   QString::fromUtf8(kAddressLines[i]));
    }

    SerNbr = new QLabel(this);
    SerNbr->setFont(font(kSerNbrFont));
    placeLabel(SerNbr, kSerNbr.left, kSerNbr.top, QString::fromUtf8(kKeyIdInitial));

    ButtonBack = new QPushButton(QString::fromUtf8(kBackButtonText), this);
    place(ButtonBack, kButtonBack);
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
