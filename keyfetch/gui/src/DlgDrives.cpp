#include "oltrex/keyfetch/gui/DlgDrives.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

#include "oltrex/keyfetch/gui/DialogUnits.h"
#include "oltrex/keyfetch/gui/KeyFetchArt.h"

namespace oltrex {
namespace {

constexpr DuRect kPromptRect{7, 6, 118, 8};
constexpr DuRect kHintRect{7, 15, 118, 8};
constexpr DuRect kComboRect{7, 28, 116, 60};  // with its dropped-down list
constexpr DuRect kOkRect{129, 7, 44, 14};
constexpr DuRect kCancelRect{129, 26, 44, 14};

}  // namespace

CDlgDrives::CDlgDrives(DriveSources sources, QWidget* parent) : QDialog(parent), m_sources(std::move(sources)) {
    setObjectName(QStringLiteral("IDD_DRIVES_130"));
    setWindowTitle(QStringLiteral("OLTREX-KeyFetch"));
    setWindowIcon(keyFetchIcon());
    setFont(QFont(QStringLiteral("MS Shell Dlg"), 8));
    setModal(true);

    const DialogUnits du(font());
    auto* prompt = new QLabel(QStringLiteral("Bitte wählen Sie ein Laufwerk aus:"), this);
    prompt->setObjectName(QStringLiteral("LabelPrompt"));
    prompt->setGeometry(du.toPixels(kPromptRect));
    auto* hint = new QLabel(QStringLiteral("(Buchstabe aus Explorer ersichtlich)"), this);
    hint->setObjectName(QStringLiteral("LabelHint"));
    hint->setGeometry(du.toPixels(kHintRect));

    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("IDC_1006"));
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    QRect comboRect = du.toPixels(kComboRect);
    comboRect.setHeight(m_combo->sizeHint().height());
    m_combo->setGeometry(comboRect);
    m_combo->setMaxVisibleItems(std::max(1, du.toPixelsY(kComboRect.h) / std::max(1, m_combo->sizeHint().height())));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("IDC_1"));
    ok->setGeometry(du.toPixels(kOkRect));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    cancel->setObjectName(QStringLiteral("IDC_2"));
    cancel->setGeometry(du.toPixels(kCancelRect));
    connect(ok, &QPushButton::clicked, this, &CDlgDrives::accept);
    connect(cancel, &QPushButton::clicked, this, &CDlgDrives::reject);

    setFixedSize(du.toPixels(kWidthDu, kHeightDu));
    fillDriveList();
}

void CDlgDrives::fillDriveList() {
    DriveScanner scanner(m_sources);
    scanner.scanDrives();
    QStringList roots;
    for (const DriveRecord& drive : scanner.drives()) roots << QString::fromStdString(driveRootText(drive));
    // A sorted list, as the combo box keeps it.
    std::sort(roots.begin(), roots.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    m_combo->clear();
    m_combo->addItems(roots);
    m_combo->clearEditText();
    if (m_combo->count() > 0) m_combo->setCurrentIndex(0);
}

void CDlgDrives::accept() {
    m_result.clear();
    // Only an entry of the list counts; text typed over it selects nothing.
    const int index = m_combo->currentIndex();
    if (index >= 0 && m_combo->currentText() == m_combo->itemText(index)) m_result = m_combo->itemText(index);
    QDialog::accept();
}

void CDlgDrives::reject() {
    m_result.clear();
    QDialog::reject();
}

DlgDrivesChooser::DlgDrivesChooser(QWidget* parent, DriveSources sources)
    : parent_(parent), sources_(std::move(sources)) {}

bool DlgDrivesChooser::chooseDrive(std::string& rootText) {
    CDlgDrives dialog(sources_, parent_);
    const bool ok = dialog.exec() == QDialog::Accepted;
    rootText = dialog.result().toStdString();
    return ok;
}

}  // namespace oltrex
