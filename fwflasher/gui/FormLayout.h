#pragma once
// Small helpers that give the forms the behaviour of their original frames:
// fixed dialog frames, centred on the screen, labels that size to their text.
#include <QLabel>
#include <QWidget>

namespace oltrex::fwflasher {

// A window with title bar and close button that cannot be resized.
Qt::WindowFlags fixedDialogFrameFlags();
void centreOnScreen(QWidget* window);
// Sets the text and sizes the label to it, keeping its top-left corner.
void setLabelText(QLabel* label, const QString& text);
void placeLabel(QLabel* label, int left, int top, const QString& text);

}  // namespace oltrex::fwflasher
