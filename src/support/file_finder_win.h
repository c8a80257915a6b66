#pragma once

#include "support/handles_win.h"
#include "support/wide_string.h"

// A file time as one number, in 100 ns units since 1601, as find data and file queries give it.
inline uint64_t FileTimeTicks(const FILETIME& time) {
    return (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

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
