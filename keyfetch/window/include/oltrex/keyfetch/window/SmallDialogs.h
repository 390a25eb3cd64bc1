#pragma once
// The About box (dialog 100) and the drive chooser (dialog 130): their texts
// and places in dialog units, the same for the Qt and the Win32 view.
#include "oltrex/keyfetch/window/MainDialogTemplate.h"

namespace oltrex {

namespace about {
inline constexpr const char* kCaption = "Info über OLTREXKeyFetch";
inline constexpr const char* kVersionLine = "OLTREXKeyFetch Version 1.0";
inline constexpr const char* kOk = "OK";
inline constexpr int kWidthDu = 235;
inline constexpr int kHeightDu = 40;
inline constexpr DuRect kIcon{11, 14, 21, 20};
inline constexpr DuRect kVersion{40, 18, 119, 8};
inline constexpr DuRect kOkButton{178, 14, 50, 14};
}  // namespace about

namespace drivechooser {
inline constexpr const char* kCaption = "OLTREX-KeyFetch";
inline constexpr const char* kPrompt = "Bitte wählen Sie ein Laufwerk aus:";
inline constexpr const char* kHint = "(Buchstabe aus Explorer ersichtlich)";
inline constexpr const char* kOk = "OK";
inline constexpr const char* kCancel = "Abbrechen";
inline constexpr int kWidthDu = 180;
inline constexpr int kHeightDu = 49;
inline constexpr DuRect kPromptRect{7, 6, 118, 8};
inline constexpr DuRect kHintRect{7, 15, 118, 8};
inline constexpr DuRect kComboRect{7, 28, 116, 12};
inline constexpr DuRect kOkRect{129, 7, 44, 14};
inline constexpr DuRect kCancelRect{129, 26, 44, 14};
}  // namespace drivechooser

}  // namespace oltrex
