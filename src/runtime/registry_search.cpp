#include "runtime/registry_search.h"

#include <cstdlib>
#include <utility>

#include "launch/launcher.h"
#include "runtime/vm_library_lookup.h"
#include "support/paths.h"
#include "support/fatal.h"
#include "support/text.h"

namespace {
constexpr RuntimeRegistryKey kKeys[kRuntimeRegistryKeyCount] = {
    {u"Software\\JavaSoft\\Java Development Kit\\", true},
    {u"Software\\JavaSoft\\Java Runtime Environment\\", false},
    {u"Software\\JRockit\\Java Runtime Environment\\", false},
    {u"Software\\JRockit\\Java Development Kit\\", true},
    {u"Software\\IBM\\Java2 Runtime Environment\\", false},
};

bool KindAccepted(int32_t index, const Launcher& l) {
    return l.anyKindAccepted || (kKeys[index].developmentKit ? l.jdkWanted : l.jreWanted);
}

bool KindWanted(int32_t index, const Launcher& l) {
    return kKeys[index].developmentKit ? l.jdkWanted : l.jreWanted;
}

// Keys 1 and 2 are Sun's, 3 and 4 JRockit's, 5 IBM's.
bool VendorAccepted(int32_t index, const Launcher& l) {
    if (index <= 1) return l.sunAccepted || l.sunFavored;
    if (index <= 3) return l.jrockitAccepted || l.jrockitFavored;
    return l.ibmAccepted || l.ibmFavored;
}

bool VendorFavoured(int32_t index, const Launcher& l) {
    if (index <= 1) return l.sunFavored;
    if (index <= 3) return l.jrockitFavored;
    return l.ibmFavored;
}

bool SecondComesFirst(const RuntimeCandidate& a, const RuntimeCandidate& b, int32_t jvmType,
                      bool anyKindAccepted) {
    if (anyKindAccepted && a.favoured != b.favoured) return b.favoured;
    if (jvmType == 2 && a.server != b.server) return b.server;
    return Older(a.version, b.version);
}
}  // namespace

const RuntimeRegistryKey& RuntimeRegistryKeyAt(int32_t index) {
    if (index < 0 || index >= kRuntimeRegistryKeyCount) FatalInvalidArgument();
    return kKeys[index];
}

bool KeySearched(int32_t index, const Launcher& launcher) {
    return KindAccepted(index, launcher) && VendorAccepted(index, launcher);
}

bool KeyFavoured(int32_t index, const Launcher& launcher) {
    return KindWanted(index, launcher) && VendorFavoured(index, launcher);
}

bool ModernKeySearched(bool developmentKit, const Launcher& l) {
    const bool kindAccepted = l.anyKindAccepted || (developmentKit ? l.jdkWanted : l.jreWanted);
    return kindAccepted && (l.sunAccepted || l.sunFavored);
}

bool ModernKeyFavoured(bool developmentKit, const Launcher& l) {
    return (developmentKit ? l.jdkWanted : l.jreWanted) && l.sunFavored;
}

namespace {
constexpr CurrentRegistryKey kCurrentKeys[kCurrentRegistryKeyCount] = {
    {u"Software\\JavaSoft\\JDK\\", EntryLayout::kJavaHome, EntryKind::kDevelopmentKit, false, false},
    {u"Software\\JavaSoft\\JRE\\", EntryLayout::kJavaHome, EntryKind::kRuntime, false, false},
    {u"Software\\Eclipse Adoptium\\JDK\\", EntryLayout::kMsi, EntryKind::kDevelopmentKit, false, false},
    {u"Software\\Eclipse Adoptium\\JRE\\", EntryLayout::kMsi, EntryKind::kRuntime, false, false},
    {u"Software\\Eclipse Foundation\\JDK\\", EntryLayout::kMsi, EntryKind::kDevelopmentKit, false, false},
    {u"Software\\Eclipse Foundation\\JRE\\", EntryLayout::kMsi, EntryKind::kRuntime, false, false},
    {u"Software\\AdoptOpenJDK\\JDK\\", EntryLayout::kMsi, EntryKind::kDevelopmentKit, false, false},
    {u"Software\\AdoptOpenJDK\\JRE\\", EntryLayout::kMsi, EntryKind::kRuntime, false, false},
    {u"Software\\Microsoft\\JDK\\", EntryLayout::kMsi, EntryKind::kDevelopmentKit, false, false},
    {u"Software\\Semeru\\JDK\\", EntryLayout::kMsi, EntryKind::kDevelopmentKit, false, false},
    {u"Software\\Semeru\\JRE\\", EntryLayout::kMsi, EntryKind::kRuntime, false, false},
    {u"Software\\SapMachine\\JDK\\", EntryLayout::kJavaHome, EntryKind::kDevelopmentKit, false, true},
    {u"Software\\SapMachine\\JRE\\", EntryLayout::kJavaHome, EntryKind::kRuntime, false, true},
    {u"Software\\Azul Systems\\Zulu\\", EntryLayout::kInstallationPath, EntryKind::kByName, false, false},
    {u"Software\\Azul Systems\\Zulu 32-bit\\", EntryLayout::kInstallationPath, EntryKind::kByName, true, false},
    {u"Software\\BellSoft\\Liberica\\", EntryLayout::kInstallationPath, EntryKind::kByName, false, false},
};

// The runs of digits in a name.
int32_t DigitGroups(std::u16string_view name) {
    int32_t groups = 0;
    bool inGroup = false;
    for (char16_t unit : name) {
        const bool digit = unit >= u'0' && unit <= u'9';
        if (digit && !inGroup) ++groups;
        inGroup = digit;
    }
    return groups;
}
}  // namespace

const CurrentRegistryKey& CurrentRegistryKeyAt(int32_t index) {
    if (index < 0 || index >= kCurrentRegistryKeyCount) FatalInvalidArgument();
    return kCurrentKeys[index];
}

bool CurrentEntryIsKit(const CurrentRegistryKey& key, std::u16string_view name) {
    if (key.kind != EntryKind::kByName) return key.kind == EntryKind::kDevelopmentKit;
    // zulu-17-jre and jre-17 are runtime environments; zulu-17 and jdk-17 kits.
    for (size_t i = 0; i + 3 <= name.size(); ++i) {
        if (EqualsNoCase(name.substr(i, 3), u"jre")) return false;
    }
    return true;
}

bool CurrentEntryWantsRelease(const CurrentRegistryKey& key, std::u16string_view name) {
    return key.encodedFourthPart || DigitGroups(name) == 1;
}

JavaVersion CurrentEntryVersion(const CurrentRegistryKey& key, std::u16string_view name,
                                const JavaVersion* release) {
    if (release && CurrentEntryWantsRelease(key, name)) return *release;
    JavaVersion version;
    ParseJavaVersion(name, kVersionFillMinimum, version);
    // SapMachine's installer packs more than the update into its fourth part (11.0.20.256).
    if (key.encodedFourthPart) version.update = 0;
    return version;
}

int32_t KeyVmType(int32_t index, int32_t jvmType) {
    return (index == 1 && jvmType == 2) ? 0 : jvmType;
}

WideString CandidateHome(const WideString& javaHome, bool developmentKit) {
    // A relative home would be taken from whatever folder the user started in.
    if (!IsFullyQualifiedPath(javaHome)) return WideString();
    WideString home = WithTrailingSeparator(javaHome);
    if (developmentKit) home.Append(u"jre\\");
    return home;
}

void SortCandidates(CandidateList& candidates, int32_t jvmType, bool anyKindAccepted) {
    // The three rules form one order (favoured first, then server first, then newer first), so a
    // stable sort gives exactly what passes over neighbours would, ties staying in the order
    // found, in n log n instead of n squared. A bottom-up merge sort of positions, then the
    // candidates moved once into their places.
    const int32_t count = candidates.Count();
    if (count < 2) return;
    auto* order = static_cast<int32_t*>(std::malloc(sizeof(int32_t) * 2 * size_t(count)));
    if (!order) FatalOutOfMemory();
    int32_t* from = order;
    int32_t* to = order + count;
    for (int32_t i = 0; i < count; ++i) from[i] = i;
    for (int32_t width = 1; width < count; width *= 2) {
        for (int32_t left = 0; left < count; left += 2 * width) {
            const int32_t middle = left + width < count ? left + width : count;
            const int32_t right = middle + width < count ? middle + width : count;
            int32_t a = left;
            int32_t b = middle;
            for (int32_t out = left; out < right; ++out) {
                // The right run's head goes first only when it strictly comes first.
                const bool takeRight = b < right && (a == middle ||
                                                     SecondComesFirst(candidates[from[a]],
                                                                      candidates[from[b]], jvmType,
                                                                      anyKindAccepted));
                to[out] = takeRight ? from[b++] : from[a++];
            }
        }
        std::swap(from, to);
    }
    CandidateList sorted;
    for (int32_t i = 0; i < count; ++i) {
        if (!sorted.Append(std::move(candidates[from[i]]))) FatalOutOfMemory();
    }
    std::free(order);
    candidates = std::move(sorted);
}

namespace {
bool HasDigit(std::u16string_view text) {
    for (char16_t unit : text) {
        if (unit >= u'0' && unit <= u'9') return true;
    }
    return false;
}
}  // namespace

int32_t ChooseCandidate(const CandidateList& sorted, const StringList& preferredVersions) {
    for (const WideString& entry : preferredVersions) {
        JavaVersion wanted;
        // An entry with digits that do not read as a version (a part past 2^31) names no
        // runtime; only an entry without digits matches every one.
        if (!ParseJavaVersion(entry, kVersionFillMinimum, wanted) && HasDigit(entry)) continue;
        for (int32_t i = 0; i < sorted.Count(); ++i) {
            if (Matches(sorted[i].version, wanted)) return i;
        }
    }
    return 0;
}

bool ReleaseFileVersion(std::string_view content, JavaVersion& version) {
    constexpr std::string_view kKey = "JAVA_VERSION=";
    size_t line = 0;
    while (line < content.size()) {
        size_t end = content.find('\n', line);
        if (end == std::string_view::npos) end = content.size();
        std::string_view text = content.substr(line, end - line);
        if (text.substr(0, kKey.size()) == kKey) {
            text.remove_prefix(kKey.size());
            while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.remove_suffix(1);
            if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
                text = text.substr(1, text.size() - 2);
            const WideString value = FromNarrow(text);
            return ParseJavaVersion(value, kVersionFillMinimum, version);
        }
        line = end + 1;
    }
    return false;
}

RuntimeSearch RuntimeSearchSetting(const WideString& setting) {
    if (EqualsNoCase(setting, u"classic")) return RuntimeSearch::kClassicOnly;
    if (EqualsNoCase(setting, u"together")) return RuntimeSearch::kTogether;
    return RuntimeSearch::kClassicFirst;
}

namespace {
constexpr const char16_t* kVendorFolders[] = {u"Java",     u"Eclipse Adoptium", u"Microsoft",
                                              u"Zulu",     u"BellSoft",         u"Amazon Corretto",
                                              u"SapMachine\\JDK", u"Semeru"};

void AppendVendorFolders(const WideString& programFolder, StringList& bases) {
    if (!IsFullyQualifiedPath(programFolder)) return;
    for (const char16_t* vendor : kVendorFolders)
        bases.Append(WithTrailingSeparator(programFolder) + vendor + u"\\");
}
}  // namespace

void InstallFolderBases(bool build64, const ProgramFolderEnvironment& environment, StringList& own,
                        StringList& twin) {
    AppendVendorFolders(environment.programFiles, own);
    // Per-user Temurin installs; the machine of what lies there decides whose it is.
    if (IsFullyQualifiedPath(environment.localAppData))
        own.Append(WithTrailingSeparator(environment.localAppData) + u"Programs\\Eclipse Adoptium\\");
    const WideString& other = build64 ? environment.programFilesX86 : environment.programW6432;
    // Where both name one folder its runtimes are already looked at as the own ones (a folder
    // named twice in other letters is still one: its runtimes are duplicates then).
    if (!EqualsNoCase(WithTrailingSeparator(other), WithTrailingSeparator(environment.programFiles)))
        AppendVendorFolders(other, twin);
}
