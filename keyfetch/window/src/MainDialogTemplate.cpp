#include "oltrex/keyfetch/window/MainDialogTemplate.h"

namespace oltrex {
namespace {

constexpr ControlTemplate kControls[] = {
    {"IDC_1", ControlKind::DefaultButton, "Start", {207, 8, 48, 14}},
    {"IDC_2", ControlKind::Button, "Exit", {207, 26, 48, 14}},
    {"GroupOltrexKey", ControlKind::GroupBox, "OLTREX-Key", {7, 4, 192, 72}},
    {"IDC_1000", ControlKind::CheckBox, "DDD-Datei erstellen", {7, 79, 110, 10}},
    {"SeparatorLine", ControlKind::EtchedLine, "", {7, 114, 248, 1}},
    {"LabelOptions", ControlKind::Static, "Zusatz-Optionen:", {7, 122, 58, 8}},
    {"IDC_4", ControlKind::Button, "Einlesen der SD-Karte eines OLTREX-Funkes", {66, 119, 189, 14}},
    {"IDC_3", ControlKind::Button, "Hilfe", {207, 44, 48, 14}},
    {"IDC_1001", ControlKind::ProgressBar, "Progress1", {7, 101, 248, 9}},
    {"LabelFirmware", ControlKind::Static, "Firmware", {15, 17, 40, 8}},
    {"LabelKeyNr", ControlKind::Static, "Key-Nr", {15, 29, 40, 8}},
    {"LabelDownload", ControlKind::Static, "Download", {15, 41, 40, 8}},
    {"ColonFirmware", ControlKind::Static, ":", {57, 17, 4, 8}},
    {"ColonKeyNr", ControlKind::Static, ":", {57, 29, 4, 8}},
    {"ColonDownload", ControlKind::Static, ":", {57, 41, 4, 8}},
    {"IDC_1002", ControlKind::Static, "OLTREX-Key Initialisierung. Bitte einen Moment warten!", {7, 91, 248, 8}},
    {"IDC_1003", ControlKind::Static, "...", {64, 17, 74, 8}},
    {"IDC_1004", ControlKind::Static, "...", {64, 29, 74, 8}},
    {"IDC_1005", ControlKind::Static, "...", {64, 41, 74, 8}},
    {"IDC_1006", ControlKind::Static, "(Gen1: ..., Gen2: ...)", {64, 53, 128, 8}},
    {"Picture129", ControlKind::Picture, "", {146, 13, 46, 34}},
    {"IDC_1007", ControlKind::ProgressBar, "", {15, 65, 177, 5}},
};

}  // namespace

std::span<const ControlTemplate> mainDialogTemplate() { return kControls; }

}  // namespace oltrex
