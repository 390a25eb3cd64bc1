#include <gtest/gtest.h>

#include "oltrex/drives/PatternMatch.h"

using oltrex::matchesPattern;

TEST(CardPatterns, EachCardFileKindIsMatchedByItsOwnPatternOnly) {
    EXPECT_TRUE(matchesPattern("x.dlb", "*.dlb"));
    EXPECT_FALSE(matchesPattern("x.1.dlb", "*.dlb"));
    EXPECT_FALSE(matchesPattern("x.2.dlb", "*.dlb"));
    EXPECT_TRUE(matchesPattern("x.1.dlb", "*.1.dlb"));
    EXPECT_FALSE(matchesPattern("x.2.dlb", "*.1.dlb"));
    EXPECT_TRUE(matchesPattern("x.2.dlb", "*.2.dlb"));
    EXPECT_FALSE(matchesPattern("x.1.dlb", "*.2.dlb"));
}

TEST(CardPatterns, CaseDoesNotMatter) {
    EXPECT_TRUE(matchesPattern("AB.1.DLB", "*.1.dlb"));
    EXPECT_FALSE(matchesPattern("AB.1.DLB", "*.dlb"));
    EXPECT_TRUE(matchesPattern("ab.dlb", "*.DLB"));
}

TEST(CardPatterns, ABackupCopyWithAFurtherExtensionMatchesNone) {
    for (const char* pattern : {"*.dlb", "*.1.dlb", "*.2.dlb"}) EXPECT_FALSE(matchesPattern("AB.DLB.BAK", pattern));
}

TEST(PatternMatch, StarJumpsToTheFirstOccurrenceWithoutBacktracking) {
    // A backtracking matcher would take the second "b" and succeed.
    EXPECT_FALSE(matchesPattern("ab.b.dlb", "*b.dlb"));
    EXPECT_TRUE(matchesPattern("ab.dlb", "*b.dlb"));
    // The occurrence may be the very next character.
    EXPECT_TRUE(matchesPattern("a.dlb", "*a.dlb"));
}

TEST(PatternMatch, APatternEndingInStarAcceptsAnyRest) {
    EXPECT_TRUE(matchesPattern("report.txt", "rep*"));
    EXPECT_TRUE(matchesPattern("report.txt", "*"));
    EXPECT_TRUE(matchesPattern("report.txt", "*.*"));
    EXPECT_FALSE(matchesPattern("report.txt", "rep"));
}

TEST(PatternMatch, QuestionMarkTakesExactlyOneCharacter) {
    EXPECT_TRUE(matchesPattern("a1.dlb", "a?.dlb"));
    EXPECT_FALSE(matchesPattern("a.dlb", "a?.dlb"));
    EXPECT_FALSE(matchesPattern("a12.dlb", "a?.dlb"));
    EXPECT_FALSE(matchesPattern("ab", "ab?"));
}

TEST(PatternMatch, ColonsAndBackslashesInThePatternAreSkipped) {
    EXPECT_TRUE(matchesPattern("x.dlb", "\\*.dlb"));
    EXPECT_TRUE(matchesPattern("x.dlb", ":*.dlb"));
}

TEST(PatternMatch, ADottedPatternNeedsANameWithBaseAndExtension) {
    EXPECT_FALSE(matchesPattern(".dlb", "*.dlb"));
    EXPECT_FALSE(matchesPattern("dlb", "*.*"));
    EXPECT_FALSE(matchesPattern("", "*"));
    EXPECT_FALSE(matchesPattern(".profile", "*"));
    EXPECT_TRUE(matchesPattern("dlb", "*"));
}
