#include "config/configuration_paths.h"

WideString ProgramFolderOf(const WideString& modulePath) {
    const int32_t slash = modulePath.FindLastUnit(u'\\');
    return slash < 0 ? modulePath : modulePath.Left(slash + 1);
}

WideString ExecutableFolderOf(const WideString& modulePath) {
    const WideString folder = ProgramFolderOf(modulePath);
    const int32_t length = folder.Length();
    const bool driveRoot = length == 3 && folder[1] == u':';
    return length > 1 && folder[length - 1] == u'\\' && !driveRoot ? folder.Left(length - 1)
                                                                   : folder;
}

bool ConfigurationFileOf(const WideString& executablePath, WideString& out) {
    const int32_t dot = executablePath.FindLastUnit(u'.');
    if (dot < 0) return false;
    out = executablePath.Left(dot + 1).Append(u"ini");
    return true;
}

WideString BaseNameOf(const WideString& path) {
    WideString name = path.Mid(path.FindLastUnit(u'\\') + 1);
    const int32_t dot = name.FindLastUnit(u'.');
    return dot >= 0 ? name.Left(dot) : name;
}

PerUserPath ComposePerUserPath(const WideString& sourcePath, const WideString& appData,
                               const WideString& productName, const WideString& productCode) {
    WideString baseName = BaseNameOf(sourcePath);
    baseName.Append(u".ini");

    WideString cleanedName;
    for (int32_t i = 0; i < productName.Length(); ++i) {
        const char16_t unit = productName[i];
        if (std::u16string_view(u"\\?\"|><:/*").find(unit) == std::u16string_view::npos)
            cleanedName.Append(unit);
    }

    PerUserPath path;
    path.productFolder = appData + u"\\" + cleanedName;
    path.codeFolder = path.productFolder + u"\\" + productCode;
    path.file = path.codeFolder + u"\\" + baseName;
    return path;
}
