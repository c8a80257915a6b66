#include "vmhost/vm_parameters.h"

#include <cstddef>
#include <limits>

#include "launch/launcher.h"
#include "support/environment.h"
#include "support/text.h"

namespace {
constexpr size_t kNone = std::u16string_view::npos;

// The first double quote in [from, limit), or kNone; nothing past limit is looked at.
size_t FindQuoteBefore(std::u16string_view text, size_t from, size_t limit) {
    if (from >= text.size()) return kNone;
    const size_t at = text.substr(from, limit == kNone ? kNone : limit - from).find(u'"');
    return at == kNone ? kNone : from + at;
}

uint64_t SaturatingMultiply(uint64_t a, uint64_t b) {
    if (a != 0 && b > std::numeric_limits<uint64_t>::max() / a)
        return std::numeric_limits<uint64_t>::max();
    return a * b;
}

uint64_t SaturatingAdd(uint64_t a, uint64_t b) {
    return b > std::numeric_limits<uint64_t>::max() - a ? std::numeric_limits<uint64_t>::max()
                                                        : a + b;
}


bool IsDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }
}  // namespace

void SplitVmParameters(std::u16string_view text, StringList& tokens) {
    size_t start = 0;
    while (start < text.size()) {
        size_t blank = text.find(u' ', start);
        // Only a quote before the next blank can hold that blank inside the token; looking no
        // further keeps the whole split linear in the text.
        size_t quote = FindQuoteBefore(text, start, blank);
        while (quote != kNone && blank != kNone) {
            size_t closing = text.find(u'"', quote + 1);
            if (closing == kNone) break;
            if (closing + 1 < text.size() && text[closing + 1] == u'"') ++closing;
            blank = text.find(u' ', closing + 1);
            quote = FindQuoteBefore(text, closing + 1, blank);
        }
        const size_t end = blank == kNone ? text.size() : blank;
        if (!tokens.Append(WideString(text.substr(start, end - start)))) FatalOutOfMemory();
        start = end;
        while (start < text.size() && text[start] == u' ') ++start;
    }
}

void RemoveQuotes(WideString& token) {
    const std::u16string_view text = token;
    size_t opening = text.find(u'"');
    if (opening == kNone) return;
    WideString kept;
    size_t copied = 0;
    while (opening != kNone) {
        size_t closing = text.find(u'"', opening + 1);
        if (closing == kNone) break;
        if (closing + 1 < text.size() && text[closing + 1] == u'"') ++closing;
        kept.Append(text.substr(copied, opening - copied));
        kept.Append(text.substr(opening + 1, closing - opening - 1));
        copied = closing + 1;
        opening = text.find(u'"', copied);
    }
    kept.Append(text.substr(copied));
    token = std::move(kept);
}

bool IsMemorySizeParameter(std::u16string_view token) {
    if (token.size() < 5) return false;
    const std::u16string_view prefix = token.substr(0, 4);
    if (prefix != u"-Xms" && prefix != u"-Xmx" && prefix != u"-Xss") return false;
    const char16_t suffix = token.back();
    return suffix == u'P' || suffix == u'p' || suffix == u'T' || suffix == u't';
}

void ExpandMemorySize(WideString& token, const MemoryFigures& memory) {
    const std::u16string_view text = token;
    size_t start = 0;
    while (start < text.size() && !IsDigit(text[start]) && text[start] != u':') ++start;
    // Percentage, minimum and maximum in megabytes; missing ones are 0, further ones ignored.
    uint64_t numbers[3] = {0, 0, 0};
    size_t index = 0;
    for (size_t i = start; i + 1 < text.size(); ++i) {
        if (text[i] == u':') {
            ++index;
        } else if (IsDigit(text[i]) && index < 3) {
            // Saturated like a stack size: a wrapped figure would be a small, wrong size.
            numbers[index] = SaturatingAdd(SaturatingMultiply(numbers[index], 10),
                                           static_cast<uint64_t>(text[i] - u'0'));
        }
    }
    const char16_t suffix = text.back();
    const uint64_t figure =
        (suffix == u'P' || suffix == u'p') ? memory.totalPhysical : memory.availableVirtual;
    const double kilobytes = static_cast<double>(figure / 1024) *
                             (static_cast<double>(numbers[0]) / 100.0);
    // A share far above 100 % must not overflow the conversion.
    uint64_t size = kilobytes >= 18446744073709551615.0 ? std::numeric_limits<uint64_t>::max()
                                                        : static_cast<uint64_t>(kilobytes);
    const uint64_t maximum = SaturatingMultiply(numbers[2], 1024);
    const uint64_t minimum = SaturatingMultiply(numbers[1], 1024);
    if (numbers[2] != 0 && size > maximum) size = maximum;
    if (minimum > size) size = minimum;
    char16_t digits[24];
    WideString expanded(text.substr(0, start));
    expanded.Append(std::u16string_view(digits, static_cast<size_t>(FormatUnsignedDecimal(size, digits))))
        .Append(u'K');
    token = std::move(expanded);
}

uint64_t ParseSize(std::u16string_view text) {
    if (text.empty() || !IsDigit(text[0]) || text.find(u':') != kNone) return 0;
    uint64_t number = 0;
    for (char16_t unit : text) {
        // Saturated at both steps: a sum past the top would wrap a long number to a tiny size.
        if (IsDigit(unit))
            number = SaturatingAdd(SaturatingMultiply(number, 10), static_cast<uint64_t>(unit - u'0'));
    }
    switch (text.back()) {
        case u'k': case u'K': return SaturatingMultiply(number, uint64_t{1} << 10);
        case u'm': case u'M': return SaturatingMultiply(number, uint64_t{1} << 20);
        case u'g': case u'G': return SaturatingMultiply(number, uint64_t{1} << 30);
        default: return number;
    }
}

void Launcher::AddVmParameters(const WideString& text, StringList& options) {
    StringList tokens;
    SplitVmParameters(text, tokens);
    for (const WideString& original : tokens) {
        WideString token = original;
        RemoveQuotes(token);
        if (IsMemorySizeParameter(token)) ExpandMemorySize(token, ReadMemoryFigures());
        if (std::u16string_view(token).substr(0, 4) == u"-Xss") {
            const uint64_t size = ParseSize(std::u16string_view(token).substr(4));
            runThreadStackSize = size > std::numeric_limits<size_t>::max()
                                     ? std::numeric_limits<size_t>::max()
                                     : static_cast<size_t>(size);
        }
        if (!options.Append(std::move(token))) FatalOutOfMemory();
    }
}

namespace {
// Every "%name%" of text (without regard to case, as the system expands names) replaced by value.
WideString ReplaceVariable(const WideString& text, std::u16string_view name,
                           const WideString& value) {
    WideString out;
    const std::u16string_view view(text);
    size_t done = 0;
    for (size_t at = view.find(u'%'); at != std::u16string_view::npos; at = view.find(u'%', at + 1)) {
        if (!EqualsNoCase(view.substr(at, name.size()), name)) continue;
        out.Append(view.substr(done, at - done)).Append(value);
        done = at + name.size();
        at = done - 1;
    }
    return done == 0 ? text : out.Append(view.substr(done));
}
}  // namespace

void Launcher::AddVmParameterOptions(const WideString& text, const WideString& folderForVm,
                                     const WideString& pathForVm) {
    StringList parameters;
    AddVmParameters(text, parameters);
    for (const WideString& parameter : parameters) {
        // Variables are expanded token by token, so a value with blanks never splits a token.
        WideString option = ReplaceVariable(
            ReplaceVariable(parameter, u"%QZ_EXE_DIR%", folderForVm), u"%QZ_EXE_PATH%", pathForVm);
        ExpandEnvironment(option);
        // The VM refuses an empty option (a parameter text that begins with a blank, or "").
        if (option.IsEmpty()) continue;
        const std::u16string_view given(option);
        // The VM would refuse it: the java command takes it out for its splash screen, as here.
        if (given.substr(0, 8) == u"-splash:") {
            splashImage = option.Mid(8);
            continue;
        }
        // As the toolkit reads it: "true" is headless, any other value is not.
        if (given.substr(0, 20) == u"-Djava.awt.headless=")
            headless = given.substr(20) == u"true";
        if (!vmOptions.Append(ToNarrow(option))) FatalOutOfMemory();
    }
}
