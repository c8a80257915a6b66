#include <gtest/gtest.h>

#include "common/wide_printer.h"

#include "launch/messages.h"
#include "launch/string_table.h"

// The string blocks themselves, whole and cut, are read by the fuzz target.
TEST(Messages, ErrorLinesOnStandardOutput) {
    struct Case {
        const char* name;
        void (*report)();
        const char* expected;
    } cases[] = {
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
