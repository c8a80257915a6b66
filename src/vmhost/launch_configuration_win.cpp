#include "config/ini_file.h"
#include "config/settings.h"
#include "launch/command_line.h"
#include "launch/launcher.h"
#include "launch/messages.h"
#include "runtime/runtime_paths.h"
#include "support/environment.h"
#include "support/handles_win.h"
#include "support/paths.h"
#include "support/text.h"
#include "support/trace.h"
#include "support/wide_win.h"
#include "vmhost/launch_configuration.h"

namespace {
const WideString kApplication(u"Application");
const WideString kJavaRuntimeEnvironment(u"Java Runtime Environment");

// Every ";"-separated folder of an expanded path list in a form the VM can read.
WideString NarrowSafePathList(const WideString& list) {
    StringList folders;
    SplitList(list, u";", folders);
    WideString safe;
    for (const WideString& folder : folders) {
        if (!safe.IsEmpty()) safe.Append(u';');
        safe.Append(NarrowSafePath(folder));
    }
    return safe;
}
}  // namespace

void Launcher::PrepareRuntimeEnvironment() {
    SetEnvironmentVariableW(L"QZ_JVM_PATH", W(runtimeLibraryPath));
    SetEnvironmentVariableW(L"QZ_JVM_HOME", W(PublishedRuntimeHome(runtimeLibraryPath)));
    // The Path as it is before it changes below, read once for both uses. It is put in as it is,
    // not expanded from "%Path%": the system's expansion cuts what passes its limit.
    WideString oldPath;
    const bool pathRead = ReadEnvironmentVariable(u"Path", oldPath);
    if (!libraryPath.IsEmpty()) {
        WideString programFolder;
        GetProgramFolder(programFolder);
        ExpandEnvironment(libraryPath);
        libraryPath = LibraryPathText(libraryPath, programFolder, oldPath, runtimeLibraryPath);
        const WideString option = u"-Djava.library.path=" + NarrowSafePathList(libraryPath);
        if (!vmOptions.Append(ToNarrow(option))) FatalOutOfMemory();
    }
    if (!pathRead) {
        Trace(u"Path: longer than the system's %d characters already: it stays as it was",
              {kEnvironmentLimit - 1});
        return;
    }
    WideString configured = systemPath;
    ExpandEnvironment(configured);
    const WideString path = SystemPathText(configured, oldPath, runtimeLibraryPath);
    // A longer value would be cut at the end, which is where the runtime's folder stands.
    if (path.Length() >= kEnvironmentLimit) {
        Trace(u"Path: %d characters with the runtime's bin folder, more than the system's %d: "
              u"Path stays as it was",
              {path.Length(), kEnvironmentLimit - 1});
        return;
    }
    if (!SetEnvironmentVariableW(L"Path", W(path)))
        Trace(u"Path: cannot be set (error %d): it stays as it was",
              {static_cast<int32_t>(GetLastError())});
}

void Launcher::AddClassPathMatches(const WideString& entry, WideString& classPath) {
    WideString programFolder;
    if (GetProgramFolder(programFolder)) programFolder = programFolder.Left(programFolder.Length() - 1);
    const ClassPathSearch search = ClassPathSearchFor(entry, programFolder);
    WideString pattern = search.pattern;
    if (pattern.Length() >= MAX_PATH && IsFullyQualifiedPath(pattern) &&
        !HasLongPathPrefix(pattern))
        pattern.Insert(0, kLongPathPrefix);
    WIN32_FIND_DATAW found;
    UniqueFind find(FindFirstFileW(W(pattern), &found));
    if (!find) return;
    // An ASCII path is its own narrow-safe form: most jars are appended without a copy.
    const bool asciiPrefix = IsAscii(search.prefix);
    do {
        const std::u16string_view name(U(found.cFileName));
        if (IsDotFolderName(name)) continue;
        if (asciiPrefix && IsAscii(name)) {
            classPath.Append(search.prefix).Append(name).Append(u';');
        } else {
            classPath.Append(NarrowSafePath(search.prefix + name)).Append(u';');
        }
    } while (FindNextFileW(find.get(), &found));
}

bool Launcher::AssembleLaunchConfiguration() {
    WideString configurationFile;
    if (!GetConfigurationFilePath(configurationFile)) return false;
    LayeredIniFile ini(configurationFile, configurationListings);
    WideString value;

    ini.GetString(u"Class Path", u"Class Path", value);
    StringList entries;
    SplitList(value, u";", entries);
    WideString classPath;
    for (const WideString& configured : entries) {
        // An empty piece (";;") names nothing; searched as a relative entry it would put the
        // executable's folder name after the folder itself.
        if (configured.IsEmpty()) continue;
        WideString entry = configured;
        ExpandEnvironment(entry);
        if (ClassPathEntryNeedsSearch(entry)) {
            AddClassPathMatches(entry, classPath);
        } else {
            classPath.Append(NarrowSafePath(entry)).Append(u';');
        }
    }
    ini.GetString(kApplication, u"Embedded Jar", value);
    if (IsYes(value)) {
        WideString modulePath;
        GetModulePath(modulePath);
        classPath = NarrowSafePath(modulePath) + u";" + classPath;
    }
    if (classPath.IsEmpty()) {
        PrintError(LoadMessage(kMsgClassPathMissing));
        return false;
    }

    // The class path is not expanded a second time: that would rewrite jar names holding "%",
    // and the system's expansion cuts a text of more than 32 K characters.
    if (!vmOptions.Append(ToNarrow(u"-Djava.class.path=" + classPath))) FatalOutOfMemory();
    ini.GetString(kJavaRuntimeEnvironment, u"Virtual Machine Parameters", value);
    AddVmParameterOptions(value);

    ini.GetString(kApplication, u"Output File", outputFile);
    if (!outputFile.IsEmpty()) ExpandEnvironment(outputFile);
    ini.GetString(kApplication, u"Output Append", value);
    if (EqualsExact(value, u"yes")) appendOutput = true;
    ini.GetString(kApplication, u"Error File", errorFile);
    if (!errorFile.IsEmpty()) ExpandEnvironment(errorFile);
    ini.GetString(kApplication, u"Error Append", value);
    if (EqualsExact(value, u"yes")) appendError = true;

    ini.GetString(kApplication, u"Cmd", extraArguments);
    if (!extraArguments.IsEmpty()) {
        WideString expanded = extraArguments;
        ExpandEnvironment(expanded);
        StringList extra;
        SplitArguments(expanded, extra);
        for (const WideString& argument : extra) {
            if (!argument.IsEmpty() && !arguments.Append(argument)) FatalOutOfMemory();
        }
    }
    return true;
}
