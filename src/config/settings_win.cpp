#include "config/ini_file.h"
#include "config/settings.h"
#include "launch/launcher.h"
#include "launch/messages.h"
#include "runtime/registry_search.h"
#include "support/file_finder_win.h"
#include "support/handles_win.h"
#include "support/trace.h"
#include "support/wide_win.h"
#include "support/text.h"

namespace {
const WideString kProductInformation(u"Product Information");
const WideString kJavaRuntimeEnvironment(u"Java Runtime Environment");
const WideString kApplication(u"Application");
}  // namespace

namespace {
// For the trace: what became of a configuration file. The system's profile functions read an
// absent or unreadable file as empty, so this is the only place that tells them apart.
void TraceConfigurationFile(const char16_t* role, const WideString& path) {
    if (!TraceEnabled()) return;
    UniqueFile file(CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD error = file ? 0 : GetLastError();
    if (error == 0) {
        Trace(u"%s %s: read", {role, path});
    } else if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        Trace(u"%s %s: absent", {role, path});
    } else {
        Trace(u"%s %s: present but unreadable, %s (error %d)",
              {role, path, SystemErrorText(error), static_cast<int32_t>(error)});
    }
}
}  // namespace

bool Launcher::ReadSettings() {
    WideString configurationFile;
    if (!GetConfigurationFilePath(configurationFile)) return false;
    TraceConfigurationFile(u"configuration file", configurationFile);

    LayeredIniFile layered(configurationFile, configurationListings);
    layered.GetUnlayeredString(kProductInformation, u"Product Code", productCode);
    layered.GetUnlayeredString(kProductInformation, u"Product Name", productName);

    WideString value;
    const auto read = [&](const WideString& section, const char16_t* key) -> const WideString& {
        layered.GetString(section, key, value);
        return value;
    };

    minimumVersion = MinimumVersionSetting(read(kJavaRuntimeEnvironment, u"Minimum Version"));
    maximumVersion = MaximumVersionSetting(read(kJavaRuntimeEnvironment, u"Maximum Version"));
    serviceMode = EqualsExact(read(kApplication, u"Application Type"), u"service");
    if (serviceMode) {
        ReportErrorsAsService();
        omitServiceName = !read(kApplication, u"Omit Service Name").IsEmpty();
    }
    // A service never runs as a single instance.
    singleInstance = !serviceMode && EqualsExact(read(kApplication, u"Single Instance"), u"yes");
    SplitList(read(kJavaRuntimeEnvironment, u"Preferred versions"), u";", preferredVersions);

    // In console mode a per-user file, once it exists, decides "JRE Path" alone (even when it
    // lacks the key): it holds the folder the user chose when no runtime was found.
    const WideString perUserFile = serviceMode ? WideString() : GetPerUserConfigurationFilePath(false);
    FileFinder finder;
    if (!perUserFile.IsEmpty()) TraceConfigurationFile(u"per-user file", perUserFile);
    if (!perUserFile.IsEmpty() && finder.FindFirst(perUserFile)) {
        IniFile(perUserFile).GetString(kJavaRuntimeEnvironment, u"JRE Path", configuredRuntimePath);
    } else {
        layered.GetString(kJavaRuntimeEnvironment, u"JRE Path", configuredRuntimePath);
    }

    jvmType = JvmTypeSetting(read(kJavaRuntimeEnvironment, u"JVM Type"));
    runtimeSearch = RuntimeSearchSetting(read(kJavaRuntimeEnvironment, u"Runtime Search"));
    ApplyJvmSource(read(kJavaRuntimeEnvironment, u"JVM Source"), *this);
    ApplyVmProvider(read(kJavaRuntimeEnvironment, u"VM Provider"), *this);

    layered.GetString(kJavaRuntimeEnvironment, u"Main Class", mainClass);
    if (mainClass.IsEmpty()) {
        PrintError(LoadMessage(kMsgMainClassMissing));
        return false;
    }
    mainClass.ReplaceUnit(u'.', u'/');

    failureCheck = IsYes(read(kApplication, u"Failure Check"));
    overrideWorkingDir = IsYes(read(kApplication, u"Override WorkingDir"));
    layered.GetString(kJavaRuntimeEnvironment, u"System Path", systemPath);
    layered.GetString(kJavaRuntimeEnvironment, u"Library Path", libraryPath);
    layered.GetString(kApplication, u"Pair Product", pairProduct);
    waitForPair = IsYes(read(kApplication, u"Pair Return Code"));
    return true;
}
