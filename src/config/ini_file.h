#pragma once

#include <cstdint>

#include "support/string_list.h"
#include "support/wide_string.h"

// Accessor for one profile (INI) file through the system's private-profile functions. It never
// holds the file open. Absent files, sections and keys read as empty text.
class IniFile {
public:
    explicit IniFile(WideString filePath) : path(std::move(filePath)) {}
    virtual ~IniFile() = default;

    // Reads the first 4 bytes of the file (opened unshared, must exist); 0 or a Windows error.
    virtual uint32_t ReadFirstBytes(unsigned char (&buffer)[4]);
    // One value; the buffer starts at 256 units and doubles while the value may have been cut.
    virtual void GetString(const WideString& section, const WideString& key, WideString& out);
    // Appends every non-empty section name, in file order.
    virtual void GetSectionNames(StringList& names);
    // Writes one value; a file that does not exist yet is created as UTF-16 first.
    virtual bool SetString(const WideString& section, const WideString& key,
                           const WideString& value);
    virtual bool DeleteProfileFile();

    const WideString& Path() const { return path; }

protected:
    WideString path;
};

// Reads a key that is empty in its section from the section of the same name followed by "+";
// text found there is returned exactly as written. The file's section names are read once, on
// the first empty key, so that a file without "+" sections costs no second read per key.
class LayeredIniFile : public IniFile {
public:
    using IniFile::IniFile;
    void GetString(const WideString& section, const WideString& key, WideString& out) override;

private:
    bool HasSection(const WideString& name);

    bool sectionNamesRead = false;
    StringList sectionNames;
};

// The layering rule on its own: the value of the section, else the value of "section+".
WideString LayerValue(const WideString& sectionValue, const WideString& plusSectionValue);
