#pragma once
// Dialog units of the window layouts in pixels (MS Sans Serif 8 pt: a base
// unit of 6 x 13 pixels; one horizontal unit is a quarter, one vertical unit
// an eighth of it).
#include <QRect>
#include <QSize>
#include <QString>
#include <string_view>

namespace oltrex::gui {

int dluX(int units);
int dluY(int units);
QRect dluRect(int x, int y, int width, int height);
QSize dluSize(int width, int height);

// A system text as a Qt string (the texts are UTF-8).
QString qtext(std::string_view text);
// A message-box text: "\r\n" becomes a line break.
QString boxText(std::string_view text);

}  // namespace oltrex::gui
