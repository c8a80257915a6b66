#include <gtest/gtest.h>

#include "common/string_lists.h"
#include "common/wide_printer.h"

#include <vector>

#include "launch/command_line.h"
#include "launch/messages.h"
#include "launch/string_table.h"

TEST(ParseCommandLine, WhatReachesMain) {
    struct Case {
        const char* name;
        const char16_t* commandLine;
        std::vector<std::u16string> arguments;
    } cases[] = {
        {"blank command line", u" \t ", {}},
        {"tab does not separate", u"app.exe a\tb", {u"a\tb"}},
        {"leading and trailing blanks dropped", u"\u3000\t app.exe   a \t\u00A0\r\n", {u"a"}},
        {"unterminated quote", u"app.exe \"a b  c", {u"a b  c"}},
        {"quote groups only at token start", u"app.exe -Dname=\"a b\"",
         {u"-Dname=\"a", u"b\""}},
        {"closing quote followed by text", u"app.exe \"ab\"cd", {u"ab", u"cd"}},
        {"no escape character", u"app.exe C:\\dir\\ \\\"x", {u"C:\\dir\\", u"\\\"x"}},
    };
    for (const Case& c : cases) {
        StringList list;
        ParseCommandLineText(c.commandLine, list);
        EXPECT_EQ(Items(list), c.arguments) << c.name;
    }
}

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
