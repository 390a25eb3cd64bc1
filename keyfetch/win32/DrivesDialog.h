#pragma once
// The drive chooser (dialog 130): the drives in a sorted drop-down list,
// the first selected; "OK" gives the chosen entry's root text
// (DriveChooserList decides), "Abbrechen" nothing.
#include <string>

#include "oltrex/drives/DriveScanner.h"
#include "oltrex/keyfetch/window/DriveChooserList.h"
#include "oltrex/win32ui/Dialog.h"

namespace oltrex::keyfetchwin32 {

class DrivesDialog final : public win32ui::Dialog {
public:
    explicit DrivesDialog(const DriveSources& sources) : list_(sources) {}
    // True for "OK".
    bool choose(HWND owner);
    // The chosen drive's root text; empty after "Abbrechen" or without a selection.
    const std::string& result() const { return result_; }

private:
    bool onInitDialog() override;
    void onCommand(int id, int notification) override;

    DriveChooserList list_;
    std::string result_;
};

}  // namespace oltrex::keyfetchwin32
