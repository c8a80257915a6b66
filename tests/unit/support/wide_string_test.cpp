#include <gtest/gtest.h>

#include "common/wide_printer.h"

#include "support/utf8.h"
#include "support/wide_string.h"

TEST(WideString, SubstringsClampStartAndCount) {
    const WideString text(u"abcdef");
    struct Case {
        int32_t start, count;
        const char16_t* expected;
    } cases[] = {
        {0, 3, u"abc"}, {2, 100, u"cdef"}, {-5, 2, u"ab"}, {4, -1, u""}, {6, 1, u""}, {99, 1, u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text.Mid(c.start, c.count), WideString(c.expected)) << c.start << "," << c.count;
    }
    EXPECT_EQ(text.Left(100), text);
    EXPECT_EQ(text.Left(-1), WideString());
    EXPECT_EQ(text.Right(2), WideString(u"ef"));
    EXPECT_EQ(text.Right(100), text);
}

TEST(WideString, EditingOperations) {
    WideString text(u"a.b.c");
    const WideString copy = text;
    EXPECT_EQ(text.ReplaceUnit(u'.', u'/'), 2);
    EXPECT_EQ(text, WideString(u"a/b/c"));
    EXPECT_EQ(copy, WideString(u"a.b.c"));  // a copy has a buffer of its own
    text.Remove(1, 100);
    EXPECT_EQ(text, WideString(u"a"));
    text.Remove(5, 1);  // past the end: nothing to cut
    EXPECT_EQ(text, WideString(u"a"));
    text.Insert(0, u"\\\\?\\").Insert(5, u"z");
    EXPECT_EQ(text, WideString(u"\\\\?\\az"));
    EXPECT_EQ(WideString(u'x', 3), WideString(u"xxx"));
    EXPECT_EQ(WideString(u"ab\0cd", 5).Length(), 5);
}

TEST(WideString, SearchesReportMinusOneWhenAbsent) {
    const WideString text(u"C:\\dir\\app.ini");
    EXPECT_EQ(text.FindUnit(u'\\'), 2);
    EXPECT_EQ(text.FindUnit(u'\\', 3), 6);
    EXPECT_EQ(text.FindLastUnit(u'\\'), 6);
    EXPECT_EQ(text.FindText(u"app"), 7);
    EXPECT_EQ(text.FindUnit(u'/'), -1);
    EXPECT_EQ(text.FindLastUnit(u'/'), -1);
    EXPECT_EQ(text.FindText(u"exe"), -1);
}

TEST(WideStringDeathTest, InvalidPositionsAreFatal) {
    WideString text(u"abc");
    EXPECT_DEATH(text.Insert(4, u"x"), "");
    EXPECT_DEATH(text.Remove(-1, 1), "");
    EXPECT_DEATH((void)text[3], "");
    EXPECT_DEATH(WideString(u"x", -1), "");
}

TEST(Conversion, NativeStandInRoundTripsThroughUtf8) {
    const std::u16string text = u"Gr\u00FC\u00DFe \u041F\u0440\u0438\u0432\u0435\u0442 \U0001F600";
    const NarrowString narrow = ToNarrow(text);
    EXPECT_EQ(narrow.View(), "Gr\xC3\xBC\xC3\x9F" "e \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xF0\x9F\x98\x80");
    EXPECT_EQ(FromNarrow(narrow.View()), WideString(text));
    EXPECT_TRUE(ToNarrow(u"").IsEmpty());
    EXPECT_TRUE(FromNarrow("").IsEmpty());
}

TEST(Utf8, MalformedInputBecomesReplacementCharacters) {
    struct Case {
        std::string bytes;
        std::u16string expected;
    } cases[] = {
        {"\xC3", u"\uFFFD"},                 // cut sequence
        {"\xE2" "8", u"\uFFFD8"},             // cut sequence: the ASCII after it is kept
        {"\xC0\xAF", u"\uFFFD\uFFFD"},       // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
        {"a\xFF" "b", u"a\uFFFDb"},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeUtf8(c.bytes).Std(), c.expected);
    EXPECT_EQ(EncodeUtf8(u"\xD800x"), "\xEF\xBF\xBDx");  // unpaired surrogate
}

// The string keeps its own buffer: text taken from that same buffer must survive its growth.
TEST(WideStringBuffer, OwnTextAsArgumentAndGrowth) {
    WideString text(u"abc");
    text.Append(text);
    EXPECT_EQ(text, WideString(u"abcabc"));
    text.Insert(1, std::u16string_view(text).substr(3, 2));
    EXPECT_EQ(text, WideString(u"aabbcabc"));
    text.Assign(std::u16string_view(text).substr(2, 3));
    EXPECT_EQ(text, WideString(u"bbc"));
    WideString grown;
    for (int i = 0; i < 5000; ++i) grown.Append(static_cast<char16_t>(u'a' + i % 26));
    EXPECT_EQ(grown.Length(), 5000);
    EXPECT_EQ(grown[4999], u'a' + 4999 % 26);
    EXPECT_EQ(grown.c_str()[5000], u'\0');
    WideString moved(std::move(grown));
    EXPECT_EQ(moved.Length(), 5000);
    EXPECT_TRUE(grown.IsEmpty());  // NOLINT: a moved-from string is empty
    EXPECT_EQ(grown.c_str()[0], u'\0');
    char16_t* buffer = moved.Buffer(0);
    EXPECT_EQ(buffer[0], u'\0');
    EXPECT_TRUE(moved.IsEmpty());
}
