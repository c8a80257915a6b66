#include <gtest/gtest.h>

#include "common/wide_printer.h"
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
