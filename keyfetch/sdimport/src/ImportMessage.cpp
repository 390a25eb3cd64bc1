#include "oltrex/sdimport/ImportMessage.h"

#include <cstdio>

namespace oltrex {

ImportMessage importMessage(int containers) {
    ImportMessage message;
    if (containers <= 0) {
        message.text = kNothingFoundText;
        message.icon = MessageIcon::Error;
        return message;
    }
    char text[96];
    std::snprintf(text, sizeof text, "Es wurde%s %i Container erfolgreich erstellt.", containers == 1 ? "" : "n",
                  containers);
    message.text = text;
    message.icon = MessageIcon::Information;
    return message;
}

}  // namespace oltrex
