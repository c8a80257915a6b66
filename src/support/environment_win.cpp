#include <algorithm>

#include "support/environment.h"
#include "support/growing_read.h"
#include "support/wide_win.h"

bool ReadEnvironmentVariable(const char16_t* name, WideString& value) {
    uint32_t count = 0;
    value = ReadGrowing(
        MAX_PATH,
        [&](char16_t* buffer, int32_t size) {
            // The system counts the buffer in 16 bits of bytes: a larger one would wrap around to
            // a small one, so it is never offered more than the limit.
            const int32_t usable = std::min(size, kEnvironmentLimit);
            count = GetEnvironmentVariableW(W(name), W(buffer), static_cast<DWORD>(usable));
            return count;
        },
        // Too small a buffer makes the call return the size it needs, which exceeds ours.
        [](uint32_t written, int32_t size) {
            return written >= static_cast<uint32_t>(size) && size < kEnvironmentLimit;
        });
    if (count < static_cast<uint32_t>(kEnvironmentLimit)) return true;
    value.Clear();
    return false;
}

WideString ReadEnvironmentVariable(const char16_t* name) {
    WideString value;
    ReadEnvironmentVariable(name, value);
    return value;
}

bool ExpandEnvironment(WideString& text) {
    if (text.FindUnit(u'%') < 0) return true;
    // The system reads no more of the text than its limit, and writes no more: past it the result
    // comes back cut, and no larger buffer helps.
    if (text.Length() >= kEnvironmentLimit) return false;
    uint32_t needed = 0;
    WideString expanded = ReadGrowing(
        MAX_PATH,
        [&](char16_t* buffer, int32_t size) {
            // As for reading a variable: never more than the system can count.
            const int32_t usable = std::min(size, kEnvironmentLimit);
            needed = ExpandEnvironmentStringsW(W(text), W(buffer), static_cast<DWORD>(usable));
            return needed;
        },
        // The count includes the terminating zero; more than the buffer holds means cut.
        [](uint32_t count, int32_t size) {
            return count > static_cast<uint32_t>(size) && size < kEnvironmentLimit;
        });
    if (needed == 0 || needed > static_cast<uint32_t>(kEnvironmentLimit)) return false;
    expanded.TruncateAtZero();
    // A result cut by the system is shorter than the count it reported.
    if (static_cast<uint32_t>(expanded.Length()) + 1 != needed) return false;
    text = std::move(expanded);
    return true;
}
