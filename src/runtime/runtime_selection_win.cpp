#include "config/ini_file.h"
#include "launch/launcher.h"
#include "launch/messages.h"
#include "ui/missing_runtime_dialog_win.h"
#include "ui/missing_runtime_rules.h"
#include "runtime/registry_search.h"
#include "runtime/runtime_paths.h"
#include "resources/message_texts.h"
#include "runtime/vm_library_lookup.h"
#include "support/dll_win.h"
#include "support/environment.h"
#include "support/handles_win.h"
#include "support/paths.h"
#include "support/trace.h"
#include "support/window_station_win.h"

namespace {
bool IsRuntimeFolder(const WideString& folder) { return PathExists(folder + u"bin\\java.dll"); }

// The system's own copy only: a Dbghelp.dll planted beside the executable or in the current
// directory must never run.
Dll LoadSystemDbghelp() {
    Dll dbghelp;
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        dbghelp.Load(WideString(U(system), static_cast<int32_t>(length)) + u"\\Dbghelp.dll");
    return dbghelp;
}
}  // namespace

bool Launcher::FindShippedRuntime(WideString& folder) {
    WideString programFolder;
    if (!GetProgramFolder(programFolder)) return false;
    if (IsRuntimeFolder(programFolder)) {
        folder = programFolder;
        return true;
    }
    const WideString shipped = programFolder + ShippedRuntimeFolderName();
    folder = IsRuntimeFolder(shipped) ? shipped : WideString();
    return true;
}

void Launcher::StoreRuntimeLibrary(const WideString& library) {
    // Relative, drive-relative and doubled-separator forms of "JRE Path" are resolved once here,
    // so that the library loaded and the paths published to the Java program are one full path.
    if (!FullPathName(library, runtimeLibraryPath)) runtimeLibraryPath = library;
    Trace(u"chosen VM library: %s", {runtimeLibraryPath});
}

namespace {
// The VM library of a folder, and for the trace what was looked for when there is none.
WideString LookUpVmLibrary(const WideString& folder, int32_t vmType, const char16_t* source) {
    bool server = false;
    WideString library = FindVmLibrary(folder, vmType, server);
    if (TraceEnabled()) {
        if (!library.IsEmpty()) {
            Trace(u"%s %s: VM library %s", {source, folder, library});
        } else {
            Trace(u"%s %s: passed over, no VM library: tried %s", {source, folder,
                                                                  TriedVmLibraries(folder, vmType)});
        }
    }
    return library;
}
}  // namespace

bool Launcher::SelectRuntime() {
    if (!configuredRuntimePath.IsEmpty()) {
        const WideString library =
            LookUpVmLibrary(WithTrailingSeparator(configuredRuntimePath), jvmType, u"JRE Path");
        if (!library.IsEmpty()) {
            StoreRuntimeLibrary(library);
            CheckArchitecture();
            return true;
        }
    } else {
        Trace(u"JRE Path: not set");
    }
    WideString folder;
    // Without a shipped runtime there is no folder to look in: the VM library paths would
    // otherwise be taken relative to whatever directory the user started from.
    if (FindShippedRuntime(folder) && !folder.IsEmpty()) {
        const WideString library = LookUpVmLibrary(folder, jvmType, u"shipped runtime");
        if (!library.IsEmpty()) {
            StoreRuntimeLibrary(library);
            return true;
        }
    } else {
        Trace(u"shipped runtime: none (no bin\\java.dll beside the executable or in its %s)",
              {ShippedRuntimeFolderName()});
    }
    WideString home;
    if (RegistryRuntime(home)) {
        const WideString library = LookUpVmLibrary(home, jvmType, u"registered runtime");
        if (!library.IsEmpty()) {
            StoreRuntimeLibrary(library);
            return true;
        }
    }
    if (runtimeSearch == RuntimeSearch::kClassicOnly) {
        Trace(u"JAVA_HOME and install folders: not searched (Runtime Search=classic)");
    } else if (SearchInstallFolders()) {
        return true;
    }
    Trace(u"no runtime found: asking the user");
    return AskForRuntime();
}

bool Launcher::RegistryRuntime(WideString& home) {
    const bool together = runtimeSearch == RuntimeSearch::kTogether;
    if (runtimeSearch == RuntimeSearch::kClassicOnly) {
        Trace(u"registry: the keys of old only (Runtime Search=classic)");
    } else if (together) {
        Trace(u"registry: the current vendors' keys ranked together with the keys of old, view by "
              u"view (Runtime Search=together)");
    } else {
        Trace(u"registry: the keys of old first; the current vendors' keys, JAVA_HOME and the "
              u"install folders only when they give no runtime (Runtime Search=together ranks "
              u"them together)");
    }
    if (pairProduct.IsEmpty()) Trace(u"registry, other view: not searched (no Pair Product)");
    if (SearchRegistry(false, true, together, home) ||
        (!pairProduct.IsEmpty() && SearchRegistry(true, true, together, home))) {
        if (runtimeSearch == RuntimeSearch::kClassicFirst)
            Trace(u"current vendors' keys, JAVA_HOME and install folders: not searched (the keys of "
                  u"old gave a runtime)");
        return true;
    }
    if (runtimeSearch != RuntimeSearch::kClassicFirst) return false;
    Trace(u"registry: the keys of old gave no runtime; now the current vendors' keys");
    return SearchRegistry(false, false, true, home) ||
           (!pairProduct.IsEmpty() && SearchRegistry(true, false, true, home));
}

namespace {
// The subfolders of a folder, each ending in "\".
void Subfolders(const WideString& folder, StringList& subfolders) {
    WIN32_FIND_DATAW found;
    UniqueFind find(FindFirstFileW(W(folder + u"*"), &found));
    if (!find) return;
    do {
        const std::u16string_view name(U(found.cFileName));
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == u"." || name == u"..")
            continue;
        if (!subfolders.Append(folder + name + u"\\")) return;
    } while (FindNextFileW(find.get(), &found));
}
}  // namespace

bool Launcher::ConsiderInstallFolder(const WideString& folder, const char16_t* source,
                                     bool developmentKit, CandidateList& candidates) {
    if (!ModernKeySearched(developmentKit, *this)) {
        Trace(u"%s %s: passed over, JVM Source does not accept a %s",
              {source, folder, developmentKit ? u"development kit" : u"runtime environment"});
        return false;
    }
    RuntimeCandidate candidate;
    candidate.home = folder;
    const bool bounded = !Unbounded(minimumVersion) || !Unbounded(maximumVersion);
    if (!ReadReleaseVersion(folder, candidate.version)) {
        if (bounded) {
            Trace(u"%s %s: passed over, no readable version in its release file while a version "
                  u"bound is set",
                  {source, folder});
            return false;
        }
    } else if (!WithinBounds(candidate.version, minimumVersion, maximumVersion)) {
        Trace(u"%s %s: passed over, version %s outside the version bounds",
              {source, folder, VersionText(candidate.version)});
        return false;
    }
    const WideString library = FindVmLibrary(folder, jvmType, candidate.server);
    if (library.IsEmpty()) {
        Trace(u"%s %s: passed over, no VM library: tried %s",
              {source, folder, TriedVmLibraries(folder, jvmType)});
        return false;
    }
    uint16_t machine = 0;
    if (!ReadVmLibraryMachine(library, machine)) {
        Trace(u"%s %s: passed over, %s is not a loadable image", {source, folder, library});
        return false;
    }
    const bool build64 = sizeof(void*) == 8;
    // Only the exact machine of this build, or of its twin, can be loaded by one of them.
    if (machine != VmMachineOfView(false, build64) && machine != VmMachineOfView(true, build64)) {
        Trace(u"%s %s: passed over, %s is built for %s, which neither this executable nor its "
              u"twin can load",
              {source, folder, library, MachineName(machine)});
        return false;
    }
    candidate.foreign = machine == VmMachineOfView(true, build64);
    if (candidate.foreign && pairProduct.IsEmpty()) {
        Trace(u"%s %s: passed over, %s is built for the other processor and there is no Pair "
              u"Product",
              {source, folder, library});
        return false;
    }
    for (const RuntimeCandidate& found : candidates) {
        if (SamePath(found.home, folder)) {
            Trace(u"%s %s: passed over, duplicate of %s", {source, folder, found.home});
            return false;
        }
    }
    candidate.favoured = ModernKeyFavoured(developmentKit, *this);
    Trace(u"%s %s: candidate %s%s%s", {source, folder, VersionText(candidate.version),
                                      candidate.favoured ? u" (favoured)" : u"",
                                      candidate.foreign ? u" (other processor)" : u""});
    return candidates.Append(std::move(candidate));
}

namespace {
// A JDK of Java 9 and later, and the home of a Java 8 one, hold the compiler.
bool HoldsCompiler(const WideString& folder) { return PathExists(folder + u"bin\\javac.exe"); }
}  // namespace

bool Launcher::SearchInstallFolders() {
    // Whatever lies in them counts as the default vendor's.
    if (!sunAccepted && !sunFavored) {
        Trace(u"JAVA_HOME and install folders: not searched (VM Provider)");
        return false;
    }
    CandidateList candidates;
    const WideString javaHome = ReadEnvironmentVariable(u"JAVA_HOME");
    if (javaHome.IsEmpty()) {
        Trace(u"JAVA_HOME: not set");
    } else if (!IsFullyQualifiedPath(javaHome)) {
        Trace(u"JAVA_HOME \"%s\": passed over, not a full path", {javaHome});
    } else {
        // A Java 8 development kit keeps its runtime in jre\.
        const WideString home = WithTrailingSeparator(javaHome);
        const bool kit = HoldsCompiler(home);
        if (!ConsiderInstallFolder(home, u"JAVA_HOME", kit, candidates))
            ConsiderInstallFolder(home + u"jre\\", u"JAVA_HOME", kit, candidates);
    }
    if (candidates.IsEmpty()) {
        ProgramFolderEnvironment environment;
        environment.programFiles = ReadEnvironmentVariable(u"ProgramFiles");
        environment.programFilesX86 = ReadEnvironmentVariable(u"ProgramFiles(x86)");
        environment.programW6432 = ReadEnvironmentVariable(u"ProgramW6432");
        environment.localAppData = ReadEnvironmentVariable(u"LOCALAPPDATA");
        const bool build64 = sizeof(void*) == 8;
        StringList bases;
        StringList twinBases;
        InstallFolderBases(build64, environment, bases, twinBases);
        // The other processor's folders count only when its twin can take the launch.
        if (!pairProduct.IsEmpty()) {
            for (const WideString& base : twinBases) bases.Append(base);
        } else if (!twinBases.IsEmpty()) {
            Trace(u"install folders of the other processor in %s: not searched (no Pair Product)",
                  {build64 ? environment.programFilesX86 : environment.programW6432});
        }
        // The kind of a folder is looked for only when JVM Source makes it count: to pass it
        // over, or to favour it. Otherwise every folder is taken as a runtime environment.
        const bool kindCounts = !anyKindAccepted || (sunFavored && jdkWanted != jreWanted);
        for (const WideString& base : bases) {
            StringList folders;
            Subfolders(base, folders);
            for (const WideString& folder : folders) {
                ConsiderInstallFolder(folder, u"install folder", kindCounts && HoldsCompiler(folder),
                                      candidates);
            }
        }
    }
    if (candidates.IsEmpty()) return false;
    SortCandidates(candidates, jvmType, anyKindAccepted);
    const RuntimeCandidate& chosen = candidates[ChooseCandidate(candidates, preferredVersions)];
    bool server = false;
    StoreRuntimeLibrary(FindVmLibrary(chosen.home, jvmType, server));
    runtimeVersion = chosen.version;
    relaunchInPair = chosen.foreign;
    if (relaunchInPair)
        Trace(u"the chosen runtime is built for the other processor: the launch goes to Pair "
              u"Product %s",
              {pairProduct});
    return true;
}

bool Launcher::AskForRuntime() {
    const WideString message = RuntimeNotFoundMessage(jvmType, minimumVersion, maximumVersion);
    // Where no dialog can be shown the message goes to standard output, with the address the
    // dialog would link to. A service's window station shows nothing to anybody: a dialog there
    // could never be answered, and the service start would hang.
    const auto report = [&] { PrintError(message + u" " + WideString(u"" QZ_RUNTIME_DOWNLOAD_PAGE)); };
    if (!WindowStationVisible()) {
        report();
        return false;
    }
    MissingRuntimeDialog dialog(message, jvmType);
    const int32_t result = dialog.Show();
    if (result == MissingRuntimeDialog::kNotShown) report();
    if (result != MissingRuntimeDialog::kConfirmed) {
        Trace(result == MissingRuntimeDialog::kCancelled ? u"dialog: cancelled"
                                                         : u"dialog: could not be shown");
        return false;
    }
    Trace(u"dialog: folder %s chosen", {dialog.Folder()});
    // The user may have edited the configuration file while the dialog was open: the launch
    // configuration reads it afresh.
    configurationListings = ProfileListings{};
    StoreRuntimeLibrary(dialog.LibraryPath());
    CheckArchitecture();
    SaveRuntimeFolder(dialog.Folder());
    return true;
}

void Launcher::SaveRuntimeFolder(const WideString& folder) {
    WideString configurationFile;
    if (!GetConfigurationFilePath(configurationFile)) return;
    const auto save = [&](const WideString& file) {
        if (!file.IsEmpty()) IniFile(file).SetString(u"Java Runtime Environment", u"JRE Path", folder);
    };
    if (serviceMode) {
        // A service reads only the file beside the executable.
        save(configurationFile);
        WideString pairFile;
        if (GetPairConfigurationFilePath(pairFile)) save(pairFile);
        return;
    }
    save(GetPerUserConfigurationFilePath(true));
    if (!pairProduct.IsEmpty()) save(GetPairPerUserConfigurationFilePath());
}

void Launcher::CheckArchitecture() {
    relaunchInPair = false;
    const bool build64 = sizeof(void*) == 8;
    uint16_t machine = 0;
    if (TraceEnabled() && ReadVmLibraryMachine(runtimeLibraryPath, machine)) {
        if (IsForeignMachine(machine, build64) && pairProduct.IsEmpty())
            Trace(u"%s is built for the other processor and there is no Pair Product: it will not load",
                  {runtimeLibraryPath});
        // Neither executable could load it: it stays here, where the load reports the error.
        if (machine != VmMachineOfView(false, build64) && !IsForeignMachine(machine, build64))
            Trace(u"%s is built for %s, which neither this executable nor its twin can load",
                  {runtimeLibraryPath, MachineName(machine)});
    }
    if (pairProduct.IsEmpty()) return;
    UniqueFile file(CreateFileW(W(runtimeLibraryPath), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0) return;
    UniqueHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return;
    UniqueView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return;
    const auto* data = static_cast<const unsigned char*>(view.get());
    // The headers are checked against the file's size first, so that a truncated or malformed
    // library can make no reader look past the end of the view.
    size_t headersOffset = 0;
    if (!LocatePeHeaders(data, static_cast<size_t>(size.QuadPart), headersOffset)) return;
    Dll dbghelp = LoadSystemDbghelp();
    using ImageNtHeaderFunction = PIMAGE_NT_HEADERS(WINAPI*)(PVOID);
    const auto imageNtHeader = dbghelp.Export<ImageNtHeaderFunction>("ImageNtHeader");
    if (!imageNtHeader) return;
    const PIMAGE_NT_HEADERS headers = imageNtHeader(const_cast<unsigned char*>(data));
    if (reinterpret_cast<const unsigned char*>(headers) != data + headersOffset) return;
    relaunchInPair = IsForeignMachine(PeMachine(data, headersOffset), build64);
    if (relaunchInPair) Trace(u"%s is built for the other processor: the launch goes to Pair Product %s",
                              {runtimeLibraryPath, pairProduct});
}

void Launcher::UseExecutableFolderAsWorkingDirectory() {
    WideString modulePath;
    if (!GetModulePath(modulePath)) return;
    const int32_t slash = modulePath.FindLastUnit(u'\\');
    if (slash > 0) SetCurrentDirectoryW(W(modulePath.Left(slash)));
}
