#include <gtest/gtest.h>

#include "common/wide_printer.h"

#include "launch/launcher.h"
#include "temp_folder.h"

// The whole value of "APPDATA" counts, however long; but a per-user file whose path the
// profile functions cannot open (260 units or more) is no per-user file at all.
TEST(LauncherPaths, PerUserFileOnlyWhereTheProfileFunctionsReachIt) {
    TempFolder folder;
    WideString own;
    ASSERT_TRUE(Launcher().GetConfigurationFilePath(own));
    const WideString tail = u"\\My App\\{1234}" + own.Mid(own.FindLastUnit(u'\\'));
    for (int32_t length : {259, 260}) {
        SCOPED_TRACE(length);
        const int32_t fill = length - folder.path.Length() - 1 - tail.Length();
        const WideString appData = folder.path + u"\\" + WideString(u'a', fill);
        CreateDirectoryW(W(WideString(u"\\\\?\\") + appData), nullptr);
        ScopedVariable variable(u"APPDATA", appData);
        Launcher launcher;
        launcher.productName = u"My: App?";
        launcher.productCode = u"{1234}";
        EXPECT_EQ(launcher.GetPerUserConfigurationFilePath(false),
                  length < 260 ? appData + tail : WideString());
        EXPECT_FALSE(TempFolder::IsFolder(WideString(u"\\\\?\\") + appData + u"\\My App"));
    }
}

// The configuration file and folder of the running executable are read end to end; the twin's
// only where a 32-bit program runs. Per-user folders are made when asked for (this executable's
// own where the settings are read), under a full APPDATA path only.
TEST(LauncherPaths, PairFilesAndPerUserFoldersUnderAFullAppDataPath) {
    TempFolder folder;
    ScopedVariable variable(u"APPDATA", folder.path);
    Launcher launcher;
    launcher.productName = u"Prod";
    launcher.productCode = u"Code";
    WideString configuration;
    EXPECT_FALSE(launcher.GetPairConfigurationFilePath(configuration));
    EXPECT_TRUE(launcher.GetPairPerUserConfigurationFilePath().IsEmpty());
    launcher.pairProduct = u"C:\\Apps\\other.exe";
    ASSERT_TRUE(launcher.GetPairConfigurationFilePath(configuration));
    EXPECT_EQ(configuration, WideString(u"C:\\Apps\\other.ini"));
    EXPECT_EQ(launcher.GetPairPerUserConfigurationFilePath(), folder / u"Prod\\Code\\other.ini");
    EXPECT_TRUE(TempFolder::IsFolder(folder / u"Prod\\Code"));
    // Unset or drive-relative: neither names a folder of the user's own.
    for (const char16_t* appData : {u"", u"C:Users"}) {
        ScopedVariable unusable(u"APPDATA", appData);
        EXPECT_TRUE(launcher.GetPerUserConfigurationFilePath(true).IsEmpty());
        EXPECT_TRUE(launcher.GetPairPerUserConfigurationFilePath().IsEmpty());
    }
}
