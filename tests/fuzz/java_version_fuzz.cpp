// libFuzzer target for the Java version rules: the input (UTF-16LE) is parsed with both fills and
// with its separators changed, its text form and four parts formatted from the input's first
// fields read back, and the ordering rules hold for the versions read.
#include "fuzz_support.h"
#include "runtime/java_version.h"

static void CheckOrder(const JavaVersion& a, const JavaVersion& b) {
    const int ab = CompareVersions(a, b);
    Check(ab >= -1 && ab <= 1 && ab == -CompareVersions(b, a) && (ab == 0) == (a == b) && Newer(a, b) == Older(b, a),
          "compare gives -1, 0 or 1, antisymmetric, 0 exactly when equal");
    Check(Matches(a, a) && Matches(a, JavaVersion{}) && (ab > 0 || (WithinBounds(a, a, b) && WithinBounds(b, a, b))),
          "a version matches itself, all zeros match anything, bounds are inclusive");
}

FUZZ_TARGET {
    FuzzInput fields{data, size};
    int32_t given[4];
    std::string written;
    for (int i = 0; i < 4; ++i) {
        given[i] = static_cast<int32_t>(fields.Field(4) & 0x7FFFFFFF);
        written += (i == 0 ? "" : i == 1 ? "." : i == 2 ? "._" : "-b") + std::to_string(given[i]);
    }
    const std::u16string text = FuzzInput{data, size}.Utf16();
    JavaVersion low, high, again, other;
    const bool ok = ParseJavaVersion(text, kVersionFillMinimum, low);
    Check(ok == ParseJavaVersion(text, kVersionFillMaximum, high), "the fill does not decide success");
    Check(ok ? text.find_first_of(u"0123456789") != kNone : low == JavaVersion{} && high == low,
          "no version without a digit; a failure leaves zeros");
    std::u16string dotted = u"v";
    for (char16_t unit : text) dotted.push_back(unit >= u'0' && unit <= u'9' ? unit : u'.');
    Check(ParseJavaVersion(dotted, kVersionFillMinimum, again) == ok && again == low, "separators do not matter");
    // Fill 0 is the bottom and fill 65535 the top of what the text names: 1.8 names 1.8.x.
    Check(CompareVersions(low, high) <= 0 && Matches(high, low) && low.major >= 0 && low.update >= 0,
          "fill 0 below fill 65535, within what the text names");
    for (const JavaVersion& v : {low, high}) {
        const WideString printed = VersionText(v);
        Check(ParseJavaVersion(printed, kVersionFillMinimum, again) && Matches(v, again) && VersionText(again) == printed,
              "the text form names the version and reads back as itself");
        Check(v == again || v.major == 65535 || v.minor == 65535 || v.micro == 65535 || v.update == 65535,
              "the text form is exact without 65535 parts");
    }
    Check(ParseJavaVersion(std::u16string(written.begin(), written.end()), kVersionFillMaximum, again) &&
              again == JavaVersion{given[0], given[1], given[2], given[3]},
          "four parts formatted, whatever separates them, read back");
    ParseJavaVersion(std::u16string_view(text).substr(text.size() / 2), kVersionFillMaximum, other);
    CheckOrder(low, high);
    CheckOrder(low, other);
    CheckOrder(again, other);
    return 0;
}
