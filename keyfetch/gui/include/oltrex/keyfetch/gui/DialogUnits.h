#pragma once
// Dialog units: the dialogs are laid out in the units of their resource
// templates and turned into pixels through the base units of the dialog's
// font (a quarter of the average character width, an eighth of the height),
// so every control keeps its proportions to the dialog.
#include <QFont>
#include <QRect>
#include <QSize>

#include "oltrex/keyfetch/window/MainDialogTemplate.h"

namespace oltrex {

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}

    int toPixelsX(int du) const;
    int toPixelsY(int du) const;
    QRect toPixels(const DuRect& r) const;
    QSize toPixels(int w, int h) const;

    int baseX() const { return baseX_; }
    int baseY() const { return baseY_; }

private:
    int baseX_;
    int baseY_;
};

}  // namespace oltrex
