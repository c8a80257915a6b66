#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runtime/java_version.h"
#include "support/wide_string.h"

// "Class Data Sharing=auto": HotSpot keeps the classes an application loads in an archive of its
// own and maps it at the next start. One archive per user, executable and runtime; the launcher
// decides the options, the VM makes and checks the archive.

// What the archive file holds, judged by its first bytes.
enum class ArchiveState {
    Missing,  // no file, or one older than a jar of the class path (the VM would refuse it)
    Usable,   // a dynamic archive's header: the VM checks the rest and falls back if it must
    Broken,   // anything else, such as a write cut short: the VM would neither use nor mend it
};
ArchiveState ArchiveStateOf(const unsigned char* header, size_t size);

// The release number: 8 for "1.8.0_202", 17 for "17.0.2"; 0 when unknown.
int32_t FeatureRelease(const JavaVersion& version);

// The archive's file name: the release and a hash of the VM library's path (without regard to
// case) and version, so that two runtimes, or one runtime updated, never share an archive.
WideString ClassDataArchiveName(const WideString& vmLibraryPath, const JavaVersion& version);

// What the archive needs to know of the class path, gathered while the class path is assembled:
// the latest write time among its jars, and the first entry that is a folder (the VM archives
// jars only, and ends the process when it meets a folder while it writes the archive).
struct ClassPathJars {
    uint64_t newestJar = 0;
    WideString folder;
};

// Removes an archive file, read-only as the VM leaves it; failures are left to the VM to report.
// (class_data_sharing_win.cpp / _native.cpp)
void RemoveArchiveFile(const WideString& path);
