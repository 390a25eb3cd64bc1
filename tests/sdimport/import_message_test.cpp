#include <gtest/gtest.h>

#include "oltrex/sdimport/ImportMessage.h"

using namespace oltrex;

TEST(ImportMessage, OneContainerIsReportedInTheSingular) {
    const ImportMessage m = importMessage(1);
    EXPECT_EQ(m.text, "Es wurde 1 Container erfolgreich erstellt.");
    EXPECT_EQ(m.icon, MessageIcon::Information);
    EXPECT_EQ(m.caption, "OLTREX-KeyFetch");
}

TEST(ImportMessage, SeveralContainersAreReportedInThePlural) {
    EXPECT_EQ(importMessage(3).text, "Es wurden 3 Container erfolgreich erstellt.");
    EXPECT_EQ(importMessage(12).text, "Es wurden 12 Container erfolgreich erstellt.");
    EXPECT_EQ(importMessage(3).icon, MessageIcon::Information);
}

TEST(ImportMessage, NoContainerIsAnErrorThatNothingUsableWasFound) {
    const ImportMessage m = importMessage(0);
    EXPECT_EQ(m.text, "Es wurden keine verwertbaren Dateien gefunden.");
    EXPECT_EQ(m.icon, MessageIcon::Error);
    EXPECT_EQ(m.caption, "OLTREX-KeyFetch");
}
