#include <gtest/gtest.h>

#include "common/wide_printer.h"

#include "launch/messages.h"
#include "support/handles_win.h"
#include "temp_folder.h"

TEST(StringResources, LoadFromTheExecutableItself) {
    EXPECT_EQ(LoadMessage(kMsgRuntimeNotFound),
              WideString(u"The Java Runtime Environment (JRE) was not found. Please  download and "
                         u"install a JRE (%s) from:"));
    for (int32_t id = 201; id <= 235; ++id)
        EXPECT_EQ(LoadMessage(id).IsEmpty(), id == 201 || id == 231 || id == 235) << id;
}

// Error lines redirected to a file arrive whole, in UTF-8, with Windows line breaks.
TEST(ErrorOutput, RedirectedLinesKeepNonAsciiText) {
    TempFolder folder;
    const WideString file = folder / u"out.txt";
    {
        UniqueFile output(CreateFileW(W(file), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(output.valid());
        HANDLE previous = GetStdHandle(STD_OUTPUT_HANDLE);
        SetStdHandle(STD_OUTPUT_HANDLE, output.get());
        WideString text;
        FormatResourceMessage(text, kMsgVmLibraryNotLoaded,
                              {u"C:\\J\u00E4va\\\u0431\u0438\u043D\\\U0001F600\\jvm.dll", 126});
        PrintError(text);
        PrintError(LoadMessage(kMsgMainClassMissing));
        SetStdHandle(STD_OUTPUT_HANDLE, previous);
    }
    EXPECT_EQ(TempFolder::ReadFile(file),
              "Error: Failed to load Java VM library: C:\\J\xC3\xA4va\\\xD0\xB1\xD0\xB8\xD0\xBD\\"
              "\xF0\x9F\x98\x80\\jvm.dll (errno = 126).\r\n \r\n"
              "Error: Main class was not specified in INI file. \r\n");
}

TEST(Handles, OwnersCloseTheirKernelObjectsOnce) {
    HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(raw, nullptr);
    DWORD flags;
    { UniqueHandle event(raw); }
    EXPECT_FALSE(GetHandleInformation(raw, &flags));

    TempFolder folder;
    UniqueFile file(CreateFileW(W(folder / u"f"), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                nullptr));
    ASSERT_TRUE(file.valid());
    file.reset();
    EXPECT_FALSE(file.valid());
    // Closed: the file can be opened unshared again.
    EXPECT_TRUE(UniqueFile(CreateFileW(W(folder / u"f"), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       0, nullptr)).valid());
}
