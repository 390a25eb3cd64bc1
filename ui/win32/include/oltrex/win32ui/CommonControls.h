#pragma once
// Registers the common control classes the dialogs use (progress bars);
// version 6 comes with the program's manifest (CommonControls.rc).
namespace oltrex::win32ui {

void initCommonControls();

}  // namespace oltrex::win32ui
