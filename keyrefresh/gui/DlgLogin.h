#pragma once
// CDlgLogin: the key page's controls. Identifying the key and "Weiter" are
// RefreshForm's.
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace oltrex::gui {

class CKeyRefreshDlg;

class CDlgLogin : public QWidget {
    Q_OBJECT
  public:
    explicit CDlgLogin(CKeyRefreshDlg* window);

    QPlainTextEdit* infoField() const { return info_; }
    QPushButton* weiterButton() const { return weiter_; }
    QPushButton* beendenButton() const { return beenden_; }
    QPushButton* firmwareButton() const { return firmware_; }

  private:
    QPlainTextEdit* info_;
    QPushButton* weiter_;
    QPushButton* beenden_;
    QPushButton* firmware_;
};

}  // namespace oltrex::gui
