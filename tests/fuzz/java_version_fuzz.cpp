// libFuzzer target for the Java version rules: the input is read as UTF-16 units (pairs of bytes,
// low byte first), parsed with both fills, and the results are checked against a plain second
// reading of the same text and against each other.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/java_version.h"

namespace {
void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

int32_t Part(const JavaVersion& v, int index) {
    const int32_t parts[4] = {v.major, v.minor, v.micro, v.update};
    return parts[index];
}

bool IsDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

// A second, independent reading: split into digit runs with 64-bit values, then apply the rules.
// Returns false on failure; parts holds the runs read (at most four), count how many.
bool Oracle(const std::u16string& text, int64_t (&parts)[4], int& count) {
    count = 0;
    size_t i = 0;
    while (count < 4) {
        while (i < text.size() && !IsDigit(text[i])) ++i;
        if (i == text.size()) break;
        int64_t value = 0;
        bool tooLarge = false;
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            value = value * 10 + (text[i] - u'0');
            if (value > 2147483647) {
                tooLarge = true;
                value = 2147483648;  // keeps the 64-bit value from overflowing on long runs
            }
        }
        if (tooLarge) return false;
        parts[count++] = value;
    }
    return count > 0;
}

void CheckOrder(const JavaVersion& a, const JavaVersion& b) {
    const int ab = CompareVersions(a, b);
    Check(ab >= -1 && ab <= 1, "compare gives -1, 0 or 1");
    Check(ab == -CompareVersions(b, a), "compare is antisymmetric");
    Check((ab == 0) == Equal(a, b), "compare 0 exactly when equal");
    Check(Newer(a, b) == Older(b, a), "newer mirrors older");
    Check(CompareVersions(a, a) == 0 && Equal(a, a) && Matches(a, a), "reflexive");
    // Within [a, b] when a <= b, and a version is its own tightest bounds.
    if (ab <= 0) Check(WithinBounds(a, a, b) && WithinBounds(b, a, b), "bounds inclusive");
    Check(WithinBounds(a, a, a), "own bounds");
}
// Matches read as "every part of wanted is equal or only zeros follow it".
void CheckMatches(const JavaVersion& candidate, const JavaVersion& wanted) {
    bool expected = true;
    for (int index = 0; index < 4; ++index) {
        bool onlyZerosFrom = true;
        for (int rest = index; rest < 4; ++rest) onlyZerosFrom &= Part(wanted, rest) == 0;
        if (onlyZerosFrom) break;
        if (Part(candidate, index) != Part(wanted, index)) expected = false;
    }
    Check(Matches(candidate, wanted) == expected, "matches by the wanted version's leading parts");
    Check(Matches(candidate, JavaVersion{}), "an all-zero wanted version matches anything");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));

    JavaVersion low, high;
    const bool lowOk = ParseJavaVersion(text, kVersionFillMinimum, low);
    const bool highOk = ParseJavaVersion(text, kVersionFillMaximum, high);
    Check(lowOk == highOk, "the fill does not decide success");

    int64_t expected[4];
    int count = 0;
    const bool oracleOk = Oracle(text, expected, count);
    Check(lowOk == oracleOk, "success as the second reading says");

    if (!lowOk) {
        Check(Equal(low, JavaVersion{}) && Equal(high, JavaVersion{}), "failure leaves zeros");
        return 0;
    }
    for (int index = 0; index < 4; ++index) {
        const bool read = index < count;
        Check(Part(low, index) >= 0 && Part(high, index) >= 0, "parts are never negative");
        Check(Part(low, index) == (read ? expected[index] : kVersionFillMinimum), "part or fill 0");
        Check(Part(high, index) == (read ? expected[index] : kVersionFillMaximum), "part or 65535");
    }
    // Fill 0 is the bottom and fill 65535 the top of what the text names, and 1.8 names 1.8.x.
    Check(CompareVersions(low, high) <= 0, "fill 0 never above fill 65535");
    Check(Matches(high, low), "the minimum reading matches the maximum reading");
    // The text form leaves out the filled parts, so it cannot tell the two fills apart; only a
    // lone major shows its filled minor ("10.0" against "10.65535").
    if (count >= 2) Check(VersionText(low) == VersionText(high), "text form ignores the fill");

    // The text form read back with fill 0 drops only parts that were 0 or 65535, so it still
    // names the version, is the same version when no part was 65535, and prints the same.
    for (const JavaVersion& v : {low, high}) {
        const WideString printed = VersionText(v);
        JavaVersion again;
        Check(ParseJavaVersion(printed, kVersionFillMinimum, again), "text form parses");
        Check(Matches(v, again), "text form names the version");
        bool any65535 = false;
        for (int index = 0; index < 4; ++index) any65535 |= Part(v, index) == kVersionFillMaximum;
        if (!any65535) Check(Equal(v, again), "text form is exact without 65535 parts");
        Check(VersionText(again) == printed, "text form is stable");
        int zeros = 0, tops = 0;
        for (int index = 0; index < 4; ++index) {
            zeros += Part(v, index) == 0;
            tops += Part(v, index) == kVersionFillMaximum;
        }
        Check(Unbounded(v) == (zeros == 4 || tops == 4), "unbounded only at the two ends");
    }

    // A second version from the second half of the input, for the ordering rules.
    JavaVersion other;
    ParseJavaVersion(std::u16string_view(text).substr(text.size() / 2), kVersionFillMaximum, other);
    CheckOrder(low, high);
    CheckOrder(low, other);
    CheckOrder(high, other);
    CheckMatches(other, low);
    CheckMatches(low, other);
    CheckMatches(high, other);
    return 0;
}
