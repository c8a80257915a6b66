#include "vmhost/launch_configuration.h"

#include <algorithm>

#include "runtime/runtime_paths.h"
#include "support/text.h"

namespace {
bool IsRelativeEntry(std::u16string_view entry) {
    return entry.size() < 2 || (entry[1] != u':' && entry.substr(0, 2) != u"\\\\");
}
}  // namespace

bool ClassPathEntryNeedsSearch(std::u16string_view entry) {
    return (!entry.empty() && entry.find(u'*') != std::u16string_view::npos) ||
           IsRelativeEntry(entry);
}

ClassPathSearch ClassPathSearchFor(const WideString& entry, const WideString& programFolder) {
    ClassPathSearch search;
    // The folder part ends at the last "\" or "/": the system reads both as separators.
    const int32_t separator = std::max(entry.FindLastUnit(u'\\'), entry.FindLastUnit(u'/'));
    const WideString folderPart = entry.Left(separator + 1);
    if (IsRelativeEntry(entry)) {
        search.pattern = programFolder + entry;
        search.prefix = programFolder + folderPart;
    } else {
        search.pattern = entry;
        search.prefix = folderPart;
    }
    return search;
}

bool IsPlainClassPathName(std::u16string_view name) {
    return IsAscii(name) && name.find(u';') == std::u16string_view::npos;
}

bool IsDotFolderName(std::u16string_view name) { return name == u"." || name == u".."; }

WideString LibraryPathText(const WideString& configured, const WideString& programFolder,
                           const WideString& oldPath, const WideString& runtimeLibraryPath) {
    WideString text = configured + u";" + programFolder + u";.;";
    if (!oldPath.IsEmpty()) text.Append(oldPath).Append(u';');
    return text.Append(RuntimeHome(runtimeLibraryPath)).Append(u"lib");
}

WideString SystemPathText(const WideString& systemPath, const WideString& oldPath,
                          const WideString& runtimeLibraryPath) {
    WideString path = systemPath;
    if (!path.IsEmpty() && path[path.Length() - 1] != u';') path.Append(u';');
    if (!oldPath.IsEmpty()) path.Append(oldPath).Append(u';');
    return path.Append(StripComponents(runtimeLibraryPath, 2));
}
