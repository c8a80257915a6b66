#include "runtime/registry_search.h"

#include <utility>

#include "launch/launcher.h"
#include "runtime/vm_library_lookup.h"
#include "support/paths.h"
#include "support/fatal.h"

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
    // Passes over neighbours, as many as there are candidates: a stable exchange sort.
    for (int32_t pass = 0; pass < candidates.Count(); ++pass) {
        for (int32_t i = 0; i + 1 < candidates.Count(); ++i) {
            if (SecondComesFirst(candidates[i], candidates[i + 1], jvmType, anyKindAccepted))
                std::swap(candidates[i], candidates[i + 1]);
        }
    }
}

int32_t ChooseCandidate(const CandidateList& sorted, const StringList& preferredVersions) {
    for (const WideString& entry : preferredVersions) {
        JavaVersion wanted;
        ParseJavaVersion(entry, kVersionFillMinimum, wanted);
        for (int32_t i = 0; i < sorted.Count(); ++i) {
            if (Matches(sorted[i].version, wanted)) return i;
        }
    }
    return 0;
}
