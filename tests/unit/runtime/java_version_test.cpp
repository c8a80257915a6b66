#include <gtest/gtest.h>

#include "common/wide_printer.h"

#include <array>
#include <string>

#include "runtime/java_version.h"
#include "support/utf8.h"

namespace {
using Parts = std::array<int32_t, 4>;

Parts PartsOf(const JavaVersion& v) { return {v.major, v.minor, v.micro, v.update}; }
JavaVersion Version(int32_t major, int32_t minor, int32_t micro, int32_t update) {
    JavaVersion v;
    v.major = major;
    v.minor = minor;
    v.micro = micro;
    v.update = update;
    return v;
}
JavaVersion Parsed(const char16_t* text, int32_t fill) {
    JavaVersion v;
    EXPECT_TRUE(ParseJavaVersion(text, fill, v)) << EncodeUtf8(text);
    return v;
}
}  // namespace

TEST(ParseJavaVersion, DigitRunsAndFill) {
    constexpr int32_t kMax = kVersionFillMaximum;
    struct Case {
        const char16_t* text;
        int32_t fill;
        bool ok;
        Parts parts;
    } cases[] = {
        {u"java", kMax, false, {0, 0, 0, 0}},  // no digit: the fill is not applied either
        {u"1.7", kMax, true, {1, 7, kMax, kMax}},
        {u"jdk1.8.0_60-b27", 0, true, {1, 8, 0, 60}},
        {u"2147483648", kMax, false, {0, 0, 0, 0}},
        {u"1.99999999999", kMax, false, {0, 0, 0, 0}},  // a later run overflowing fails it all
        {u"1.2.3.4.99999999999", 0, true, {1, 2, 3, 4}},  // past the fourth run nothing is read
        {u"-1..08", 0, true, {1, 8, 0, 0}},  // a minus sign is a separator, not a sign
        {u"\uFF11.7", 0, true, {7, 0, 0, 0}},  // only ASCII digits count
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(EncodeUtf8(c.text));
        JavaVersion v = Version(9, 9, 9, 9);
        EXPECT_EQ(ParseJavaVersion(c.text, c.fill, v), c.ok);
        EXPECT_EQ(PartsOf(v), c.parts);
    }
}

TEST(CompareVersions, NumericPartByPart) {
    struct Case {
        JavaVersion a, b;
        int result;
    } cases[] = {
        {Version(1, 8, 0, 5), Version(1, 8, 0, 45), -1},  // numbers, not text
        {Version(1, 8, 0, 60), Version(1, 8, 0, 60), 0},
        {Version(2, 0, 0, 0), Version(1, 65535, 65535, 65535), 1},  // major decides first
        {Version(-1, 0, 0, 0), Version(0, 0, 0, 0), -1},  // signed
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompareVersions(c.a, c.b), c.result);
        EXPECT_EQ(CompareVersions(c.b, c.a), -c.result);
        EXPECT_EQ(Newer(c.a, c.b), c.result > 0);
        EXPECT_EQ(Older(c.a, c.b), c.result < 0);
        EXPECT_EQ(Equal(c.a, c.b), c.result == 0);
    }
}

TEST(WithinBounds, InclusiveAndFilledBounds) {
    const JavaVersion noLower = JavaVersion::NoLowerBound();
    const JavaVersion noUpper = JavaVersion::NoUpperBound();
    const JavaVersion maximum17 = Parsed(u"1.7", kVersionFillMaximum);
    struct Case {
        JavaVersion v, minimum, maximum;
        bool within;
    } cases[] = {
        {Version(65535, 65535, 65535, 65535), noLower, noUpper, true},
        {Version(65536, 0, 0, 0), noLower, noUpper, false},
        {Parsed(u"1.7.0_80", 0), noLower, maximum17, true},
        {Parsed(u"1.8", 0), noLower, maximum17, false},
        {Version(1, 7, 0, 0), Parsed(u"1.7", kVersionFillMinimum), noUpper, true},
        {Parsed(u"1.6.0_45", 0), Parsed(u"1.7", kVersionFillMinimum), noUpper, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WithinBounds(c.v, c.minimum, c.maximum), c.within) << EncodeUtf8(VersionText(c.v));
}

TEST(Matches, TrailingZerosOfWantedAreWildcards) {
    struct Case {
        JavaVersion candidate, wanted;
        bool matches;
    } cases[] = {
        {Version(1, 8, 1, 60), Version(1, 8, 0, 0), true},
        {Version(1, 9, 0, 0), Version(1, 8, 0, 0), false},
        {Version(1, 8, 0, 46), Version(1, 8, 0, 45), false},
        {Version(1, 8, 1, 45), Version(1, 8, 0, 45), false},  // inner zeros are not wildcards
        {Version(1, 8, 0, 0), Version(1, 8, 0, 60), false},
        {Version(11, 0, 2, 0), Version(0, 0, 0, 0), true},  // all-zero wanted matches anything
    };
    for (const Case& c : cases)
        EXPECT_EQ(Matches(c.candidate, c.wanted), c.matches)
            << EncodeUtf8(VersionText(c.candidate)) << " vs " << EncodeUtf8(VersionText(c.wanted));
}

TEST(VersionText, CutAfterLastMeaningfulPart) {
    struct Case {
        JavaVersion v;
        const char16_t* text;
    } cases[] = {
        {Version(1, 8, 0, 60), u"1.8.0.60"},
        {Version(1, 7, 65535, 65535), u"1.7"},  // filled parts are cut like zeros
        {Version(9, 0, 0, 0), u"9.0"},          // never fewer than two parts
        {Version(1, 0, 3, 0), u"1.0.3"},
        {Version(65535, 65535, 65535, 65535), u"0.0.0.0"},
        {Version(-1, 5, 0, 0), u"-1.5"},
    };
    for (const Case& c : cases) EXPECT_EQ(VersionText(c.v), WideString(c.text));
}
