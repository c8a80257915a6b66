#include "support/text.h"

#include "support/fatal.h"

namespace {
char16_t FoldAscii(char16_t unit) {
    return (unit >= u'A' && unit <= u'Z') ? static_cast<char16_t>(unit + (u'a' - u'A')) : unit;
}

template <typename Fold>
int CompareWith(std::u16string_view a, std::u16string_view b, Fold fold) {
    const size_t common = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < common; ++i) {
        const char16_t x = fold(a[i]);
        const char16_t y = fold(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}
}  // namespace

int CompareExact(std::u16string_view a, std::u16string_view b) {
    return CompareWith(a, b, [](char16_t unit) { return unit; });
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
    return CompareWith(a, b, FoldAscii);
}

bool IsWhiteSpace(char16_t unit) {
    switch (unit) {
        case 0x0009: case 0x000A: case 0x000B: case 0x000C: case 0x000D: case 0x0020:
        case 0x00A0: case 0x1680: case 0x2028: case 0x2029: case 0x202F:
        case 0x205F: case 0x3000:
            return true;
        default:
            return unit >= 0x2000 && unit <= 0x200A;
    }
}

void SplitList(std::u16string_view text, std::u16string_view separator, StringList& list) {
    if (separator.empty()) FatalInvalidArgument();
    list.Clear();
    size_t position = 0;
    bool foundAny = false;
    while (position < text.size()) {
        const size_t at = text.find(separator, position);
        if (at == std::u16string_view::npos) break;
        foundAny = true;
        if (!list.Append(WideString(text.substr(position, at - position)))) FatalOutOfMemory();
        position = at + separator.size();
    }
    if (!foundAny) {
        if (!text.empty() && !list.Append(WideString(text))) FatalOutOfMemory();
    } else if (position < text.size()) {
        if (!list.Append(WideString(text.substr(position)))) FatalOutOfMemory();
    }
}

int32_t FormatUnsignedDecimal(uint64_t value, char16_t* buffer) {
    char16_t digits[20];
    int32_t count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    int32_t written = 0;
    while (count > 0) buffer[written++] = digits[--count];
    buffer[written] = u'\0';
    return written;
}

int32_t FormatDecimal(int32_t value, char16_t* buffer) {
    if (value >= 0) return FormatUnsignedDecimal(static_cast<uint64_t>(value), buffer);
    // Widened first so that the most negative value has a positive magnitude.
    buffer[0] = u'-';
    return 1 + FormatUnsignedDecimal(static_cast<uint64_t>(-int64_t{value}), buffer + 1);
}

WideString Format(std::u16string_view pattern, std::initializer_list<FormatArg> args) {
    const FormatArg* next = args.begin();
    WideString out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != u'%') {
            out.Append(pattern[i]);
            continue;
        }
        if (++i == pattern.size()) FatalInvalidArgument();
        const char16_t conversion = pattern[i];
        if (conversion == u'%') {
            out.Append(u'%');
            continue;
        }
        if (next == args.end()) FatalInvalidArgument();
        if (conversion == u's' && next->IsText()) {
            out.Append(next->Text());
        } else if (conversion == u'd' && !next->IsText()) {
            char16_t digits[12];
            out.Append(std::u16string_view(digits, FormatDecimal(next->Number(), digits)));
        } else {
            FatalInvalidArgument();
        }
        ++next;
    }
    return out;
}
