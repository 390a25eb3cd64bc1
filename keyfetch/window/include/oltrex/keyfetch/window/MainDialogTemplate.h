#pragma once
// The main dialog's template (dialog 102): 262 x 138 dialog units, every
// control with its object name (after its id where it has one), its text and
// its place in dialog units. The Qt view builds its widgets from it; the
// Win32 resource script holds the same numbers.
#include <span>

namespace oltrex {

// A place in dialog units.
struct DuRect {
    int x, y, w, h;
};

enum class ControlKind { DefaultButton, Button, GroupBox, CheckBox, EtchedLine, Static, Picture, ProgressBar };

struct ControlTemplate {
    const char* objectName;
    ControlKind kind;
    const char* text;  // UTF-8
    DuRect rect;
};

inline constexpr int kMainDialogWidthDu = 262;
inline constexpr int kMainDialogHeightDu = 138;
inline constexpr const char* kMainDialogCaption = "OLTREX-KeyFetch";
inline constexpr const char* kAboutMenuText = "Inf&o über OLTREXKeyFetch...";

// In tab order.
std::span<const ControlTemplate> mainDialogTemplate();

}  // namespace oltrex
