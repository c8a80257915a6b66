#include <gtest/gtest.h>

#include "common/wide_printer.h"

#include "runtime/java_version.h"
#include "support/utf8.h"

using V = JavaVersion;
constexpr int32_t kMax = kVersionFillMaximum;

TEST(ParseJavaVersion, DigitRunsAndFill) {
    struct Case {
        const char16_t* text;
        int32_t fill;
        bool ok;
        JavaVersion parts;
    } cases[] = {
        {u"1.7", kMax, true, {1, 7, kMax, kMax}},
        {u"jdk1.8.0_60-b27", 0, true, {1, 8, 0, 60}},
        {u"2147483648", kMax, false, {0, 0, 0, 0}},
        {u"1.99999999999", kMax, false, {0, 0, 0, 0}},  // a later run overflowing fails it all
        {u"1.2.3.4.99999999999", 0, true, {1, 2, 3, 4}},  // past the fourth run nothing is read
        {u"\uFF11.7", 0, true, {7, 0, 0, 0}},  // only ASCII digits count
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(EncodeUtf8(c.text));
        JavaVersion v{9, 9, 9, 9};
        EXPECT_EQ(ParseJavaVersion(c.text, c.fill, v), c.ok);
        EXPECT_EQ(v, c.parts);
    }
}

// Comparison, bounds and the preferred-version match, each row read as "a <op> b".
TEST(JavaVersion, CompareBoundsAndMatch) {
    struct Case {
        JavaVersion a, b;
        int compare;   // CompareVersions(a, b)
        bool matches;  // Matches(a, b): b's trailing zeros are wildcards, its inner zeros are not
    } cases[] = {
        {{1, 8, 0, 5}, {1, 8, 0, 45}, -1, false},  // numbers, not text
        {{1, 8, 1, 60}, {1, 8, 0, 0}, 1, true},
        {{1, 8, 1, 45}, {1, 8, 0, 45}, 1, false},
        {{2, 0, 0, 0}, {1, 65535, 65535, 65535}, 1, false},  // major decides first
        {{-1, 0, 0, 0}, {0, 0, 0, 0}, -1, true},  // signed; all-zero b matches anything
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(EncodeUtf8(VersionText(c.a) + u" vs " + VersionText(c.b)));
        EXPECT_EQ(CompareVersions(c.a, c.b), c.compare);
        EXPECT_EQ(Matches(c.a, c.b), c.matches);
    }
    EXPECT_TRUE(WithinBounds(V{65535, 65535, 65535, 65535}, V::NoLowerBound(), V::NoUpperBound()));
    EXPECT_FALSE(WithinBounds(V{65536, 0, 0, 0}, V::NoLowerBound(), V::NoUpperBound()));
    EXPECT_FALSE(WithinBounds(V{1, 8, 0, 0}, V::NoLowerBound(), V{1, 7, kMax, kMax}));
    EXPECT_FALSE(WithinBounds(V{1, 6, 0, 45}, V{1, 7, 0, 0}, V::NoUpperBound()));
}

TEST(VersionText, CutAfterLastMeaningfulPart) {
    struct Case {
        JavaVersion v;
        const char16_t* text;
    } cases[] = {
        // Filled parts cut like zeros and inner zeros kept show in the missing runtime's phrases.
        {{9, 0, 0, 0}, u"9.0"},  // never fewer than two parts
        {{65535, 65535, 65535, 65535}, u"0.0.0.0"},
        {{-1, 5, 0, 0}, u"-1.5"},
    };
    for (const Case& c : cases) EXPECT_EQ(VersionText(c.v), WideString(c.text));
}
