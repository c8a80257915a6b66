#include <gtest/gtest.h>

#include "common/string_lists.h"
#include "common/wide_printer.h"

#include <climits>

#include "support/text.h"

// The launcher compares names only for equality; no case folds but that of A-Z.
TEST(Compare, OnlyAsciiLettersFold) {
    EXPECT_TRUE(EqualsNoCase(u"Yes", u"yES"));
    EXPECT_FALSE(EqualsNoCase(u"serv", u"service"));
    EXPECT_FALSE(EqualsNoCase(u"\u00C4", u"\u00E4"));
    EXPECT_FALSE(EqualsNoCase(u"[", u"{"));
}

TEST(SplitList, PiecesAndEmptyItems) {
    struct Case {
        const char16_t* text;
        const char16_t* separator;
        std::vector<std::u16string> items;
    } cases[] = {
        {u"", u";", {}},
        {u"a;", u";", {u"a"}},  // a final separator ends the list
    };
    for (const Case& c : cases) {
        StringList list;
        ASSERT_TRUE(list.Append(u"stale"));
        SplitList(c.text, c.separator, list);
        EXPECT_EQ(Items(list), c.items) << testing::PrintToString(WideString(c.text));
    }
}

TEST(Format, TextAndNumbers) {
    EXPECT_EQ(Format(u"Windows exception: %s (errno = %d).\n", {u"failed", 2}),
              WideString(u"Windows exception: failed (errno = 2).\n"));
    EXPECT_EQ(Format(u"100%% %d %d", {INT32_MIN, 0}), WideString(u"100% -2147483648 0"));
}

TEST(FormatDeathTest, PatternThatDoesNotFitItsArgumentsIsFatal) {
    EXPECT_DEATH(Format(u"%s", {}), "");
    EXPECT_DEATH(Format(u"%d", {u"text"}), "");
    EXPECT_DEATH(Format(u"%s", {5}), "");
    EXPECT_DEATH(Format(u"%x", {5}), "");
    EXPECT_DEATH(Format(u"cut %", {}), "");
}
