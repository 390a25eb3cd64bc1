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

#include "oltrex/conversion/ConversionContext.h"
#include "oltrex/keyfetch/KeyInfo.h"
#include "oltrex/keyfetch/gui/AboutDlg.h"
#include "oltrex/keyfetch/gui/DialogUnits.h"
#include "oltrex/keyfetch/gui/DlgDrives.h"
#include "oltrex/keyfetch/gui/KeyFetchArt.h"
#include "oltrex/keyfetch/gui/MainDialogLayout.h"
#include "oltrex/qtcommon/CentredMessageBox.h"

#ifndef OLTREX_VERSION
#define OLTREX_VERSION ""
#endif

namespace oltrex {
namespace {

KeyLibrary& keyOf(const KeyFetchWindowSetup& s) { return s.key ? *s.key : keyLibrary(); }
const SettingsStore& settingsOf(const KeyFetchWindowSetup& s) { return s.settings ? *s.settings : machineSettings(); }
Clock& clockOf(const KeyFetchWindowSetup& s) { return s.clock ? *s.clock : systemClock(); }

ContextOptions contextOptionsOf(const KeyFetchWindowSetup& s) {
    ContextOptions options;
    options.settings = &settingsOf(s);
    options.clock = &clockOf(s);
    if (!s.cipherLibrary.empty()) options.cipherLibrary = s.cipherLibrary;
    options.workFolder = s.workFolder;
    return options;
}

QString text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

QString keyFetchVersion() { return QStringLiteral(OLTREX_VERSION); }

CKeyFetchDlg::CKeyFetchDlg(KeyFetchWindowSetup setup, QWidget* parent)
    : QDialog(parent),
      m_setup(std::move(setup)),
      m_key(keyOf(m_setup)),
      m_settings(settingsOf(m_setup)),
      m_clock(clockOf(m_setup)),
      m_store(m_key, contextOptionsOf(m_setup), m_clock),
      m_downloader(m_key, m_store, m_clock, m_setup.workFolder),
      m_session(m_key, m_downloader, m_clock, m_settings),
      m_poller(m_session, m_activity, [this](const SessionView&) { afterPollerStep(); }, m_setup.pollerTickMs),
      m_animator(m_activity, [this](int percent) { afterAnimatorStep(percent); }, m_setup.animatorTickMs) {
    buildControls();
    initDialog();
}

CKeyFetchDlg::~CKeyFetchDlg() { shutdown(); }

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

void CKeyFetchDlg::initDialog() {
    // Where Linux has no system menu, the About box is reached through the
    // dialog's context menu.
    m_systemMenu = new QMenu(this);
    m_systemMenu->setObjectName(QStringLiteral("SystemMenu"));
    m_systemMenu->addSeparator();
    QAction* about = m_systemMenu->addAction(QString::fromUtf8(kAboutMenuText));
    about->setObjectName(QStringLiteral("IDM_ABOUTBOX_16"));
    connect(about, &QAction::triggered, this, &CKeyFetchDlg::showAbout);
    setWindowIcon(keyFetchIcon());

    const QString version = m_setup.version.value_or(keyFetchVersion());
    setWindowTitle(QString::fromUtf8(kMainDialogCaption) + QStringLiteral(" [") + version + QStringLiteral("]"));

    refreshFromSession();
    m_start->setEnabled(false);
    m_makeEu->setChecked(m_session.makeEuDefault());
    m_activityBar->setRange(0, 100);
    m_activityBar->setValue(0);
    m_activityBar->hide();

    {
        std::lock_guard lock(m_controlsMutex);
        m_running = true;
    }
    if (m_setup.startWorkers) {
        m_animator.start();
        m_poller.start();
    }
}

// Worker threads: the widgets belong to the dialog's thread, so the update is
// handed over as a queued call. The session is read afresh there, so a late
// update never shows an older state than the session has.
void CKeyFetchDlg::afterPollerStep() {
    std::lock_guard lock(m_controlsMutex);
    if (m_running) QMetaObject::invokeMethod(this, [this] { refreshFromSession(); }, Qt::QueuedConnection);
}

void CKeyFetchDlg::afterAnimatorStep(int percent) {
    std::lock_guard lock(m_controlsMutex);
    if (m_running) QMetaObject::invokeMethod(this, [this, percent] { showActivity(percent); }, Qt::QueuedConnection);
}

void CKeyFetchDlg::pollOnce() { m_poller.stepOnce(); }

void CKeyFetchDlg::animateOnce() { afterAnimatorStep(m_activity.advance()); }

void CKeyFetchDlg::refreshFromSession() {
    const SessionView view = m_session.view();
    // While the SD-card import runs, both buttons stay disabled.
    if (view.state != SessionState::Write && !m_importing) {
        m_activityBar->hide();
        m_start->setEnabled(view.usableCount > 0 && view.display.downloadCounter != kUnknownText);
    }
    // The SD-card import and a download never file at the same time.
    m_sdCard->setEnabled(view.state != SessionState::Write && !m_importing);
    m_status->setText(text(view.display.status));
    m_firmware->setText(text(view.display.firmware));
    m_keyNumber->setText(text(view.display.keyNumber));
    m_counter->setText(text(view.display.downloadCounter));
    m_generations->setText(text(view.display.generationCounts));
    m_progress->setRange(0, 100);
    m_progress->setValue(view.display.percent);
}

void CKeyFetchDlg::showActivity(int percent) { m_activityBar->setValue(percent); }

bool CKeyFetchDlg::makeEuChecked() const { return m_makeEu->isChecked(); }

void CKeyFetchDlg::onStart() {
    if (m_session.usableCount() <= 0) return;
    m_activityBar->show();
    m_start->setEnabled(false);
    m_sdCard->setEnabled(false);
    m_session.start(makeEuChecked());
}

void CKeyFetchDlg::onSdCard() {
    if (m_session.view().state == SessionState::Write) return;  // a download is filing
    m_sdCard->setEnabled(false);
    m_start->setEnabled(false);

    SdImportRequest request;
    request.makeEuFile = makeEuChecked();
    request.firmwareNumber = keyFirmwareNumber(m_session.display().firmware);
    SdCardImport import(m_store, m_clock, m_setup.drives, m_setup.workFolder);
    DlgDrivesChooser chooser(this, m_setup.drives);
    m_importing = true;
    m_lastImport = import.run(request, chooser);
    m_importing = false;

    if (m_lastImport->message) {
        const ImportMessage& m = *m_lastImport->message;
        // A box without an owner, standing in the middle of the window.
        qtcommon::CentredMessageBox box(m.icon == MessageIcon::Error ? QMessageBox::Critical
                                                                     : QMessageBox::Information,
                                        text(m.caption), text(m.text), QMessageBox::Ok, nullptr, this);
        box.setObjectName(QStringLiteral("SdImportMessage"));
        box.exec();
    }
    refreshFromSession();
}

void CKeyFetchDlg::showAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CKeyFetchDlg::contextMenuEvent(QContextMenuEvent* event) { m_systemMenu->exec(event->globalPos()); }

bool CKeyFetchDlg::workersRunning() const { return m_poller.running() || m_animator.running(); }

void CKeyFetchDlg::shutdown() {
    {
        std::lock_guard lock(m_controlsMutex);
        if (!m_running) return;
        m_running = false;
    }
    // A file read under way is finished before the poller sees the request.
    m_poller.requestStop();
    m_animator.requestStop();
    m_poller.stop();
    m_animator.stop();
    m_session.close();
}

void CKeyFetchDlg::reject() {
    shutdown();
    QDialog::reject();
}

}  // namespace oltrex
