#include "config/ini_file.h"
#include "launch/launcher.h"
#include "launch/messages.h"

namespace {
const WideString kProductInformation(u"Product Information");
const WideString kJavaRuntimeEnvironment(u"Java Runtime Environment");
}  // namespace

bool Launcher::ReadSettings() {
    WideString configurationFile;
    if (!GetConfigurationFilePath(configurationFile)) return false;

    IniFile plain(configurationFile);
    plain.GetString(kProductInformation, u"Product Code", productCode);
    plain.GetString(kProductInformation, u"Product Name", productName);

    LayeredIniFile layered(configurationFile);
    // The per-user file's "JRE Path" takes precedence in console mode once that rule is built.
    layered.GetString(kJavaRuntimeEnvironment, u"JRE Path", configuredRuntimePath);

    WideString value;
    layered.GetString(kJavaRuntimeEnvironment, u"JVM Type", value);
    jvmType = 0;
    if (EqualsExact(value, u"server")) jvmType = 1;
    if (EqualsExact(value, u"favor_server")) jvmType = 2;

    layered.GetString(kJavaRuntimeEnvironment, u"Main Class", mainClass);
    if (mainClass.IsEmpty()) {
        PrintError(LoadMessage(kMsgMainClassMissing));
        return false;
    }
    mainClass.ReplaceUnit(u'.', u'/');
    return true;
}
