#include <windows.h>

#include "config/configuration_paths.h"
#include "launch/launcher.h"
#include "runtime/registry_search.h"
#include "runtime/runtime_paths.h"
#include "support/environment.h"
#include "support/file_finder_win.h"
#include "support/handles_win.h"
#include "support/paths.h"
#include "support/trace.h"
#include "support/wide_win.h"
#include "vmhost/class_data_sharing.h"

namespace {
// Older than a jar of the class path, the VM would refuse the archive: it counts as missing.
ArchiveState InspectArchive(const WideString& path, uint64_t newestJar) {
    UniqueFile file(CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? ArchiveState::Missing
                   : ArchiveState::Broken;
    }
    FILETIME written;
    if (GetFileTime(file.get(), nullptr, nullptr, &written) && FileTimeTicks(written) < newestJar)
        return ArchiveState::Missing;
    unsigned char header[4] = {};
    DWORD read = 0;
    if (!ReadFile(file.get(), header, sizeof header, &read, nullptr)) return ArchiveState::Broken;
    return read == 0 ? ArchiveState::Broken : ArchiveStateOf(header, read);
}
}  // namespace

void RemoveArchiveFile(const WideString& path) {
    SetFileAttributesW(W(path), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(W(path));
}

void Launcher::PlanClassDataSharing(const ClassPathJars& jars) {
    if (!jars.folder.IsEmpty()) {
        Trace(
            u"class data sharing: off, class path entry %s is a folder (the VM archives jars only)",
            {jars.folder});
        return;
    }
    // HotSpot keeps its own archive of the runtime's classes beside the VM library; without it
    // (another VM, a runtime made without one) there is nothing to add the application's to.
    const WideString baseArchive = StripComponents(runtimeLibraryPath, 1) + u"\\classes.jsa";
    if (!FileExists(baseArchive)) {
        Trace(u"class data sharing: off, no %s (not HotSpot, or a runtime without one)",
              {baseArchive});
        return;
    }
    if (runtimeVersion.major == 0)
        ReadReleaseVersion(RuntimeHome(runtimeLibraryPath), runtimeVersion);
    WideString local;
    WideString modulePath;
    if (!ReadEnvironmentVariable(u"LOCALAPPDATA", local) || !IsFullyQualifiedPath(local) ||
        !GetModulePath(modulePath)) {
        Trace(u"class data sharing: off, LOCALAPPDATA is no full path");
        return;
    }
    const WideString folder =
        WithTrailingSeparator(local) + BaseNameOf(modulePath) + u"\\Class Data";
    const WideString name = ClassDataArchiveName(runtimeLibraryPath, runtimeVersion);
    const WideString archive = folder + u"\\" + name;
    if (const uint32_t error = CreateParentFolders(archive)) {
        Trace(u"class data sharing: off, %s cannot be made (error %d)",
              {folder, static_cast<int32_t>(error)});
        return;
    }
    // One process at a time may write the archive: the one holding this mutex, to its end.
    classDataWriter.reset(CreateMutexW(
        nullptr, FALSE, W(u"Local\\Quorvane class data " + BaseNameOf(modulePath) + u" " + name)));
    const DWORD wait =
        classDataWriter ? WaitForSingleObject(classDataWriter.get(), 0) : WAIT_FAILED;
    const bool mayWrite = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    if (mayWrite) {
        // The VM ends the process when it cannot write the archive at exit.
        const UniqueFile probe(
            CreateFileW(W(folder + u"\\write-check.tmp"), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (!probe) {
            Trace(u"class data sharing: off, %s cannot be written (error %d)",
                  {folder, static_cast<int32_t>(GetLastError())});
            return;
        }
    }
    AddClassDataSharingOptions(NarrowSafePath(folder) + u"\\" + name,
                               InspectArchive(archive, jars.newestJar), mayWrite);
}
