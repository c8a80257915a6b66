#pragma once

#include <cstdint>

#include "support/string_list.h"
#include "support/wide_string.h"

// Path rules on Windows-form paths; only the backslash separates, except where stated.

inline constexpr char16_t kLongPathPrefix[] = u"\\\\?\\";

// Exact comparison of the first four units with "\\?\".
bool HasLongPathPrefix(std::u16string_view path);
// At least 2 units, and two leading backslashes or a colon as the second unit.
bool IsAbsolutePath(std::u16string_view path);
// A path that names the same place whatever the current drive and directory: a drive letter,
// a colon and a separator ("C:\", "C:/"), or two leading separators (UNC, "\\?\", "\\.\").
// "C:rel", "\rooted" and "rel" are not.
bool IsFullyQualifiedPath(std::u16string_view path);
// At least 3 units, two leading backslashes and a third unit that is not "?".
bool IsUncPath(std::u16string_view path);

// The form of a full path (backslashes only, no "." or ".." components) that the file functions
// read whole however long it is: "\\?\" in front of a drive path, "\\?\UNC\" in place of a
// UNC path's two leading backslashes. A path with the prefix, or a device path ("\\.\"), stays.
WideString LongPathForm(const WideString& fullPath);

// folder ending in exactly one "\": one is added when it has none, a run of them becomes one.
WideString WithTrailingSeparator(const WideString& folder);

// The root (a drive, \\server, \\?\C:, or the first component of a relative path) followed by
// the components. Empty components between two adjacent backslashes are kept.
using PathParts = StringList;
void SplitPath(std::u16string_view path, PathParts& parts);

// Windows error codes returned by the file-system helpers.
inline constexpr uint32_t kErrorPathNotFound = 3;
inline constexpr uint32_t kErrorInvalidParameter = 87;
inline constexpr uint32_t kErrorInvalidName = 123;
inline constexpr uint32_t kErrorAlreadyExists = 183;

// The file-system side (paths_win.cpp).
bool PathExists(const WideString& pathOrPattern);
// 0 or a Windows error code; an empty path is 87 and a relative one 3, without touching the disk.
uint32_t QueryFileInfo(const WideString& path, uint64_t& lastWriteTime, uint32_t& sizeLow);
bool FileExists(const WideString& path);
// The system's full path of path (GetFullPathNameW); false when it cannot be formed.
bool FullPathName(const WideString& path, WideString& out);
// Whether two full paths are the same name, compared as the file system compares names: whole,
// without regard to case.
bool SamePath(const WideString& a, const WideString& b);
// A pattern or path for the file functions: itself below MAX_PATH, else its full path (".." and
// "/" resolved, which the long-path prefix no longer does) in the long-path form it needs.
WideString SearchablePath(const WideString& path);
// The path itself when it survives the trip through the ANSI code page (the form the VM reads its
// options in) and holds no ";" (which would split it in two on the VM's class path), else its
// short (8.3) form when the file system has one that does both, else the path.
WideString NarrowSafePath(const WideString& path);
// Creates the folders above a file, never the file's own name; 0 or a Windows error code.
uint32_t CreateParentFolders(const WideString& path);
