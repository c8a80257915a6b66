#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// UTF-16 text with value semantics. Lengths and positions are code units and fit a signed
// 32-bit integer; the buffer always carries a terminating zero so c_str() can go straight to a
// system call. Invalid positions and allocation failures are fatal (support/fatal.h). It keeps
// its units in a plain buffer of its own: the launcher's strings need no more than that, and
// the standard library's string would add several kilobytes of code to every executable.
class WideString {
public:
    WideString() = default;
    WideString(const char16_t* text);  // NOLINT: literals convert implicitly on purpose
    WideString(const char16_t* units, int32_t count);
    WideString(char16_t unit, int32_t repeat);
    explicit WideString(std::u16string_view text);
    WideString(const WideString& other);
    WideString(WideString&& other) noexcept;
    WideString& operator=(const WideString& other);
    WideString& operator=(WideString&& other) noexcept;
    ~WideString();

    int32_t Length() const { return length_; }
    bool IsEmpty() const { return length_ == 0; }
    const char16_t* c_str() const { return units_ ? units_ : u""; }
    std::u16string_view View() const { return {c_str(), static_cast<size_t>(length_)}; }
    operator std::u16string_view() const { return View(); }  // NOLINT
    // A copy as a standard string, for the tests' comparisons.
    std::u16string Std() const { return std::u16string(View()); }

    // Fatal outside 0..Length()-1.
    char16_t operator[](int32_t index) const;

    WideString& Assign(std::u16string_view text);
    WideString& Append(std::u16string_view text);
    WideString& Append(char16_t unit);
    WideString& operator+=(std::u16string_view text) { return Append(text); }
    WideString& operator+=(char16_t unit) { return Append(unit); }

    // Negative starts and counts count as 0; counts past the end are cut to the end.
    WideString Mid(int32_t start, int32_t count) const;
    WideString Mid(int32_t start) const { return Mid(start, Length()); }
    WideString Left(int32_t count) const { return Mid(0, count); }
    WideString Right(int32_t count) const;

    // A range past the end is cut; a negative start or count is fatal.
    WideString& Remove(int32_t start, int32_t count);
    // Fatal when position lies outside 0..Length().
    WideString& Insert(int32_t position, std::u16string_view text);
    // Returns how many units were replaced.
    int32_t ReplaceUnit(char16_t oldUnit, char16_t newUnit);

    // -1 when absent.
    int32_t FindUnit(char16_t unit, int32_t from = 0) const;
    int32_t FindLastUnit(char16_t unit) const;
    int32_t FindText(std::u16string_view text, int32_t from = 0) const;

    // Cuts the text at the first zero unit; used after a system call filled a sized buffer.
    void TruncateAtZero();
    // Resizes with zero units; the way to hand a writable buffer to a system call.
    char16_t* Buffer(int32_t units);
    // Room for `units` without another allocation.
    void Reserve(int32_t units);

    void Clear() { SetLength(0); }

    friend bool operator==(const WideString& a, const WideString& b) { return a.View() == b.View(); }
    friend bool operator!=(const WideString& a, const WideString& b) { return a.View() != b.View(); }
    friend WideString operator+(WideString a, std::u16string_view b) { return a.Append(b); }

private:
    // Fatal when the length would pass the 32-bit limit.
    static int32_t Grown(int32_t length, size_t more);
    void SetLength(int32_t length);

    char16_t* units_ = nullptr;
    int32_t length_ = 0;
    int32_t capacity_ = 0;  // units, without the terminating zero
};

// Bytes, for UTF-8 and ANSI text. Its own allocator type makes it a string type of the launcher's
// own, compiled with the launcher: the standard library's prebuilt std::string is built with
// exceptions and would bring the C++ runtime's exception machinery into the executables.
template <typename T>
struct ByteAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = ByteAllocator<U>;
    };
    ByteAllocator() = default;
    template <typename U>
    ByteAllocator(const ByteAllocator<U>&) {}  // NOLINT
};
using ByteString = std::basic_string<char, std::char_traits<char>, ByteAllocator<char>>;

// 8-bit text in the thread's ANSI code page; only what is handed to the Java VM.
class NarrowString {
public:
    NarrowString() = default;
    NarrowString(const char* text) : text_(text ? text : "") {}  // NOLINT
    explicit NarrowString(ByteString&& text) : text_(std::move(text)) {}

    int32_t Length() const { return static_cast<int32_t>(text_.size()); }
    bool IsEmpty() const { return text_.empty(); }
    const char* c_str() const { return text_.c_str(); }
    std::string_view View() const { return text_; }
    NarrowString& Append(std::string_view text);

    friend bool operator==(const NarrowString& a, const NarrowString& b) {
        return a.text_ == b.text_;
    }

private:
    ByteString text_;
};

// Conversions through the thread's ANSI code page (UTF-8 in the native build, which has no code
// pages). They never fail: unconvertible or empty input gives empty text.
NarrowString ToNarrow(std::u16string_view text);
WideString FromNarrow(std::string_view text);
