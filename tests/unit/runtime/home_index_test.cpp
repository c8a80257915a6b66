#include <gtest/gtest.h>

#include "runtime/home_index.h"
#include "support/text.h"

namespace {
RuntimeCandidate At(const WideString& home) {
    RuntimeCandidate candidate;
    candidate.home = home;
    return candidate;
}

// Equal without regard to case, non-ASCII letters included, as the system compares paths.
bool SameFolder(const WideString& a, const WideString& b) {
    if (a.Length() != b.Length()) return false;
    for (int32_t i = 0; i < a.Length(); ++i) {
        auto fold = [](char16_t unit) -> char16_t {
            if (unit >= u'a' && unit <= u'z') return static_cast<char16_t>(unit - 32);
            if (unit == u'\u00E4') return u'\u00C4';
            return unit;
        };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}
}  // namespace

TEST(HomeIndex, FindsEveryEarlierHomeInAnyCaseAcrossGrowth) {
    CandidateList list;
    HomeIndex index;
    for (int32_t i = 0; i < 3000; ++i) {
        const WideString home = Format(u"C:\\Java\\j\u00E4%d\\", {i});
        ASSERT_EQ(index.Find(list, home, SameFolder), -1) << i;
        list.Append(At(home));
    }
    EXPECT_EQ(index.Find(list, u"c:\\JAVA\\J\u00C417\\", SameFolder), 17);
    EXPECT_EQ(index.Find(list, u"C:\\Java\\j\u00E42999\\", SameFolder), 2999);
    EXPECT_EQ(index.Find(list, u"C:\\Java\\j\u00E43000\\", SameFolder), -1);
    // Candidates appended without a lookup in between are found too.
    list.Append(At(u"D:\\late\\"));
    EXPECT_EQ(index.Find(list, u"d:\\LATE\\", SameFolder), 3000);
}
