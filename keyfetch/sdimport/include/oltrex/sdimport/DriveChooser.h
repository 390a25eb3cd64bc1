#pragma once
// Asks the user for a drive when no removable drive is present. The window
// shows CDlgDrives; the console asks on the terminal.
#include <string>

namespace oltrex {

class DriveChooser {
public:
    virtual ~DriveChooser() = default;
    // true for "OK" with the chosen drive's root text in `rootText` (empty when
    // nothing was selected); false for "Abbrechen". The question has left the
    // screen when this returns: the import follows at once.
    virtual bool chooseDrive(std::string& rootText) = 0;
};

}  // namespace oltrex
