#include <gtest/gtest.h>

#include "common/wide_printer.h"

#include <vector>

#include "launch/messages.h"
#include "launch/string_table.h"

namespace {
// A block as the resource compiler lays it out: 16 entries of (length, units).
std::vector<uint16_t> Block(const std::vector<std::u16string>& entries) {
    std::vector<uint16_t> block;
    for (const std::u16string& text : entries) {
        block.push_back(static_cast<uint16_t>(text.size()));
        block.insert(block.end(), text.begin(), text.end());
    }
    return block;
}
}  // namespace

TEST(StringBlock, FindsEveryPositionIncludingTheLast) {
    std::vector<std::u16string> entries(16);
    entries[0] = u"first";
    entries[7] = u"seventh";
    entries[15] = u"last";
    const std::vector<uint16_t> block = Block(entries);
    WideString out;
    for (int index : {0, 7, 15}) {
        ASSERT_TRUE(FindStringInBlock(block.data(), block.size() * 2, index, out));
        EXPECT_EQ(out.Std(), entries[static_cast<size_t>(index)]);
    }
    EXPECT_FALSE(FindStringInBlock(block.data(), block.size() * 2, 3, out));  // length 0: absent
    EXPECT_TRUE(out.IsEmpty());
    EXPECT_FALSE(FindStringInBlock(block.data(), block.size() * 2, 16, out));
    EXPECT_FALSE(FindStringInBlock(block.data(), block.size() * 2, -1, out));
}

TEST(StringBlock, ShortBlocksEndTheWalkWithoutReadingPastThem) {
    std::vector<std::u16string> entries(16);
    entries[15] = u"last";
    const std::vector<uint16_t> full = Block(entries);
    WideString out;
    // Each cut copy lives in its own allocation so that AddressSanitizer sees any overread.
    for (size_t keep = 0; keep < full.size(); ++keep) {
        std::vector<uint16_t> cut(full.begin(), full.begin() + static_cast<ptrdiff_t>(keep));
        EXPECT_FALSE(FindStringInBlock(cut.data(), keep * 2, 15, out)) << keep;
    }
    // A declared length larger than what follows it.
    const std::vector<uint16_t> lying = {0, 0, 500, u'a', u'b'};
    EXPECT_FALSE(FindStringInBlock(lying.data(), lying.size() * 2, 2, out));
}

TEST(Messages, ErrorLinesOnStandardOutput) {
    struct Case {
        const char* name;
        void (*report)();
        const char* expected;
    } cases[] = {
        {"main class missing", [] { PrintError(LoadMessage(kMsgMainClassMissing)); },
         "Error: Main class was not specified in INI file. \r\n"},
        {"module path", [] { ReportWindowsError(kMsgModulePathFailed, 2); },
         "Error: Windows exception: failed to get the module path (errno = 2).\r\n \r\n"},
        {"missing string", [] { PrintError(LoadMessage(231)); }, "Error:  \r\n"},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStdout();
        c.report();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.expected) << c.name;
    }
}

TEST(MessagesDeathTest, FormattingAMissingStringIsFatal) {
    WideString out;
    EXPECT_DEATH(FormatResourceMessage(out, 999, {}), "");
}
