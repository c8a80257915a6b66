#include "runtime/vm_library_lookup.h"
#include "runtime/runtime_paths.h"
#include "support/handles_win.h"
#include "support/paths.h"
#include "support/wide_win.h"

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

bool ReadVmLibraryMachine(const WideString& path, uint16_t& machine) {
    // A folder cannot be opened this way, so a folder named jvm.dll fails here as it should.
    UniqueFile file(CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    // Every linker puts the PE headers within the first page.
    unsigned char page[4096];
    DWORD read = 0;
    if (!ReadFile(file.get(), page, sizeof page, &read, nullptr)) return false;
    size_t headersOffset = 0;
    if (!LocatePeHeaders(page, read, headersOffset)) return false;
    machine = PeMachine(page, headersOffset);
    return true;
}
