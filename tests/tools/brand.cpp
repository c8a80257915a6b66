// Brands a copy of an executable as a user's resource editor would: replaces icon group 1 with
// the images of an .ico file and sets strings of the version resource, through the system's
// resource-update functions. Usage: brand.exe EXE ICO [Name=Value ...]. Exit code 0, or 1 with a
// line on standard error.
#include "tool.h"

#include <map>

namespace {
constexpr WORD kLanguage = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

int Fail(const char* what) {
    std::fprintf(stderr, "brand: %s (error %lu)\n", what, GetLastError());
    return 1;
}

BOOL CALLBACK HighestId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR state) {
    WORD& top = *reinterpret_cast<WORD*>(state);
    if (IS_INTRESOURCE(name) && LOWORD(name) > top) top = LOWORD(name);
    return TRUE;
}

// The icon ids that group 1 names now, and the highest icon id in use.
bool OldIcons(const wchar_t* exe, std::vector<WORD>& ids, WORD& highest) {
    HMODULE module = LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return false;
    for (const GroupEntry& entry : IconGroupOne(module)) ids.push_back(entry.id);
    highest = 0;
    EnumResourceNamesW(module, RT_ICON, HighestId, reinterpret_cast<LONG_PTR>(&highest));
    FreeLibrary(module);
    return true;
}

// ---- Version resource: read the fixed part, write the whole block anew.

void Append(std::vector<BYTE>& out, const void* data, size_t bytes) {
    out.insert(out.end(), static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + bytes);
}

void Align(std::vector<BYTE>& out) {
    while (out.size() % 4) out.push_back(0);
}

// One node: wLength, wValueLength, wType, key, value, children; returns its offset.
size_t Begin(std::vector<BYTE>& out, const wchar_t* key, WORD valueLength, WORD type) {
    Align(out);
    const size_t start = out.size();
    const WORD header[3] = {0, valueLength, type};
    Append(out, header, sizeof header);
    Append(out, key, (std::wcslen(key) + 1) * sizeof(wchar_t));
    Align(out);
    return start;
}

void End(std::vector<BYTE>& out, size_t start) {
    const WORD length = static_cast<WORD>(out.size() - start);
    std::memcpy(out.data() + start, &length, sizeof length);
}

std::vector<BYTE> VersionBlock(const VS_FIXEDFILEINFO& fixed,
                               const std::map<std::wstring, std::wstring>& strings) {
    std::vector<BYTE> out;
    const size_t root = Begin(out, L"VS_VERSION_INFO", sizeof fixed, 0);
    Append(out, &fixed, sizeof fixed);
    const size_t fileInfo = Begin(out, L"StringFileInfo", 0, 1);
    const size_t table = Begin(out, L"040904B0", 0, 1);
    for (const auto& [name, value] : strings) {
        const size_t entry = Begin(out, name.c_str(), static_cast<WORD>(value.size() + 1), 1);
        Append(out, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
        End(out, entry);
    }
    End(out, table);
    End(out, fileInfo);
    const size_t varInfo = Begin(out, L"VarFileInfo", 0, 1);
    const size_t translation = Begin(out, L"Translation", 4, 0);
    const WORD pair[2] = {0x0409, 1200};
    Append(out, pair, sizeof pair);
    End(out, translation);
    End(out, varInfo);
    End(out, root);
    return out;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 120;
    const wchar_t* exe = argv[1];
    std::vector<BYTE> ico;
    if (!ReadFileBytes(argv[2], ico) || ico.size() < 6) return Fail("cannot read the icon file");
    const WORD count = *reinterpret_cast<const WORD*>(&ico[4]);
    if (ico.size() < 6 + count * sizeof(IconDirEntry)) return Fail("not an icon file");
    const auto* images = reinterpret_cast<const IconDirEntry*>(&ico[6]);

    std::vector<WORD> oldIds;
    WORD highest = 0;
    if (!OldIcons(exe, oldIds, highest)) return Fail("cannot read the executable's icons");
    // The version resource's fixed part and strings as they are, then the ones given.
    VS_FIXEDFILEINFO fixed{};
    std::vector<BYTE> current;
    if (!ReadVersion(exe, current, fixed)) return Fail("cannot read the version resource");
    std::map<std::wstring, std::wstring> strings;
    for (const wchar_t* name : kVersionStrings) {
        if (const wchar_t* value = VersionString(current, L"040904B0", name)) strings[name] = value;
    }
    for (int i = 3; i < argc; ++i) {
        const std::wstring pair = argv[i];
        const size_t equals = pair.find(L'=');
        if (equals == std::wstring::npos) return Fail("a version string is not Name=Value");
        strings[pair.substr(0, equals)] = pair.substr(equals + 1);
    }

    HANDLE update = BeginUpdateResourceW(exe, FALSE);
    if (!update) return Fail("BeginUpdateResource");
    for (WORD id : oldIds) UpdateResourceW(update, RT_ICON, MAKEINTRESOURCEW(id), kLanguage, nullptr, 0);
    std::vector<BYTE> group(6 + count * sizeof(GroupEntry));
    std::memcpy(group.data(), ico.data(), 6);
    for (WORD i = 0; i < count; ++i) {
        const IconDirEntry& image = images[i];
        if (image.offset + static_cast<size_t>(image.bytes) > ico.size())
            return Fail("an icon image lies outside the file");
        const WORD id = static_cast<WORD>(highest + 1 + i);
        if (!UpdateResourceW(update, RT_ICON, MAKEINTRESOURCEW(id), kLanguage, &ico[image.offset],
                             image.bytes))
            return Fail("UpdateResource icon");
        GroupEntry entry{image.width, image.height, image.colours, 0,
                         image.planes, image.bitCount, image.bytes, id};
        std::memcpy(&group[6 + i * sizeof entry], &entry, sizeof entry);
    }
    if (!UpdateResourceW(update, RT_GROUP_ICON, MAKEINTRESOURCEW(1), kLanguage, group.data(),
                         static_cast<DWORD>(group.size())))
        return Fail("UpdateResource group");
    std::vector<BYTE> version = VersionBlock(fixed, strings);
    if (!UpdateResourceW(update, RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO), kLanguage,
                         version.data(), static_cast<DWORD>(version.size())))
        return Fail("UpdateResource version");
    if (!EndUpdateResourceW(update, FALSE)) return Fail("EndUpdateResource");
    return 0;
}
