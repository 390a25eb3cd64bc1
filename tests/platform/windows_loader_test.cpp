// Loading a library at run time on Windows, by name and by ordinal: the
// tests' keylink.dll exports its entry points by ordinal only.
#include <gtest/gtest.h>

#include "oltrex/platform/DynamicLibrary.h"
#include "oltrex/platform/Process.h"

namespace oltrex {
namespace {

std::string binFile(const char* name) { return environmentValue("OLTREX_BIN").value_or(".") + "/" + name; }

TEST(WindowsLoader, FindsEntryPointsByOrdinal) {
    DynamicLibrary keylink(binFile("keylink.dll"));
    ASSERT_TRUE(keylink.isOpen()) << keylink.error();
    for (unsigned ordinal : {1u, 3u, 6u, 8u, 9u, 12u, 13u}) EXPECT_NE(keylink.symbolByOrdinal(ordinal), nullptr) << ordinal;
    EXPECT_EQ(keylink.symbolByOrdinal(70), nullptr);
    EXPECT_NE(keylink.symbol("_getSerialNumber"), nullptr);
    EXPECT_EQ(keylink.symbolByOrdinal(0), nullptr);
    EXPECT_EQ(keylink.symbolByOrdinal(70000), nullptr);
}

TEST(WindowsLoader, AMissingLibraryGivesItsNameInTheError) {
    DynamicLibrary missing("oltrex-no-such-library.dll");
    EXPECT_FALSE(missing.isOpen());
    EXPECT_NE(missing.error().find("oltrex-no-such-library.dll"), std::string::npos);
    EXPECT_EQ(missing.symbol("x"), nullptr);
    EXPECT_EQ(missing.symbolByOrdinal(1), nullptr);
}

}  // namespace
}  // namespace oltrex
