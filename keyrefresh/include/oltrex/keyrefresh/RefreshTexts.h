#pragma once
// KeyRefresh's own texts, exactly as the program shows and logs them.
namespace oltrex::refresh {

inline constexpr const char* kWindowTitle = "BRENVA-KeyRefresh";
inline constexpr const char* kProgramVersion = "1.20.1.0";
inline constexpr const char* kTitleFormat = "%s [%s]";
inline constexpr const char* kInstanceName = "OLTREX-KeyRefresh";

// The conditions box: caption and the eleven parts of its text, in order.
inline constexpr const char* kConditionsCaption = "BRENVA-KeyRefresh";
inline constexpr const char* kConditionsParts[11] = {
    "Wichtige Bedingungen:\r\n\r\n",
    "Sehr geehrter Kunde,\r\n\r\n",
    "Haftung und Gewährleistung werden nur übernommen, wenn:\r\n",
    " - der OLTREX-Key ordnungsgemäß im OLTREX-Adapter eingesteckt ist,\r\n",
    " - alle anderen Anwendungen geschlossen sind,\r\n",
    " - Ihr PC oder Notebook an einer permanenten Stromquelle (!! nicht nur Akku !!)\r\n",
    "    angeschlossen, und eine sichere Stromversorgung vorhanden ist,\r\n",
    " - der OLTREX-Key nicht während der Aktualisierung vorzeitig aus dem\r\n",
    "    OLTREX-Adapter entnommen wird.\r\n\r\n",
    "Bedingungen akzeptieren und weiter mit dem Update: <OK>\r\n",
    "Abbruch mit: <Abbrechen>",
};

// Key page.
inline constexpr const char* kRefusalCaption = "UPDATE";
inline constexpr const char* kInvalidKeyText = "Ungültiger Key\r\nUpdate ist nicht möglich.";
inline constexpr const char* kKeyChangedText =
    "Der Key wurde gewechselt!\r\nUpdate ist nicht möglich.";
inline constexpr const char* kNoKeyLine = "Kein Key gelesen\r\n";
inline constexpr const char* kKeyFirmwareLineFormat = "Firmware Key ist %s\r\n";
inline constexpr const char* kNewFirmwareLineFormat = "Upadte der FW zu %s\r\n";
inline constexpr const char* kKeyPageFormat = "%s\n%s\nAngeschlossener OLTREX-Key ist:\r\n%s";

// Update page.
inline constexpr const char* kUpdateRunningText = "Update wird durchgeführt...";
inline constexpr const char* kFromToFormat = "von Firmware %s zu %s";

// About box.
inline constexpr const char* kAboutCaption = "Wichtig";
inline constexpr const char* kAboutName = "OLTREX-KeyRefresh";
inline constexpr const char* kAboutMenuEntry = "Inf&o über KeyRefresh...";
// The maker's lines below the name.
inline constexpr const char* kAboutMakerLines[3] = {
    "OLTREX", "Datenschlüssel für digitale Tachographen", "Postfach 1, 00000 Musterstadt"};

// Buttons.
inline constexpr const char* kWeiter = "Weiter";
inline constexpr const char* kBeenden = "Beenden";
inline constexpr const char* kUpdate = "Update";
inline constexpr const char* kFertig = "Fertig";

// Update log entries.
inline constexpr const char* kLogStartUpdateFormat = "Start Update Key: %s FW: %s -> %s";
inline constexpr const char* kLogSuccessPrefix = "Update erfolgreich. ( Key: ";
inline constexpr const char* kLogSuccessSuffix = " ) ";
inline constexpr const char* kLogFailurePrefix = "Update konnten nicht erfolgen ( Key: ";
inline constexpr const char* kLogFailureSuffix = " )";
inline constexpr const char* kLogProgramOn = "Programm Weiter";
inline constexpr const char* kLogProgramEnd = "Programm Ende";

}  // namespace oltrex::refresh
