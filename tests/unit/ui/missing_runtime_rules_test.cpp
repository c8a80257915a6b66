#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/wide_printer.h"
#include "config/settings.h"
#include "ui/missing_runtime_rules.h"

// The bounds as the settings reader makes them from "Minimum Version" and "Maximum Version".
TEST(MissingRuntimeMessage, VersionPhraseForEachBound) {
    struct Case {
        const char16_t *minimum, *maximum, *phrase;
    } cases[] = {
        {u"any", u"ANY", u"latest version"},  // digit-free: no bound
        {u"", u"1.8", u"maximum version 1.8"},
        {u"0.0.0.1", u"", u"minimum version 0.0.0.1"},  // all parts decide
        {u"1.7", u"65535.1", u"version between 1.7 and 65535.1"},
        {u"1.8", u"1.8.0.0", u"version 1.8 is required"},
        // 1.8.0.0 and 1.8.65535.65535 differ in their filled parts.
        {u"1.8", u"1.8", u"version between 1.8 and 1.8"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VersionPhrase(MinimumVersionSetting(c.minimum), MaximumVersionSetting(c.maximum)),
                  WideString(c.phrase));
    }
    // favor_server: the message asks for no server VM.
    EXPECT_EQ(RuntimeNotFoundMessage(2, JavaVersion::NoLowerBound(), JavaVersion::NoUpperBound()),
              WideString(u"The Java Runtime Environment (JRE) was not found. Please  download "
                         u"and install a JRE (latest version) from:"));
}

TEST(MissingRuntimeDialog, BrowsedFolderAndPlacement) {
    EXPECT_EQ(BrowsedFolder(u""), WideString());  // a folder chosen is saved end to end

    // The dialog centred on the target, kept whole inside the work area.
    const ScreenRect small{0, 0, 300, 200}, work{0, 0, 1000, 800};
    struct Case {
        ScreenRect dialog, target;
        int32_t left, top;
    } cases[] = {
        {small, work, 350, 300},                   // the work area itself
        {small, {900, 700, 1100, 900}, 700, 600},  // pushed back at the right and bottom
        {small, {-100, -50, 100, 50}, 0, 0},       // pushed back at the left and top
        {small, {101, 0, 200, 100}, 0, 0},         // odd centres are cut to whole pixels
        {{0, 0, 1200, 900}, work, 0, 0},           // larger than the work area: left and top win
    };
    for (const Case& c : cases) {
        const ScreenRect placed = CenteredPosition(c.dialog, c.target, work);
        EXPECT_EQ((std::vector<int32_t>{placed.left, placed.top, placed.right, placed.bottom}),
                  (std::vector<int32_t>{c.left, c.top, c.left + c.dialog.right, c.top + c.dialog.bottom}));
    }
}

// The link colour's form (three numbers, at most 24 bytes, a zero-terminated string) is checked
// by its fuzz target.
TEST(HyperLink, BrowserColourValues) {
    struct Case {
        std::u16string text;
        uint32_t colour;
    } cases[] = {
        {u"255,0,0", 0x0000FF},
        {u"256,1,513", 0x010100},  // each number cut to its low 8 bits
        {std::u16string(u"0,0,255\0x", 9), 0xFF0000},  // read up to the first zero
    };
    for (const Case& c : cases) {
        uint32_t colour = 0xDEAD;
        const uint32_t bytes = static_cast<uint32_t>((c.text.size() + 1) * 2);
        EXPECT_TRUE(ParseLinkColour(c.text.c_str(), bytes, true, colour)) << testing::PrintToString(c.text);
        EXPECT_EQ(colour, c.colour);
    }
}

// Each row: the label, then its parts as before|link|after.
TEST(HyperLink, MarkupParts) {
    for (const auto& [label, parts] :
         {std::pair{u"Get it <a>here</A> now", u"Get it |here| now"},
          {u"https://adoptium.net/ <A>", u"|https://adoptium.net/ <A>|"}}) {  // no closing tag
        const LinkParts split = SplitLinkMarkup(label);
        EXPECT_EQ(split.before + u"|" + split.link + u"|" + split.after, WideString(parts));
    }
}
