#include <gtest/gtest.h>

#include <string>

#include "common/wide_printer.h"
#include "config/configuration_paths.h"
#include "config/profile_index.h"
#include "config/settings.h"

// "server", "favor_server" and "yes" in any case are read end to end.
TEST(Settings, JvmTypeAndYesSwitchesAreExact) {
    EXPECT_EQ(JvmTypeSetting(u"Server"), 0);
    EXPECT_FALSE(IsYes(u"y"));
    EXPECT_FALSE(IsYes(u" yes"));
}

// Names with several dots and the published folder of an ordinary one are read end to end.
TEST(ConfigurationPaths, FileAndFolderBesideTheExecutable) {
    struct Case {
        const char16_t* module;
        bool ok;
        const char16_t *configuration, *folder, *published;  // published: QZ_EXE_DIR
    } cases[] = {
        {u"C:\\a.b\\tool", true, u"C:\\a.ini", u"C:\\a.b\\", u"C:\\a.b"},
        {u"C:\\tool.exe", true, u"C:\\tool.ini", u"C:\\", u"C:\\"},  // a drive root keeps its separator
        {u"\\\\srv\\s\\tool.exe", true, u"\\\\srv\\s\\tool.ini", u"\\\\srv\\s\\", u"\\\\srv\\s"},
        {u"tool", false, u"", u"tool", u"tool"},
    };
    for (const Case& c : cases) {
        WideString configuration;
        EXPECT_EQ(ConfigurationFileOf(c.module, configuration), c.ok);
        if (c.ok) EXPECT_EQ(configuration, WideString(c.configuration));
        EXPECT_EQ(ProgramFolderOf(c.module), WideString(c.folder));
        EXPECT_EQ(ExecutableFolderOf(c.module), WideString(c.published));
    }
}

// Each character the file system refuses in the product name is left out; the code is kept.
TEST(ConfigurationPaths, PerUserFile) {
    const PerUserPath path = ComposePerUserPath(u"tool.exe", u"R", u"\\?\"|><:/*", u"a:b");
    EXPECT_EQ(path.file, WideString(u"R\\\\a:b\\tool.ini"));
    EXPECT_EQ(path.codeFolder, path.file.Left(path.file.FindLastUnit(u'\\')));
}

using namespace std::literals;

TEST(ProfileIndex, SectionNameListCountsUpToTwo) {
    const std::u16string_view names = u"Java Runtime Environment\0Application\0application \0"sv;
    EXPECT_EQ(CountPossibleMatches(names, u"Java Runtime Environment"), 1);
    EXPECT_EQ(CountPossibleMatches(names, u"APPLICATION"), 2);
    EXPECT_EQ(CountPossibleMatches(names, u"Class Path"), 0);
    EXPECT_EQ(CountPossibleMatches(u"Class Path"sv, u"Class Path"), 1);  // no closing zero
}

// "Absent" must only ever be answered where the system is sure to agree; everything it could
// compare differently counts as a possible match. A listing's items are named up to their first
// "=".
TEST(ProfileIndex, ListingItemsThatMayNameAKey) {
    const std::u16string_view listing =
        u"Main Class=a=b\0JRE Path\0=Library Path\0;Cmd=x\0 Failure Check =yes\0"sv;
    struct Case {
        std::u16string_view listing, key;
        bool mayHold;
    } cases[] = {
        {listing, u"Main Class", true},
        {listing, u"main class=a", false},   // the name ends at the first "="
        {listing, u"JRE Path", true},        // an item without "=" still names a key
        {listing, u"Library Path", false},   // an empty name holds nothing
        {listing, u"Single Instance", false},
        {u""sv, u"Main Class", false},
        {u"  main class\t=x"sv, u"Main Class", true},  // the system trims what it lists
        {u"Main  Class=x"sv, u"Main Class", false},
        {u"Ma\u0131n Class=x"sv, u"Main Class", true},  // dotless i: some case rules fold it to 'I'
        {u"Main\x01 Class=x"sv, u"Main Class", true},   // controls may be ignored by a linguistic comparison
        {u"Main-Class=x"sv, u"Main Class", true},       // so may hyphens and apostrophes
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ListingMayHoldKey(c.listing, c.key), c.mayHold)
            << std::string(c.key.begin(), c.key.end()) << " in " << std::string(c.listing.begin(), c.listing.end());
    }
}
