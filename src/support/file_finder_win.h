#pragma once

#include "support/handles_win.h"
#include "support/wide_string.h"

// One find-first search at a time. Patterns of 260 units or more are searched in their long-path
// form (SearchablePath).
class FileFinder {
public:
    // Without a pattern, searches "*.*". false leaves the system's last error as the search set
    // it, or 123 (ERROR_INVALID_NAME) when the full path of the pattern cannot be formed.
    bool FindFirst(const WideString& pattern = WideString(u"*.*"));
    void Close();

    bool Found() const { return found; }
    const WIN32_FIND_DATAW& Data() const { return findData; }
    // The folder part of the pattern's full path, without its final separator.
    const WideString& Folder() const { return folder; }

private:
    WIN32_FIND_DATAW findData{};
    UniqueFind search;
    bool found = false;
    WideString folder;
};
