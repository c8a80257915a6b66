#include <gtest/gtest.h>

#include "common/wide_printer.h"
#include "config/configuration_paths.h"
#include "config/settings.h"

// "server", "favor_server" and "yes" in any case are read end to end.
TEST(Settings, JvmTypeAndYesSwitchesAreExact) {
    EXPECT_EQ(JvmTypeSetting(u"Server"), 0);
    EXPECT_FALSE(IsYes(u"y"));
    EXPECT_FALSE(IsYes(u" yes"));
}

// Names with several dots and the published folder of an ordinary one are read end to end.
TEST(ConfigurationPaths, FileAndFolderBesideTheExecutable) {
    struct Case {
        const char16_t* module;
        bool ok;
        const char16_t *configuration, *folder, *published;  // published: QZ_EXE_DIR
    } cases[] = {
        {u"C:\\a.b\\tool", true, u"C:\\a.ini", u"C:\\a.b\\", u"C:\\a.b"},
        {u"C:\\tool.exe", true, u"C:\\tool.ini", u"C:\\", u"C:\\"},  // a drive root keeps its separator
        {u"\\\\srv\\s\\tool.exe", true, u"\\\\srv\\s\\tool.ini", u"\\\\srv\\s\\", u"\\\\srv\\s"},
        {u"tool", false, u"", u"tool", u"tool"},
    };
    for (const Case& c : cases) {
        WideString configuration;
        EXPECT_EQ(ConfigurationFileOf(c.module, configuration), c.ok);
        if (c.ok) EXPECT_EQ(configuration, WideString(c.configuration));
        EXPECT_EQ(ProgramFolderOf(c.module), WideString(c.folder));
        EXPECT_EQ(ExecutableFolderOf(c.module), WideString(c.published));
    }
}

// Each character the file system refuses in the product name is left out; the code is kept.
TEST(ConfigurationPaths, PerUserFile) {
    const PerUserPath path = ComposePerUserPath(u"tool.exe", u"R", u"\\?\"|><:/*", u"a:b");
    EXPECT_EQ(path.file, WideString(u"R\\\\a:b\\tool.ini"));
    EXPECT_EQ(path.codeFolder, path.file.Left(path.file.FindLastUnit(u'\\')));
}
