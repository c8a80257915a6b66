#pragma once

#include <cstdint>
#include <string_view>

#include "support/wide_string.h"

// What a version text's missing parts become: 0 for a minimum ("1.7" is 1.7.0.0), 65535 for a
// maximum ("1.7" is 1.7.65535.65535, so every 1.7 update is below it).
constexpr int32_t kVersionFillMinimum = 0;
constexpr int32_t kVersionFillMaximum = 65535;

// A Java version as four signed 32-bit parts (major, minor, micro, update). All 0 means no lower
// bound and all 65535 no upper bound.
struct JavaVersion {
    int32_t major = 0;
    int32_t minor = 0;
    int32_t micro = 0;
    int32_t update = 0;

    static constexpr JavaVersion NoLowerBound() { return JavaVersion{}; }
    static constexpr JavaVersion NoUpperBound() {
        return JavaVersion{kVersionFillMaximum, kVersionFillMaximum, kVersionFillMaximum,
                           kVersionFillMaximum};
    }
};

// Reads up to four runs of decimal digits from text, whatever separates them ("1.8.0_60-b27" is
// 1.8.0.60, "jdk1.7" is 1.7); parts the text does not give become fill. Fails on text without a
// digit or with a run above 2147483647, and then leaves all four parts 0 (fill is not applied).
bool ParseJavaVersion(std::u16string_view text, int32_t fill, JavaVersion& out);

// -1, 0 or 1, part by part from major down, as signed numbers.
int CompareVersions(const JavaVersion& a, const JavaVersion& b);
inline bool Newer(const JavaVersion& a, const JavaVersion& b) { return CompareVersions(a, b) > 0; }
inline bool Older(const JavaVersion& a, const JavaVersion& b) { return CompareVersions(a, b) < 0; }
inline bool Equal(const JavaVersion& a, const JavaVersion& b) {
    return a.major == b.major && a.minor == b.minor && a.micro == b.micro && a.update == b.update;
}
inline bool operator==(const JavaVersion& a, const JavaVersion& b) { return Equal(a, b); }
inline bool operator!=(const JavaVersion& a, const JavaVersion& b) { return !Equal(a, b); }

// minimum <= v <= maximum.
bool WithinBounds(const JavaVersion& v, const JavaVersion& minimum, const JavaVersion& maximum);

// Whether candidate is a version the wanted one names: trailing zero parts of wanted are
// wildcards, so 1.8 matches 1.8.0.60 and 1.8.1.0 while 1.8.0_45 matches only 1.8.0.45.
bool Matches(const JavaVersion& candidate, const JavaVersion& wanted);

// All 0 or all 65535: a bound that does not limit anything.
bool Unbounded(const JavaVersion& v);

// The version for messages: parts up to the last one that is neither 0 nor 65535, at least major
// and minor ("1.7" for 1.7.0.0 and for 1.7.65535.65535); "0.0.0.0" when there is no such part.
WideString VersionText(const JavaVersion& v);
