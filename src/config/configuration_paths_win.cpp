#include "config/configuration_paths.h"
#include "launch/launcher.h"
#include "launch/messages.h"
#include "support/environment.h"
#include "support/growing_read.h"
#include "support/paths.h"
#include "support/wide_win.h"

namespace {
void CreateFolder(const WideString& path) { CreateDirectoryW(W(path), nullptr); }
}  // namespace

bool Launcher::GetModulePath(WideString& out) {
    // Start-up asks for it several times (configuration, per-user file, shipped runtime).
    if (!cachedModulePath.IsEmpty()) {
        out = cachedModulePath;
        return true;
    }
    DWORD error = 0;
    out = ReadGrowing(
        MAX_PATH,
        [&](char16_t* buffer, int32_t size) {
            const DWORD written = GetModuleFileNameW(nullptr, W(buffer), static_cast<DWORD>(size));
            error = written == 0 ? GetLastError() : 0;
            return written;
        },
        // A cut path fills the whole buffer.
        [](uint32_t written, int32_t size) { return written == static_cast<uint32_t>(size); });
    if (error != 0 || out.IsEmpty()) {
        ReportWindowsError(kMsgModulePathFailed, error);
        return false;
    }
    cachedModulePath = out;
    return true;
}

bool Launcher::GetProgramFolder(WideString& out) {
    WideString modulePath;
    if (!GetModulePath(modulePath)) return false;
    out = ProgramFolderOf(modulePath);
    return true;
}

void Launcher::PublishExecutablePaths() {
    WideString modulePath;
    if (!GetModulePath(modulePath)) return;
    SetEnvironmentVariableW(L"QZ_EXE_DIR", W(ExecutableFolderOf(modulePath)));
    SetEnvironmentVariableW(L"QZ_EXE_PATH", W(modulePath));
    SetEnvironmentVariableW(L"QZ_EXE_NAME", W(BaseNameOf(modulePath)));
}

bool Launcher::GetConfigurationFilePath(WideString& out) {
    WideString modulePath;
    return GetModulePath(modulePath) && ConfigurationFileOf(modulePath, out);
}

bool Launcher::GetPairConfigurationFilePath(WideString& out) {
    return !pairProduct.IsEmpty() && ConfigurationFileOf(pairProduct, out);
}

WideString Launcher::GetPerUserConfigurationFilePath(bool createFolders) {
    WideString modulePath;
    if (!GetModulePath(modulePath)) return WideString();
    return BuildPerUserPath(modulePath, createFolders);
}

WideString Launcher::GetPairPerUserConfigurationFilePath() {
    if (pairProduct.IsEmpty()) return WideString();
    return BuildPerUserPath(pairProduct, true);
}

WideString Launcher::BuildPerUserPath(const WideString& sourcePath, bool createFolders) {
    // Without a real application-data folder there is no per-user file: an unset, empty or
    // relative "APPDATA" would put it at the root of the current drive or below the current
    // directory, where anybody could plant the file that chooses the runtime.
    const WideString appData = ReadEnvironmentVariable(u"APPDATA");
    if (!IsFullyQualifiedPath(appData)) return WideString();
    const PerUserPath path = ComposePerUserPath(sourcePath, appData, productName, productCode);
    // The system's profile functions cannot open a longer path: a file there could be found but
    // neither read nor written, and would hide the file beside the executable.
    if (path.file.Length() >= MAX_PATH) return WideString();
    // One level at a time: the application-data folder itself must exist already.
    if (createFolders) {
        CreateFolder(path.productFolder);
        CreateFolder(path.codeFolder);
    }
    return path.file;
}
