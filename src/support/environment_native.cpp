#include <cstdlib>

#include "support/environment.h"
#include "support/utf8.h"

// The native build's stand-ins, on the C library's environment.

WideString ReadEnvironmentVariable(const char16_t* name) {
    const char* value = std::getenv(EncodeUtf8(name).c_str());
    return value ? WideString(DecodeUtf8(value)) : WideString();
}

bool ReadEnvironmentVariable(const char16_t* name, WideString& value) {
    value = ReadEnvironmentVariable(name);
    return true;
}

bool ExpandEnvironment(WideString& text) {
    WideString expanded;
    int32_t at = 0;
    while (at < text.Length()) {
        const int32_t open = text.FindUnit(u'%', at);
        const int32_t close = open < 0 ? -1 : text.FindUnit(u'%', open + 1);
        if (close < 0) break;
        const char* value = std::getenv(EncodeUtf8(text.Mid(open + 1, close - open - 1)).c_str());
        expanded.Append(text.Mid(at, open - at));
        if (value) {
            expanded.Append(DecodeUtf8(value));
            at = close + 1;
        } else {
            // An undefined variable stays as written; its closing "%" may open the next one.
            expanded.Append(u'%').Append(text.Mid(open + 1, close - open - 1));
            at = close;
        }
    }
    text = expanded.Append(text.Mid(at));
    return true;
}
