#include "launch/launcher.h"
#include "runtime/registry_search.h"
#include "runtime/runtime_paths.h"
#include "runtime/vm_library_lookup.h"
#include "support/handles_win.h"
#include "support/wide_win.h"

namespace {
// The other view is the 32-bit one from the 64-bit build and the 64-bit one from the 32-bit build.
REGSAM ViewFlag(bool otherView) {
    if (!otherView) return 0;
    return sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

UniqueKey OpenKey(const WideString& path, REGSAM view) {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, W(path), 0, KEY_READ | view, key.put()) != ERROR_SUCCESS)
        key.reset();
    return key;
}

// "JavaHome" up to its first zero unit; empty when it is missing, unreadable or empty.
WideString ReadJavaHome(HKEY key) {
    DWORD bytes = 0;
    if (RegQueryValueExW(key, L"JavaHome", nullptr, nullptr, nullptr, &bytes) != ERROR_SUCCESS ||
        bytes == 0)
        return WideString();
    // Room for a terminating zero that the stored value may lack.
    WideString text;
    char16_t* buffer = text.Buffer(static_cast<int32_t>(bytes / sizeof(char16_t) + 1));
    DWORD read = bytes;
    if (RegQueryValueExW(key, L"JavaHome", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                         &read) != ERROR_SUCCESS)
        return WideString();
    text.TruncateAtZero();
    return text;
}

void CollectCandidates(Launcher& launcher, int32_t index, bool otherView,
                       CandidateList& candidates) {
    const RuntimeRegistryKey& registryKey = RuntimeRegistryKeyAt(index);
    const REGSAM view = ViewFlag(otherView);
    UniqueKey key = OpenKey(registryKey.path, view);
    if (!key) return;
    for (DWORD subkey = 0;; ++subkey) {
        wchar_t name[520];
        DWORD nameLength = 520;
        if (RegEnumKeyExW(key.get(), subkey, name, &nameLength, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS)
            break;
        RuntimeCandidate candidate;
        ParseJavaVersion(std::u16string_view(U(name), nameLength), kVersionFillMinimum,
                         candidate.version);
        if (!WithinBounds(candidate.version, launcher.minimumVersion, launcher.maximumVersion))
            continue;
        UniqueKey versionKey = OpenKey(WideString(registryKey.path) + U(name), view);
        if (!versionKey) continue;
        candidate.home = CandidateHome(ReadJavaHome(versionKey.get()), registryKey.developmentKit);
        if (candidate.home.IsEmpty()) continue;
        const WideString library =
            FindVmLibrary(candidate.home, KeyVmType(index, launcher.jvmType), candidate.server);
        // A library that this view's launcher could not load (no file, no image, another
        // machine) must not hide an older runtime that works.
        uint16_t machine = 0;
        if (library.IsEmpty() || !ReadVmLibraryMachine(library, machine) ||
            machine != VmMachineOfView(otherView, sizeof(void*) == 8))
            continue;
        candidate.favoured = KeyFavoured(index, launcher);
        // A candidate that cannot be stored is dropped.
        candidates.Append(std::move(candidate));
    }
}
}  // namespace

bool Launcher::SearchRegistry(bool otherView, WideString& home) {
    if (otherView && pairProduct.IsEmpty()) return false;
    CandidateList candidates;
    for (int32_t index = 0; index < kRuntimeRegistryKeyCount; ++index) {
        if (KeySearched(index, *this)) CollectCandidates(*this, index, otherView, candidates);
    }
    if (candidates.IsEmpty()) return false;
    SortCandidates(candidates, jvmType, anyKindAccepted);
    const RuntimeCandidate& chosen = candidates[ChooseCandidate(candidates, preferredVersions)];
    runtimeVersion = chosen.version;
    if (otherView) relaunchInPair = true;
    home = chosen.home;
    return true;
}
