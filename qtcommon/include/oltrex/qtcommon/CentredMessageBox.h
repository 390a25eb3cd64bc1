#pragma once
// Message boxes stand in the middle of the window they belong to, or in the
// middle of the screen while that window is not shown (yet): Qt alone would
// put a box whose window is still hidden at that window's place, the screen's
// top-left corner.
#include <QMessageBox>
#include <QPointer>

namespace oltrex::qtcommon {

// Moves `window` so that its middle is the middle of `over`'s window when that
// is visible, else the middle of the screen.
void centreWindow(QWidget& window, const QWidget* over);

class CentredMessageBox : public QMessageBox {
public:
    // `over`: the window to stand in the middle of; by default the parent's.
    // The box gets German button texts.
    CentredMessageBox(Icon icon, const QString& title, const QString& text, StandardButtons buttons,
                      QWidget* parent = nullptr, const QWidget* over = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPointer<const QWidget> over_;
};

}  // namespace oltrex::qtcommon
