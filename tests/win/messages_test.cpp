#include <gtest/gtest.h>

#include <cwctype>

#include "common/wide_printer.h"
#include "launch/launcher.h"
#include "launch/messages.h"
#include "support/handles_win.h"
#include "support/text.h"
#include "temp_folder.h"

// A service's window station shows nothing: instead of a dialog nobody could answer, the
// message (with the page it links to) goes to standard output and the selection fails.
TEST(MissingRuntime, NoDialogWhereTheWindowStationIsNotVisible) {
    HWINSTA original = GetProcessWindowStation();
    HWINSTA hidden = CreateWindowStationW(L"quorvane-test-hidden", 0, WINSTA_ALL_ACCESS, nullptr);
    ASSERT_NE(hidden, nullptr);
    testing::internal::CaptureStdout();
    SetProcessWindowStation(hidden);
    const bool asked = Launcher().AskForRuntime();
    SetProcessWindowStation(original);
    CloseWindowStation(hidden);
    EXPECT_FALSE(asked);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error: The Java Runtime Environment (JRE) was not found. Please  download and "
              "install a JRE (latest version) from: https://adoptium.net/ \n");
}

// Error lines redirected to a file arrive whole, in UTF-8. GoogleTest reads the captured file in
// text mode: the Windows line breaks are checked end to end.
TEST(ErrorOutput, RedirectedLinesKeepNonAsciiText) {
    testing::internal::CaptureStdout();
    WideString text;
    FormatResourceMessage(text, kMsgVmLibraryNotLoaded,
                          {u"C:\\J\u00E4va\\\u0431\u0438\u043D\\\U0001F600\\jvm.dll", 126});
    PrintError(text);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error: Failed to load Java VM library: C:\\J\xC3\xA4va\\\xD0\xB1\xD0\xB8\xD0\xBD\\"
              "\xF0\x9F\x98\x80\\jvm.dll (errno = 126).\n \n");
}

TEST(Handles, OwnersCloseTheirKernelObjectsOnce) {
    HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(raw, nullptr);
    DWORD flags;
    { UniqueHandle event(raw); }
    EXPECT_FALSE(GetHandleInformation(raw, &flags));

    TempFolder folder;
    { UniqueFile file(CreateFileW(W(folder / u"f"), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)); }
    // Closed: the file (made only if the first open worked) can be opened unshared again.
    EXPECT_TRUE(UniqueFile(CreateFileW(W(folder / u"f"), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       0, nullptr)).valid());
}

// The command line's trims follow the C runtime that the program itself runs with: every UTF-16
// unit is white space to the launcher exactly when iswspace says so.
TEST(WhiteSpace, AgreesWithTheCRuntimeOnEveryUnit) {
    for (uint32_t unit = 0; unit <= 0xFFFF; ++unit)
        ASSERT_EQ(IsWhiteSpace(static_cast<char16_t>(unit)), std::iswspace(static_cast<wint_t>(unit)) != 0)
            << "U+" << std::hex << unit;
}
