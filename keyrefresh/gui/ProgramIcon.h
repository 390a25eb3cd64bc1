#pragma once
#include <QIcon>

namespace oltrex::gui {

// KeyRefresh's icon in seven sizes.
QIcon programIcon();

}  // namespace oltrex::gui
