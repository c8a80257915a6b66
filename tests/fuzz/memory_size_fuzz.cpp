// libFuzzer target for the memory sizes of "Virtual Machine Parameters": ExpandMemorySize with
// memory figures from the input, and ParseSize, which reads the run thread's stack size. The
// input holds the two figures (8 bytes each, little-endian), a byte that picks the option and
// its share suffix, and the text between them (UTF-16LE).
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "fuzz_support.h"
#include "support/text.h"
#include "vmhost/vm_parameters.h"

namespace {
constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();

bool IsDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

uint64_t Saturated(unsigned __int128 value) { return value > kMax ? kMax : static_cast<uint64_t>(value); }

// ParseSize read again with 128-bit sums: one decimal number (digits may be interleaved with
// other units, which are skipped) and its unit letter.
uint64_t OracleSize(const std::u16string& text) {
    if (text.empty() || !IsDigit(text[0]) || text.find(u':') != std::u16string::npos) return 0;
    uint64_t number = 0;
    for (char16_t unit : text)
        if (IsDigit(unit)) number = Saturated(static_cast<unsigned __int128>(number) * 10 + (unit - u'0'));
    unsigned shift = 0;
    switch (text.back()) {
        case u'k': case u'K': shift = 10; break;
        case u'm': case u'M': shift = 20; break;
        case u'g': case u'G': shift = 30; break;
        default: break;
    }
    return Saturated(static_cast<unsigned __int128>(number) << shift);
}

std::u16string Decimal(uint64_t value) {
    char16_t digits[24];
    return std::u16string(digits, static_cast<size_t>(FormatUnsignedDecimal(value, digits)));
}

// The expanded token: what came before the first digit or ":", the size in kilobytes, "K".
uint64_t ExpandedSize(const std::u16string& token, const std::u16string& expanded) {
    size_t start = 0;
    while (start < token.size() && !IsDigit(token[start]) && token[start] != u':') ++start;
    Check(expanded.compare(0, start, token, 0, start) == 0, "text before the numbers kept");
    Check(expanded.size() > start + 1 && expanded.back() == u'K', "size ends in K");
    const std::u16string digits = expanded.substr(start, expanded.size() - start - 1);
    Check(digits.size() <= 20 && (digits.size() == 1 || digits[0] != u'0'), "size in plain decimal");
    unsigned __int128 value = 0;
    for (char16_t unit : digits) {
        Check(IsDigit(unit), "size is digits only");
        value = value * 10 + (unit - u'0');
    }
    Check(value <= kMax, "size fits 64 bits");
    return static_cast<uint64_t>(value);
}

uint64_t Expand(const std::u16string& token, const MemoryFigures& memory,
                std::u16string* expanded = nullptr) {
    WideString text(token);
    ExpandMemorySize(text, memory);
    if (expanded) *expanded = text.Std();
    return ExpandedSize(token, text.Std());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    MemoryFigures memory;
    memory.totalPhysical = input.U64();
    memory.availableVirtual = input.U64();
    const uint8_t choice = input.Byte();
    const std::u16string body = input.Utf16();

    // The text alone: a stack size and, where it is one, a memory size option.
    Check(ParseSize(body) == OracleSize(body), "stack size as the second reading says");
    if (IsMemorySizeParameter(body)) Expand(body, memory);

    static const char16_t* const kOptions[] = {u"-Xms", u"-Xmx", u"-Xss"};
    static const char16_t kSuffixes[] = {u'P', u'p', u'T', u't'};
    const std::u16string option = kOptions[choice % 3];
    const char16_t suffix = kSuffixes[(choice / 3) % 4];
    const std::u16string token = option + body + suffix;
    Check(IsMemorySizeParameter(token), "option with a share suffix is a memory size");
    Check(!IsMemorySizeParameter(option + body + u'K'), "only a share suffix makes a memory size");

    // The numbers as ExpandMemorySize reads them: percentage, minimum and maximum, from the
    // first digit or ":", up to the suffix. A figure past 2^64 stays at the top.
    size_t start = 0;
    while (start < token.size() && !IsDigit(token[start]) && token[start] != u':') ++start;
    uint64_t numbers[3] = {0, 0, 0};
    size_t index = 0;
    for (size_t i = start; i + 1 < token.size(); ++i) {
        if (token[i] == u':') {
            ++index;
        } else if (IsDigit(token[i]) && index < 3) {
            numbers[index] = Saturated(static_cast<unsigned __int128>(numbers[index]) * 10 +
                                       static_cast<unsigned>(token[i] - u'0'));
        }
    }
    const uint64_t figure = (suffix == u'P' || suffix == u'p') ? memory.totalPhysical
                                                               : memory.availableVirtual;
    const uint64_t minimum = Saturated(static_cast<unsigned __int128>(numbers[1]) * 1024);
    const uint64_t maximum = Saturated(static_cast<unsigned __int128>(numbers[2]) * 1024);
    std::u16string expandedText;
    const uint64_t expanded = Expand(token, memory, &expandedText);

    // The share in exact arithmetic; the launcher computes it in double, so allow its rounding.
    const unsigned __int128 exact = static_cast<unsigned __int128>(figure / 1024) * numbers[0] / 100;
    const uint64_t share = Saturated(exact);
    const uint64_t slack = share / (uint64_t{1} << 48) + 1;
    uint64_t lowest = share > slack ? share - slack : 0;
    uint64_t highest = share >= kMax - slack ? kMax : share + slack;
    if (numbers[2] != 0) {
        lowest = lowest < maximum ? lowest : maximum;
        highest = highest < maximum ? highest : maximum;
    }
    if (minimum > lowest) lowest = minimum;
    if (minimum > highest) highest = minimum;
    Check(expanded >= lowest && expanded <= highest, "size is the share within minimum and maximum");
    Check(expanded >= minimum, "never below the minimum");
    if (numbers[2] != 0 && minimum <= maximum) Check(expanded <= maximum, "never above the maximum");

    // More memory never gives a smaller size.
    MemoryFigures less = memory;
    less.totalPhysical /= 2;
    less.availableVirtual /= 2;
    Check(Expand(token, less) <= expanded, "size grows with the memory");

    // The run thread reads "-Xss" sizes from the expanded token, in bytes.
    if (option == u"-Xss" && start == 4) {
        Check(ParseSize(std::u16string_view(expandedText).substr(4)) ==
                  Saturated(static_cast<unsigned __int128>(expanded) * 1024),
              "expanded stack size reads back in bytes");
    }

    // Sizes written with a unit read back exactly, saturating at the top.
    const uint64_t value = memory.totalPhysical;
    Check(ParseSize(Decimal(value)) == value, "plain number reads back");
    Check(ParseSize(Decimal(value) + u'k') == Saturated(static_cast<unsigned __int128>(value) << 10), "k");
    Check(ParseSize(Decimal(value) + u'M') == Saturated(static_cast<unsigned __int128>(value) << 20), "M");
    Check(ParseSize(Decimal(value) + u'g') == Saturated(static_cast<unsigned __int128>(value) << 30), "g");
    return 0;
}
