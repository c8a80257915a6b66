// libFuzzer target for ParseLinkColour, which reads the browser's "Anchor Color" values from the
// registry. The input is the value's data as the registry hands it over (any number of bytes),
// after a byte that says whether its type is a string. Colours written as "R,G,B" read back.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "ui/missing_runtime_rules.h"

namespace {
constexpr uint32_t kUntouched = 0xDEADBEEF;

uint32_t Parse(const std::vector<char16_t>& units, uint32_t bytes, bool isString, bool& ok) {
    uint32_t colour = kUntouched;
    // Its own allocation of exactly the given size, so that AddressSanitizer sees any overread.
    std::vector<char16_t> copy(units.begin(), units.begin() + bytes / 2);
    ok = ParseLinkColour(copy.empty() ? nullptr : copy.data(), bytes, isString, colour);
    Check(ok || colour == kUntouched, "a refused value leaves the colour alone");
    return colour;
}

// The colour as the browser writes it, "R,G,B" and its zero.
std::vector<char16_t> Written(unsigned red, unsigned green, unsigned blue) {
    const std::string text = std::to_string(red) + "," + std::to_string(green) + "," + std::to_string(blue);
    std::vector<char16_t> units(text.begin(), text.end());
    units.push_back(0);
    return units;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool isString = (data[0] & 1) != 0;
    // The data as units; an odd byte count is passed on as it came (the last byte is dropped from
    // the units, which is all a reader of whole units could see).
    const uint32_t bytes = static_cast<uint32_t>(size - 1);
    std::vector<char16_t> units(bytes / 2);
    if (!units.empty()) std::memcpy(units.data(), data + 1, units.size() * 2);

    bool ok = false;
    const uint32_t colour = Parse(units, bytes, isString, ok);
    if (ok) {
        // Only a zero-terminated string of at most 24 bytes, of digits and two commas up to its zero.
        Check(isString && bytes % 2 == 0 && bytes <= 24 && units.back() == 0, "only short zero-terminated strings");
        size_t commas = 0;
        for (size_t i = 0; units[i] != 0; ++i) {
            Check(units[i] == u',' || (units[i] >= u'0' && units[i] <= u'9'), "digits and commas only");
            commas += units[i] == u',';
        }
        Check(commas == 2 && colour <= 0xFFFFFF, "three numbers, one colour");
        const std::vector<char16_t> again = Written(colour & 0xFF, colour >> 8 & 0xFF, colour >> 16);
        Check(Parse(again, static_cast<uint32_t>(again.size() * 2), true, ok) == colour && ok, "a colour read is written back");
    }

    // A colour written as the browser writes it, from the input's first three bytes.
    const unsigned red = data[0], green = size > 1 ? data[1] : 0, blue = size > 2 ? data[2] : 0;
    const std::vector<char16_t> written = Written(red, green, blue);
    const uint32_t writtenBytes = static_cast<uint32_t>(written.size() * 2);
    Check(Parse(written, writtenBytes, true, ok) == (red | green << 8 | blue << 16) && ok,
          "written colour reads back");
    Parse(written, writtenBytes, false, ok);
    Check(!ok, "only a string is read");
    return 0;
}
