#pragma once
// The forms' pictures, drawn by the program: the key (main form) and the key
// in its adapter (info form).
#include <QPixmap>

namespace oltrex::fwflasher {

// 50 x 50 pixels.
QPixmap keyPicture();
// 129 x 105 pixels.
QPixmap adapterPicture();

}  // namespace oltrex::fwflasher
