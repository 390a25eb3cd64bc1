// The converter's table of elementary files: its order and sizes decide the
// EU layout, and some names are compared by the conversion.
#include <gtest/gtest.h>

#include <cctype>
#include <set>

#include "oltrex/conversion/CardConverter.h"

using oltrex::CTachoConvert;

namespace {

TEST(CardFileTable, HoldsTheGeneration1FilesFirstThenTheGeneration2Files) {
    const CTachoConvert converter;
    const auto& entries = converter.entries();
    ASSERT_EQ(entries.size(), 62u);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const bool gen1 = i < 28;
        EXPECT_NE(entries[i]->name.find(gen1 ? "_1G_" : "_2G_"), std::string::npos) << entries[i]->name;
        const char appendixHigh = entries[i]->tag[6];
        EXPECT_EQ(appendixHigh, '0') << entries[i]->name;
        const char appendix = entries[i]->tag[7];
        EXPECT_TRUE(gen1 ? (appendix == '0' || appendix == '1') : (appendix == '2' || appendix == '3'))
            << entries[i]->name << " " << entries[i]->tag;
    }
}

TEST(CardFileTable, TagsAreUniqueHexTextsAndSignaturesFollowTheirData) {
    const CTachoConvert converter;
    std::set<std::string> seen;
    for (const auto& entry : converter.entries()) {
        const std::string& tag = entry->tag;
        ASSERT_EQ(tag.size(), 8u) << entry->name;
        EXPECT_EQ(tag.substr(0, 2), "0x");
        for (std::size_t i = 2; i < tag.size(); ++i) {
            EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(tag[i])) && !std::islower(tag[i])) << tag;
        }
        EXPECT_TRUE(seen.insert(tag).second) << "duplicate " << tag;
        const bool signature = entry->name.rfind("EFS_", 0) == 0;
        const char appendix = tag[7];
        EXPECT_EQ(signature, appendix == '1' || appendix == '3') << entry->name;
        if (signature) {
            EXPECT_EQ(entry->size, entry->name.find("_1G_") != std::string::npos ? 128 : 64) << entry->name;
        }
    }
}

TEST(CardFileTable, KeepsTheNamesAndSizesThatFilesAreMatchedBy) {
    const CTachoConvert converter;
    const auto& e = converter.entries();
    struct Expected {
        std::size_t row;
        const char* name;
        const char* tag;
        unsigned size;
    };
    for (const Expected& x : {Expected{1, "EF_1G_ICC", "0x000200", 25},
                              Expected{2, "EF_1G_IC", "0x000500", 8},
                              Expected{7, "EF_1G_Identification", "0x052000", 143},
                              Expected{11, "EF_1G_Driving_Licence_info", "0x052100", 53},
                              Expected{17, "EF_1G_Driver_Activity_Data", "0x050400", 13780},
                              Expected{19, "EF_1G_Vehicle_Used", "0x050500", 6202},
                              Expected{27, "EF_1G_Spezial_Conditions", "0x052200", 280},
                              Expected{29, "EF_2G_ICC", "0x000202", 25},
                              Expected{30, "EF_2G_IC", "0x000502", 8},
                              Expected{33, "EF_2G_CardMA_Certificate", "0xC10002", 205},
                              Expected{41, "EF_2G_Driving_Licence_Info", "0x052102", 53},
                              Expected{48, "EFS_2G_Driver_Activity_Data", "0x050403", 64},
                              Expected{49, "EF_2G_Vehicles_Used", "0x050502", 9602},
                              Expected{57, "EF_2G_Specific_Conditions", "0x052202", 562},
                              Expected{62, "EFS_2G_GNSS_Places", "0x052403", 64}}) {
        const auto& entry = *e[x.row - 1];
        EXPECT_EQ(entry.name, x.name) << "row " << x.row;
        EXPECT_EQ(entry.tag, x.tag) << "row " << x.row;
        EXPECT_EQ(entry.size, x.size) << "row " << x.row;
    }
}

}  // namespace
