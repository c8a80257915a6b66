#include "launch/launcher.h"
#include "runtime/registry_search.h"
#include "runtime/runtime_paths.h"
#include "runtime/vm_library_lookup.h"
#include "support/handles_win.h"
#include "support/trace.h"
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

// A version bound as a person reads it.
WideString BoundText(const JavaVersion& bound) {
    return Unbounded(bound) ? WideString(u"any") : VersionText(bound);
}

const char16_t* ViewName(bool otherView) {
    return (sizeof(void*) == 8) != otherView ? u"64-bit view" : u"32-bit view";
}

void CollectCandidates(Launcher& launcher, int32_t index, bool otherView,
                       CandidateList& candidates) {
    const RuntimeRegistryKey& registryKey = RuntimeRegistryKeyAt(index);
    const REGSAM view = ViewFlag(otherView);
    const char16_t* viewName = ViewName(otherView);
    UniqueKey key = OpenKey(registryKey.path, view);
    if (!key) {
        Trace(u"registry %s HKLM\\%s: not present", {viewName, registryKey.path});
        return;
    }
    for (DWORD subkey = 0;; ++subkey) {
        wchar_t name[520];
        DWORD nameLength = 520;
        if (RegEnumKeyExW(key.get(), subkey, name, &nameLength, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS)
            break;
        const WideString where = WideString(registryKey.path) + U(name);
        RuntimeCandidate candidate;
        ParseJavaVersion(std::u16string_view(U(name), nameLength), kVersionFillMinimum,
                         candidate.version);
        if (!WithinBounds(candidate.version, launcher.minimumVersion, launcher.maximumVersion)) {
            Trace(u"registry %s HKLM\\%s: passed over, version %s outside Minimum Version %s "
                  u"and Maximum Version %s",
                  {viewName, where, VersionText(candidate.version),
                   BoundText(launcher.minimumVersion), BoundText(launcher.maximumVersion)});
            continue;
        }
        UniqueKey versionKey = OpenKey(where, view);
        if (!versionKey) continue;
        const WideString javaHome = ReadJavaHome(versionKey.get());
        candidate.home = CandidateHome(javaHome, registryKey.developmentKit);
        if (candidate.home.IsEmpty()) {
            Trace(u"registry %s HKLM\\%s: passed over, JavaHome \"%s\" is not a full path",
                  {viewName, where, javaHome});
            continue;
        }
        const int32_t vmType = KeyVmType(index, launcher.jvmType);
        const WideString library = FindVmLibrary(candidate.home, vmType, candidate.server);
        if (library.IsEmpty()) {
            Trace(u"registry %s HKLM\\%s: passed over, no VM library: tried %s",
                  {viewName, where, TriedVmLibraries(candidate.home, vmType)});
            continue;
        }
        // A library that this view's launcher could not load (no file, no image, another
        // machine) must not hide an older runtime that works.
        uint16_t machine = 0;
        if (!ReadVmLibraryMachine(library, machine) ||
            machine != VmMachineOfView(otherView, sizeof(void*) == 8)) {
            Trace(u"registry %s HKLM\\%s: passed over, %s is not a loadable image for this view",
                  {viewName, where, library});
            continue;
        }
        candidate.favoured = KeyFavoured(index, launcher);
        Trace(u"registry %s HKLM\\%s: candidate %s at %s%s",
              {viewName, where, VersionText(candidate.version), candidate.home,
               candidate.favoured ? u" (favoured)" : u""});
        // A candidate that cannot be stored is dropped.
        candidates.Append(std::move(candidate));
    }
}
}  // namespace

bool Launcher::SearchRegistry(bool otherView, WideString& home) {
    if (otherView && pairProduct.IsEmpty()) return false;
    CandidateList candidates;
    for (int32_t index = 0; index < kRuntimeRegistryKeyCount; ++index) {
        if (KeySearched(index, *this)) {
            CollectCandidates(*this, index, otherView, candidates);
        } else {
            Trace(u"registry %s HKLM\\%s: not searched (JVM Source, VM Provider)",
                  {ViewName(otherView), RuntimeRegistryKeyAt(index).path});
        }
    }
    if (candidates.IsEmpty()) return false;
    SortCandidates(candidates, jvmType, anyKindAccepted);
    const int32_t chosenIndex = ChooseCandidate(candidates, preferredVersions);
    if (TraceEnabled()) {
        for (int32_t i = 0; i < candidates.Count(); ++i)
            Trace(u"ranked %d: %s at %s", {i + 1, VersionText(candidates[i].version), candidates[i].home});
        Trace(chosenIndex == 0 && preferredVersions.IsEmpty()
                  ? u"chosen: ranked 1 (no Preferred versions)"
                  : u"chosen: ranked %d (Preferred versions)",
              {chosenIndex + 1});
    }
    const RuntimeCandidate& chosen = candidates[chosenIndex];
    runtimeVersion = chosen.version;
    if (otherView) {
        relaunchInPair = true;
        Trace(u"the chosen runtime is of the other view: the launch goes to Pair Product %s",
              {pairProduct});
    }
    home = chosen.home;
    return true;
}
