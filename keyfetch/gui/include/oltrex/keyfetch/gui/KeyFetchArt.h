#pragma once
// The program icon and the dialog's decoration picture, drawn at run time.
#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace oltrex {

// A data key with a download arrow, in the sizes a window manager asks for.
QIcon keyFetchIcon();
// The decoration of the main dialog (bitmap 129): the key in its adapter.
QPixmap keyPicture(const QSize& size);

}  // namespace oltrex
