#include "oltrex/drives/DriveChoice.h"

#include <algorithm>
#include <cctype>

namespace oltrex {
namespace {

std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::vector<DriveChoice> driveChoices(const std::vector<DriveRecord>& drives) {
    std::vector<DriveChoice> choices;
    for (const DriveRecord& drive : drives) {
        DriveChoice choice;
        choice.text = drive.label.empty() ? drive.name : drive.label + " (" + drive.name + ")";
        choice.rootText = driveRootText(drive);
        choices.push_back(std::move(choice));
    }
    std::stable_sort(choices.begin(), choices.end(), [](const DriveChoice& a, const DriveChoice& b) {
        return lowerCase(a.text) < lowerCase(b.text);
    });
    return choices;
}

}  // namespace oltrex
