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
        {u"YES", u"yes", -1, 0},
        {u"service", u"service", 0, 0},
        {u"serv", u"service", -1, -1},
        {u"\u00C4", u"\u00E4", -1, -1},  // accented letters are not folded
        {u"b", u"A", 1, 1},
        {u"", u"", 0, 0},
        {u"[", u"a", -1, -1},  // '[' sorts below 'a' only once letters are folded
        {u"[", u"A", 1, -1},
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
        {u";", u";", {u""}},
        {u"a", u";", {u"a"}},
        {u"a;", u";", {u"a"}},
        {u";a", u";", {u"", u"a"}},
        {u"a;;b", u";", {u"a", u"", u"b"}},
        {u"1.6;1.7", u";", {u"1.6", u"1.7"}},
        {u"a, b,,c", u",,", {u"a, b", u"c"}},
        {u"C:\\a\\\\b", u"\\", {u"C:", u"a", u"", u"b"}},
    };
    for (const Case& c : cases) {
        StringList list;
        ASSERT_TRUE(list.Append(u"stale"));
        SplitList(c.text, c.separator, list);
        EXPECT_EQ(Items(list), c.items) << std::string(c.text, c.text + std::u16string_view(c.text).size());
    }
}

TEST(FormatDecimal, SignedValues) {
    struct Case {
        int32_t value;
        const char16_t* text;
    } cases[] = {{0, u"0"}, {7, u"7"}, {-1, u"-1"}, {2147483647, u"2147483647"},
                 {INT32_MIN, u"-2147483648"}};
    for (const Case& c : cases) {
        char16_t buffer[12];
        const int32_t written = FormatDecimal(c.value, buffer);
        EXPECT_EQ(std::u16string_view(buffer), c.text);
        EXPECT_EQ(written, static_cast<int32_t>(std::u16string_view(c.text).size()));
    }
}

TEST(Format, TextAndNumbers) {
    EXPECT_EQ(Format(u"Windows exception: %s (errno = %d).\n", {u"failed", 2}),
              WideString(u"Windows exception: failed (errno = 2).\n"));
    EXPECT_EQ(Format(u"version between %s and %s", {u"1.6", u"\u0416\U0001F600"}),
              WideString(u"version between 1.6 and \u0416\U0001F600"));
    EXPECT_EQ(Format(u"100%% %d", {INT32_MIN}), WideString(u"100% -2147483648"));
    EXPECT_EQ(Format(u"no conversions", {}), WideString(u"no conversions"));
}

TEST(FormatDeathTest, PatternThatDoesNotFitItsArgumentsIsFatal) {
    EXPECT_DEATH(Format(u"%s", {}), "");
    EXPECT_DEATH(Format(u"%d", {u"text"}), "");
    EXPECT_DEATH(Format(u"%s", {5}), "");
    EXPECT_DEATH(Format(u"%x", {5}), "");
    EXPECT_DEATH(Format(u"cut %", {}), "");
}

TEST(WhiteSpace, MatchesTheRuntimeClassification) {
    for (char16_t unit : std::u16string(u" \t\n\v\f\r\u00A0\u2000\u200A\u3000\u2028"))
        EXPECT_TRUE(IsWhiteSpace(unit)) << static_cast<int>(unit);
    for (char16_t unit : std::u16string(u"a\"\\\u200B\uFEFF\u0085\u0000", 7))
        EXPECT_FALSE(IsWhiteSpace(unit)) << static_cast<int>(unit);
}
