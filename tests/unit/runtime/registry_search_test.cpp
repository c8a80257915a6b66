#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/wide_printer.h"
#include "config/settings.h"
#include "launch/launcher.h"
#include "runtime/home_index.h"
#include "runtime/registry_search.h"
#include "support/text.h"

namespace {
RuntimeCandidate Candidate(const char16_t* home, const char16_t* version, bool server = false,
                           bool favoured = true) {
    RuntimeCandidate candidate;
    ParseJavaVersion(version, kVersionFillMinimum, candidate.version);
    candidate.home = home;
    candidate.server = server;
    candidate.favoured = favoured;
    return candidate;
}
}  // namespace

// Favoured first (when any kind is accepted), then server VMs (favor_server), then newer versions;
// ties keep the order found, also where they meet across the merge's runs.
TEST(RegistrySearch, SortOrder) {
    // The plain order (newest first, whatever is favoured) is chosen end to end.
    const std::vector<RuntimeCandidate> mixed = {
        Candidate(u"a", u"1.7", true, false), Candidate(u"b", u"1.8.0_60"),
        Candidate(u"c", u"1.8"), Candidate(u"d", u"1.6", true)};
    const struct Case {
        int32_t jvmType;
        bool anyKind;
        std::vector<RuntimeCandidate> found;
        std::u16string order;
    } cases[] = {
        {2, true, mixed, u"dbca"},
        {0, true,
         {Candidate(u"a", u"1.8"), Candidate(u"b", u"1.7"), Candidate(u"c", u"1.8"),
          Candidate(u"d", u"1.8"), Candidate(u"e", u"1.6"), Candidate(u"f", u"1.8"),
          Candidate(u"g", u"1.7")},
         u"acdfbge"},
    };
    for (const Case& c : cases) {
        CandidateList list;
        for (const RuntimeCandidate& candidate : c.found) list.Append(RuntimeCandidate(candidate));
        SortCandidates(list, c.jvmType, c.anyKind);
        std::u16string order;
        for (const RuntimeCandidate& candidate : list) order += candidate.home.Std();
        EXPECT_EQ(order, c.order) << testing::PrintToString(WideString(c.order));
    }
}

TEST(RegistrySearch, PreferredVersionsChoose) {
    CandidateList list;  // as sorted: newest first
    for (const char16_t* version : {u"1.8", u"1.7.0_80", u"1.6.0_45"})
        list.Append(Candidate(version, version));
    struct Case {
        const char16_t *preferred, *chosen;
    } cases[] = {
        {u"1.5;9", u"1.8"},       // nothing matches: the first
        {u"latest;1.6", u"1.8"},  // a digit-free entry matches all
        {u"1.7.0_45", u"1.8"},    // an exact update must be equal
        {u"12345678901234567890;1.7", u"1.7.0_80"},  // digits that read as no version name nothing
    };
    for (const Case& c : cases) {
        StringList preferred;
        SplitList(c.preferred, u";", preferred);
        EXPECT_EQ(list[ChooseCandidate(list, preferred)].home, WideString(c.chosen))
            << testing::PrintToString(WideString(c.preferred));
    }
}

// The registry keys searched and favoured, as "JVM Source" (exact names) and "VM Provider" (any
// case) set them. Keys: Sun's kit and runtime, JRockit's runtime and kit, IBM's runtime.
TEST(RegistrySearch, KeysByKindAndVendor) {
    struct Case {
        const char16_t *source, *provider;
        std::vector<bool> searched, favoured;
    } cases[] = {
        {u"", u"", {1, 1, 0, 0, 0}, {1, 1, 0, 0, 0}},
        {u"Only_JDK", u"", {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}},
        {u"favor_JRE", u"", {1, 1, 0, 0, 0}, {0, 1, 0, 0, 0}},
        {u"", u"unknown", {1, 1, 0, 0, 0}, {1, 1, 0, 0, 0}},
        {u"", u"IBM", {0, 0, 0, 0, 1}, {0, 0, 0, 0, 1}},
        {u"", u"Favor_JRockit", {1, 1, 1, 1, 1}, {0, 0, 1, 1, 0}},
        {u"", u"favor_ibm", {1, 1, 1, 1, 1}, {0, 0, 0, 0, 1}},
        {u"", u"any", {1, 1, 1, 1, 1}, {0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(WideString(c.source) + u"/" + c.provider));
        Launcher launcher;
        ApplyJvmSource(c.source, launcher);
        ApplyVmProvider(c.provider, launcher);
        std::vector<bool> searched, favoured;
        for (int32_t key = 0; key < kRuntimeRegistryKeyCount; ++key) {
            searched.push_back(KeySearched(key, launcher));
            favoured.push_back(KeyFavoured(key, launcher));
        }
        EXPECT_EQ(searched, c.searched);
        EXPECT_EQ(favoured, c.favoured);
    }
}

TEST(RegistrySearch, HomesAndVmTypes) {
    EXPECT_EQ(CandidateHome(u"\\\\srv\\java\\\\\\", false), WideString(u"\\\\srv\\java\\"));
    // Only a full path: anything else would be taken from the directory the user started in.
    EXPECT_TRUE(CandidateHome(u"C:jre", true).IsEmpty());
    // On JavaSoft's runtime key alone favor_server counts as any VM ("server" there stays a server
    // VM, as a run shows end to end).
    EXPECT_EQ(KeyVmType(1, 2), 0);
    EXPECT_EQ(KeyVmType(0, 2), 2);
}

TEST(ModernSources, ReleaseFileVersions) {
    struct Case {
        const char* content;
        JavaVersion version;  // all zero: none found
    } cases[] = {
        {"JAVA_VERSION_DATE=\"2023-10-17\"\nJAVA_VERSION=\"11.0.21\"", {11, 0, 21, 0}},
        {"JAVA_VERSION=\"unknown\"\n", {}},
        {"\x01\x02garbage JAVA_VERSION=\"9\"", {}},  // not at a line's start
    };
    for (const Case& c : cases) {
        JavaVersion version;
        EXPECT_EQ(ReleaseFileVersion(c.content, version), c.version.major != 0) << c.content;
        EXPECT_EQ(version, c.version) << c.content;
    }
}

// The version and kind of an entry under the current vendors' keys, with and without a readable
// "release" file in its home; the vendors' entries as installers write them are read end to end.
TEST(ModernSources, EntriesOfCurrentKeys) {
    const JavaVersion release{17, 0, 2, 0};
    const struct Case {
        std::u16string_view key, name;
        const JavaVersion* release;  // null: no readable release file
        JavaVersion version;
        bool kit;
    } cases[] = {
        {u"Software\\Azul Systems\\Zulu\\", u"zulu-17", nullptr, {17, 0, 0, 0}, true},
        {u"Software\\SapMachine\\JRE\\", u"11.0.20.256", nullptr, {11, 0, 20, 0}, false},
        {u"Software\\JavaSoft\\JDK\\", u"17.0.9", &release, {17, 0, 9, 0}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(c.name)));
        int32_t index = 0;  // the key of that name
        while (index + 1 < kCurrentRegistryKeyCount && CurrentRegistryKeyAt(index).path != c.key)
            ++index;
        const CurrentRegistryKey& key = CurrentRegistryKeyAt(index);
        ASSERT_TRUE(key.path == c.key);
        EXPECT_EQ(CurrentEntryVersion(key, c.name, c.release), c.version);
        EXPECT_EQ(CurrentEntryIsKit(key, c.name), c.kit);
    }
}

// Where the install folders lie as a 32-bit process on 64-bit Windows sees its environment (the
// 64-bit build's are found end to end); relative values name no folder.
TEST(ModernSources, InstallFolderBases) {
    StringList own, twin, none;
    InstallFolderBases(
        false, {u"C:\\Program Files (x86)", u"C:\\Program Files (x86)", u"C:\\Program Files", u""},
        own, twin);
    EXPECT_EQ(own[0], WideString(u"C:\\Program Files (x86)\\Java\\"));
    EXPECT_EQ(twin[0], WideString(u"C:\\Program Files\\Java\\"));
    InstallFolderBases(true, {u"Program Files", u"x86", u"", u""}, none, none);
    EXPECT_EQ(none.Count(), 0);
}

TEST(HomeIndex, FindsEveryEarlierHomeInAnyCaseAcrossGrowth) {
    // Equal without regard to case, non-ASCII letters included, as the system compares paths.
    const auto SameFolder = [](WideString a, WideString b) {
        a.ReplaceUnit(u'\u00E4', u'\u00C4');
        b.ReplaceUnit(u'\u00E4', u'\u00C4');
        return EqualsNoCase(a, b);
    };
    CandidateList list;
    HomeIndex index;
    for (int32_t i = 0; i < 3000; ++i) {
        const WideString home = Format(u"C:\\Java\\j\u00E4%d\\", {i});
        ASSERT_EQ(index.Find(list, home, SameFolder), -1) << i;
        list.Append(Candidate(home.c_str(), u"1.8"));
    }
    EXPECT_EQ(index.Find(list, u"c:\\JAVA\\J\u00C417\\", SameFolder), 17);
    // Candidates appended without a lookup in between are found too.
    list.Append(Candidate(u"D:\\late\\", u"1.8"));
    EXPECT_EQ(index.Find(list, u"d:\\LATE\\", SameFolder), 3000);
}
