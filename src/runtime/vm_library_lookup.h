#pragma once

#include <cstdint>
#include <vector>

#include "support/wide_string.h"

// The VM library sub-paths of a runtime folder, in the order they are tried for a VM type
// (0 any VM, 1 server VM required, 2 server VM preferred).
struct VmLibraryCandidate {
    const char16_t* subPath;
    bool server;
};
std::vector<VmLibraryCandidate> VmLibraryCandidates(int32_t vmType);

// The first candidate under folder (which ends in "\") that exists; empty when none does.
// server is set for the server VM and left alone otherwise. (vm_library_lookup_win.cpp)
WideString FindVmLibrary(const WideString& folder, int32_t vmType, bool& server);

// The paths FindVmLibrary tries, joined by ", " (for the trace).
WideString TriedVmLibraries(const WideString& folder, int32_t vmType);

// The machine field of a VM library's PE headers, read from the file's first page only; false
// when the path names no file or the file holds no PE image. (vm_library_lookup_win.cpp)
bool ReadVmLibraryMachine(const WideString& path, uint16_t& machine);
