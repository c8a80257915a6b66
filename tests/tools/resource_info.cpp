// Prints the version resource of an executable through the functions Explorer's Details tab
// uses: the fixed file and product versions, then every string of the first translation, one
// "Name: value" line each (UTF-8); then "Icons:" with the sizes of the images of icon group 1,
// the one Explorer shows. Usage: resource_info.exe FILE. Exit code 1 when it has no version.
// resource_info.exe --strings FILE FIRST LAST prints "<id>: <text>" for every string of the
// file's string table from FIRST to LAST, as LoadStringW reads it, "\n" written as the two
// characters \ and n (UTF-8; "<id>: (none)" for a missing one).
#include "tool.h"

namespace {
// "Icons: 16x16 32x32 256x256" (0 in a size field means 256).
void PrintIcons(const wchar_t* file) {
    HMODULE module = LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    std::printf("Icons:");
    for (const GroupEntry& entry : IconGroupOne(module))
        std::printf(" %dx%d", entry.width ? entry.width : 256, entry.height ? entry.height : 256);
    std::printf("\n");
    if (module) FreeLibrary(module);
}

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
        std::printf("%d: %s\n", id, length > 0 ? Utf8(escaped).c_str() : "(none)");
    }
    FreeLibrary(module);
    return 0;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 5 && std::wstring(argv[1]) == L"--strings")
        return PrintStrings(argv[2], _wtoi(argv[3]), _wtoi(argv[4]));
    if (argc != 2) return 120;
    std::vector<BYTE> data;
    VS_FIXEDFILEINFO fixed{};
    if (!ReadVersion(argv[1], data, fixed)) return 1;
    std::printf("FixedFileVersion: %lu.%lu.%lu.%lu\n", HIWORD(fixed.dwFileVersionMS),
                LOWORD(fixed.dwFileVersionMS), HIWORD(fixed.dwFileVersionLS),
                LOWORD(fixed.dwFileVersionLS));
    std::printf("FixedProductVersion: %lu.%lu.%lu.%lu\n", HIWORD(fixed.dwProductVersionMS),
                LOWORD(fixed.dwProductVersionMS), HIWORD(fixed.dwProductVersionLS),
                LOWORD(fixed.dwProductVersionLS));

    struct Translation {
        WORD language;
        WORD codePage;
    }* translations = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translations), &length) ||
        length < sizeof(Translation))
        return 1;
    std::printf("Translation: %04x %04x\n", translations[0].language, translations[0].codePage);
    wchar_t table[9];
    swprintf(table, 9, L"%04x%04x", translations[0].language, translations[0].codePage);
    for (const wchar_t* name : kVersionStrings) {
        if (const wchar_t* value = VersionString(data, table, name))
            std::printf("%s: %s\n", Utf8(name).c_str(), Utf8(value).c_str());
    }
    PrintIcons(argv[1]);
    return 0;
}
