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

bool SearchesModernSources(const WideString& setting) { return !EqualsNoCase(setting, u"classic"); }
