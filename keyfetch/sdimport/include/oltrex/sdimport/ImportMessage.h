#pragma once
// The closing message of the SD-card import.
#include <string>

namespace oltrex {

inline constexpr const char* kKeyFetchCaption = "OLTREX-KeyFetch";
inline constexpr const char* kNothingFoundText = "Es wurden keine verwertbaren Dateien gefunden.";

enum class MessageIcon { Information, Error };

struct ImportMessage {
    std::string caption = kKeyFetchCaption;
    std::string text;
    MessageIcon icon = MessageIcon::Information;
};

// "Es wurde 1 Container erfolgreich erstellt.", "Es wurden 3 Container ...";
// with 0 the error text that nothing usable was found.
ImportMessage importMessage(int containers);

}  // namespace oltrex
