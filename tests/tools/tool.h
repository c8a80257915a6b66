#pragma once

// What the end-to-end tests' tools share: the headers, failure reports, UTF-8 report lines,
// reading a file, and an executable's icon group entries and version resource as Explorer reads them.
#define UNICODE  // RT_ICON and friends as wide resource names
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../common/utf8_win.h"

// A step that failed, on standard error with the system's error code; exit code 120, which no
// program the tools start gives.
inline int Fail(const char* what) {
    std::fprintf(stderr, "%s failed (error %lu)\n", what, GetLastError());
    return 120;
}

// One "name: text" report line, in UTF-8.
inline void Print(const char* name, const std::wstring& text) { std::printf("%s: %s\n", name, Utf8(text).c_str()); }

// Empty when the file cannot be read.
inline std::vector<BYTE> ReadFileBytes(const wchar_t* path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// An RT_GROUP_ICON resource's entry, which names its image by resource id.
#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

// The strings of a version resource that Explorer's Details tab shows.
inline const wchar_t* const kVersionStrings[] = {L"CompanyName",    L"FileDescription",  L"FileVersion", L"InternalName",
                                                 L"LegalCopyright", L"OriginalFilename", L"ProductName", L"ProductVersion"};

// The file's version resource into `data`, and its fixed part there; null when it has none.
inline const VS_FIXEDFILEINFO* ReadVersion(const wchar_t* file, std::vector<BYTE>& data) {
    data.resize(GetFileVersionInfoSizeW(file, nullptr));
    VS_FIXEDFILEINFO* found = nullptr;
    UINT length = 0;
    if (data.empty() || !GetFileVersionInfoW(file, 0, static_cast<DWORD>(data.size()), data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&found), &length))
        return nullptr;
    return found;
}

// A string of the resource's string table `table` (language and code page, "040904B0"); null
// when the table lacks it.
inline const wchar_t* VersionString(std::vector<BYTE>& data, const std::wstring& table, const wchar_t* name) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring query = L"\\StringFileInfo\\" + table + L"\\" + name;
    return VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) ? value : nullptr;
}
