// libFuzzer target for the memory sizes of "Virtual Machine Parameters": ExpandMemorySize with
// memory figures and percentage, minimum and maximum from the input, and ParseSize, which reads
// the run thread's stack size. The input holds the two memory figures and the percentage (8 bytes
// each), a byte that shifts the percentage right, minimum and maximum (8 bytes each), a byte that
// picks the option and its share suffix, and the text of a token of its own (UTF-16LE).
#include "fuzz_support.h"
#include "vmhost/vm_parameters.h"

using Wide = unsigned __int128;

static std::u16string Decimal(uint64_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// The size the token expands to, in kilobytes: the text before its number kept, the number in
// plain decimal, "K" after it.
static uint64_t Expand(const std::u16string& token, const MemoryFigures& memory) {
    WideString text(token);
    ExpandMemorySize(text, memory);
    const std::u16string expanded = text.Std();
    const size_t start = expanded.find_last_not_of(u"0123456789", expanded.size() - 2) + 1;
    const uint64_t size = ParseSize(expanded.substr(start, expanded.size() - start - 1));
    Check(start >= 4 && expanded == token.substr(0, start) + Decimal(size) + u'K', "the size in plain decimal, in K");
    return size;
}

FUZZ_TARGET {
    FuzzInput input{data, size};
    const MemoryFigures memory{input.Field(8), input.Field(8)};
    const uint64_t percent = input.Field(8) >> input.Field(1) % 64;
    const uint64_t minimum = input.Field(8) >> 40, maximum = input.Field(8) >> 40, choice = input.Field(1);
    const std::u16string body = input.Utf16(), option = std::u16string(u"-Xms-Xmx-Xss").substr(choice % 3 * 4, 4);
    const char16_t suffix = u"PpTt"[choice / 3 % 4];
    const uint64_t figure = suffix == u'P' || suffix == u'p' ? memory.totalPhysical : memory.availableVirtual;
    Check(IsMemorySizeParameter(option + body + suffix) && !IsMemorySizeParameter(option + body + u'K'),
          "an option with a share suffix is a memory size, with K it is not");
    Check(Expand(option + body + suffix, {memory.totalPhysical / 2, memory.availableVirtual / 2}) <=
              Expand(option + body + suffix, memory),
          "the size grows with the memory");
    // percent:minimum:maximum: the share of the figure, never below the minimum, above the
    // maximum only for the minimum, and growing with the percentage.
    const auto share = [&](uint64_t p) {
        return Expand(option + Decimal(p) + u':' + Decimal(minimum) + u':' + Decimal(maximum) + suffix, memory);
    };
    const uint64_t expanded = share(percent);
    Check(expanded >= minimum * 1024 && (maximum == 0 || expanded <= std::max(minimum, maximum) * 1024) &&
              (percent > 100 || maximum != 0 || expanded <= std::max(minimum * 1024, figure / 1024 + 1)),
          "within the minimum, the maximum and the whole figure");
    Check(percent == UINT64_MAX || share(percent + 1) >= expanded, "the size grows with the percentage");
    // Sizes written with a unit read back exactly, saturating at the top, as do numbers too long
    // for 64 bits: a digit more never gives less.
    const std::u16string number = Decimal(memory.totalPhysical) + Decimal(memory.availableVirtual);
    Check(ParseSize(number + u'0') >= ParseSize(number), "a longer number is never smaller");
    const std::u16string units[] = {u"", u"k", u"M", u"g"};
    for (int i = 0; i < 4; ++i)
        Check(ParseSize(Decimal(memory.totalPhysical) + units[i]) == std::min<Wide>(Wide{memory.totalPhysical} << 10 * i, UINT64_MAX),
              "sizes with a unit read back, saturating at the top");
    return 0;
}
