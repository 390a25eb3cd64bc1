#pragma once
// The KeyFetch main dialog (dialog 102) with Qt. What it does is
// KeyFetchForm's: here only the widgets, built from the dialog's template,
// and the form's view calls carried out on them. The form's workers hand
// their updates over as queued calls to this dialog.
#include <QDialog>
#include <QString>

#include <memory>
#include <optional>
#include <string>

#include "oltrex/keyfetch/window/KeyFetchForm.h"

class QCheckBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;

namespace oltrex {

class CKeyFetchDlg : public QDialog, public KeyFetchView {
    Q_OBJECT
public:
    explicit CKeyFetchDlg(KeyFetchWindowSetup setup, QWidget* parent = nullptr);
    ~CKeyFetchDlg() override;

    using QDialog::show;

    KeyFetchForm& form() { return *m_form; }
    KeySession& session() { return m_form->session(); }
    ActivityAnimation& activity() { return m_form->activity(); }
    QMenu* systemMenu() const { return m_systemMenu; }
    // Both worker threads are running.
    bool workersRunning() const { return m_form->workersRunning(); }
    // The outcome of the last SD-card import, when one ran.
    const std::optional<SdImportResult>& lastImport() const { return m_form->lastImport(); }

    // Without worker threads: one poller pass or one animator step on the
    // caller's thread; the control updates arrive as queued calls as usual.
    void pollOnce() { m_form->pollOnce(); }
    void animateOnce() { m_form->animateOnce(); }

public slots:
    void onStart() { m_form->startClicked(); }
    void onSdCard() { m_form->sdCardClicked(); }
    void showAbout() { m_form->aboutChosen(); }
    void reject() override { m_form->closeRequested(); }  // "Exit", Escape and the close box

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void buildControls();
    void buildSystemMenu();
    QWidget* widget(MainControl control) const;

    // KeyFetchView, for the form only
    void postToViewThread(std::function<void()> change) override;
    void setText(MainControl control, const std::string& utf8) override;
    void enable(MainControl control, bool enabled) override;
    void show(MainControl control, bool shown) override;
    void setPosition(MainControl bar, int percent) override;
    void setChecked(MainControl box, bool checked) override;
    bool checked(MainControl box) const override;
    void showImportMessage(const ImportMessage& message) override;
    void showAboutBox() override;
    void closeWindow() override { QDialog::reject(); }
    bool chooseDrive(std::string& rootText) override;

    QPushButton* m_start = nullptr;
    QPushButton* m_exit = nullptr;
    QPushButton* m_sdCard = nullptr;
    QCheckBox* m_makeEu = nullptr;
    QProgressBar* m_progress = nullptr;
    QProgressBar* m_activityBar = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_firmware = nullptr;
    QLabel* m_keyNumber = nullptr;
    QLabel* m_counter = nullptr;
    QLabel* m_generations = nullptr;
    QMenu* m_systemMenu = nullptr;
    DriveSources m_drives;
    // Last: its destructor ends the workers, whose updates are queued to this dialog.
    std::unique_ptr<KeyFetchForm> m_form;
};

}  // namespace oltrex
