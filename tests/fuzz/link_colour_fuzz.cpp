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

// A second reading: a string of at most 24 bytes, zero-terminated in its last unit; up to its
// first zero, three comma-separated runs of digits of which the last is not empty.
bool Oracle(const std::vector<char16_t>& units, uint32_t bytes, bool isString, uint32_t& colour) {
    if (!isString || bytes < 2 || bytes > 24 || bytes % 2 != 0) return false;
    if (units[bytes / 2 - 1] != 0) return false;
    std::u16string text;
    for (char16_t unit : units) {
        if (unit == 0) break;
        text.push_back(unit);
    }
    std::vector<std::u16string> parts = Pieces(text, u',');
    if (parts.size() != 3 || parts[2].empty()) return false;
    colour = 0;
    for (size_t i = 0; i < 3; ++i) {
        uint64_t value = 0;
        for (char16_t unit : parts[i]) {
            if (unit < u'0' || unit > u'9') return false;
            value = value * 10 + (unit - u'0');
        }
        colour |= static_cast<uint32_t>(value % 256) << (8 * i);
    }
    return true;
}

uint32_t Parse(const std::vector<char16_t>& units, uint32_t bytes, bool isString, bool& ok) {
    uint32_t colour = kUntouched;
    // Its own allocation of exactly the given size, so that AddressSanitizer sees any overread.
    std::vector<char16_t> copy(units.begin(), units.begin() + bytes / 2);
    ok = ParseLinkColour(copy.empty() ? nullptr : copy.data(), bytes, isString, colour);
    Check(ok || colour == kUntouched, "a refused value leaves the colour alone");
    return colour;
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
    uint32_t expected = 0;
    Check(ok == Oracle(units, bytes, isString, expected), "accepted as the second reading says");
    if (ok) Check(colour == expected && colour <= 0xFFFFFF, "colour as the second reading says");

    // A colour written as the browser writes it, from the input's first three bytes.
    const unsigned red = data[0], green = size > 1 ? data[1] : 0, blue = size > 2 ? data[2] : 0;
    const std::string text = std::to_string(red) + "," + std::to_string(green) + "," + std::to_string(blue);
    std::vector<char16_t> written(text.begin(), text.end());
    written.push_back(0);
    const uint32_t writtenBytes = static_cast<uint32_t>(written.size() * 2);
    Check(Parse(written, writtenBytes, true, ok) == (red | green << 8 | blue << 16) && ok,
          "written colour reads back");
    Parse(written, writtenBytes, false, ok);
    Check(!ok, "only a string is read");
    return 0;
}
