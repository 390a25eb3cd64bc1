#include "oltrex/keyfetch/gui/KeyFetchDlg.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>

#include "oltrex/keyfetch/gui/AboutDlg.h"
#include "oltrex/keyfetch/gui/DialogUnits.h"
#include "oltrex/keyfetch/gui/DlgDrives.h"
#include "oltrex/keyfetch/gui/KeyFetchArt.h"
#include "oltrex/keyfetch/window/MainDialogTemplate.h"
#include "oltrex/qtcommon/CentredMessageBox.h"

namespace oltrex {
namespace {

QString text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

CKeyFetchDlg::CKeyFetchDlg(KeyFetchWindowSetup setup, QWidget* parent)
    : QDialog(parent), m_drives(setup.drives), m_form(std::make_unique<KeyFetchForm>(std::move(setup), *this)) {
    buildControls();
    buildSystemMenu();
    setWindowIcon(keyFetchIcon());
    setWindowTitle(text(m_form->caption()));
    m_progress->setRange(0, 100);
    m_activityBar->setRange(0, 100);
    m_form->initDialog();
}

CKeyFetchDlg::~CKeyFetchDlg() { m_form->shutdown(); }

void CKeyFetchDlg::buildControls() {
    setObjectName(QStringLiteral("IDD_OLTREXKEYFETCH_DIALOG_102"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    const DialogUnits du(font());

    // Controls inside the group box are placed in dialog coordinates too.
    QGroupBox* group = nullptr;
    for (const ControlTemplate& c : mainDialogTemplate()) {
        const QString name = QString::fromLatin1(c.objectName);
        const QString label = QString::fromUtf8(c.text);
        QRect rect = du.toPixels(c.rect);
        QWidget* widget = nullptr;
        switch (c.kind) {
            case ControlKind::DefaultButton:
            case ControlKind::Button: {
                auto* button = new QPushButton(label, this);
                button->setAutoDefault(c.kind == ControlKind::DefaultButton);
                button->setDefault(c.kind == ControlKind::DefaultButton);
                widget = button;
                break;
            }
            case ControlKind::GroupBox:
                group = new QGroupBox(label, this);
                widget = group;
                break;
            case ControlKind::CheckBox: widget = new QCheckBox(label, this); break;
            case ControlKind::EtchedLine: {
                auto* line = new QFrame(this);
                line->setFrameShape(QFrame::HLine);
                line->setFrameShadow(QFrame::Sunken);
                rect.setHeight(2);
                widget = line;
                break;
            }
            case ControlKind::Static: {
                auto* staticText = new QLabel(label, this);
                staticText->setTextFormat(Qt::PlainText);
                widget = staticText;
                break;
            }
            case ControlKind::Picture: {
                auto* picture = new QLabel(this);
                picture->setPixmap(keyPicture(rect.size()));
                widget = picture;
                break;
            }
            case ControlKind::ProgressBar: {
                auto* bar = new QProgressBar(this);
                bar->setTextVisible(false);
                bar->setRange(0, 100);
                bar->setValue(0);
                bar->setAccessibleName(label);
                widget = bar;
                break;
            }
        }
        widget->setObjectName(name);
        widget->setGeometry(rect);
    }
    if (group) group->lower();  // the frame stays behind the controls it holds

    m_start = findChild<QPushButton*>(QStringLiteral("IDC_1"));
    m_exit = findChild<QPushButton*>(QStringLiteral("IDC_2"));
    m_sdCard = findChild<QPushButton*>(QStringLiteral("IDC_4"));
    m_makeEu = findChild<QCheckBox*>(QStringLiteral("IDC_1000"));
    m_progress = findChild<QProgressBar*>(QStringLiteral("IDC_1001"));
    m_activityBar = findChild<QProgressBar*>(QStringLiteral("IDC_1007"));
    m_status = findChild<QLabel*>(QStringLiteral("IDC_1002"));
    m_firmware = findChild<QLabel*>(QStringLiteral("IDC_1003"));
    m_keyNumber = findChild<QLabel*>(QStringLiteral("IDC_1004"));
    m_counter = findChild<QLabel*>(QStringLiteral("IDC_1005"));
    m_generations = findChild<QLabel*>(QStringLiteral("IDC_1006"));

    connect(m_start, &QPushButton::clicked, this, &CKeyFetchDlg::onStart);
    connect(m_exit, &QPushButton::clicked, this, &CKeyFetchDlg::reject);
    connect(m_sdCard, &QPushButton::clicked, this, &CKeyFetchDlg::onSdCard);
    // "Hilfe" is bound to no command.

    setFixedSize(du.toPixels(kMainDialogWidthDu, kMainDialogHeightDu));
}

void CKeyFetchDlg::buildSystemMenu() {
    // Where Linux has no system menu, the About box is reached through the
    // dialog's context menu.
    m_systemMenu = new QMenu(this);
    m_systemMenu->setObjectName(QStringLiteral("SystemMenu"));
    m_systemMenu->addSeparator();
    QAction* about = m_systemMenu->addAction(QString::fromUtf8(kAboutMenuText));
    about->setObjectName(QStringLiteral("IDM_ABOUTBOX_16"));
    connect(about, &QAction::triggered, this, &CKeyFetchDlg::showAbout);
}

void CKeyFetchDlg::contextMenuEvent(QContextMenuEvent* event) { m_systemMenu->exec(event->globalPos()); }

QWidget* CKeyFetchDlg::widget(MainControl control) const {
    switch (control) {
        case MainControl::Start: return m_start;
        case MainControl::SdCard: return m_sdCard;
        case MainControl::MakeEu: return m_makeEu;
        case MainControl::Progress: return m_progress;
        case MainControl::Activity: return m_activityBar;
        case MainControl::Status: return m_status;
        case MainControl::Firmware: return m_firmware;
        case MainControl::KeyNumber: return m_keyNumber;
        case MainControl::Counter: return m_counter;
        case MainControl::Generations: return m_generations;
    }
    return nullptr;
}

// The form's workers call this: the change runs on the dialog's thread, and
// not at all once the dialog is gone.
void CKeyFetchDlg::postToViewThread(std::function<void()> change) {
    QMetaObject::invokeMethod(this, std::move(change), Qt::QueuedConnection);
}

void CKeyFetchDlg::setText(MainControl control, const std::string& utf8) {
    if (auto* label = qobject_cast<QLabel*>(widget(control))) label->setText(text(utf8));
}

void CKeyFetchDlg::enable(MainControl control, bool enabled) { widget(control)->setEnabled(enabled); }

void CKeyFetchDlg::show(MainControl control, bool shown) { widget(control)->setVisible(shown); }

void CKeyFetchDlg::setPosition(MainControl bar, int percent) {
    if (auto* progress = qobject_cast<QProgressBar*>(widget(bar))) progress->setValue(percent);
}

void CKeyFetchDlg::setChecked(MainControl box, bool checked) {
    if (auto* check = qobject_cast<QCheckBox*>(widget(box))) check->setChecked(checked);
}

bool CKeyFetchDlg::checked(MainControl box) const {
    auto* check = qobject_cast<QCheckBox*>(widget(box));
    return check && check->isChecked();
}

void CKeyFetchDlg::showImportMessage(const ImportMessage& m) {
    // A box without an owner, standing in the middle of the window.
    qtcommon::CentredMessageBox box(m.icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                                    text(m.caption), text(m.text), QMessageBox::Ok, nullptr, this);
    box.setObjectName(QStringLiteral("SdImportMessage"));
    box.exec();
}

void CKeyFetchDlg::showAboutBox() {
    CAboutDlg about(this);
    about.exec();
}

bool CKeyFetchDlg::chooseDrive(std::string& rootText) {
    DlgDrivesChooser chooser(this, m_drives);
    return chooser.chooseDrive(rootText);
}

}  // namespace oltrex
