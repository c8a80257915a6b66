// libFuzzer target for the Java version rules: the input (UTF-16LE) is parsed with both fills,
// read again with its separators changed, and versions formatted from the input's fields parse
// back; the ordering rules hold for the versions read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "runtime/java_version.h"

namespace {
bool IsDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

int32_t Part(const JavaVersion& v, int index) {
    const int32_t parts[4] = {v.major, v.minor, v.micro, v.update};
    return parts[index];
}

std::u16string Decimal(uint32_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

void CheckOrder(const JavaVersion& a, const JavaVersion& b) {
    const int ab = CompareVersions(a, b);
    Check(ab >= -1 && ab <= 1, "compare gives -1, 0 or 1");
    Check(ab == -CompareVersions(b, a), "compare is antisymmetric");
    Check((ab == 0) == Equal(a, b), "compare 0 exactly when equal");
    Check(Newer(a, b) == Older(b, a), "newer mirrors older");
    Check(CompareVersions(a, a) == 0 && Matches(a, a), "reflexive");
    if (ab <= 0) Check(WithinBounds(a, a, b) && WithinBounds(b, a, b), "bounds inclusive");
    Check(Matches(a, JavaVersion{}), "an all-zero wanted version matches anything");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput fields(data, size);
    uint32_t given[4];
    for (uint32_t& part : given) part = static_cast<uint32_t>(fields.U64() & 0x7FFFFFFF);
    const std::u16string text = FuzzInput(data, size).Utf16();

    JavaVersion low, high;
    const bool ok = ParseJavaVersion(text, kVersionFillMinimum, low);
    Check(ok == ParseJavaVersion(text, kVersionFillMaximum, high), "the fill does not decide success");
    bool anyDigit = false;
    std::u16string dotted = u"v";  // whatever separates the digit runs reads the same
    for (char16_t unit : text) {
        anyDigit |= IsDigit(unit);
        dotted.push_back(IsDigit(unit) ? unit : u'.');
    }
    JavaVersion again;
    Check(ParseJavaVersion(dotted, kVersionFillMinimum, again) == ok && Equal(again, low), "separators do not matter");
    Check(!ok || anyDigit, "no version without a digit");
    if (!ok) {
        Check(Equal(low, JavaVersion{}) && Equal(high, JavaVersion{}), "failure leaves zeros");
    } else {
        // Fill 0 is the bottom and fill 65535 the top of what the text names; 1.8 names 1.8.x.
        for (int index = 0; index < 4; ++index)
            Check(Part(low, index) >= 0 && (Part(low, index) == Part(high, index) || Part(high, index) == kVersionFillMaximum),
                  "a part read, or the fill");
        Check(CompareVersions(low, high) <= 0 && Matches(high, low), "fill 0 below fill 65535, within what it names");
    }

    // The text form read back with fill 0 still names the version and prints the same.
    for (const JavaVersion& v : {low, high}) {
        const WideString printed = VersionText(v);
        Check(ParseJavaVersion(printed, kVersionFillMinimum, again) && Matches(v, again), "text form names the version");
        Check(VersionText(again) == printed, "text form is stable");
        bool any65535 = false;
        for (int index = 0; index < 4; ++index) any65535 |= Part(v, index) == kVersionFillMaximum;
        Check(any65535 || Equal(v, again), "text form is exact without 65535 parts");
    }
    // Four parts formatted read back exactly, whatever separates them.
    const std::u16string written = Decimal(given[0]) + u'.' + Decimal(given[1]) + u"._" + Decimal(given[2]) + u"-b" + Decimal(given[3]);
    Check(ParseJavaVersion(written, kVersionFillMaximum, again), "formatted version parses");
    for (int index = 0; index < 4; ++index) Check(Part(again, index) == static_cast<int32_t>(given[index]), "parts read back");

    JavaVersion other;
    ParseJavaVersion(std::u16string_view(text).substr(text.size() / 2), kVersionFillMaximum, other);
    CheckOrder(low, high);
    CheckOrder(low, other);
    CheckOrder(again, other);
    return 0;
}
