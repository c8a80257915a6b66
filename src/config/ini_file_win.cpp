#include "config/ini_file.h"
#include "support/growing_read.h"
#include "support/handles_win.h"
#include "support/wide_win.h"

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

namespace {
// The system's sign of a cut list of names or keys is a count of size - 2.
bool ListMayBeCut(uint32_t written, int32_t size) { return written == static_cast<uint32_t>(size) - 2; }
}  // namespace

WideString IniFile::ReadSectionNameList() {
    return ReadGrowing(
        256,
        [&](char16_t* buffer, int32_t size) {
            return GetPrivateProfileSectionNamesW(W(buffer), static_cast<DWORD>(size), W(path));
        },
        ListMayBeCut);
}

WideString IniFile::ReadSectionListing(const WideString& section) {
    // Large enough for the sections of an ordinary file in one read.
    return ReadGrowing(
        4096,
        [&](char16_t* buffer, int32_t size) {
            return GetPrivateProfileSectionW(W(section), W(buffer), static_cast<DWORD>(size),
                                             W(path));
        },
        ListMayBeCut);
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

const WideString& LayeredIniFile::ListingOf(const WideString& section) {
    for (const ProfileListings::Section& known : listings.sections) {
        if (known.name == section) return known.keys;
    }
    listings.sections.push_back(ProfileListings::Section{section, ReadSectionListing(section)});
    return listings.sections.back().keys;
}

void LayeredIniFile::GetUnlayeredString(const WideString& section, const WideString& key,
                                        WideString& out) {
    if (!listings.sectionNamesRead) {
        listings.sectionNames = ReadSectionNameList();
        listings.sectionNamesRead = true;
    }
    const int32_t sections = CountPossibleMatches(listings.sectionNames, section);
    // A name that two sections may carry is left to the system: which of them it reads is its
    // own rule.
    if (sections == 0 || (sections == 1 && !ListingMayHoldKey(ListingOf(section), key))) {
        out.Clear();
        return;
    }
    IniFile::GetString(section, key, out);
}

void LayeredIniFile::GetString(const WideString& section, const WideString& key, WideString& out) {
    WideString value;
    GetUnlayeredString(section, key, value);
    WideString plusValue;
    if (value.IsEmpty()) GetUnlayeredString(section + u"+", key, plusValue);
    out = LayerValue(value, plusValue);
}
