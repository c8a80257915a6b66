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
// The same for a runtime of the current vendors (their registry keys, JAVA_HOME, the install
// folders), by its kind: every current vendor counts as the default vendor (JavaSoft), and its
// runtimes are favoured like JavaSoft's of their kind.
bool ModernKeySearched(bool developmentKit, const Launcher& launcher);
bool ModernKeyFavoured(bool developmentKit, const Launcher& launcher);

// The keys that current installers write, searched per machine and then per user.
enum class EntryLayout : uint8_t {
    kJavaHome,          // <version> holds the home as "JavaHome"
    kMsi,               // <version>\<VM>\MSI holds it as "Path" (also <version>\MSI, without the VM)
    kInstallationPath,  // <name> (zulu-17, jdk-17-jre) holds it as "InstallationPath"
};
enum class EntryKind : uint8_t { kDevelopmentKit, kRuntime, kByName };
struct CurrentRegistryKey {
    const char16_t* path;
    EntryLayout layout;
    EntryKind kind;
    bool only32BitView;      // written by 32-bit installs, in the 32-bit view only
    bool encodedFourthPart;  // the name's fourth part is the installer's code, no version part
};
inline constexpr int32_t kCurrentRegistryKeyCount = 16;
const CurrentRegistryKey& CurrentRegistryKeyAt(int32_t index);
// Whether entry `name` of a key is a development kit: by the key, or by the name ("jre" in it
// names a runtime environment).
bool CurrentEntryIsKit(const CurrentRegistryKey& key, std::u16string_view name);
// Whether the version of entry `name` is to come from its runtime's "release" file: its name
// carries only a major version (17, zulu-17, jdk-17) or an encoded fourth part.
bool CurrentEntryWantsRelease(const CurrentRegistryKey& key, std::u16string_view name);
// The version of entry `name`: the release file's when it was wanted and read, else the name's
// (an encoded fourth part left out).
JavaVersion CurrentEntryVersion(const CurrentRegistryKey& key, std::u16string_view name,
                                const JavaVersion* release);

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
// The version the "release" file of a runtime folder (ending in "\") names; false when there is
// no readable one. (registry_search_win.cpp)
bool ReadReleaseVersion(const WideString& folder, JavaVersion& version);

// "Runtime Search", no-case: "classic" searches only the vendors' registry keys of old;
// "together" ranks the current vendors' keys with them, view by view; anything else, or nothing,
// takes a runtime of the keys of old first and looks at the current vendors' keys, JAVA_HOME and
// the install folders only when those give none.
enum class RuntimeSearch : uint8_t { kClassicFirst, kClassicOnly, kTogether };
RuntimeSearch RuntimeSearchSetting(const WideString& setting);

// The environment variables that name where programs are installed; empty when unset.
struct ProgramFolderEnvironment {
    WideString programFiles;     // "ProgramFiles"
    WideString programFilesX86;  // "ProgramFiles(x86)"
    WideString programW6432;     // "ProgramW6432"
    WideString localAppData;     // "LOCALAPPDATA"
};
// The vendors' install folders (each ending in "\") that hold runtimes of this build's processor,
// and those that hold the twin's. "ProgramFiles" names the own program folder for either build on
// either kind of Windows (a 32-bit process on 64-bit Windows sees "Program Files (x86)" there);
// the twin's is "ProgramFiles(x86)" for the 64-bit build and "ProgramW6432" for the 32-bit one,
// which 32-bit Windows does not have. Values that are no full path name no folder.
void InstallFolderBases(bool build64, const ProgramFolderEnvironment& environment, StringList& own,
                        StringList& twin);
