// The support library's own types and text functions: WideString and its UTF-8 conversions, the
// fixed-capacity List, UniqueResource, and the comparisons, splits and formats of text.h.
#include <gtest/gtest.h>

#include <climits>

#include "common/string_lists.h"
#include "common/wide_printer.h"
#include "support/string_list.h"
#include "support/text.h"
#include "support/unique_resource.h"
#include "support/utf8.h"
#include "support/wide_string.h"
TEST(WideString, SubstringsClampStartAndCount) {
    const WideString text(u"abcdef");
    struct Case {
        int32_t start, count;
        const char16_t* expected;
    } cases[] = {{2, 100, u"cdef"}, {-5, 2, u"ab"}, {4, -1, u""}, {99, 1, u""}};
    for (const Case& c : cases)
        EXPECT_EQ(text.Mid(c.start, c.count), WideString(c.expected)) << c.start << "," << c.count;
    EXPECT_EQ(text.Right(100), text);
}

TEST(WideStringDeathTest, InvalidPositionsAreFatal) {
    WideString text(u"abc");
    EXPECT_DEATH(text.Insert(4, u"x"), "");
    EXPECT_DEATH(text.Remove(-1, 1), "");
    EXPECT_DEATH((void)text[3], "");
    EXPECT_DEATH(WideString(u"x", -1), "");
}

TEST(Utf8, MalformedInputBecomesReplacementCharacters) {
    struct Case {
        std::string bytes;
        std::u16string expected;
    } cases[] = {
        {"\xE2" "8", u"\uFFFD8"},             // cut sequence: the ASCII after it is kept
        {"\xC0\xAF", u"\uFFFD\uFFFD"},       // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeUtf8(c.bytes).Std(), c.expected);
    EXPECT_EQ(EncodeUtf8(u"\xD800x"), "\xEF\xBF\xBDx");  // unpaired surrogate
}

// The string keeps its own buffer: text taken from that same buffer must survive its growth, a
// copy has a buffer of its own and a moved-from string is empty.
TEST(WideStringBuffer, OwnTextAsArgumentCopiesAndGrowth) {
    WideString text(u"abc");
    text.Append(text);
    text.Insert(1, std::u16string_view(text).substr(3, 2));
    EXPECT_EQ(text, WideString(u"aabbcabc"));
    text.Assign(std::u16string_view(text).substr(2, 3));
    EXPECT_EQ(text, WideString(u"bbc"));
    const WideString copy = text;
    EXPECT_EQ(text.ReplaceUnit(u'b', u'/'), 2);
    EXPECT_EQ(copy, WideString(u"bbc"));
    WideString grown;
    for (int i = 0; i < 5000; ++i) grown.Append(static_cast<char16_t>(u'a' + i % 26));
    EXPECT_EQ(grown[4999], u'a' + 4999 % 26);
    EXPECT_EQ(grown.c_str()[5000], u'\0');
    WideString moved(std::move(grown));
    EXPECT_EQ(moved.Length(), 5000);
    EXPECT_EQ(grown.c_str()[0], u'\0');  // NOLINT: a moved-from string is empty
}

TEST(List, AppendFailsWithoutChangeAtTheSlotLimit) {
    List<WideString, 4> list;
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(list.Append(u"x"));
    EXPECT_FALSE(list.Append(u"y"));
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list[3], WideString(u"x"));
}

TEST(List, RemoveKeepsOrderAndMovesOwnership) {
    StringList list;
    for (const char16_t* text : {u"program.exe", u"-x", u"y"}) ASSERT_TRUE(list.Append(text));
    list.RemoveAt(0);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[1], WideString(u"y"));
    StringList moved = std::move(list);
    EXPECT_EQ(moved.Count(), 2);
    EXPECT_EQ(list.Count(), 0);  // NOLINT: a moved-from list is empty by contract
}

TEST(ListDeathTest, IndexOutsideTheListIsFatal) {
    StringList list;
    EXPECT_DEATH((void)list[0], "");
    EXPECT_DEATH(list.RemoveAt(0), "");
}

namespace {
int closed = 0;
struct CountingTraits {
    using Value = int;
    static Value Empty() { return 0; }
    static void Close(Value) { ++closed; }
};
using Counted = UniqueResource<CountingTraits>;
}  // namespace

TEST(UniqueResource, ClosesEachValueExactlyOnce) {
    closed = 0;
    {
        Counted a(1);
        Counted c(std::move(a));  // moved: only c closes
        Counted d(3);
        d = std::move(c);  // d's old value closes now
        EXPECT_EQ(closed, 1);
        EXPECT_EQ(d.release(), 1);  // released: never closed by the owner
        *d.put() = 4;               // filled as an out-parameter
        d.reset(5);                 // closes 4
        EXPECT_EQ(closed, 2);
    }
    EXPECT_EQ(closed, 3);  // d (5)
    static_assert(!std::is_copy_constructible_v<Counted> && !std::is_copy_assignable_v<Counted>);
}

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
