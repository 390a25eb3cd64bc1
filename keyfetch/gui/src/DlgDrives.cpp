#include "oltrex/keyfetch/gui/DlgDrives.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

#include "oltrex/drives/DriveChoice.h"
#include "oltrex/keyfetch/gui/DialogUnits.h"
#include "oltrex/keyfetch/gui/KeyFetchArt.h"

namespace oltrex {
using namespace drivechooser;

CDlgDrives::CDlgDrives(DriveSources sources, QWidget* parent) : QDialog(parent), m_list(sources) {
    setObjectName(QStringLiteral("IDD_DRIVES_130"));
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowIcon(keyFetchIcon());
    setFont(QFont(QStringLiteral("MS Shell Dlg"), 8));
    setModal(true);

    const DialogUnits du(font());
    auto* prompt = new QLabel(QString::fromUtf8(kPrompt), this);
    prompt->setObjectName(QStringLiteral("LabelPrompt"));
    prompt->setGeometry(du.toPixels(kPromptRect));
    auto* hint = new QLabel(QString::fromUtf8(kHint), this);
    hint->setObjectName(QStringLiteral("LabelHint"));
    hint->setGeometry(du.toPixels(kHintRect));

    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("IDC_1006"));
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    QRect comboRect = du.toPixels(kComboRect);
    comboRect.setHeight(m_combo->sizeHint().height());
    m_combo->setGeometry(comboRect);
    m_combo->setMaxVisibleItems(kDriveChoiceRows);
    // The list drops down as wide as its longest entry, nothing cut short.
    m_combo->view()->setTextElideMode(Qt::ElideNone);
    connect(m_combo, &QComboBox::currentIndexChanged, this, [this] { showStartOfEntry(); });

    auto* ok = new QPushButton(QString::fromUtf8(kOk), this);
    ok->setObjectName(QStringLiteral("IDC_1"));
    ok->setGeometry(du.toPixels(kOkRect));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QString::fromUtf8(kCancel), this);
    cancel->setObjectName(QStringLiteral("IDC_2"));
    cancel->setGeometry(du.toPixels(kCancelRect));
    connect(ok, &QPushButton::clicked, this, &CDlgDrives::accept);
    connect(cancel, &QPushButton::clicked, this, &CDlgDrives::reject);

    setFixedSize(du.toPixels(kWidthDu, kHeightDu));
    fillDriveList();
}

void CDlgDrives::fillDriveList() {
    m_combo->clear();
    int widest = 0;
    const QFontMetrics metrics(m_combo->view()->font());
    for (const DriveChoice& choice : m_list.entries()) {
        const QString text = QString::fromStdString(choice.text);
        m_combo->addItem(text, QString::fromStdString(choice.rootText));
        widest = std::max(widest, metrics.horizontalAdvance(text));
    }
    const int frame = 2 * m_combo->view()->frameWidth() + m_combo->view()->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    m_combo->view()->setMinimumWidth(std::max(m_combo->width(), widest + frame + 16));
    m_combo->clearEditText();
    if (m_list.initialSelection() >= 0) m_combo->setCurrentIndex(m_list.initialSelection());
    showStartOfEntry();
}

void CDlgDrives::showStartOfEntry() {
    // A name longer than the field shows its beginning, where the label is.
    if (QLineEdit* edit = m_combo->lineEdit()) edit->setCursorPosition(0);
}

void CDlgDrives::accept() {
    m_result = QString::fromStdString(m_list.resultFor(m_combo->currentIndex(), m_combo->currentText().toStdString()));
    QDialog::accept();
}

void CDlgDrives::reject() {
    m_result.clear();
    QDialog::reject();
}

DlgDrivesChooser::DlgDrivesChooser(QWidget* parent, DriveSources sources)
    : parent_(parent), sources_(std::move(sources)) {}

bool DlgDrivesChooser::chooseDrive(std::string& rootText) {
    bool ok = false;
    {
        CDlgDrives dialog(sources_, parent_);
        ok = dialog.exec() == QDialog::Accepted;
        rootText = dialog.result().toStdString();
    }
    // Nothing is handled while the import runs: the window system has to
    // take the chooser away now, and the window it covered is drawn again.
    if (parent_) parent_->window()->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return ok;
}

}  // namespace oltrex
