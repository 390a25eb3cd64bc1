#include "RefreshPrompts.h"

#include "oltrex/qtcommon/CentredMessageBox.h"

namespace oltrex::gui {

using qtcommon::CentredMessageBox;

bool QtRefreshPrompts::acceptConditions(QWidget* parent, const QString& caption,
                                        const QString& text) {
    CentredMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                          parent);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

void QtRefreshPrompts::exclamation(QWidget* parent, const QString& caption, const QString& text) {
    CentredMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace oltrex::gui
