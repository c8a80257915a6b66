#pragma once

#include <cstdint>

#include "config/profile_index.h"

#include "support/string_list.h"
#include "support/wide_string.h"

// Accessor for one profile (INI) file through the system's private-profile functions. It never
// holds the file open. Absent files, sections and keys read as empty text.
class IniFile {
public:
    explicit IniFile(WideString filePath) : path(std::move(filePath)) {}
    virtual ~IniFile() = default;

    // One value; the buffer starts at 256 units and doubles while the value may have been cut.
    virtual void GetString(const WideString& section, const WideString& key, WideString& out);
    // The section-name list as the system returns it: names each ended by a zero.
    WideString ReadSectionNameList();
    // The keys of a section as the system lists them: "key=value" items, each ended by a zero.
    WideString ReadSectionListing(const WideString& section);
    // Writes one value; a file that does not exist yet is created as UTF-16 first.
    virtual bool SetString(const WideString& section, const WideString& key,
                           const WideString& value);

    const WideString& Path() const { return path; }

protected:
    WideString path;
};

// The reader of the configuration file. A key that is empty in its section is read from the
// section of the same name followed by "+"; text found there is returned exactly as written.
// The file's section names are read once, and each section's listing of keys once, the first
// time a key of it is asked for: a key that the file cannot hold costs no further read, and only
// keys that are there (or may be) are read through the system's lookup, as every value is.
class LayeredIniFile : public IniFile {
public:
    explicit LayeredIniFile(WideString filePath) : IniFile(std::move(filePath)), listings(own) {}
    // Uses and adds to listings made by earlier readers of the same file.
    LayeredIniFile(WideString filePath, ProfileListings& shared)
        : IniFile(std::move(filePath)), listings(shared) {}
    LayeredIniFile(const LayeredIniFile&) = delete;
    LayeredIniFile& operator=(const LayeredIniFile&) = delete;

    void GetString(const WideString& section, const WideString& key, WideString& out) override;
    // The value of the section alone, without the "+" section.
    void GetUnlayeredString(const WideString& section, const WideString& key, WideString& out);

private:
    const WideString& ListingOf(const WideString& section);

    ProfileListings own;
    ProfileListings& listings;
};

// The layering rule on its own: the value of the section, else the value of "section+".
WideString LayerValue(const WideString& sectionValue, const WideString& plusSectionValue);
