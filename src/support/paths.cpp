#include "support/paths.h"

#include "support/text.h"

bool HasLongPathPrefix(std::u16string_view path) {
    return path.size() >= 4 && path.substr(0, 4) == kLongPathPrefix;
}

bool IsAbsolutePath(std::u16string_view path) {
    return path.size() >= 2 && ((path[0] == u'\\' && path[1] == u'\\') || path[1] == u':');
}

bool IsFullyQualifiedPath(std::u16string_view path) {
    const auto separator = [](char16_t unit) { return unit == u'\\' || unit == u'/'; };
    if (path.size() >= 2 && separator(path[0]) && separator(path[1])) return true;
    const bool letter = path.size() >= 3 && ((path[0] >= u'A' && path[0] <= u'Z') ||
                                             (path[0] >= u'a' && path[0] <= u'z'));
    return letter && path[1] == u':' && separator(path[2]);
}

bool IsUncPath(std::u16string_view path) {
    return path.size() >= 3 && path[0] == u'\\' && path[1] == u'\\' && path[2] != u'?';
}

WideString LongPathForm(const WideString& fullPath) {
    const std::u16string_view path = fullPath;
    if (HasLongPathPrefix(path) || path.substr(0, 4) == u"\\\\.\\") return fullPath;
    if (IsUncPath(path)) return WideString(u"\\\\?\\UNC") + path.substr(1);
    return kLongPathPrefix + fullPath;
}

void SplitPath(std::u16string_view path, PathParts& parts) {
    WideString root;
    std::u16string_view rest = path;
    if (HasLongPathPrefix(path)) {
        root.Assign(kLongPathPrefix);
        rest = path.substr(4);
    }
    // A UNC server name keeps its leading backslashes.
    const size_t searchFrom = IsUncPath(rest) ? 2 : 0;
    size_t cut = rest.size();
    if (searchFrom < rest.size()) {
        const size_t at = rest.find(u'\\', searchFrom);
        if (at != std::u16string_view::npos) cut = at;
    }
    root.Append(rest.substr(0, cut));
    rest = cut < rest.size() ? rest.substr(cut + 1) : std::u16string_view();

    StringList items;
    SplitList(rest, u"\\", items);
    parts.Clear();
    if (!root.IsEmpty() && !parts.Append(std::move(root))) FatalOutOfMemory();
    for (const WideString& item : items) {
        if (!parts.Append(item)) FatalOutOfMemory();
    }
}

WideString WithTrailingSeparator(const WideString& folder) {
    // A run of final separators counts as one, so that the library path stays as short as the
    // folder it names.
    int32_t end = folder.Length();
    while (end >= 2 && folder[end - 1] == u'\\' && folder[end - 2] == u'\\') --end;
    if (end > 0 && folder[end - 1] == u'\\') return folder.Left(end);
    return folder.Left(end) + u"\\";
}
