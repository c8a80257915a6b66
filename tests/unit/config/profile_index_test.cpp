#include <gtest/gtest.h>

#include <string>

#include "config/profile_index.h"

using namespace std::literals;

// "Absent" must only ever be answered where the system is sure to agree; everything it could
// compare differently counts as a possible match.
TEST(ProfileIndex, NamesThatMayMatch) {
    struct Case {
        std::u16string_view listed;
        bool mayMatch;
    } cases[] = {
        {u"Main Class", true},
        {u"  main class\t", true},      // the system trims what it lists and what it is asked
        {u"Main  Class", false},
        {u"Ma\u0131n Class", true},     // dotless i: some case rules fold it to 'I'
        {u"Main\x01 Class", true},      // controls may be ignored by a linguistic comparison
        {u"Main-Class", true},          // so may hyphens and apostrophes
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProfileNameMayMatch(c.listed, u"Main Class"), c.mayMatch)
            << std::string(c.listed.begin(), c.listed.end());
    }
}

TEST(ProfileIndex, SectionNameListCountsUpToTwo) {
    const std::u16string_view names = u"Java Runtime Environment\0Application\0application \0"sv;
    EXPECT_EQ(CountPossibleMatches(names, u"Java Runtime Environment"), 1);
    EXPECT_EQ(CountPossibleMatches(names, u"APPLICATION"), 2);
    EXPECT_EQ(CountPossibleMatches(names, u"Class Path"), 0);
    EXPECT_EQ(CountPossibleMatches(u"Class Path"sv, u"Class Path"), 1);  // no closing zero
}

TEST(ProfileIndex, ListingItemsAreNamedUpToTheirFirstEquals) {
    const std::u16string_view listing =
        u"Main Class=a=b\0JRE Path\0=Library Path\0;Cmd=x\0 Failure Check =yes\0"sv;
    struct Case {
        std::u16string_view key;
        bool mayHold;
    } cases[] = {
        {u"Main Class", true},
        {u"main class=a", false},       // the name ends at the first "="
        {u"JRE Path", true},            // an item without "=" still names a key
        {u"Library Path", false},       // an empty name holds nothing
        {u"Failure Check", true},
        {u"Single Instance", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ListingMayHoldKey(listing, c.key), c.mayHold)
            << std::string(c.key.begin(), c.key.end());
    }
    EXPECT_FALSE(ListingMayHoldKey(u""sv, u"Main Class"));
}
