// Prints the version resource of an executable through the functions Explorer's Details tab
// uses: the fixed file and product versions, then every string of the first translation, one
// "Name: value" line each (UTF-8). Usage: version_info.exe FILE. Exit code 1 when it has none.
#include <windows.h>

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
}  // namespace

int wmain(int argc, wchar_t** argv) {
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
    return 0;
}
