// libFuzzer target for ParseLinkColour, which reads the browser's "Anchor Color" values from the
// registry. The input is a byte that says whether the value's type is a string, then the value's
// data as the registry hands it over (any number of bytes). Colours written as "R,G,B" read back.
#include "fuzz_support.h"
#include "ui/missing_runtime_rules.h"

// Parsed from a copy of exactly the units the bytes cover: AddressSanitizer sees any overread.
static uint32_t Parse(const std::u16string& units, size_t bytes, bool isString, bool& ok) {
    std::vector<char16_t> copy(units.begin(), units.begin() + bytes / 2);
    uint32_t colour = 0xDEADBEEF;
    ok = ParseLinkColour(copy.empty() ? nullptr : copy.data(), static_cast<uint32_t>(bytes), isString, colour);
    Check(ok || colour == 0xDEADBEEF, "a refused value leaves the colour alone");
    return colour;
}

// The colour as the browser writes it: "R,G,B" and its zero.
static std::u16string Written(uint32_t colour) {
    const std::string text = std::to_string(colour & 0xFF) + "," + std::to_string(colour >> 8 & 0xFF) + "," +
                             std::to_string(colour >> 16 & 0xFF);
    return std::u16string(text.begin(), text.end()) + u'\0';
}

FUZZ_TARGET {
    FuzzInput input{data, size};
    const bool isString = input.Field(1) & 1;
    const std::u16string units = input.Utf16(), value = units.substr(0, units.find(u'\0'));
    bool ok = false;
    const uint32_t colour = Parse(units, size > 0 ? size - 1 : 0, isString, ok);
    Check(!ok || (isString && size - 1 <= 24 && size % 2 == 1 && units.back() == 0 && colour <= 0xFFFFFF &&
                  value.find_first_not_of(u"0123456789,") == kNone && std::count(value.begin(), value.end(), u',') == 2),
          "only short zero-terminated strings of three numbers give a colour");
    const uint32_t given = ok ? colour : static_cast<uint32_t>(FuzzInput{data, size}.Field(3));
    const std::u16string written = Written(given);
    Check(Parse(written, 2 * written.size(), true, ok) == given && ok, "a colour written reads back");
    Parse(written, 2 * written.size(), false, ok);
    Check(!ok, "only a string is read");
    return 0;
}
