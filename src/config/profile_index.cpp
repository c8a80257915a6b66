#include "config/profile_index.h"

namespace {

bool IsBlank(char16_t unit) { return unit <= u' '; }

std::u16string_view Trimmed(std::u16string_view name) {
    while (!name.empty() && IsBlank(name.front())) name.remove_prefix(1);
    while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
    return name;
}

// Printable ASCII whose comparison without regard to case is the same for every comparison the
// system might use. Hyphen and apostrophe are left out: linguistic comparisons weigh them apart.
bool IsPlain(char16_t unit) { return unit > u' ' && unit < 0x7F && unit != u'-' && unit != u'\''; }

bool IsPlainName(std::u16string_view name) {
    for (char16_t unit : name) {
        if (unit != u' ' && !IsPlain(unit)) return false;
    }
    return true;
}

char16_t FoldAscii(char16_t unit) { return unit >= u'A' && unit <= u'Z' ? unit + 32 : unit; }

}  // namespace

bool ProfileNameMayMatch(std::u16string_view listed, std::u16string_view asked) {
    listed = Trimmed(listed);
    asked = Trimmed(asked);
    if (!IsPlainName(listed) || !IsPlainName(asked)) return true;
    if (listed.size() != asked.size()) return false;
    for (size_t i = 0; i < listed.size(); ++i) {
        if (FoldAscii(listed[i]) != FoldAscii(asked[i])) return false;
    }
    return true;
}

int32_t CountPossibleMatches(std::u16string_view names, std::u16string_view asked) {
    int32_t count = 0;
    while (!names.empty() && count < 2) {
        const size_t end = names.find(u'\0');
        const std::u16string_view name = names.substr(0, end);
        if (!name.empty() && ProfileNameMayMatch(name, asked)) ++count;
        if (end == std::u16string_view::npos) break;
        names.remove_prefix(end + 1);
    }
    return count;
}

bool ListingMayHoldKey(std::u16string_view listing, std::u16string_view key) {
    while (!listing.empty()) {
        const size_t end = listing.find(u'\0');
        const std::u16string_view item = listing.substr(0, end);
        if (ProfileNameMayMatch(item.substr(0, item.find(u'=')), key)) return true;
        if (end == std::u16string_view::npos) break;
        listing.remove_prefix(end + 1);
    }
    return false;
}
