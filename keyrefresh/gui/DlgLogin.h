#pragma once
// CDlgLogin: the key page. Identifies the key when it is created, and checks
// on "Weiter" that the same key is still plugged.
#include <QWidget>

#include "oltrex/keyrefresh/KeyIdentification.h"

class QPlainTextEdit;
class QPushButton;

namespace oltrex::gui {

class CKeyRefreshDlg;

class CDlgLogin : public QWidget {
    Q_OBJECT
  public:
    explicit CDlgLogin(CKeyRefreshDlg* window);

    void OnInitDialog();
    void OnOK();      // "Weiter"
    void OnCancel();  // "Beenden"
    // Enter: "Weiter" when it is shown.
    void pressDefault();
    // The hidden "FW" button: the firmware header path.
    void makeFirmwareHeader();
    void setOwner(CKeyRefreshDlg* owner) { owner_ = owner; }

    const KeyIdentification& key() const { return key_; }
    QPlainTextEdit* infoField() const { return info_; }
    QPushButton* weiterButton() const { return weiter_; }
    QPushButton* beendenButton() const { return beenden_; }
    QPushButton* firmwareButton() const { return firmware_; }

  private:
    CKeyRefreshDlg* window_;
    CKeyRefreshDlg* owner_ = nullptr;
    KeyIdentification key_;
    QPlainTextEdit* info_;
    QPushButton* weiter_;
    QPushButton* beenden_;
    QPushButton* firmware_;
};

}  // namespace oltrex::gui
