#pragma once

#include <string_view>

#include "support/wide_string.h"

// The rules of the class path and of the runtime's environment, apart from the system calls.

// An entry needs a file search unless it is a drive-letter or UNC path without "*": relative
// entries count from the executable's folder, and wildcards list what they match.
bool ClassPathEntryNeedsSearch(std::u16string_view entry);

// What a search entry looks for, and what is put in front of every name found: the entry up to
// its last "\" or "/". A relative entry is appended to the executable's folder as written (so it
// begins with "\": "\lib\*.jar").
struct ClassPathSearch {
    WideString pattern;
    WideString prefix;
};
ClassPathSearch ClassPathSearchFor(const WideString& entry, const WideString& programFolder);

// ASCII without ";": a name the VM reads on its class path as written, in every code page.
bool IsPlainClassPathName(std::u16string_view name);

// "." and "..": a wildcard over folders lists them, and they never belong on a class path.
bool IsDotFolderName(std::u16string_view name);

// "Library Path" (expanded) extended for the VM: configured;<program folder>;.;<old Path>;<runtime
// home>lib. An empty old Path leaves no empty piece.
WideString LibraryPathText(const WideString& configured, const WideString& programFolder,
                           const WideString& oldPath, const WideString& runtimeLibraryPath);
// The new "Path": <"System Path" (expanded)>;<old Path>;<runtime bin folder>, no piece empty.
WideString SystemPathText(const WideString& systemPath, const WideString& oldPath,
                          const WideString& runtimeLibraryPath);
