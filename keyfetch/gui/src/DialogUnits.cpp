#include "oltrex/keyfetch/gui/DialogUnits.h"

#include <QFontMetrics>

namespace oltrex {
namespace {

// a * b / c rounded half away from zero, as the dialog manager computes it.
int scaled(int a, int b, int c) {
    const long long p = static_cast<long long>(a) * b;
    return static_cast<int>(p >= 0 ? (p + c / 2) / c : -((-p + c / 2) / c));
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    baseX_ = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    baseY_ = metrics.height();
    if (baseX_ < 1) baseX_ = 1;
    if (baseY_ < 1) baseY_ = 1;
}

int DialogUnits::toPixelsX(int du) const { return scaled(du, baseX_, 4); }
int DialogUnits::toPixelsY(int du) const { return scaled(du, baseY_, 8); }

QRect DialogUnits::toPixels(const DuRect& r) const {
    return QRect(toPixelsX(r.x), toPixelsY(r.y), toPixelsX(r.w), toPixelsY(r.h));
}

QSize DialogUnits::toPixels(int w, int h) const { return QSize(toPixelsX(w), toPixelsY(h)); }

}  // namespace oltrex
