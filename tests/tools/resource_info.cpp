// Prints the version resource of an executable through the functions Explorer's Details tab
// uses: the fixed file and product versions, then every string of the first translation, one
// "Name: value" line each (UTF-8); then "Icons:" with the sizes of the images of icon group 1,
// the one Explorer shows. Usage: resource_info.exe FILE. Exit code 1 when it has no version.
// resource_info.exe --strings FILE FIRST LAST prints "<id>: <text>" for every string of the
// file's string table from FIRST to LAST, as LoadStringW reads it, "\n" written as the two
// characters \ and n (UTF-8; "<id>: (none)" for a missing one).
#define UNICODE  // RT_ICON and friends as wide resource names
#include <windows.h>

#include "icon_group.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {
std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

// "Icons: 16x16 32x32 256x256" (0 in a size field means 256).
void PrintIcons(const wchar_t* file) {
    HMODULE module = LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = module ? FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON) : nullptr;
    const auto* group = found ? static_cast<const BYTE*>(LockResource(LoadResource(module, found)))
                              : nullptr;
    std::printf("Icons:");
    if (group) {
        const WORD count = *reinterpret_cast<const WORD*>(group + 4);
        const auto* entries = reinterpret_cast<const GroupEntry*>(group + 6);
        for (WORD i = 0; i < count; ++i) {
            std::printf(" %dx%d", entries[i].width ? entries[i].width : 256,
                        entries[i].height ? entries[i].height : 256);
        }
    }
    std::printf("\n");
    if (module) FreeLibrary(module);
}
}  // namespace

int PrintStrings(const wchar_t* file, int first, int last) {
    HMODULE module = LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return 1;
    for (int id = first; id <= last; ++id) {
        const wchar_t* text = nullptr;
        // Length 0 asks for a pointer into the resource itself: the text whole, however long.
        const int length = LoadStringW(module, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
        std::wstring escaped;
        for (int i = 0; i < length; ++i) {
            if (text[i] == L'\n') escaped += L"\\n";
            else escaped += text[i];
        }
        std::printf("%d: %s\n", id, length > 0 ? Utf8(escaped.c_str()).c_str() : "(none)");
    }
    FreeLibrary(module);
    return 0;
}

int wmain(int argc, wchar_t** argv) {
    if (argc == 5 && std::wstring(argv[1]) == L"--strings")
        return PrintStrings(argv[2], _wtoi(argv[3]), _wtoi(argv[4]));
    if (argc != 2) return 120;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(argv[1], &ignored);
    if (size == 0) return 1;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(argv[1], 0, size, data.data())) return 1;

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length)) return 1;
    std::printf("FixedFileVersion: %lu.%lu.%lu.%lu\n", HIWORD(fixed->dwFileVersionMS),
                LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                LOWORD(fixed->dwFileVersionLS));
    std::printf("FixedProductVersion: %lu.%lu.%lu.%lu\n", HIWORD(fixed->dwProductVersionMS),
                LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS),
                LOWORD(fixed->dwProductVersionLS));

    struct Translation {
        WORD language;
        WORD codePage;
    }* translations = nullptr;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translations), &length) ||
        length < sizeof(Translation))
        return 1;
    std::printf("Translation: %04x %04x\n", translations[0].language, translations[0].codePage);
    for (const wchar_t* name : {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName",
                                L"LegalCopyright", L"OriginalFilename", L"ProductName",
                                L"ProductVersion"}) {
        wchar_t query[128];
        swprintf(query, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language,
                 translations[0].codePage, name);
        wchar_t* value = nullptr;
        if (VerQueryValueW(data.data(), query, reinterpret_cast<void**>(&value), &length) && value)
            std::printf("%s: %s\n", Utf8(name).c_str(), Utf8(value).c_str());
    }
    PrintIcons(argv[1]);
    return 0;
}
