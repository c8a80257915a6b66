#include <gtest/gtest.h>

#include "common/wide_printer.h"

#include "launch/messages.h"
#include "launch/string_table.h"

// The string blocks themselves, whole and cut, are read by the fuzz target; error lines with their
// texts are written end to end.
TEST(Messages, AMissingStringPrintsAsNothing) {
    testing::internal::CaptureStdout();
    PrintError(LoadMessage(231));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error:  \r\n");
}

TEST(MessagesDeathTest, FormattingAMissingStringIsFatal) {
    WideString out;
    EXPECT_DEATH(FormatResourceMessage(out, 999, {}), "");
}
