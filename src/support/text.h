#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "support/string_list.h"
#include "support/wide_string.h"

// Unit-by-unit, case-sensitive; -1, 0 or 1 by the first differing unit, the shorter sorts first.
int CompareExact(std::u16string_view a, std::u16string_view b);
// As CompareExact after folding only A-Z to a-z.
int CompareNoCase(std::u16string_view a, std::u16string_view b);
inline bool EqualsExact(std::u16string_view a, std::u16string_view b) { return a == b; }
inline bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    return CompareNoCase(a, b) == 0;
}

// Whether every unit is below 0x80: such text reads back unchanged through every ANSI code page.
inline bool IsAscii(std::u16string_view text) {
    for (char16_t unit : text) {
        if (unit >= 0x80) return false;
    }
    return true;
}

// White space as the Windows C runtime's iswspace counts it (C1_SPACE).
bool IsWhiteSpace(char16_t unit);

// Empties list, then appends the pieces of text between separators. A trailing separator adds no
// empty piece; empty pieces between two separators are kept. The separator must not be empty.
void SplitList(std::u16string_view text, std::u16string_view separator, StringList& list);

// Writes value in decimal and a terminating zero into buffer (at least 12 units); returns the
// number of units before the zero.
int32_t FormatDecimal(int32_t value, char16_t* buffer);
// The same for an unsigned 64-bit value (a buffer of at least 21 units).
int32_t FormatUnsignedDecimal(uint64_t value, char16_t* buffer);

// One argument of Format: UTF-16 text for "%s" or a signed 32-bit integer for "%d".
class FormatArg {
public:
    FormatArg(std::u16string_view text) : text_(text), isText_(true) {}  // NOLINT
    FormatArg(const WideString& text) : text_(text), isText_(true) {}    // NOLINT
    FormatArg(const char16_t* text) : text_(text ? text : u""), isText_(true) {}  // NOLINT
    FormatArg(int32_t number) : number_(number) {}                               // NOLINT

    bool IsText() const { return isText_; }
    std::u16string_view Text() const { return text_; }
    int32_t Number() const { return number_; }

private:
    std::u16string_view text_;
    int32_t number_ = 0;
    bool isText_ = false;
};

// printf-style formatting with the launcher's own rules on every platform: "%s" takes UTF-16
// text, "%d" a signed 32-bit integer, "%%" is a percent sign. A pattern that asks for more or
// other arguments than given is fatal, as a formatting failure is.
WideString Format(std::u16string_view pattern, std::initializer_list<FormatArg> args);
