#include <gtest/gtest.h>

#include "common/string_lists.h"
#include "common/wide_printer.h"

#include <climits>

#include "support/text.h"

// The launcher compares names only for equality; no case folds but that of A-Z. ASCII letters in
// any case, and names that only begin alike, are rows of the settings' tables.
TEST(Compare, OnlyAsciiLettersFold) {
    EXPECT_FALSE(EqualsNoCase(u"\u00C4", u"\u00E4"));
    EXPECT_FALSE(EqualsNoCase(u"[", u"{"));
}

// The list is emptied first, and a final separator ends it without an empty item.
TEST(SplitList, StartsEmptyAndAFinalSeparatorAddsNoItem) {
    StringList list;
    ASSERT_TRUE(list.Append(u"stale"));
    SplitList(u"a;", u";", list);
    EXPECT_EQ(Items(list), std::vector<std::u16string>{u"a"});
    SplitList(u"", u";", list);
    EXPECT_EQ(list.Count(), 0);
}

// Plain "%s" and "%d" show in every error message.
TEST(Format, PercentSignAndExtremeNumbers) {
    EXPECT_EQ(Format(u"100%% %d %d", {INT32_MIN, 0}), WideString(u"100% -2147483648 0"));
}

TEST(FormatDeathTest, PatternThatDoesNotFitItsArgumentsIsFatal) {
    EXPECT_DEATH(Format(u"%s", {}), "");
    EXPECT_DEATH(Format(u"%d", {u"text"}), "");
    EXPECT_DEATH(Format(u"%s", {5}), "");
    EXPECT_DEATH(Format(u"%x", {5}), "");
    EXPECT_DEATH(Format(u"cut %", {}), "");
}
