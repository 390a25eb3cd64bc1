#pragma once
// What FwFlasher's rules change in its two forms. TForm2 and TFormInfo carry
// it out with Qt; tests record it.
#include <string>
#include <string_view>

#include "oltrex/fwflasher/FlasherTexts.h"

namespace oltrex::fwflasher {

// The part a transfer writes into: memo, status line and progress bar. A
// transfer may run on a worker thread (BackgroundUpgrade): a window then hands
// these calls to its own thread.
class TransferDisplay {
public:
    virtual ~TransferDisplay() = default;
    // Appends one line to Memo1.
    virtual void addMemoLine(std::string_view text) = 0;
    // Text and font colour of the status label Label4, repainted at once.
    virtual void showStatus(std::string_view text, BgrColour colour) = 0;
    // ProgressBarDownload (0 to 100), repainted at once.
    virtual void showProgress(int percent) = 0;
};

class FlasherWindow : public TransferDisplay {
public:
    virtual void showStickSerial(const std::string& text) = 0;    // LabelStickSnr
    virtual void showStickFirmware(const std::string& text) = 0;  // LabelStickFw
    virtual void showNewFirmware(const std::string& text) = 0;    // LabelFw
    // The info form's SerNbr, repainted at once.
    virtual void showInfoKeyId(const std::string& text) = 0;
    // Repaints the whole main form (during a transfer, from its thread).
    virtual void repaintForm() = 0;
    // "Update", "Ende", the key picture and closing the window: off while a
    // transfer runs, as nothing may interrupt it, on again afterwards.
    virtual void enableControls(bool enabled) = 0;
    // Shows the info form modally; returns when it was closed.
    virtual void showInfoForm() = 0;
};

}  // namespace oltrex::fwflasher
