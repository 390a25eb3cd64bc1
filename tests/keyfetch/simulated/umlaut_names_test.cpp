// Umlauts in the container folder of the settings and in a workshop card
// holder's name reach the file system as the characters they are, on Linux
// and on Windows alike.
#include <gtest/gtest.h>

#include "SimulatedRig.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/testdata/CardBuilder.h"

using namespace kftest;
namespace td = oltrex::testdata;

TEST(UmlautNames, AFolderAndAWorkshopHolderWithUmlautsAreNamedAsTheyRead) {
    TempFolder parent;
    // "Tacho Müller-Söhne" in the settings, as UTF-8.
    const std::string folder = oltrex::joinPath(oltrex::utf8Of(parent.path()), "Tacho M\xC3\xBCller-S\xC3\xB6hne");
    SimulatedRig rig({false, folder});
    td::CardOptions card;
    card.type = td::CardType::Workshop;
    card.surname = "M\xDCLLER";    // Latin-1 on the card: "MÜLLER"
    card.firstNames = "J\xFCRGEN";  // "JüRGEN"
    rig.makeKey({td::buildCardFile(card)});
    rig.readKey();
    rig.download(true);

    const fs::path containers = oltrex::pathFromUtf8(folder);
    ASSERT_TRUE(fs::is_directory(containers));
    EXPECT_TRUE(containers.filename().u8string() == u8"Tacho M\u00fcller-S\u00f6hne");
    const auto filed = rig.filesIn(containers);
    ASSERT_EQ(filed.size(), 1u);
    EXPECT_TRUE(filed[0].filename().u8string().starts_with(u8"C_M\u00dcLLER_J\u00fcRGEN_"))
        << oltrex::utf8Of(filed[0].filename());
    const auto eu = rig.filesIn(containers / "EU");
    ASSERT_EQ(eu.size(), 1u);
    EXPECT_NE(eu[0].filename().u8string().find(u8"_M\u00dcLLER_"), std::u8string::npos) << oltrex::utf8Of(eu[0].filename());
    EXPECT_TRUE(rig.keyFileNames().empty());  // filed, so gone from the key
}
