#include "runtime/vm_library_lookup.h"

namespace {
constexpr VmLibraryCandidate kServer{u"bin\\server\\jvm.dll", true};
constexpr VmLibraryCandidate kClient{u"bin\\client\\jvm.dll", false};
constexpr VmLibraryCandidate kClassic{u"bin\\classic\\jvm.dll", false};
constexpr VmLibraryCandidate kHotspot{u"bin\\hotspot\\jvm.dll", false};
constexpr VmLibraryCandidate kJrockit{u"bin\\jrockit\\jvm.dll", false};
}  // namespace

std::vector<VmLibraryCandidate> VmLibraryCandidates(int32_t vmType) {
    if (vmType == 1) return {kServer};
    // Without a server preference the client VM comes before the server VM.
    std::vector<VmLibraryCandidate> candidates = {kClient, kClassic, kHotspot, kServer, kJrockit};
    if (vmType == 2) candidates.insert(candidates.begin(), kServer);
    return candidates;
}

WideString TriedVmLibraries(const WideString& folder, int32_t vmType) {
    WideString tried;
    for (const VmLibraryCandidate& candidate : VmLibraryCandidates(vmType)) {
        if (!tried.IsEmpty()) tried.Append(u", ");
        tried.Append(folder).Append(candidate.subPath);
    }
    return tried;
}
