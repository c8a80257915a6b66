#include "runtime/vm_library_lookup.h"
#include "support/paths.h"

WideString FindVmLibrary(const WideString& folder, int32_t vmType, bool& server) {
    for (const VmLibraryCandidate& candidate : VmLibraryCandidates(vmType)) {
        const WideString path = folder + candidate.subPath;
        if (PathExists(path)) {
            if (candidate.server) server = true;
            return path;
        }
    }
    return WideString();
}
