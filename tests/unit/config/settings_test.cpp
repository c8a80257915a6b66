#include <gtest/gtest.h>

#include "common/wide_printer.h"
#include "config/configuration_paths.h"
#include "config/settings.h"
#include "launch/launcher.h"

TEST(Settings, JvmTypeIsExact) {
    EXPECT_EQ(JvmTypeSetting(u"server"), 1);
    EXPECT_EQ(JvmTypeSetting(u"favor_server"), 2);
    EXPECT_EQ(JvmTypeSetting(u"Server"), 0);
}

TEST(Settings, JvmSourceTable) {
    struct Case {
        const char16_t* value;
        bool any, jdk, jre;
    } cases[] = {
        {u"", true, true, true},
        {u"favor_JRE", true, false, true},
        {u"only_JDK", false, true, false},
        {u"Only_JDK", false, false, false},  // exact names only: anything else accepts nothing
    };
    for (const Case& c : cases) {
        Launcher launcher;
        ApplyJvmSource(c.value, launcher);
        EXPECT_EQ(launcher.anyKindAccepted, c.any) << testing::PrintToString(WideString(c.value));
        EXPECT_EQ(launcher.jdkWanted, c.jdk) << testing::PrintToString(WideString(c.value));
        EXPECT_EQ(launcher.jreWanted, c.jre) << testing::PrintToString(WideString(c.value));
    }
}

TEST(Settings, VmProviderTable) {
    // jrockitAccepted, jrockitFavored, sunAccepted, sunFavored, ibmAccepted, ibmFavored
    using Flags = std::array<bool, 6>;
    struct Case {
        const char16_t* value;
        Flags flags;
    } cases[] = {
        {u"unknown", {false, false, true, true, false, false}},
        {u"JRockit", {true, true, false, false, false, false}},
        {u"IBM", {false, false, false, false, true, true}},
        {u"Favor_JRockit", {true, true, true, false, true, false}},
        {u"any", {true, false, true, false, true, false}},
    };
    for (const Case& c : cases) {
        Launcher launcher;
        ApplyVmProvider(c.value, launcher);
        const Flags got = {launcher.jrockitAccepted, launcher.jrockitFavored, launcher.sunAccepted,
                           launcher.sunFavored,      launcher.ibmAccepted,    launcher.ibmFavored};
        EXPECT_EQ(got, c.flags) << testing::PrintToString(WideString(c.value));
    }
}

TEST(Settings, YesSwitchesIgnoreAsciiCase) {
    EXPECT_TRUE(IsYes(u"yes"));
    EXPECT_TRUE(IsYes(u"YES"));
    EXPECT_FALSE(IsYes(u"y"));
    EXPECT_FALSE(IsYes(u" yes"));
}

TEST(ConfigurationPaths, FileAndFolderBesideTheExecutable) {
    struct Case {
        const char16_t* module;
        bool ok;
        const char16_t* configuration;
        const char16_t* folder;
    } cases[] = {
        {u"C:\\a.b\\tool", true, u"C:\\a.ini", u"C:\\a.b\\"},
        {u"C:\\Apps\\tool.v2.exe", true, u"C:\\Apps\\tool.v2.ini", u"C:\\Apps\\"},
        {u"C:\\Apps\\tool", false, u"", u"C:\\Apps\\"},
        {u"tool", false, u"", u"tool"},
    };
    for (const Case& c : cases) {
        WideString configuration;
        EXPECT_EQ(ConfigurationFileOf(c.module, configuration), c.ok);
        if (c.ok) EXPECT_EQ(configuration, WideString(c.configuration));
        EXPECT_EQ(ProgramFolderOf(c.module), WideString(c.folder));
    }
}

TEST(ConfigurationPaths, PerUserFile) {
    struct Case {
        const char16_t *source, *appData, *name, *code, *file;
    } cases[] = {
        {u"C:\\Apps\\tool.exe", u"C:\\Users\\u\\AppData\\Roaming", u"My: App?", u"{1234}",
         u"C:\\Users\\u\\AppData\\Roaming\\My App\\{1234}\\tool.ini"},
        {u"C:\\Apps\\tool.exe", u"R", u"", u"C", u"R\\\\C\\tool.ini"},
        {u"tool.exe", u"R", u"\\?\"|><:/*", u"a:b", u"R\\\\a:b\\tool.ini"},
    };
    for (const Case& c : cases) {
        const PerUserPath path = ComposePerUserPath(c.source, c.appData, c.name, c.code);
        EXPECT_EQ(path.file, WideString(c.file));
        EXPECT_EQ(path.codeFolder, path.file.Left(path.file.FindLastUnit(u'\\')));
    }
}
