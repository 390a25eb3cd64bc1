#pragma once
// The message boxes of KeyRefresh behind one interface, so that tests can
// answer them. The boxes stand in the middle of their window, or of the
// screen while the window is not shown yet (the conditions and a refused key
// come before it), and their buttons speak German.
#include <QString>

class QWidget;

namespace oltrex::gui {

class RefreshPrompts {
  public:
    virtual ~RefreshPrompts() = default;
    // The conditions box (OK and Cancel, no icon): true for OK.
    virtual bool acceptConditions(QWidget* parent, const QString& caption, const QString& text) = 0;
    // A box with the exclamation icon and OK.
    virtual void exclamation(QWidget* parent, const QString& caption, const QString& text) = 0;
};

class QtRefreshPrompts final : public RefreshPrompts {
  public:
    bool acceptConditions(QWidget* parent, const QString& caption, const QString& text) override;
    void exclamation(QWidget* parent, const QString& caption, const QString& text) override;
};

}  // namespace oltrex::gui
