#include "support/wide_string.h"

#include <cstdlib>
#include <cstring>
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
    Assign(std::u16string_view(units, static_cast<size_t>(count)));
}

WideString::WideString(char16_t unit, int32_t repeat) {
    if (repeat < 0) FatalInvalidArgument();
    Reserve(repeat);
    for (int32_t i = 0; i < repeat; ++i) units_[i] = unit;
    SetLength(repeat);
}

WideString::WideString(std::u16string_view text) { Assign(text); }

WideString::WideString(const WideString& other) { Assign(other.View()); }

WideString::WideString(WideString&& other) noexcept
    : units_(other.units_), length_(other.length_), capacity_(other.capacity_) {
    other.units_ = nullptr;
    other.length_ = other.capacity_ = 0;
}

WideString& WideString::operator=(const WideString& other) {
    if (this != &other) Assign(other.View());
    return *this;
}

WideString& WideString::operator=(WideString&& other) noexcept {
    if (this != &other) {
        std::free(units_);
        units_ = other.units_;
        length_ = other.length_;
        capacity_ = other.capacity_;
        other.units_ = nullptr;
        other.length_ = other.capacity_ = 0;
    }
    return *this;
}

WideString::~WideString() { std::free(units_); }

int32_t WideString::Grown(int32_t length, size_t more) {
    if (more > static_cast<size_t>(std::numeric_limits<int32_t>::max() - length))
        FatalOutOfMemory();
    return length + static_cast<int32_t>(more);
}

void WideString::Reserve(int32_t units) {
    if (units < 0) FatalInvalidArgument();
    if (units <= capacity_) return;
    // Growing by half again keeps appending linear.
    int32_t capacity = capacity_ + capacity_ / 2;
    if (capacity < units || capacity > std::numeric_limits<int32_t>::max() - 1) capacity = units;
    void* grown = std::realloc(units_, (static_cast<size_t>(capacity) + 1) * sizeof(char16_t));
    if (!grown) FatalOutOfMemory();
    units_ = static_cast<char16_t*>(grown);
    capacity_ = capacity;
    units_[length_] = u'\0';
}

void WideString::SetLength(int32_t length) {
    length_ = length;
    if (units_) units_[length] = u'\0';
}

char16_t WideString::operator[](int32_t index) const {
    if (index < 0 || index >= Length()) FatalInvalidArgument();
    return units_[index];
}

WideString& WideString::Assign(std::u16string_view text) {
    if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) FatalOutOfMemory();
    const auto length = static_cast<int32_t>(text.size());
    if (length > capacity_) {
        // The text may lie inside this string's own buffer: copy before letting it go.
        WideString copy;
        copy.Reserve(length);
        std::memcpy(copy.units_, text.data(), text.size() * sizeof(char16_t));
        copy.SetLength(length);
        *this = std::move(copy);
        return *this;
    }
    if (length > 0) std::memmove(units_, text.data(), text.size() * sizeof(char16_t));
    SetLength(length);
    return *this;
}

WideString& WideString::Append(std::u16string_view text) {
    return Insert(length_, text);
}

WideString& WideString::Append(char16_t unit) {
    const int32_t length = Grown(length_, 1);
    Reserve(length);
    units_[length_] = unit;
    SetLength(length);
    return *this;
}

WideString WideString::Mid(int32_t start, int32_t count) const {
    start = Clamp(start, 0, Length());
    count = Clamp(count, 0, Length() - start);
    return WideString(c_str() + start, count);
}

WideString WideString::Right(int32_t count) const {
    count = Clamp(count, 0, Length());
    return Mid(Length() - count, count);
}

WideString& WideString::Remove(int32_t start, int32_t count) {
    if (start < 0 || count < 0) FatalInvalidArgument();
    if (start >= length_) return *this;
    count = Clamp(count, 0, length_ - start);
    std::memmove(units_ + start, units_ + start + count,
                 static_cast<size_t>(length_ - start - count) * sizeof(char16_t));
    SetLength(length_ - count);
    return *this;
}

WideString& WideString::Insert(int32_t position, std::u16string_view text) {
    if (position < 0 || position > Length()) FatalInvalidArgument();
    if (text.empty()) return *this;
    const int32_t length = Grown(length_, text.size());
    if (length > capacity_ || (text.data() >= units_ && text.data() < units_ + length_)) {
        // Through a new buffer when this one must grow or holds the text itself.
        WideString joined;
        joined.Reserve(length);
        std::memcpy(joined.units_, c_str(), static_cast<size_t>(position) * sizeof(char16_t));
        std::memcpy(joined.units_ + position, text.data(), text.size() * sizeof(char16_t));
        std::memcpy(joined.units_ + position + text.size(), c_str() + position,
                    static_cast<size_t>(length_ - position) * sizeof(char16_t));
        joined.SetLength(length);
        *this = std::move(joined);
        return *this;
    }
    std::memmove(units_ + position + text.size(), units_ + position,
                 static_cast<size_t>(length_ - position) * sizeof(char16_t));
    std::memcpy(units_ + position, text.data(), text.size() * sizeof(char16_t));
    SetLength(length);
    return *this;
}

int32_t WideString::ReplaceUnit(char16_t oldUnit, char16_t newUnit) {
    int32_t replaced = 0;
    for (int32_t i = 0; i < length_; ++i) {
        if (units_[i] == oldUnit) {
            units_[i] = newUnit;
            ++replaced;
        }
    }
    return replaced;
}

int32_t WideString::FindUnit(char16_t unit, int32_t from) const {
    if (from < 0) from = 0;
    size_t at = View().find(unit, static_cast<size_t>(from));
    return at == std::u16string_view::npos ? -1 : static_cast<int32_t>(at);
}

int32_t WideString::FindLastUnit(char16_t unit) const {
    size_t at = View().rfind(unit);
    return at == std::u16string_view::npos ? -1 : static_cast<int32_t>(at);
}

int32_t WideString::FindText(std::u16string_view text, int32_t from) const {
    if (from < 0) from = 0;
    size_t at = View().find(text, static_cast<size_t>(from));
    return at == std::u16string_view::npos ? -1 : static_cast<int32_t>(at);
}

void WideString::TruncateAtZero() {
    size_t zero = View().find(u'\0');
    if (zero != std::u16string_view::npos) SetLength(static_cast<int32_t>(zero));
}

char16_t* WideString::Buffer(int32_t units) {
    if (units < 0) FatalInvalidArgument();
    // Even an empty buffer has room for the terminating zero a system call writes.
    Reserve(units > 0 ? units : 1);
    std::memset(units_, 0, (static_cast<size_t>(units) + 1) * sizeof(char16_t));
    SetLength(units);
    return units_;
}

NarrowString& NarrowString::Append(std::string_view text) {
    if (text_.size() + text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        FatalOutOfMemory();
    text_.append(text);
    return *this;
}
