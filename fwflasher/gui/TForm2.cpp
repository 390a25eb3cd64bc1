#include "TForm2.h"

#include <QCloseEvent>
#include <QFont>
#include <QMetaObject>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "FormLayout.h"
#include "Pictures.h"
#include "StatusColour.h"
#include "TFormInfo.h"
#include "oltrex/fwflasher/FlasherTexts.h"
#include "oltrex/fwflasher/FormGeometry.h"

namespace oltrex::fwflasher {
namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

PictureFrame::PictureFrame(const QPixmap& picture, QWidget* parent)
    : QWidget(parent), picture_(picture) {}

void PictureFrame::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QSize size = picture_.deviceIndependentSize().toSize();
    p.drawPixmap((width() - size.width()) / 2, (height() - size.height()) / 2, picture_);
}

void PictureFrame::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
}

void PictureFrame::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click) emit clicked();
}

TForm2::TForm2(const FlasherServices& services, TFormInfo& info, bool debugView, QWidget* parent)
    : QWidget(parent, fixedDialogFrameFlags()), info_(info), debugView_(debugView) {
    using namespace mainform;
    setWindowTitle(QString::fromUtf8(kMainCaption));
    setFont(QFont(QString::fromUtf8(kFont.family), kFont.points));

    auto label = [this](PixelPoint at, const char* text) {
        auto* made = new QLabel(this);
        placeLabel(made, at.left, at.top, QString::fromUtf8(text));
        return made;
    };
    auto place = [](QWidget* widget, PixelRect r) {
        widget->setGeometry(r.left, r.top, r.width, r.height);
    };
    Label1 = label(kLabel1, kLabelSerial);
    LabelStickSnr = label(kLabelStickSnr, kNoValue);
    Label3 = label(kLabel3, kLabelStickFirmware);
    LabelStickFw = label(kLabelStickFw, kNoValue);
    Label2 = label(kLabel2, kLabelNewFirmware);
    LabelFw = label(kLabelFw, kNoValue);

    Image1 = new PictureFrame(keyPicture(), this);
    place(Image1, kImage1);
    connect(Image1, &PictureFrame::clicked, this, &TForm2::Image1Click);

    ButtonUpgrade = new QPushButton(QString::fromUtf8(kButtonUpdate), this);
    place(ButtonUpgrade, kButtonUpgrade);
    connect(ButtonUpgrade, &QPushButton::clicked, this, &TForm2::ButtonUpgradeClick);
    ButtonCancel = new QPushButton(QString::fromUtf8(kButtonEnd), this);
    place(ButtonCancel, kButtonCancel);
    connect(ButtonCancel, &QPushButton::clicked, this, &TForm2::ButtonCancelClick);
    setTabOrder(ButtonUpgrade, ButtonCancel);

    ProgressBarDownload = new QProgressBar(this);
    place(ProgressBarDownload, kProgressBar);
    ProgressBarDownload->setRange(0, 100);
    ProgressBarDownload->setValue(0);
    ProgressBarDownload->setTextVisible(false);

    Label5 = label(kLabel5, kLabelStatus);
    Label4 = label({statusLeft(Label5->geometry().right() + 1), kLabel4.top}, kNoStatus);

    Memo1 = new QPlainTextEdit(this);
    place(Memo1, kMemo1);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setPlainText(QString::fromUtf8(kMemoInitial));
    setTabOrder(ButtonCancel, Memo1);

    Memo1->setVisible(memoShown(debugView_));
    setFixedSize(kClientWidth, clientHeight(debugView_));
    ButtonUpgrade->setFocus();
    centreOnScreen(this);

    form_ = std::make_unique<FlasherForm>(services, *this);
}

TForm2::~TForm2() {
    // A transfer still running ends first; its last calls to the form are dropped.
    form_.reset();
}

void TForm2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Once the window is on the screen, so that the boxes stand in front of it.
    if (form_->claimFirstShow()) QTimer::singleShot(0, this, &TForm2::FormShow);
}

void TForm2::FormShow() { form_->formShow(); }

void TForm2::ButtonUpgradeClick() { form_->buttonUpgradeClick(); }

void TForm2::onTransferEnded(int result) { emit transferEnded(result); }

void TForm2::ButtonCancelClick() { form_->buttonCancelClick(); }

void TForm2::closeForm() { close(); }

void TForm2::closeEvent(QCloseEvent* event) {
    if (!form_->mayClose()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TForm2::postToViewThread(std::function<void()> change) {
    QMetaObject::invokeMethod(this, std::move(change), Qt::QueuedConnection);
}

void TForm2::Image1Click() { form_->image1Click(); }

void TForm2::endProgram() {
    emit programEndRequested();
    QTimer::singleShot(0, this, &QWidget::close);
}

void TForm2::addMemoLine(std::string_view text) { Memo1->appendPlainText(fromUtf8(text)); }

void TForm2::showStatus(std::string_view text, BgrColour colour) {
    QPalette palette = Label4->palette();
    palette.setColor(QPalette::WindowText, colourFromBgr(colour));
    Label4->setPalette(palette);
    setLabelText(Label4, fromUtf8(text));
    Label4->repaint();
}

void TForm2::showProgress(int percent) {
    ProgressBarDownload->setValue(percent);
    ProgressBarDownload->repaint();
}

void TForm2::showStickSerial(const std::string& text) {
    setLabelText(LabelStickSnr, fromUtf8(text));
}

void TForm2::showStickFirmware(const std::string& text) {
    setLabelText(LabelStickFw, fromUtf8(text));
}

void TForm2::showNewFirmware(const std::string& text) { setLabelText(LabelFw, fromUtf8(text)); }

void TForm2::showInfoKeyId(const std::string& text) { info_.setKeyIdLine(fromUtf8(text)); }

void TForm2::repaintForm() { repaint(); }

void TForm2::enableControls(bool enabled) {
    ButtonUpgrade->setEnabled(enabled);
    ButtonCancel->setEnabled(enabled);
    Image1->setEnabled(enabled);
}

void TForm2::showInfoForm() { info_.exec(); }

}  // namespace oltrex::fwflasher
