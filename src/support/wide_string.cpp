#include "support/wide_string.h"

#include <limits>

#include "support/fatal.h"

namespace {
int32_t Clamp(int32_t value, int32_t low, int32_t high) {
    return value < low ? low : (value > high ? high : value);
}
}  // namespace

WideString::WideString(const char16_t* text) {
    if (text) Assign(std::u16string_view(text));
}

WideString::WideString(const char16_t* units, int32_t count) {
    if (count < 0) FatalInvalidArgument();
    if (count > 0) text_.assign(units, static_cast<size_t>(count));
}

WideString::WideString(char16_t unit, int32_t repeat) {
    if (repeat < 0) FatalInvalidArgument();
    text_.assign(static_cast<size_t>(repeat), unit);
}

WideString::WideString(std::u16string_view text) { Assign(text); }

WideString::WideString(std::u16string&& text) : text_(std::move(text)) { CheckLength(0); }

void WideString::CheckLength(size_t more) const {
    if (text_.size() + more > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        FatalOutOfMemory();
}

char16_t WideString::operator[](int32_t index) const {
    if (index < 0 || index >= Length()) FatalInvalidArgument();
    return text_[static_cast<size_t>(index)];
}

WideString& WideString::Assign(std::u16string_view text) {
    if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) FatalOutOfMemory();
    text_.assign(text);
    return *this;
}

WideString& WideString::Append(std::u16string_view text) {
    CheckLength(text.size());
    text_.append(text);
    return *this;
}

WideString& WideString::Append(char16_t unit) {
    CheckLength(1);
    text_.push_back(unit);
    return *this;
}

WideString WideString::Mid(int32_t start, int32_t count) const {
    start = Clamp(start, 0, Length());
    count = Clamp(count, 0, Length() - start);
    return WideString(text_.data() + start, count);
}

WideString WideString::Right(int32_t count) const {
    count = Clamp(count, 0, Length());
    return Mid(Length() - count, count);
}

WideString& WideString::Remove(int32_t start, int32_t count) {
    if (start < 0 || count < 0) FatalInvalidArgument();
    if (start < Length()) text_.erase(static_cast<size_t>(start), static_cast<size_t>(count));
    return *this;
}

WideString& WideString::Insert(int32_t position, std::u16string_view text) {
    if (position < 0 || position > Length()) FatalInvalidArgument();
    CheckLength(text.size());
    text_.insert(static_cast<size_t>(position), text);
    return *this;
}

int32_t WideString::ReplaceUnit(char16_t oldUnit, char16_t newUnit) {
    int32_t replaced = 0;
    for (char16_t& unit : text_) {
        if (unit == oldUnit) {
            unit = newUnit;
            ++replaced;
        }
    }
    return replaced;
}

int32_t WideString::FindUnit(char16_t unit, int32_t from) const {
    if (from < 0) from = 0;
    size_t at = text_.find(unit, static_cast<size_t>(from));
    return at == std::u16string::npos ? -1 : static_cast<int32_t>(at);
}

int32_t WideString::FindLastUnit(char16_t unit) const {
    size_t at = text_.rfind(unit);
    return at == std::u16string::npos ? -1 : static_cast<int32_t>(at);
}

int32_t WideString::FindText(std::u16string_view text, int32_t from) const {
    if (from < 0) from = 0;
    size_t at = text_.find(text, static_cast<size_t>(from));
    return at == std::u16string::npos ? -1 : static_cast<int32_t>(at);
}

void WideString::TruncateAtZero() {
    size_t zero = text_.find(u'\0');
    if (zero != std::u16string::npos) text_.resize(zero);
}

char16_t* WideString::Buffer(int32_t units) {
    if (units < 0) FatalInvalidArgument();
    text_.assign(static_cast<size_t>(units), u'\0');
    return text_.data();
}

NarrowString& NarrowString::Append(std::string_view text) {
    if (text_.size() + text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        FatalOutOfMemory();
    text_.append(text);
    return *this;
}
