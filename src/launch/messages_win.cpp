#include "launch/messages.h"
#include "support/wide_win.h"

WideString SystemErrorText(uint32_t errorCode) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, errorCode, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    WideString result;
    if (length > 0 && text) result = WideString(U(text), static_cast<int32_t>(length));
    if (text) LocalFree(text);
    while (!result.IsEmpty() && (result[result.Length() - 1] == u'\n' ||
                                 result[result.Length() - 1] == u'\r' ||
                                 result[result.Length() - 1] == u' ' ||
                                 result[result.Length() - 1] == u'.'))
        result = result.Left(result.Length() - 1);
    return result;
}
