#pragma once
// The main dialog's template lives in the window core, shared with the Win32 view.
#include "oltrex/keyfetch/window/MainDialogTemplate.h"
