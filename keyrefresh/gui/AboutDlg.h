#pragma once
// CAboutDlg: program name, version and maker.
#include <QDialog>
#include <QIcon>

class QLabel;

namespace oltrex::gui {

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    CAboutDlg(const QIcon& icon, QWidget* parent = nullptr);
    QLabel* nameLabel() const { return name_; }

  private:
    QLabel* name_;
};

}  // namespace oltrex::gui
