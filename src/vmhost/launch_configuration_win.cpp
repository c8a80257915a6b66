#include "config/configuration_paths.h"
#include "config/ini_file.h"
#include "config/settings.h"
#include "launch/command_line.h"
#include "launch/launcher.h"
#include "launch/messages.h"
#include "runtime/runtime_paths.h"
#include "support/environment.h"
#include "support/file_finder_win.h"
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

// A file of the class path, as class data sharing needs it: its write time, or that it is a
// folder (path and name spell it).
void NoteJar(ClassPathJars* jars, DWORD attributes, const FILETIME& written,
             std::u16string_view path, std::u16string_view name = {}) {
    if (!jars || !jars->folder.IsEmpty()) return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        jars->folder = WideString(path).Append(name);
    } else if (FileTimeTicks(written) > jars->newestJar) {
        jars->newestJar = FileTimeTicks(written);
    }
}

// The same for an entry the class path names without a search: one query, and only for sharing.
void NoteJar(ClassPathJars* jars, const WideString& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (jars && !path.IsEmpty() &&
        GetFileAttributesExW(W(SearchablePath(path)), GetFileExInfoStandard, &data))
        NoteJar(jars, data.dwFileAttributes, data.ftLastWriteTime, path);
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

void Launcher::AddClassPathMatches(const WideString& entry, WideString& classPath,
                                   ClassPathJars* jars) {
    WideString programFolder;
    if (GetProgramFolder(programFolder)) programFolder = programFolder.Left(programFolder.Length() - 1);
    const ClassPathSearch search = ClassPathSearchFor(entry, programFolder);
    WIN32_FIND_DATAW found;
    UniqueFind find(FindFirstFileW(W(SearchablePath(search.pattern)), &found));
    if (!find) {
        Trace(u"class path entry %s: nothing found (error %d)",
              {entry, static_cast<int32_t>(GetLastError())});
        return;
    }
    // An ASCII path without ";" is its own narrow-safe form: most jars are appended without a copy.
    const bool plainPrefix = IsPlainClassPathName(search.prefix);
    do {
        const std::u16string_view name(U(found.cFileName));
        if (IsDotFolderName(name)) continue;
        if (plainPrefix && IsPlainClassPathName(name)) {
            classPath.Append(search.prefix).Append(name).Append(u';');
            NoteJar(jars, found.dwFileAttributes, found.ftLastWriteTime, search.prefix, name);
            continue;
        }
        // A name the VM cannot read as it is goes in its 8.3 form, which the search has found
        // already; behind a folder of its own kind that is the file's alternate name.
        const std::u16string_view alternate(U(found.cAlternateFileName));
        const WideString path = plainPrefix && IsPlainClassPathName(alternate) && !alternate.empty()
                                    ? search.prefix + alternate
                                    : NarrowSafePath(search.prefix + name);
        // The VM would read a ";" as the end of the name, and look for two files that are not.
        if (path.FindUnit(u';') >= 0) {
            Trace(u"class path: %s left out: its name holds \";\" and has no short form", {path});
            continue;
        }
        classPath.Append(path).Append(u';');
        NoteJar(jars, found.dwFileAttributes, found.ftLastWriteTime, path);
    } while (FindNextFileW(find.get(), &found));
}

bool Launcher::AssembleLaunchConfiguration() {
    WideString configurationFile;
    if (!GetConfigurationFilePath(configurationFile)) return false;
    LayeredIniFile ini(configurationFile, configurationListings);
    WideString value;

    // Class data sharing needs the class path's jars: they are noted while it is assembled.
    ini.GetString(kJavaRuntimeEnvironment, u"Class Data Sharing", value);
    ClassPathJars noted;
    ClassPathJars* const jars = EqualsNoCase(value, u"auto") ? &noted : nullptr;
    ini.GetString(u"Class Path", u"Class Path", value);
    StringList entries;
    SplitList(value, u";", entries);
    WideString classPath;
    for (const WideString& configured : entries) {
        // An empty piece (";;") names nothing; searched as a relative entry it would put the
        // executable's folder name after the folder itself.
        if (configured.IsEmpty()) continue;
        WideString entry = configured;
        // The system cuts an expansion at its limit: the cut text would name another file.
        if (!ExpandEnvironment(entry)) {
            Trace(u"class path entry %s left out: its expansion passes the system's limit of %d "
                  u"characters",
                  {configured, kEnvironmentLimit - 1});
            continue;
        }
        if (ClassPathEntryNeedsSearch(entry)) {
            AddClassPathMatches(entry, classPath, jars);
        } else {
            const WideString path = NarrowSafePath(entry);
            classPath.Append(path).Append(u';');
            NoteJar(jars, path);
        }
    }
    ini.GetString(kApplication, u"Embedded Jar", value);
    if (IsYes(value)) {
        WideString modulePath;
        GetModulePath(modulePath);
        const WideString path = NarrowSafePath(modulePath);
        classPath = path + u";" + classPath;
        NoteJar(jars, path);
    }
    if (classPath.IsEmpty()) {
        PrintError(LoadMessage(kMsgClassPathMissing));
        return false;
    }

    // The class path is not expanded a second time: that would rewrite jar names holding "%",
    // and the system's expansion cuts a text of more than 32 K characters.
    if (!vmOptions.Append(ToNarrow(u"-Djava.class.path=" + classPath))) FatalOutOfMemory();
    ini.GetString(kJavaRuntimeEnvironment, u"Virtual Machine Parameters", value);
    // The executable's paths in the VM's code page are looked up only for parameters that may
    // name them: a folder outside that code page costs a file-system query each.
    WideString folderForVm, pathForVm;
    if (value.FindUnit(u'%') >= 0 && GetModulePath(pathForVm)) {
        folderForVm = NarrowSafePath(ExecutableFolderOf(pathForVm));
        pathForVm = NarrowSafePath(pathForVm);
    }
    AddVmParameterOptions(value, folderForVm, pathForVm);
    // The splash-screen library opens its image in the ANSI code page, as the VM reads options;
    // no file-system query for an image that is not shown.
    if (!splashImage.IsEmpty() && !headless && !serviceMode)
        splashImage = NarrowSafePath(splashImage);
    if (jars) PlanClassDataSharing(*jars);

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
