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

// The "+" section fills keys that are empty or absent, and is found in any letter case, as the
// profile functions find sections. Absent files, sections and keys read empty.
TEST(LayeredIniFile, PlusSectionFillsEmptyKeysOnly) {
    TempFolder folder;
    const WideString file = folder / u"app.ini";
    TempFolder::WriteFile(file,
                          "[Java Runtime Environment]\r\nMain Class=com.example.App\r\n"
                          "Library Path=\r\n"
                          "[Java Runtime Environment+]\r\nMain Class=ignored\r\nLibrary Path=lib\r\n"
                          "System Path=\" sys\"\r\n[application]\r\nCmd=\r\n[APPLICATION+]\r\nCmd=--x\r\n");
    struct Case {
        const char16_t* section;
        const char16_t* key;
        const char16_t* layered;
        const char16_t* plain;
    } cases[] = {
        {u"Java Runtime Environment", u"Main Class", u"com.example.App", u"com.example.App"},
        {u"Java Runtime Environment", u"Library Path", u"lib", u""},
        {u"Java Runtime Environment", u"System Path", u" sys", u""},
        {u"Java Runtime Environment", u"Missing", u"", u""},
        {u"Application", u"Cmd", u"--x", u""},
        {u"Nowhere", u"Cmd", u"", u""},
    };
    LayeredIniFile layered(file);
    IniFile plain(file);
    for (const Case& c : cases) {
        WideString value(u"stale");
        layered.GetString(c.section, c.key, value);
        EXPECT_EQ(value, WideString(c.layered)) << testing::PrintToString(std::u16string(c.key));
        value = u"stale";
        plain.GetString(c.section, c.key, value);
        EXPECT_EQ(value, WideString(c.plain)) << testing::PrintToString(std::u16string(c.key));
    }
    WideString value(u"stale");
    IniFile(folder / u"missing.ini").GetString(u"Application", u"Cmd", value);
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

// The layered reader skips the system's lookup for keys its listings show to be absent. Over files
// that spell names in every way the system may still match, it must read exactly what the
// system's own lookup reads.
TEST(LayeredIniFile, ReadsWhatTheSystemReadsKeyByKey) {
    std::string longSection = "[Application]\r\n";  // longer than the first listing read
    for (int i = 0; i < 2000; ++i) longSection += "Filler" + std::to_string(i) + "=xxxxxxxx\r\n";
    const std::string files[] = {
        "[Application]\r\nMain Class=a\r\n",
        "[ application ]\r\n  MAIN CLASS  =  b  \r\n",
        "[Application]\r\nMain Class\r\nMain Class=c\r\n",
        "[Application]\r\n;Main Class=d\r\nMain  Class=e\r\n",
        "[Application]\r\nMain Class=\"f\"\r\n[Application]\r\nCmd=g\r\n",
        "[Application]\r\n[Application+]\r\nCmd=h\r\n[APPLICATION]\r\nCmd=i\r\n",
        "[Appl\xC4\xB1" "cation]\r\nMa\xC4\xB1n Class=j\r\n",  // dotless i, UTF-8 without mark
        "\xEF\xBB\xBF[Application]\r\nCmd=k\r\n",
        "[Application]\r\n=l\r\nCmd==m\r\n\tCmd\t=n\r\n",
        "no section\r\nCmd=o\r\n[]\r\nCmd=p\r\n[Application]\r\nMain-Class=q\r\n",
        longSection + "Cmd=last\r\n",
    };
    const char16_t* sections[] = {u"Application", u"Application+", u"Class Path"};
    const char16_t* keys[] = {u"Main Class", u"Cmd", u"Main-Class", u"Missing"};
    TempFolder folder;
    int index = 0;
    for (const std::string& text : files) {
        const WideString file = folder / FromNarrow("app" + std::to_string(index++) + ".ini");
        TempFolder::WriteFile(file, text);
        LayeredIniFile layered(file);
        IniFile plain(file);
        for (const char16_t* section : sections) {
            for (const char16_t* key : keys) {
                WideString expected;
                plain.GetString(section, key, expected);
                WideString value(u"stale");
                layered.GetUnlayeredString(section, key, value);
                EXPECT_EQ(value, expected) << text.substr(0, 60);
            }
        }
    }
}
