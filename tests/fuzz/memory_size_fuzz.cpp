// libFuzzer target for the memory sizes of "Virtual Machine Parameters": ExpandMemorySize with
// memory figures and percentage, minimum and maximum from the input, and ParseSize, which reads
// the run thread's stack size. The input holds the figures (8 bytes each, little-endian), a byte
// that picks the option and its share suffix, and the text of a token of its own (UTF-16LE).
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "fuzz_support.h"
#include "support/text.h"
#include "vmhost/vm_parameters.h"

namespace {
constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();

uint64_t Saturated(unsigned __int128 value) { return value > kMax ? kMax : static_cast<uint64_t>(value); }

std::u16string Decimal(uint64_t value) {
    char16_t digits[24];
    return std::u16string(digits, static_cast<size_t>(FormatUnsignedDecimal(value, digits)));
}

// The size the token expands to, in kilobytes: the text before its number kept, the number in
// plain decimal, "K".
uint64_t Expand(const std::u16string& token, const MemoryFigures& memory) {
    WideString text(token);
    ExpandMemorySize(text, memory);
    const std::u16string expanded = text.Std();
    size_t start = expanded.size() - 1;
    while (start > 0 && expanded[start - 1] >= u'0' && expanded[start - 1] <= u'9') --start;
    Check(expanded.back() == u'K' && start >= 4 && start + 1 < expanded.size() &&
              token.compare(0, start, expanded, 0, start) == 0,
          "text before the number kept, K after it");
    const std::u16string digits = expanded.substr(start, expanded.size() - start - 1);
    const uint64_t size = ParseSize(digits);
    Check(Decimal(size) == digits, "size in plain decimal");
    if (start == 4 && token.compare(0, 4, u"-Xss") == 0)
        Check(ParseSize(expanded.substr(4)) == Saturated(static_cast<unsigned __int128>(size) * 1024), "stack size in bytes");
    return size;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    MemoryFigures memory;
    memory.totalPhysical = input.U64();
    memory.availableVirtual = input.U64();
    const uint64_t percent = input.U64() >> (input.Byte() % 64), minimum = input.U64() >> 40, maximum = input.U64() >> 40;
    const uint8_t choice = input.Byte();
    const std::u16string body = input.Utf16();

    static const char16_t* const kOptions[] = {u"-Xms", u"-Xmx", u"-Xss"};
    static const char16_t kSuffixes[] = {u'P', u'p', u'T', u't'};
    const std::u16string option = kOptions[choice % 3];
    const char16_t suffix = kSuffixes[(choice / 3) % 4];
    const uint64_t figure = suffix == u'P' || suffix == u'p' ? memory.totalPhysical : memory.availableVirtual;
    Check(!IsMemorySizeParameter(option + body + u'K'), "only a share suffix makes a memory size");

    // Any text between option and suffix expands, and more memory never gives a smaller size.
    const std::u16string token = option + body + suffix;
    Check(IsMemorySizeParameter(token), "option with a share suffix is a memory size");
    MemoryFigures less = {memory.totalPhysical / 2, memory.availableVirtual / 2};
    Check(Expand(token, less) <= Expand(token, memory), "size grows with the memory");

    // percent:minimum:maximum: the share, never below the minimum, above the maximum only for
    // the minimum, and growing with the percentage.
    const auto share = [&](uint64_t p) {
        return Expand(option + Decimal(p) + u':' + Decimal(minimum) + u':' + Decimal(maximum) + suffix, memory);
    };
    const uint64_t expanded = share(percent);
    Check(expanded >= minimum * 1024, "never below the minimum");
    if (maximum != 0) Check(expanded <= (minimum > maximum ? minimum : maximum) * 1024, "never above the maximum");
    if (percent <= 100 && maximum == 0) Check(expanded <= (minimum * 1024 > figure / 1024 ? minimum * 1024 : figure / 1024 + 1), "at most the whole figure");
    if (percent < kMax) Check(share(percent + 1) >= expanded, "size grows with the percentage");

    // Sizes written with a unit read back exactly, saturating at the top.
    const uint64_t value = memory.totalPhysical;
    Check(ParseSize(Decimal(value)) == value, "plain number reads back");
    Check(ParseSize(Decimal(value) + u'k') == Saturated(static_cast<unsigned __int128>(value) << 10), "k");
    Check(ParseSize(Decimal(value) + u'M') == Saturated(static_cast<unsigned __int128>(value) << 20), "M");
    Check(ParseSize(Decimal(value) + u'g') == Saturated(static_cast<unsigned __int128>(value) << 30), "g");
    return 0;
}
