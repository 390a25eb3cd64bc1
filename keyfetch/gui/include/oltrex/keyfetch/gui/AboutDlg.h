#pragma once
// The About box (dialog 100), reached through the main dialog's context menu.
#include <QDialog>

namespace oltrex {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace oltrex
