// Brands a copy of an executable as a user's resource editor would: replaces icon group 1 with
// the images of an .ico file (the old images stay, named by no group) and sets strings of the
// version resource, through the system's resource-update functions. Usage: brand.exe EXE ICO [Name=Value ...].
#include <map>

#include "tool.h"

constexpr WORD kLanguage = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
// The new images' ids: far above those of the launcher's own icons (its groups 1 and 2).
constexpr WORD kFirstIcon = 1000;

// Appends the bytes, aligned to four bytes when asked.
static void Append(std::vector<BYTE>& out, const void* data, size_t bytes, bool align = false) {
    if (align) out.resize((out.size() + 3) & ~size_t{3});
    out.insert(out.end(), static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + bytes);
}

// One node of a version resource with its children: its length, its value's length (in characters
// for text), its type (1 for text), its key, its value and each child, aligned to four bytes.
static std::vector<BYTE> Node(const std::wstring& key, const void* value, size_t bytes, bool text,
                              const std::vector<std::vector<BYTE>>& children = {}) {
    const std::wstring head = std::wstring{0, wchar_t(text ? bytes / 2 : bytes), wchar_t(text)} + key;
    std::vector<BYTE> out;
    Append(out, head.c_str(), (head.size() + 1) * sizeof(wchar_t));
    Append(out, value, bytes, true);
    for (const std::vector<BYTE>& child : children) Append(out, child.data(), child.size(), true);
    *reinterpret_cast<WORD*>(out.data()) = static_cast<WORD>(out.size());
    return out;
}

int wmain(int argc, wchar_t** argv) {
    const std::vector<BYTE> ico = argc >= 3 ? ReadFileBytes(argv[2]) : std::vector<BYTE>();
    const WORD count = ico.size() >= 6 ? *reinterpret_cast<const WORD*>(&ico[4]) : 0;
    if (count == 0 || ico.size() < 6 + 16 * count) return Fail("usage: brand EXE ICO [Name=Value...]; reading ICO");
    // The version resource's fixed part and strings as they are, then the ones given.
    std::vector<BYTE> current;
    const VS_FIXEDFILEINFO* fixed = ReadVersion(argv[1], current);
    if (!fixed) return Fail("reading the version resource");
    std::map<std::wstring, std::wstring> strings;
    for (const wchar_t* name : kVersionStrings)
        if (const wchar_t* value = VersionString(current, L"040904B0", name)) strings[name] = value;
    for (int i = 3; i < argc; ++i)
        if (wchar_t* equals = std::wcschr(argv[i], L'=')) strings[std::wstring(argv[i], equals)] = equals + 1;
    std::vector<std::vector<BYTE>> table;
    for (const auto& [name, value] : strings)
        table.push_back(Node(name, value.c_str(), (value.size() + 1) * sizeof(wchar_t), true));
    const WORD translation[2] = {0x0409, 1200};
    std::vector<BYTE> version = Node(
        L"VS_VERSION_INFO", fixed, sizeof *fixed, false,
        {Node(L"StringFileInfo", nullptr, 0, true, {Node(L"040904B0", nullptr, 0, true, table)}),
         Node(L"VarFileInfo", nullptr, 0, true, {Node(L"Translation", translation, sizeof translation, false)})});

    HANDLE update = BeginUpdateResourceW(argv[1], FALSE);
    if (!update) return Fail("BeginUpdateResource");
    std::vector<BYTE> group(ico.begin(), ico.begin() + 6);
    // An .ico file's directory entry is a group entry with the image's file offset for its id.
    for (WORD i = 0; i < count; ++i) {
        GroupEntry entry;
        std::memcpy(&entry, &ico[6 + 16 * i], 12);
        entry.id = static_cast<WORD>(kFirstIcon + i);
        const DWORD offset = *reinterpret_cast<const DWORD*>(&ico[6 + 16 * i + 12]);
        if (offset + size_t{entry.bytes} > ico.size() ||
            !UpdateResourceW(update, RT_ICON, MAKEINTRESOURCEW(entry.id), kLanguage, const_cast<BYTE*>(&ico[offset]), entry.bytes))
            return Fail("an icon image");
        Append(group, &entry, sizeof entry);
    }
    if (!UpdateResourceW(update, RT_GROUP_ICON, MAKEINTRESOURCEW(1), kLanguage, group.data(), DWORD(group.size())) ||
        !UpdateResourceW(update, RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO), kLanguage, version.data(),
                         DWORD(version.size())) ||
        !EndUpdateResourceW(update, FALSE))
        return Fail("updating the resources");
    return 0;
}
