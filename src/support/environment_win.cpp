#include "support/environment.h"
#include "support/growing_read.h"
#include "support/wide_win.h"

WideString ReadEnvironmentVariable(const char16_t* name) {
    return ReadGrowing(
        MAX_PATH,
        [&](char16_t* buffer, int32_t size) {
            return GetEnvironmentVariableW(W(name), W(buffer), static_cast<DWORD>(size));
        },
        // Too small a buffer makes the call return the size it needs, which exceeds ours.
        [](uint32_t written, int32_t size) { return written >= static_cast<uint32_t>(size); });
}

void ExpandEnvironment(WideString& text) {
    if (text.FindUnit(u'%') < 0) return;
    bool failed = false;
    WideString expanded = ReadGrowing(
        MAX_PATH,
        [&](char16_t* buffer, int32_t size) {
            const DWORD needed =
                ExpandEnvironmentStringsW(W(text), W(buffer), static_cast<DWORD>(size));
            failed = needed == 0;
            return needed;
        },
        // The count includes the terminating zero; more than the buffer holds means cut.
        [](uint32_t needed, int32_t size) { return needed > static_cast<uint32_t>(size); });
    if (failed) return;
    expanded.TruncateAtZero();
    text = std::move(expanded);
}
