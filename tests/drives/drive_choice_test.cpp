// The drives as the chooser offers them: readable texts, sorted, each giving
// its root text.
#include <gtest/gtest.h>

#include "oltrex/drives/DriveChoice.h"

using namespace oltrex;

namespace {

DriveRecord drive(const std::string& name, const std::string& label = "", int kind = kDriveFixed) {
    DriveRecord d;
    d.name = name;
    d.label = label;
    d.kind = kind;
    return d;
}

}  // namespace

TEST(DriveChoices, ShowTheLabelWithTheNameOrTheNameAloneSortedWithoutRegardToCase) {
    const auto choices = driveChoices({drive("/srv/archive", "tacho"), drive("/"), drive("/mnt/share", "",
                                       kDriveRemote), drive("/media/anna/BACKUP", "Backup")});
    ASSERT_EQ(choices.size(), 4u);
    EXPECT_EQ(choices[0].text, "/");
    EXPECT_EQ(choices[0].rootText, "/");
    EXPECT_EQ(choices[1].text, "/mnt/share");
    EXPECT_EQ(choices[1].rootText, "/mnt/share/");
    EXPECT_EQ(choices[2].text, "Backup (/media/anna/BACKUP)");
    EXPECT_EQ(choices[2].rootText, "/media/anna/BACKUP/");
    EXPECT_EQ(choices[3].text, "tacho (/srv/archive)");
    EXPECT_EQ(choices[3].rootText, "/srv/archive/");
}

TEST(DriveChoices, AreEmptyWithoutDrives) { EXPECT_TRUE(driveChoices({}).empty()); }
