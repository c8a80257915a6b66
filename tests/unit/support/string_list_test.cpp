#include <gtest/gtest.h>

#include "common/wide_printer.h"

#include "support/string_list.h"
#include "support/unique_resource.h"

TEST(List, AppendFailsWithoutChangeAtTheSlotLimit) {
    List<WideString, 4> list;
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(list.Append(u"x"));
    EXPECT_FALSE(list.Append(u"y"));
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list[3], WideString(u"x"));
}

TEST(List, RemoveKeepsOrderAndMovesOwnership) {
    StringList list;
    for (const char16_t* text : {u"program.exe", u"-x", u"y"}) ASSERT_TRUE(list.Append(text));
    list.RemoveAt(0);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[1], WideString(u"y"));
    StringList moved = std::move(list);
    EXPECT_EQ(moved.Count(), 2);
    EXPECT_EQ(list.Count(), 0);  // NOLINT: a moved-from list is empty by contract
}

TEST(ListDeathTest, IndexOutsideTheListIsFatal) {
    StringList list;
    EXPECT_DEATH((void)list[0], "");
    EXPECT_DEATH(list.RemoveAt(0), "");
}

namespace {
int closed = 0;
struct CountingTraits {
    using Value = int;
    static Value Empty() { return 0; }
    static void Close(Value) { ++closed; }
};
using Counted = UniqueResource<CountingTraits>;
}  // namespace

TEST(UniqueResource, ClosesEachValueExactlyOnce) {
    closed = 0;
    {
        Counted a(1);
        Counted c(std::move(a));  // moved: only c closes
        Counted d(3);
        d = std::move(c);  // d's old value closes now
        EXPECT_EQ(closed, 1);
        EXPECT_EQ(d.release(), 1);  // released: never closed by the owner
        *d.put() = 4;               // filled as an out-parameter
        d.reset(5);                 // closes 4
        EXPECT_EQ(closed, 2);
    }
    EXPECT_EQ(closed, 3);  // d (5)
    static_assert(!std::is_copy_constructible_v<Counted> && !std::is_copy_assignable_v<Counted>);
}
