#pragma once
// The user texts and status colours of FwFlasher's windows and boxes.
#include <cstdint>

namespace oltrex::fwflasher {

inline constexpr const char* kApplicationTitle = "OLTREXKeyRefresh";
inline constexpr const char* kMainCaption = "OLTREX-Key-Refresh";
inline constexpr const char* kInfoCaption = "Oltrex Info";

inline constexpr const char* kConditionsCaption = "Wichtige Bedingungen:";
inline constexpr const char* kConditionsText =
    "Sehr geehrter Kunde,\n\n"
    "Haftung und Gewährleistung kann nicht übernommen werden, wenn:\n"
    "- der OLTREX-Key nicht ordnungsgemäß im OLTREX-Adapter eingesteckt ist,\n"
    "- nicht alle anderen Anwendungen geschlossen sind,\n"
    "- Ihr PC oder Notebook nicht an einer permaneten Stromquelle (!! kein Akku !!) "
    "angeschlossen ist,\n"
    "- der OLTREX-Key während der Aktualisierung vorzeitig aus dem OLTREX-Adapter entnommen "
    "wird.\n\n"
    "Bedingungen akzeptieren und weiter mit dem Update: <OK> Abbruch mit: <Abbrechen>";

inline constexpr const char* kUpdateCaption = "Softwareupdate:";
inline constexpr const char* kNoKeyText =
    "Fehler: kein OltrexStick am System angeschlossen!\n\n"
    "Update abbrechen, Stick anschließen und erneut starten: Taste <OK>\n"
    "Diese Meldung ignorieren und Update fortsetzten: Taste <Abbrechen>";
inline constexpr const char* kNotNewerText =
    "Warnung: die neue Firmwareversion ist nicht aktueller\n"
    "als die derzeitige auf dem OltrexStick!";
inline constexpr const char* kInitFailedText =
    "Fehler: Firmware-Update nicht initialisierbar!\n\n"
    "Diese Meldung ignorieren und Update fortsetzten: Taste <OK>\n"
    "Update beenden: Taste <Abbrechen>";

// Initial texts of the main form's controls.
inline constexpr const char* kLabelSerial = "OltrexStick Seriennummer:";      // Label1
inline constexpr const char* kLabelStickFirmware = "Stick-Firmware:";       // Label3
inline constexpr const char* kLabelNewFirmware = "neue Firmware:";          // Label2
inline constexpr const char* kLabelStatus = "Status:";                     // Label5
inline constexpr const char* kNoValue = " ---";    // LabelStickSnr, LabelStickFw, LabelFw
inline constexpr const char* kNoStatus = "---";    // Label4
inline constexpr const char* kButtonUpdate = "Update";
inline constexpr const char* kButtonEnd = "Ende";
inline constexpr const char* kMemoInitial = "Memo1";

// The buttons of the message boxes.
inline constexpr const char* kButtonOk = "OK";
inline constexpr const char* kButtonCancelBox = "Abbrechen";

// Status line (Label4).
inline constexpr const char* kStatusOpenFailed = "Fehler beim Öffnen von COMx";
inline constexpr const char* kStatusRunning = "Datentransfer läuft";
inline constexpr const char* kStatusFailed = "Fehler";
inline constexpr const char* kStatusDone = "Datentransfer abgeschlossen";
inline constexpr const char* kStatusUnknownState = "unbekannter State";

// Info form.
inline constexpr const char* kKeyIdFormat = "Stick-ID: %s";
inline constexpr const char* kKeyIdUnknown = "Stick-ID: ---";
inline constexpr const char* kKeyIdInitial = "Stick-ID: ---- ";
inline constexpr const char* kBackButtonText = "zurück";
// The maker's address: neutral lines of our own.
inline constexpr const char* kAddressLines[4] = {"OLTREX-Key Software", "Musterstraße 1",
                                                 "12345 Musterstadt", "www.oltrex.example"};

// Colours as the window system's colour values: blue in the high byte, red in
// the low byte (0x00BBGGRR).
using BgrColour = std::uint32_t;
inline constexpr BgrColour kColourRed = 0x0000FF;
inline constexpr BgrColour kColourGreen = 0x008000;
inline constexpr BgrColour kColourBlue = 0xFF0000;
inline constexpr BgrColour kColourBlack = 0x000000;

inline constexpr int bgrRed(BgrColour c) { return static_cast<int>(c & 0xFF); }
inline constexpr int bgrGreen(BgrColour c) { return static_cast<int>((c >> 8) & 0xFF); }
inline constexpr int bgrBlue(BgrColour c) { return static_cast<int>((c >> 16) & 0xFF); }

}  // namespace oltrex::fwflasher
