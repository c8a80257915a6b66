#include <algorithm>

#include "support/file_finder_win.h"
#include "support/paths.h"
#include "support/text.h"
#include "support/wide_win.h"

bool PathExists(const WideString& pathOrPattern) {
    WIN32_FIND_DATAW data;
    return UniqueFind(FindFirstFileW(W(pathOrPattern), &data)).valid();
}

uint32_t QueryFileInfo(const WideString& path, uint64_t& lastWriteTime, uint32_t& sizeLow) {
    if (path.IsEmpty()) return kErrorInvalidParameter;
    if (!IsAbsolutePath(path)) return kErrorPathNotFound;
    WIN32_FIND_DATAW data;
    UniqueFind search(FindFirstFileW(W(path), &data));
    if (!search) return GetLastError();
    lastWriteTime = FileTimeTicks(data.ftLastWriteTime);
    sizeLow = data.nFileSizeLow;
    return 0;
}

bool FileExists(const WideString& path) {
    uint64_t time;
    uint32_t size;
    return QueryFileInfo(path, time, size) == 0;
}

uint32_t CreateParentFolders(const WideString& path) {
    if (FileExists(path)) return 0;
    const bool unc = IsUncPath(path);
    PathParts parts;
    SplitPath(path, parts);
    if (parts.IsEmpty()) return 0;
    WideString built = parts[0];
    uint32_t lastError = 0;
    for (int32_t i = 1; i + 1 < parts.Count(); ++i) {
        const WideString folder = built + u"\\" + parts[i];
        if (!CreateDirectoryW(W(folder), nullptr)) {
            lastError = GetLastError();
            if (lastError != kErrorAlreadyExists && !unc) {
                // Undo the level created just before, which the system removes only when empty.
                if (i >= 2) RemoveDirectoryW(W(built));
                break;
            }
        }
        built = folder;
    }
    return lastError == kErrorAlreadyExists ? 0 : lastError;
}

bool FullPathName(const WideString& path, WideString& out) {
    const DWORD needed = GetFullPathNameW(W(path), 0, nullptr, nullptr);
    if (needed == 0) return false;
    WideString full;
    const DWORD written =
        GetFullPathNameW(W(path), needed, W(full.Buffer(static_cast<int32_t>(needed))), nullptr);
    if (written == 0 || written >= needed) return false;
    out = full.Left(static_cast<int32_t>(written));
    return true;
}

bool SamePath(const WideString& a, const WideString& b) {
    return CompareStringOrdinal(W(a), a.Length(), W(b), b.Length(), TRUE) == CSTR_EQUAL;
}

WideString SearchablePath(const WideString& path) {
    if (path.Length() < MAX_PATH) return path;
    // Behind the prefix the system takes every unit literally: ".." would be a name, "/" a
    // character, and "\\?\\\server" no UNC path.
    WideString full;
    if (!FullPathName(path, full)) return path;
    return full.Length() < MAX_PATH ? full : LongPathForm(full);
}

WideString NarrowSafePath(const WideString& path) {
    // ASCII needs no conversion at all, which a class path of thousands of jars would otherwise
    // pay twice each.
    const auto safe = [](const WideString& text, bool ascii) {
        return text.FindUnit(u';') < 0 && (ascii || FromNarrow(ToNarrow(text).View()) == text);
    };
    if (safe(path, IsAscii(path))) return path;
    const DWORD needed = GetShortPathNameW(W(path), nullptr, 0);
    if (needed == 0) return path;
    WideString shortPath;
    const DWORD written =
        GetShortPathNameW(W(path), W(shortPath.Buffer(static_cast<int32_t>(needed))), needed);
    if (written == 0 || written >= needed) return path;
    shortPath = shortPath.Left(static_cast<int32_t>(written));
    return safe(shortPath, IsAscii(shortPath)) ? shortPath : path;
}

void FileFinder::Close() {
    search.reset();
    found = false;
}

bool FileFinder::FindFirst(const WideString& pattern) {
    Close();
    folder.Clear();
    const WideString searched = SearchablePath(pattern);
    search.reset(FindFirstFileW(W(searched), &findData));
    if (!search) return false;
    if (!FullPathName(searched, folder)) {
        Close();
        folder.Clear();
        SetLastError(kErrorInvalidName);
        return false;
    }
    const int32_t cut = std::max(folder.FindLastUnit(u'\\'), folder.FindLastUnit(u'/'));
    if (cut >= 0) folder = folder.Left(cut);
    found = true;
    return true;
}
