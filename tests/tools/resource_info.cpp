// Prints the version resource of an executable through the functions Explorer's Details tab
// uses: the fixed file and product versions, the first translation and every string of it, one
// "Name: value" line each (UTF-8); then "Icons:" with the sizes of the images of icon group 1,
// the one Explorer shows. Usage: resource_info.exe FILE.
// resource_info.exe --strings FILE FIRST LAST prints "<id>: <text>" for every string of the
// file's string table from FIRST to LAST, as LoadStringW reads it, "\n" written as the two
// characters \ and n (UTF-8; "<id>: (none)" for a missing one).
#include <tuple>

#include "tool.h"

int wmain(int argc, wchar_t** argv) {
    HMODULE module = argc >= 2 ? LoadLibraryExW(argv[argc == 5 ? 2 : 1], nullptr, LOAD_LIBRARY_AS_DATAFILE) : nullptr;
    if (!module || (argc != 2 && (argc != 5 || std::wcscmp(argv[1], L"--strings") != 0)))
        return Fail("usage: resource_info [--strings] FILE [FIRST LAST]; LoadLibraryEx");
    if (argc == 5) {
        for (int id = _wtoi(argv[3]); id <= _wtoi(argv[4]); ++id) {
            const wchar_t* text = nullptr;
            // Length 0 asks for a pointer into the resource itself: the text whole, however long.
            const int length = LoadStringW(module, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
            std::wstring escaped;
            for (int i = 0; i < length; ++i) escaped += text[i] == L'\n' ? std::wstring(L"\\n") : std::wstring(1, text[i]);
            Print(std::to_string(id).c_str(), length > 0 ? escaped : L"(none)");
        }
        return 0;
    }
    std::vector<BYTE> data;
    const WORD* translation = nullptr;
    UINT length = 0;
    const VS_FIXEDFILEINFO* fixed = ReadVersion(argv[1], data);
    if (!fixed ||
        !VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", (void**)&translation, &length) || length < 4)
        return Fail("reading the version resource");
    for (const auto& [name, high, low] : {std::tuple{"FixedFileVersion", fixed->dwFileVersionMS, fixed->dwFileVersionLS},
                                          {"FixedProductVersion", fixed->dwProductVersionMS, fixed->dwProductVersionLS}})
        std::printf("%s: %lu.%lu.%lu.%lu\n", name, HIWORD(high), LOWORD(high), HIWORD(low), LOWORD(low));
    std::printf("Translation: %04x %04x\n", translation[0], translation[1]);
    wchar_t table[9];
    swprintf(table, 9, L"%04x%04x", translation[0], translation[1]);
    for (const wchar_t* name : kVersionStrings)
        if (const wchar_t* value = VersionString(data, table, name)) Print(Utf8(name).c_str(), value);
    // The entries of icon group 1, the one Explorer shows, each naming its image.
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
    const auto* group = found ? static_cast<const BYTE*>(LockResource(LoadResource(module, found))) : nullptr;
    std::printf("Icons:");
    for (WORD i = 0; group && i < *reinterpret_cast<const WORD*>(group + 4); ++i) {
        const GroupEntry& entry = reinterpret_cast<const GroupEntry*>(group + 6)[i];
        std::printf(" %dx%d", entry.width ? entry.width : 256, entry.height ? entry.height : 256);
    }
    std::printf("\n");
    return 0;
}
