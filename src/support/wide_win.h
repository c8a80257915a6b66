#pragma once

// The Windows boundary for text: wchar_t and char16_t are both UTF-16 code units here.
#include <windows.h>

#include "support/wide_string.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");

inline const wchar_t* W(const WideString& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* W(char16_t* buffer) { return reinterpret_cast<wchar_t*>(buffer); }
inline const char16_t* U(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }
