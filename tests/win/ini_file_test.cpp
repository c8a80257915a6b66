#include <gtest/gtest.h>

#include "common/wide_printer.h"

#include "config/ini_file.h"
#include "temp_folder.h"

// The "+" section fills keys that are empty or absent, and is found in any letter case, as the
// profile functions find sections. Absent sections and keys read empty (as do absent files: the
// system answers alike). Values of any length come whole (the buffer doubles from 256 units while
// a value may have been cut).
TEST(LayeredIniFile, PlusSectionFillsEmptyKeysOnly) {
    TempFolder folder;
    const WideString file = folder / u"app.ini";
    std::string text = "[Java Runtime Environment]\r\nMain Class=com.example.App\r\n"
                       "[Java Runtime Environment+]\r\nMain Class=ignored\r\n"
                       // The system drops outer blanks and one pair of quotes.
                       "System Path=  \" sys\"  \r\n"
                       "[application]\r\nCmd=\r\n[APPLICATION+]\r\nCmd=--x\r\n";
    for (int length : {255, 3000})
        text += "Key" + std::to_string(length) + "=" + std::string(size_t(length), 'v') + "\r\n";
    TempFolder::WriteFile(file, text);
    struct Case {
        const char16_t *section, *key;
        std::u16string value;
    } cases[] = {
        {u"Java Runtime Environment", u"Main Class", u"com.example.App"},
        {u"Java Runtime Environment", u"System Path", u" sys"},
        {u"Application", u"Cmd", u"--x"},
        {u"Nowhere", u"Cmd", u""},
        {u"APPLICATION+", u"Key255", std::u16string(255, u'v')},
        {u"APPLICATION+", u"Key3000", std::u16string(3000, u'v')},
    };
    LayeredIniFile layered(file);
    for (const Case& c : cases) {
        WideString value(u"stale");
        layered.GetString(c.section, c.key, value);
        EXPECT_EQ(value, WideString(c.value)) << testing::PrintToString(WideString(c.key));
    }
}

// The layered reader skips the system's lookup for keys its listings show to be absent. Over files
// that spell names in every way the system may still match, it must read exactly what the
// system's own lookup reads.
TEST(LayeredIniFile, ReadsWhatTheSystemReadsKeyByKey) {
    std::string longSection = "[Application]\r\n";  // longer than the first listing read
    for (int i = 0; i < 2000; ++i) longSection += "Filler" + std::to_string(i) + "=xxxxxxxx\r\n";
    std::string manySections;  // names longer than the first read of the name list
    for (int i = 0; i < 40; ++i) manySections += "[Section number " + std::to_string(i) + "]\r\n";
    const std::string files[] = {
        "[ application ]\r\n  MAIN CLASS  =  b  \r\n",
        "[Application]\r\nMain Class\r\nMain Class=c\r\n",
        "[Application]\r\n;Main Class=d\r\nMain  Class=e\r\n",
        "[Application]\r\n[Application+]\r\nCmd=h\r\n[APPLICATION]\r\nCmd=i\r\n",
        "[Appl\xC4\xB1" "cation]\r\nMa\xC4\xB1n Class=j\r\n",  // dotless i, UTF-8 without mark
        "[Application]\r\n=l\r\nCmd==m\r\n\tCmd\t=n\r\n",
        "no section\r\nCmd=o\r\n[]\r\nCmd=p\r\n[Application]\r\nMain-Class=q\r\n",
        longSection + "Cmd=last\r\n",
        manySections + "[Application]\r\nCmd=r\r\n",
    };
    const char16_t* sections[] = {u"Application", u"Application+", u"Class Path"};
    const char16_t* keys[] = {u"Main Class", u"Cmd", u"Main-Class", u"Missing"};
    TempFolder folder;
    int index = 0;
    for (const std::string& text : files) {
        SCOPED_TRACE(text.substr(0, 60));
        const WideString file = folder / FromNarrow("app" + std::to_string(index++) + ".ini");
        TempFolder::WriteFile(file, text);
        LayeredIniFile layered(file);
        IniFile plain(file);
        for (const char16_t* section : sections)
            for (const char16_t* key : keys) {
                WideString expected;
                plain.GetString(section, key, expected);
                WideString value(u"stale");
                layered.GetUnlayeredString(section, key, value);
                EXPECT_EQ(value, expected);
            }
    }
}
