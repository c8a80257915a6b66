#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "support/wide_string.h"

// The profile functions open the file again for every value they read. A reader that holds the
// file's section names, and a section's listing of its keys, can tell without a further read that
// a key is absent. These checks only ever answer "absent" when the system is sure to answer the
// same: a name it could compare in ways the checks do not model (letters outside ASCII, controls,
// characters that linguistic comparisons treat specially) counts as possibly matching, and the
// system's own lookup decides.

// Whether the system may take `listed` (a section or key name as the file spells it) for `asked`.
bool ProfileNameMayMatch(std::u16string_view listed, std::u16string_view asked);

// How many names of a list of zero-ended names (as the section-names function returns it) may
// match asked: 0, 1, or 2 for two or more.
int32_t CountPossibleMatches(std::u16string_view names, std::u16string_view asked);

// Whether a section listing (items "key=value" or "key", each ended by a zero) may hold key.
bool ListingMayHoldKey(std::u16string_view listing, std::u16string_view key);

// What has been listed of one file: its section names, and the keys of each section asked for
// so far. Kept by whoever owns the file's reads, so that no list is read twice.
struct ProfileListings {
    struct Section {
        WideString name;
        WideString keys;  // "key=value" items, each ended by a zero
    };
    bool sectionNamesRead = false;
    WideString sectionNames;  // names each ended by a zero, as the system lists them
    std::vector<Section> sections;
};
