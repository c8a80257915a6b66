#include <gtest/gtest.h>

#include "common/wide_printer.h"

#include "launch/messages.h"
#include "launch/string_table.h"

// The string blocks themselves, whole and cut, are read by the fuzz target.
TEST(Messages, ErrorLinesOnStandardOutput) {
    testing::internal::CaptureStdout();
    ReportWindowsError(kMsgModulePathFailed, 2);
    PrintError(LoadMessage(231));  // a missing string prints as nothing
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error: Windows exception: failed to get the module path (errno = 2).\r\n \r\n"
              "Error:  \r\n");
}

TEST(MessagesDeathTest, FormattingAMissingStringIsFatal) {
    WideString out;
    EXPECT_DEATH(FormatResourceMessage(out, 999, {}), "");
}
