#include <gtest/gtest.h>

#include "common/string_lists.h"
#include "common/wide_printer.h"

#include <climits>

#include "support/text.h"

TEST(Compare, ExactAndNoCaseRules) {
    struct Case {
        const char16_t* a;
        const char16_t* b;
        int exact, noCase;
    } cases[] = {
        {u"Yes", u"yes", -1, 0},
        {u"serv", u"service", -1, -1},
        {u"\u00C4", u"\u00E4", -1, -1},  // accented letters are not folded
        {u"[", u"A", 1, -1},             // '[' sorts below 'a' only once letters are folded
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompareExact(c.a, c.b), c.exact);
        EXPECT_EQ(CompareExact(c.b, c.a), -c.exact);
        EXPECT_EQ(CompareNoCase(c.a, c.b), c.noCase);
    }
}

TEST(SplitList, PiecesAndEmptyItems) {
    struct Case {
        const char16_t* text;
        const char16_t* separator;
        std::vector<std::u16string> items;
    } cases[] = {
        {u"", u";", {}},
        {u"a;", u";", {u"a"}},  // a final separator ends the list
        {u"a, b,,c", u",,", {u"a, b", u"c"}},
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
