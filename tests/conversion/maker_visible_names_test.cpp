// A key file whose name starts with a dot and whose content names nothing (a
// card image without identification) is filed under its short name: that name must not make the
// container, or the EU file, a hidden file (".x", or ".DDD" with no name at all).
#include <gtest/gtest.h>

#include "maker_support.h"

namespace oltrex::testing {
namespace {

class MakerVisibleNames : public MakerTest {};

TEST_F(MakerVisibleNames, AFileNamedWithALeadingDotIsFiledVisiblyInBothModes) {
    ASSERT_EQ(run(".fY;", namelessCard(), "SfY;"), 0);
    EXPECT_EQ(path, (folders.containers / "_fY;").string());
    ASSERT_EQ(run(".fY;", namelessCard(), "SfY;", 1), 0);
    EXPECT_EQ(path, (folders.containers / "EU" / "_fY;.DDD").string());
}

TEST_F(MakerVisibleNames, NoFiledNameStartsWithADot) {
    for (const char* name : {"..x", ".2", ".dlc", "._V_1_623B1A2C"}) {
        SCOPED_TRACE(name);
        for (int mode : {0, 1}) {
            ASSERT_EQ(run(name, namelessCard(), name, mode), 0);
            const std::string filed = filedName();
            EXPECT_FALSE(filed.empty());
            EXPECT_NE(filed.front(), '.') << filed;
            EXPECT_EQ(fs::path(path).parent_path(),
                      mode == 1 ? folders.containers / "EU" : folders.containers);
        }
    }
}

}  // namespace
}  // namespace oltrex::testing
