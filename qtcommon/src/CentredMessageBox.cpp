#include "oltrex/qtcommon/CentredMessageBox.h"

#include <QGuiApplication>
#include <QScreen>

#include "oltrex/qtcommon/GermanTexts.h"

namespace oltrex::qtcommon {

void centreWindow(QWidget& window, const QWidget* over) {
    const QWidget* owner = over ? over->window() : nullptr;
    QPoint middle;
    if (owner && owner->isVisible()) {
        middle = owner->frameGeometry().center();
    } else {
        const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
        if (!screen) return;
        middle = screen->availableGeometry().center();
    }
    QSize size = window.frameGeometry().size();
    // Before it is on the screen a window has no frame yet: take the owner's.
    if (!window.isVisible() && owner && owner->isVisible())
        size += owner->frameGeometry().size() - owner->geometry().size();
    QRect frame(QPoint(0, 0), size);
    frame.moveCenter(middle);
    window.move(frame.topLeft());
}

CentredMessageBox::CentredMessageBox(Icon icon, const QString& title, const QString& text,
                                     StandardButtons buttons, QWidget* parent, const QWidget* over)
    : QMessageBox(icon, title, text, buttons, parent), over_(over ? over : parent) {
    germanButtons(*this);
}

void CentredMessageBox::showEvent(QShowEvent* event) {
    // The box has its final size only now, before it reaches the screen.
    QMessageBox::showEvent(event);
    centreWindow(*this, over_.data());
}

}  // namespace oltrex::qtcommon
