#include "config/ini_file.h"
#include "support/growing_read.h"
#include "support/handles_win.h"
#include "support/wide_win.h"

uint32_t IniFile::ReadFirstBytes(unsigned char (&buffer)[4]) {
    UniqueFile file(CreateFileW(W(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return GetLastError();
    return 0;
}

void IniFile::GetString(const WideString& section, const WideString& key, WideString& out) {
    out = ReadGrowing(
        256,
        [&](char16_t* buffer, int32_t size) {
            return GetPrivateProfileStringW(W(section), W(key), L"", W(buffer),
                                            static_cast<DWORD>(size), W(path));
        },
        // A value that fills the buffer to size - 1 may have been cut.
        [](uint32_t written, int32_t size) { return written == static_cast<uint32_t>(size) - 1; });
}

void IniFile::GetSectionNames(StringList& names) {
    const WideString list = ReadGrowing(
        256,
        [&](char16_t* buffer, int32_t size) {
            return GetPrivateProfileSectionNamesW(W(buffer), static_cast<DWORD>(size), W(path));
        },
        // The system's sign of a cut list is a count of size - 2.
        [](uint32_t written, int32_t size) { return written == static_cast<uint32_t>(size) - 2; });
    int32_t start = 0;
    while (start < list.Length()) {
        int32_t end = list.FindUnit(u'\0', start);
        if (end < 0) end = list.Length();
        if (end > start && !names.Append(list.Mid(start, end - start))) return;
        start = end + 1;
    }
}

bool IniFile::SetString(const WideString& section, const WideString& key, const WideString& value) {
    // The system creates a missing file in the ANSI code page, where a folder name it cannot
    // spell would be saved with "?": a new file starts as UTF-16 with its byte-order mark.
    UniqueFile created(CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (created) {
        static const unsigned char kByteOrderMark[] = {0xFF, 0xFE};
        DWORD written = 0;
        WriteFile(created.get(), kByteOrderMark, sizeof kByteOrderMark, &written, nullptr);
        created.reset();
    }
    return WritePrivateProfileStringW(W(section), W(key), W(value), W(path)) != FALSE;
}

bool IniFile::DeleteProfileFile() { return DeleteFileW(W(path)) != FALSE; }

bool LayeredIniFile::HasSection(const WideString& name) {
    if (!sectionNamesRead) {
        GetSectionNames(sectionNames);
        sectionNamesRead = true;
    }
    // Section names match as the profile functions match them: without regard to case.
    for (const WideString& present : sectionNames) {
        if (CompareStringOrdinal(W(present), present.Length(), W(name), name.Length(), TRUE) ==
            CSTR_EQUAL)
            return true;
    }
    return false;
}

void LayeredIniFile::GetString(const WideString& section, const WideString& key, WideString& out) {
    WideString value;
    IniFile::GetString(section, key, value);
    WideString plusValue;
    if (value.IsEmpty()) {
        const WideString plusSection = section + u"+";
        if (HasSection(plusSection)) IniFile::GetString(plusSection, key, plusValue);
    }
    out = LayerValue(value, plusValue);
}
