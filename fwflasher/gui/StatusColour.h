#pragma once
// The window system's colour values (0x00BBGGRR) as Qt colours.
#include <QColor>

#include "oltrex/fwflasher/FlasherTexts.h"

namespace oltrex::fwflasher {

inline QColor colourFromBgr(BgrColour colour) {
    return QColor(bgrRed(colour), bgrGreen(colour), bgrBlue(colour));
}

}  // namespace oltrex::fwflasher
