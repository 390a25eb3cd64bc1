#include "DialogUnits.h"

namespace oltrex::gui {

int dluX(int units) {
    return units * 6 / 4;
}
int dluY(int units) {
    return units * 13 / 8;
}
QRect dluRect(int x, int y, int width, int height) {
    return QRect(dluX(x), dluY(y), dluX(width), dluY(height));
}
QSize dluSize(int width, int height) {
    return QSize(dluX(width), dluY(height));
}

QString qtext(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString boxText(std::string_view text) {
    return qtext(text).replace("\r\n", "\n");
}

}  // namespace oltrex::gui
