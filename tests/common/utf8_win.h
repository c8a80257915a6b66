#pragma once

// UTF-8 from UTF-16 through the system's converter, as the test runtime and the tools report text.
#include <windows.h>

#include <string>

inline std::string Utf8(const std::wstring& text) {
    std::string out(3 * text.size(), '\0');  // at most three bytes per UTF-16 unit
    out.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                       out.data(), static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}
