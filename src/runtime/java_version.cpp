#include "runtime/java_version.h"

#include "support/text.h"

namespace {
constexpr int32_t kPartCount = 4;
constexpr int32_t kLargestPart = 2147483647;

// The parts by rank, major first, so the rules below can loop instead of naming each field.
int32_t* Parts(JavaVersion& v, int32_t index) {
    int32_t* const parts[kPartCount] = {&v.major, &v.minor, &v.micro, &v.update};
    return parts[index];
}

int32_t Part(const JavaVersion& v, int32_t index) {
    const int32_t parts[kPartCount] = {v.major, v.minor, v.micro, v.update};
    return parts[index];
}

bool IsDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

size_t NextDigit(std::u16string_view text, size_t from) {
    while (from < text.size() && !IsDigit(text[from])) ++from;
    return from;
}
}  // namespace

bool ParseJavaVersion(std::u16string_view text, int32_t fill, JavaVersion& out) {
    out = JavaVersion{};
    size_t position = NextDigit(text, 0);
    if (position == text.size()) return false;  // also the empty text

    JavaVersion parsed;
    int32_t filled = 0;
    while (position < text.size() && filled < kPartCount) {
        int32_t value = 0;
        for (; position < text.size() && IsDigit(text[position]); ++position) {
            const int32_t digit = text[position] - u'0';
            // Checked before multiplying: a run that does not fit makes the whole text unusable.
            if (value > (kLargestPart - digit) / 10) return false;
            value = value * 10 + digit;
        }
        *Parts(parsed, filled++) = value;
        position = NextDigit(text, position);
    }
    for (int32_t index = filled; index < kPartCount; ++index) *Parts(parsed, index) = fill;
    out = parsed;
    return true;
}

int CompareVersions(const JavaVersion& a, const JavaVersion& b) {
    for (int32_t index = 0; index < kPartCount; ++index) {
        const int32_t x = Part(a, index);
        const int32_t y = Part(b, index);
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

bool WithinBounds(const JavaVersion& v, const JavaVersion& minimum, const JavaVersion& maximum) {
    return !Newer(v, maximum) && !Older(v, minimum);
}

bool Matches(const JavaVersion& candidate, const JavaVersion& wanted) {
    if (Equal(candidate, wanted)) return true;
    // An all-zero wanted version (an entry without digits, or "0") has nothing left to compare
    // and so matches every candidate.
    int32_t compared = kPartCount;
    while (compared > 0 && Part(wanted, compared - 1) == 0) --compared;
    for (int32_t index = 0; index < compared; ++index) {
        if (Part(candidate, index) != Part(wanted, index)) return false;
    }
    return true;
}

bool Unbounded(const JavaVersion& v) {
    return Equal(v, JavaVersion::NoLowerBound()) || Equal(v, JavaVersion::NoUpperBound());
}

WideString VersionText(const JavaVersion& v) {
    int32_t last = kPartCount - 1;
    while (last >= 0 && (Part(v, last) == 0 || Part(v, last) == kVersionFillMaximum)) --last;
    if (last < 0) return WideString(u"0.0.0.0");
    if (last < 1) last = 1;  // a lone major still reads as a version: "9.0", not "9"

    WideString text;
    for (int32_t index = 0; index <= last; ++index) {
        char16_t digits[12];
        FormatDecimal(Part(v, index), digits);
        if (index > 0) text += u'.';
        text += digits;
    }
    return text;
}
