#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/java_version.h"
#include "support/string_list.h"
#include "support/wide_string.h"

class Launcher;

// One registered runtime.
struct RuntimeCandidate {
    JavaVersion version;
    WideString home;  // ends in "\"; a development kit's "jre\" folder
    bool server = false;
    bool favoured = false;
    bool foreign = false;  // an install folder's runtime of the other processor (Pair Product)
};
using CandidateList = List<RuntimeCandidate, 134217727>;

// The vendors' registry keys under HKEY_LOCAL_MACHINE, in search order.
struct RuntimeRegistryKey {
    const char16_t* path;
    bool developmentKit;  // its JavaHome is a kit: the runtime is its "jre\" folder
};
inline constexpr int32_t kRuntimeRegistryKeyCount = 5;
const RuntimeRegistryKey& RuntimeRegistryKeyAt(int32_t index);

// Whether the settings search key `index` (0-based), and whether its candidates are favoured.
bool KeySearched(int32_t index, const Launcher& launcher);
bool KeyFavoured(int32_t index, const Launcher& launcher);
// The same for the keys of current vendors, by their kind: searched with the default vendor
// (JavaSoft), and favoured like JavaSoft's keys of their kind.
bool ModernKeySearched(bool developmentKit, const Launcher& launcher);
bool ModernKeyFavoured(bool developmentKit, const Launcher& launcher);
// The VM type the library lookup uses for key `index`: the Java Runtime Environment key of
// JavaSoft treats "favor_server" as any VM.
int32_t KeyVmType(int32_t index, int32_t jvmType);
// The runtime folder of a "JavaHome" value; empty (the subkey is skipped) when the value is not a
// full path: empty, relative, drive-relative or rooted.
WideString CandidateHome(const WideString& javaHome, bool developmentKit);

// Favoured candidates first (when any kind is accepted), then under "favor_server" server VMs,
// then newer versions; ties keep the order found.
void SortCandidates(CandidateList& candidates, int32_t jvmType, bool anyKindAccepted);
// The index of the candidate the first matching preferred version picks, else 0. The list must
// not be empty.
int32_t ChooseCandidate(const CandidateList& sorted, const StringList& preferredVersions);

// The Java version a runtime's "release" file names (JAVA_VERSION="17.0.9", quoted or not), read
// without starting the runtime; false when the file names none.
bool ReleaseFileVersion(std::string_view content, JavaVersion& version);

// "Runtime Search": "classic" (no-case) searches only the vendors' registry keys of old; anything
// else, or nothing, searches the current vendors' keys, JAVA_HOME and their install folders too.
bool SearchesModernSources(const WideString& setting);
