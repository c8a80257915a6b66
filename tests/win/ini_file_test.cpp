#include <gtest/gtest.h>

#include "common/string_lists.h"
#include "common/wide_printer.h"

#include "config/ini_file.h"
#include "temp_folder.h"

TEST(IniFile, ValuesAcrossTheBufferDoublingBoundaries) {
    TempFolder folder;
    const WideString file = folder / u"app.ini";
    const std::vector<int> lengths = {0, 1, 254, 255, 256, 510, 511, 512, 1023, 3000};
    std::string text = "[Application]\r\n";
    for (int length : lengths)
        text += "Key" + std::to_string(length) + "=" + std::string(static_cast<size_t>(length), 'v') + "\r\n";
    TempFolder::WriteFile(file, text);

    IniFile ini(file);
    for (int length : lengths) {
        WideString value;
        ini.GetString(u"Application", FromNarrow("Key" + std::to_string(length)), value);
        EXPECT_EQ(value.Length(), length);
        EXPECT_EQ(value.FindUnit(u'\0'), -1);
    }
}

TEST(IniFile, AbsentFileSectionOrKeyReadsEmpty) {
    TempFolder folder;
    const WideString file = folder / u"app.ini";
    TempFolder::WriteFile(file, "[Application]\r\nEmpty=\r\n");
    WideString value(u"stale");
    IniFile(folder / u"missing.ini").GetString(u"Application", u"Empty", value);
    EXPECT_TRUE(value.IsEmpty());
    value = u"stale";
    IniFile(file).GetString(u"Nowhere", u"Empty", value);
    EXPECT_TRUE(value.IsEmpty());
    IniFile(file).GetString(u"Application", u"Empty", value);
    EXPECT_TRUE(value.IsEmpty());
}

TEST(LayeredIniFile, PlusSectionFillsEmptyKeysOnly) {
    TempFolder folder;
    const WideString file = folder / u"app.ini";
    TempFolder::WriteFile(file,
                          "[Java Runtime Environment]\r\nMain Class=com.example.App\r\n"
                          "Library Path=\r\n"
                          "[Java Runtime Environment+]\r\nMain Class=ignored\r\nLibrary Path=lib\r\n"
                          "System Path=\" sys\"\r\n");
    struct Case {
        const char16_t* key;
        const char16_t* layered;
        const char16_t* plain;
    } cases[] = {
        {u"Main Class", u"com.example.App", u"com.example.App"},
        {u"Library Path", u"lib", u""},
        {u"System Path", u" sys", u""},
        {u"Missing", u"", u""},
    };
    LayeredIniFile layered(file);
    IniFile plain(file);
    for (const Case& c : cases) {
        WideString value;
        layered.GetString(u"Java Runtime Environment", c.key, value);
        EXPECT_EQ(value, WideString(c.layered));
        plain.GetString(u"Java Runtime Environment", c.key, value);
        EXPECT_EQ(value, WideString(c.plain));
    }
}

// The "+" section is found as the profile functions find sections: in any letter case.
TEST(LayeredIniFile, PlusSectionNameInAnyCase) {
    TempFolder folder;
    const WideString file = folder / u"app.ini";
    TempFolder::WriteFile(file, "[application]\r\nCmd=\r\n[APPLICATION+]\r\nCmd=--x\r\n");
    LayeredIniFile layered(file);
    WideString value;
    layered.GetString(u"Application", u"Cmd", value);
    EXPECT_EQ(value, WideString(u"--x"));
    layered.GetString(u"Application", u"Other", value);
    EXPECT_TRUE(value.IsEmpty());
}

// What the system's profile functions do to a value before the launcher sees it; users rely on it
// to keep spaces (quotes) and it is in the configuration reference.
TEST(IniFile, SystemDropsOuterSpacesAndOnePairOfQuotes) {
    TempFolder folder;
    const WideString file = folder / u"app.ini";
    TempFolder::WriteFile(file,
                          "[S]\r\nspaces=  a b  \r\ndouble=\" a \"\r\nsingle=' a '\r\n"
                          "nested=\"\"a\"\"\r\nopen=\"a\r\ninner=-Dx=\"a b\"\r\ntab=\ta\t\r\n");
    struct Case {
        const char16_t* key;
        const char16_t* value;
    } cases[] = {
        {u"spaces", u"a b"}, {u"double", u" a "},        {u"single", u" a "},
        {u"nested", u"\"a\""}, {u"open", u"\"a"}, {u"inner", u"-Dx=\"a b\""},
        {u"tab", u"a"},
    };
    IniFile ini(file);
    for (const Case& c : cases) {
        WideString value;
        ini.GetString(u"S", c.key, value);
        EXPECT_EQ(value, WideString(c.value)) << testing::PrintToString(std::u16string(c.key));
    }
}

TEST(IniFile, SectionNamesInFileOrderPastTheFirstBuffer) {
    TempFolder folder;
    const WideString file = folder / u"app.ini";
    std::string text;
    std::vector<std::u16string> expected;
    for (int i = 0; i < 40; ++i) {
        const std::string name = "Section number " + std::to_string(100 + i);
        text += "[" + name + "]\r\nk=v\r\n";
        expected.push_back(FromNarrow(name).Std());
    }
    TempFolder::WriteFile(file, text);
    StringList names;
    IniFile(file).GetSectionNames(names);
    EXPECT_EQ(Items(names), expected);
}

TEST(IniFile, WriteReadBackAndDelete) {
    TempFolder folder;
    const WideString file = folder / u"\u00FCser.ini";
    IniFile ini(file);
    unsigned char bytes[4] = {};
    EXPECT_EQ(ini.ReadFirstBytes(bytes), 2u);  // ERROR_FILE_NOT_FOUND
    ASSERT_TRUE(ini.SetString(u"Java Runtime Environment", u"JRE Path", u"C:\\Java\\jre\\"));
    WideString value;
    ini.GetString(u"Java Runtime Environment", u"JRE Path", value);
    EXPECT_EQ(value, WideString(u"C:\\Java\\jre\\"));
    EXPECT_EQ(ini.ReadFirstBytes(bytes), 0u);
    // A new file is UTF-16: its byte-order mark, then "[".
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    EXPECT_EQ(bytes[2], '[');
    EXPECT_TRUE(ini.DeleteProfileFile());
    EXPECT_FALSE(ini.DeleteProfileFile());
}
