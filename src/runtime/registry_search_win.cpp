#include "launch/launcher.h"
#include "runtime/home_index.h"
#include "runtime/registry_search.h"
#include "runtime/runtime_paths.h"
#include "runtime/vm_library_lookup.h"
#include "support/handles_win.h"
#include "support/paths.h"
#include "support/text.h"
#include "support/trace.h"
#include "support/wide_win.h"

namespace {
// The other view is the 32-bit one from the 64-bit build and the 64-bit one from the 32-bit build.
REGSAM ViewFlag(bool otherView) {
    if (!otherView) return 0;
    return sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

UniqueKey OpenKey(const WideString& path, REGSAM view, HKEY root = HKEY_LOCAL_MACHINE) {
    UniqueKey key;
    if (RegOpenKeyExW(root, W(path), 0, KEY_READ | view, key.put()) != ERROR_SUCCESS)
        key.release();
    return key;
}

// A string value up to its first zero unit; empty when it is missing, unreadable, empty or not
// a string at all (a number or bytes that happen to spell a folder name no folder).
WideString ReadJavaHome(HKEY key, const wchar_t* name = L"JavaHome") {
    DWORD bytes = 0;
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        bytes == 0 || (type != REG_SZ && type != REG_EXPAND_SZ))
        return WideString();
    // Room for a terminating zero that the stored value may lack.
    WideString text;
    char16_t* buffer = text.Buffer(static_cast<int32_t>(bytes / sizeof(char16_t) + 1));
    DWORD read = bytes;
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &read) !=
        ERROR_SUCCESS)
        return WideString();
    text.TruncateAtZero();
    return text;
}
}  // namespace

bool ReadReleaseVersion(const WideString& folder, JavaVersion& version) {
    UniqueFile file(CreateFileW(W(folder + u"release"), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    char content[16384];
    DWORD read = 0;
    if (!ReadFile(file.get(), content, sizeof content, &read, nullptr)) return false;
    return ReleaseFileVersion(std::string_view(content, read), version);
}

namespace {
// A version bound as a person reads it.
WideString BoundText(const JavaVersion& bound) {
    return Unbounded(bound) ? WideString(u"any") : VersionText(bound);
}

const char16_t* ViewName(bool otherView) {
    return (sizeof(void*) == 8) != otherView ? u"64-bit view" : u"32-bit view";
}

// "Minimum Version" and "Maximum Version" for a registered version; the trace says why not.
bool InsideBounds(const Launcher& launcher, const char16_t* viewName, const char16_t* hive,
                  const WideString& where, const JavaVersion& version) {
    if (WithinBounds(version, launcher.minimumVersion, launcher.maximumVersion)) return true;
    Trace(u"registry %s %s%s: passed over, version %s outside Minimum Version %s and Maximum "
          u"Version %s",
          {viewName, hive, where, VersionText(version), BoundText(launcher.minimumVersion),
           BoundText(launcher.maximumVersion)});
    return false;
}

// The VM library of a registered home when this view's launcher could load it: a library that
// is no file, no image or of another machine must not hide an older runtime that works. Traces
// the verdict for `where` (hive and key).
bool LoadableLibrary(const char16_t* viewName, const WideString& where, const WideString& home,
                     int32_t vmType, bool otherView, bool& server) {
    const WideString library = FindVmLibrary(home, vmType, server);
    if (library.IsEmpty()) {
        Trace(u"registry %s %s: passed over, no VM library: tried %s",
              {viewName, where, TriedVmLibraries(home, vmType)});
        return false;
    }
    uint16_t machine = 0;
    if (!ReadVmLibraryMachine(library, machine) ||
        machine != VmMachineOfView(otherView, sizeof(void*) == 8)) {
        Trace(u"registry %s %s: passed over, %s is not a loadable image for this view",
              {viewName, where, library});
        return false;
    }
    return true;
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
        if (!InsideBounds(launcher, viewName, u"HKLM\\", where, candidate.version)) continue;
        UniqueKey versionKey = OpenKey(where, view);
        if (!versionKey) continue;
        const WideString javaHome = ReadJavaHome(versionKey.get());
        candidate.home = CandidateHome(javaHome, registryKey.developmentKit);
        if (candidate.home.IsEmpty()) {
            Trace(u"registry %s HKLM\\%s: passed over, JavaHome \"%s\" is not a full path",
                  {viewName, where, javaHome});
            continue;
        }
        if (!LoadableLibrary(viewName, u"HKLM\\" + where, candidate.home,
                             KeyVmType(index, launcher.jvmType), otherView, candidate.server))
            continue;
        candidate.favoured = KeyFavoured(index, launcher);
        Trace(u"registry %s HKLM\\%s: candidate %s at %s%s",
              {viewName, where, VersionText(candidate.version), candidate.home,
               candidate.favoured ? u" (favoured)" : u""});
        // A candidate that cannot be stored is dropped.
        candidates.Append(std::move(candidate));
    }
}
// Subkey names of a key, in listing order.
void SubkeyNames(HKEY key, StringList& names) {
    for (DWORD index = 0;; ++index) {
        wchar_t name[520];
        DWORD length = 520;
        if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            return;
        if (!names.Append(WideString(U(name), static_cast<int32_t>(length)))) return;
    }
}

// One entry of a current vendor's key, named `name`, whose home value reads `value`. Its homes
// hold bin\server\jvm.dll directly.
struct CurrentEntry {
    const CurrentRegistryKey& key;
    const WideString& name;
    bool developmentKit;
};

void ConsiderCurrentEntry(Launcher& launcher, const WideString& where, const CurrentEntry& entry,
                          const WideString& value, bool otherView, CandidateList& candidates,
                          HomeIndex& homes) {
    const char16_t* viewName = ViewName(otherView);
    RuntimeCandidate candidate;
    candidate.home = CandidateHome(value, false);
    if (candidate.home.IsEmpty()) {
        Trace(u"registry %s %s: passed over, home \"%s\" is not a full path", {viewName, where, value});
        return;
    }
    if (CurrentEntryWantsRelease(entry.key, entry.name)) {
        JavaVersion release;
        const bool read = ReadReleaseVersion(candidate.home, release);
        candidate.version = CurrentEntryVersion(entry.key, entry.name, read ? &release : nullptr);
        Trace(read ? u"registry %s %s: version %s from %srelease"
                   : u"registry %s %s: version %s from the key's name, %srelease names none",
              {viewName, where, VersionText(candidate.version), candidate.home});
    } else {
        candidate.version = CurrentEntryVersion(entry.key, entry.name, nullptr);
    }
    if (!InsideBounds(launcher, viewName, u"", where, candidate.version)) return;
    const int32_t duplicate = homes.Find(candidates, candidate.home, SamePath);
    if (duplicate >= 0) {
        Trace(u"registry %s %s: passed over, duplicate of %s",
              {viewName, where, candidates[duplicate].home});
        return;
    }
    if (!LoadableLibrary(viewName, where, candidate.home, launcher.jvmType, otherView,
                         candidate.server))
        return;
    candidate.favoured = ModernKeyFavoured(entry.developmentKit, launcher);
    Trace(u"registry %s %s: candidate %s at %s%s",
          {viewName, where, VersionText(candidate.version), candidate.home,
           candidate.favoured ? u" (favoured)" : u""});
    candidates.Append(std::move(candidate));
}

void CollectCurrentCandidates(Launcher& launcher, bool otherView, CandidateList& candidates) {
    const REGSAM view = ViewFlag(otherView);
    const char16_t* viewName = ViewName(otherView);
    if (!launcher.sunAccepted && !launcher.sunFavored) {
        Trace(u"registry %s current vendors' keys: not searched (VM Provider)", {viewName});
        return;
    }
    const bool view32 = (sizeof(void*) == 8) == otherView;
    HomeIndex homes;
    const struct {
        HKEY root;
        const char16_t* name;
    } roots[] = {{HKEY_LOCAL_MACHINE, u"HKLM"}, {HKEY_CURRENT_USER, u"HKCU"}};
    for (const auto& root : roots) {
        for (int32_t index = 0; index < kCurrentRegistryKeyCount; ++index) {
            const CurrentRegistryKey& current = CurrentRegistryKeyAt(index);
            if (current.only32BitView && !view32) continue;
            UniqueKey key = OpenKey(current.path, view, root.root);
            if (!key) continue;
            StringList names;
            SubkeyNames(key.get(), names);
            for (const WideString& name : names) {
                const WideString where = WideString(root.name) + u"\\" + current.path + name;
                const CurrentEntry entry{current, name, CurrentEntryIsKit(current, name)};
                if (!ModernKeySearched(entry.developmentKit, launcher)) {
                    Trace(u"registry %s %s: passed over, JVM Source does not accept a %s",
                          {viewName, where,
                           entry.developmentKit ? u"development kit" : u"runtime environment"});
                    continue;
                }
                const WideString path = WideString(current.path) + name;
                UniqueKey entryKey = OpenKey(path, view, root.root);
                if (!entryKey) continue;
                if (current.layout != EntryLayout::kMsi) {
                    const wchar_t* value =
                        current.layout == EntryLayout::kJavaHome ? L"JavaHome" : L"InstallationPath";
                    ConsiderCurrentEntry(launcher, where, entry, ReadJavaHome(entryKey.get(), value),
                                         otherView, candidates, homes);
                    continue;
                }
                // <version>\<VM>\MSI; the AdoptOpenJDK installers before 2019 wrote <version>\MSI.
                StringList machines;
                SubkeyNames(entryKey.get(), machines);
                for (const WideString& vm : machines) {
                    const WideString below = EqualsNoCase(vm, u"MSI") ? vm : vm + u"\\MSI";
                    UniqueKey msi = OpenKey(path + u"\\" + below, view, root.root);
                    if (!msi) continue;
                    ConsiderCurrentEntry(launcher, where + u"\\" + below, entry,
                                         ReadJavaHome(msi.get(), L"Path"), otherView, candidates,
                                         homes);
                }
            }
        }
    }
}
}  // namespace

bool Launcher::SearchRegistry(bool otherView, bool classicKeys, bool currentKeys,
                              WideString& home) {
    if (otherView && pairProduct.IsEmpty()) return false;
    CandidateList candidates;
    for (int32_t index = 0; classicKeys && index < kRuntimeRegistryKeyCount; ++index) {
        if (KeySearched(index, *this)) {
            CollectCandidates(*this, index, otherView, candidates);
        } else {
            Trace(u"registry %s HKLM\\%s: not searched (JVM Source, VM Provider)",
                  {ViewName(otherView), RuntimeRegistryKeyAt(index).path});
        }
    }
    if (currentKeys) CollectCurrentCandidates(*this, otherView, candidates);
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
