#include "FormLayout.h"

#include <QGuiApplication>
#include <QScreen>

namespace oltrex::fwflasher {

Qt::WindowFlags fixedDialogFrameFlags() {
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
           Qt::MSWindowsFixedSizeDialogHint;
}

void centreOnScreen(QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame(QPoint(0, 0), window->size());
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void setLabelText(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

void placeLabel(QLabel* label, int left, int top, const QString& text) {
    label->move(left, top);
    setLabelText(label, text);
}

}  // namespace oltrex::fwflasher
