#include "TForm2.h"

#include <QCloseEvent>
#include <QFont>
#include <QMetaObject>
#include <QThread>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "FormLayout.h"
#include "Pictures.h"
#include "StatusColour.h"
#include "TFormInfo.h"
#include "oltrex/fwflasher/FlasherTexts.h"

namespace oltrex::fwflasher {
namespace {

// Pixels between a label and the text that follows it on the same line.
constexpr int kLabelGap = 6;

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
    setWindowTitle(QString::fromUtf8(kMainCaption));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    Label1 = new QLabel(this);
    placeLabel(Label1, 16, 16, QStringLiteral("OltrexStick Seriennummer:"));
    LabelStickSnr = new QLabel(this);
    placeLabel(LabelStickSnr, 168, 16, QStringLiteral(" ---"));
    Label3 = new QLabel(this);
    placeLabel(Label3, 16, 40, QStringLiteral("Stick-Firmware:"));
    LabelStickFw = new QLabel(this);
    placeLabel(LabelStickFw, 168, 40, QStringLiteral(" ---"));
    Label2 = new QLabel(this);
    placeLabel(Label2, 16, 64, QStringLiteral("neue Firmware:"));
    LabelFw = new QLabel(this);
    placeLabel(LabelFw, 168, 64, QStringLiteral(" ---"));

    Image1 = new PictureFrame(keyPicture(), this);
    Image1->setGeometry(296, 8, 57, 57);
    connect(Image1, &PictureFrame::clicked, this, &TForm2::Image1Click);

    ButtonUpgrade = new QPushButton(QStringLiteral("Update"), this);
    ButtonUpgrade->setGeometry(32, 88, 75, 25);
    connect(ButtonUpgrade, &QPushButton::clicked, this, &TForm2::ButtonUpgradeClick);
    ButtonCancel = new QPushButton(QStringLiteral("Ende"), this);
    ButtonCancel->setGeometry(264, 88, 75, 25);
    connect(ButtonCancel, &QPushButton::clicked, this, &TForm2::ButtonCancelClick);
    setTabOrder(ButtonUpgrade, ButtonCancel);

    ProgressBarDownload = new QProgressBar(this);
    ProgressBarDownload->setGeometry(16, 120, 337, 16);
    ProgressBarDownload->setRange(0, 100);
    ProgressBarDownload->setValue(0);
    ProgressBarDownload->setTextVisible(false);

    Label5 = new QLabel(this);
    placeLabel(Label5, 16, 144, QStringLiteral("Status:"));
    Label4 = new QLabel(this);
    // The status text keeps its gap after "Status:", however wide the font
    // available here makes that label.
    const int statusLeft = std::max(56, Label5->geometry().right() + 1 + kLabelGap);
    placeLabel(Label4, statusLeft, 144, QStringLiteral("---"));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setGeometry(16, 168, 337, 217);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setPlainText(QStringLiteral("Memo1"));
    setTabOrder(ButtonCancel, Memo1);

    if (debugView_) {
        setFixedSize(kClientWidth, kClientHeight);
    } else {
        Memo1->hide();
        setFixedSize(kClientWidth, kShortHeight);
    }
    ButtonUpgrade->setFocus();
    centreOnScreen(this);

    transfer_ = std::make_unique<Userdownloadunit>(*services.port, *services.clock, *this,
                                                   services.image, services.limits);
    FlasherFlowSetup setup;
    setup.keys = services.keys;
    setup.prompts = services.prompts;
    setup.window = this;
    setup.transfer = transfer_.get();
    setup.clock = services.clock;
    setup.imageLabel = services.imageLabel;
    setup.bootLoaderStartMs = services.bootLoaderStartMs;
    flow_ = std::make_unique<FlasherFlow>(setup);
    upgrade_ = std::make_unique<BackgroundUpgrade>(*flow_, *this);
}

TForm2::~TForm2() {
    // A transfer still running ends first; its last calls to the form are dropped.
    upgrade_.reset();
}

void TForm2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (formShowDone_) return;
    formShowDone_ = true;
    // Once the window is on the screen, so that the boxes stand in front of it.
    QTimer::singleShot(0, this, &TForm2::FormShow);
}

void TForm2::FormShow() {
    formShowDone_ = true;
    if (flow_->formShow() == FlowOutcome::EndProgram) endProgram();
}

void TForm2::ButtonUpgradeClick() {
    const FlowOutcome outcome = upgrade_->start(
        [this] { QMetaObject::invokeMethod(this, &TForm2::upgradeEnded, Qt::QueuedConnection); });
    if (outcome == FlowOutcome::EndProgram) endProgram();
}

void TForm2::upgradeEnded() {
    const int result = upgrade_->finish();
    repaint();
    emit transferEnded(result);
}

void TForm2::ButtonCancelClick() { close(); }

void TForm2::closeEvent(QCloseEvent* event) {
    // Nothing interrupts a transfer, closing the window included.
    if (upgrade_->running()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TForm2::onFormThread(std::function<void()> change) {
    if (QThread::currentThread() == thread()) {
        change();
    } else {
        QMetaObject::invokeMethod(this, std::move(change), Qt::QueuedConnection);
    }
}

void TForm2::Image1Click() { flow_->image1Click(); }

void TForm2::endProgram() {
    emit programEndRequested();
    QTimer::singleShot(0, this, &QWidget::close);
}

void TForm2::addMemoLine(std::string_view text) {
    onFormThread([this, line = fromUtf8(text)] { Memo1->appendPlainText(line); });
}

void TForm2::showStatus(std::string_view text, BgrColour colour) {
    onFormThread([this, status = fromUtf8(text), colour] {
        QPalette palette = Label4->palette();
        palette.setColor(QPalette::WindowText, colourFromBgr(colour));
        Label4->setPalette(palette);
        setLabelText(Label4, status);
        Label4->repaint();
    });
}

void TForm2::showProgress(int percent) {
    onFormThread([this, percent] {
        ProgressBarDownload->setValue(percent);
        ProgressBarDownload->repaint();
    });
}

void TForm2::showStickSerial(const std::string& text) {
    setLabelText(LabelStickSnr, fromUtf8(text));
}

void TForm2::showStickFirmware(const std::string& text) {
    setLabelText(LabelStickFw, fromUtf8(text));
}

void TForm2::showNewFirmware(const std::string& text) { setLabelText(LabelFw, fromUtf8(text)); }

void TForm2::showInfoKeyId(const std::string& text) { info_.setKeyIdLine(fromUtf8(text)); }

void TForm2::repaintForm() {
    onFormThread([this] { repaint(); });
}

void TForm2::enableControls(bool enabled) {
    ButtonUpgrade->setEnabled(enabled);
    ButtonCancel->setEnabled(enabled);
    Image1->setEnabled(enabled);
}

void TForm2::showInfoForm() { info_.exec(); }

}  // namespace oltrex::fwflasher
