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

WideString WithTrailingSeparator(const WideString& folder) {
    // A run of final separators counts as one, so that the library path stays as short as the
    // folder it names.
    int32_t end = folder.Length();
    while (end >= 2 && folder[end - 1] == u'\\' && folder[end - 2] == u'\\') --end;
    if (end > 0 && folder[end - 1] == u'\\') return folder.Left(end);
    return folder.Left(end) + u"\\";
}
