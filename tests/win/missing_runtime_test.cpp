#include <gtest/gtest.h>

#include "common/wide_printer.h"

#include "launch/launcher.h"
#include "support/handles_win.h"
#include "support/wide_win.h"
#include "temp_folder.h"

// A service's window station shows nothing: instead of a dialog nobody could answer, the
// message (with the page it links to) goes to standard output and the selection fails.
TEST(MissingRuntime, NoDialogWhereTheWindowStationIsNotVisible) {
    TempFolder folder;
    const WideString file = folder / u"out.txt";
    HWINSTA original = GetProcessWindowStation();
    HWINSTA hidden = CreateWindowStationW(L"quorvane-test-hidden", 0, WINSTA_ALL_ACCESS, nullptr);
    ASSERT_NE(hidden, nullptr);
    bool asked = true;
    {
        UniqueFile output(CreateFileW(W(file), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(output.valid());
        HANDLE previous = GetStdHandle(STD_OUTPUT_HANDLE);
        SetStdHandle(STD_OUTPUT_HANDLE, output.get());
        ASSERT_TRUE(SetProcessWindowStation(hidden));
        Launcher launcher;
        launcher.jvmType = 1;
        launcher.maximumVersion = JavaVersion::NoUpperBound();
        asked = launcher.AskForRuntime();
        SetProcessWindowStation(original);
        SetStdHandle(STD_OUTPUT_HANDLE, previous);
    }
    CloseWindowStation(hidden);
    EXPECT_FALSE(asked);
    EXPECT_EQ(TempFolder::ReadFile(file),
              "Error: The Java Runtime Environment (JRE) was not found. Please  download and "
              "install a JRE with a server JVM (latest version) from: https://adoptium.net/ \r\n");
}
