#pragma once

#include "support/wide_string.h"

// Path rules of the configuration files, apart from the system calls that feed them.

// The module path up to and including its last "\" (all of it when there is none).
WideString ProgramFolderOf(const WideString& modulePath);

// The module path's folder without its final "\", except that a drive root keeps it ("C:\").
WideString ExecutableFolderOf(const WideString& modulePath);

// The file name of a path without its extension: "C:\\App\\quorvanew.exe" gives "quorvanew".
WideString BaseNameOf(const WideString& path);

// The path up to and including its last "." followed by "ini". The "." may lie in a folder name
// when the file has no extension. false when there is no "." at all.
bool ConfigurationFileOf(const WideString& executablePath, WideString& out);

// The per-user configuration file and the two folders above it:
// <appData>\<product name without \?"|><:/*>\<productCode>\<base name of sourcePath>.ini
struct PerUserPath {
    WideString productFolder;
    WideString codeFolder;
    WideString file;
};
PerUserPath ComposePerUserPath(const WideString& sourcePath, const WideString& appData,
                               const WideString& productName, const WideString& productCode);
