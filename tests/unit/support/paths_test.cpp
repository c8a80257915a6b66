#include <gtest/gtest.h>

#include "common/string_lists.h"
#include "common/wide_printer.h"

#include "support/paths.h"

TEST(PathClassification, AbsoluteFullUncAndLongPrefix) {
    struct Case {
        const char16_t* path;
        bool absolute, full, unc, prefixed;
    } cases[] = {
        {u"C:\\a", true, true, false, false},
        {u"C:", true, false, false, false},
        {u"1:\\x", true, false, false, false},
        {u"c:/x", true, true, false, false},
        {u"\\\\srv\\share", true, true, true, false},
        {u"\\\\?\\C:\\a", true, true, false, true},
        {u"\\\\?", true, true, false, false},
        {u"//srv/share", false, true, false, false},
        {u"\\a", false, false, false, false},
        {u"a", false, false, false, false},
        {u"", false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(c.path)));
        EXPECT_EQ(IsAbsolutePath(c.path), c.absolute);
        EXPECT_EQ(IsFullyQualifiedPath(c.path), c.full);
        EXPECT_EQ(IsUncPath(c.path), c.unc);
        EXPECT_EQ(HasLongPathPrefix(c.path), c.prefixed);
    }
}

TEST(SplitPath, RootThenComponents) {
    struct Case {
        const char16_t* path;
        std::vector<std::u16string> parts;
    } cases[] = {
        {u"\\\\srv\\share\\d\\f.txt", {u"\\\\srv", u"share", u"d", u"f.txt"}},
        {u"\\\\?\\C:\\a\\f.txt", {u"\\\\?\\C:", u"a", u"f.txt"}},
        {u"C:\\a\\\\b\\", {u"C:", u"a", u"", u"b"}},
        {u"\\rooted\\f", {u"rooted", u"f"}},
    };
    for (const Case& c : cases) {
        PathParts parts;
        SplitPath(c.path, parts);
        EXPECT_EQ(Items(parts), c.parts) << testing::PrintToString(std::u16string(c.path));
    }
}

TEST(LongPathForm, ThePrefixEachKindOfPathNeeds) {
    struct Case {
        const char16_t* path;
        const char16_t* form;
    } cases[] = {
        {u"C:\\a\\*.jar", u"\\\\?\\C:\\a\\*.jar"},
        {u"\\\\srv\\share\\*.jar", u"\\\\?\\UNC\\srv\\share\\*.jar"},
        {u"\\\\?\\C:\\a", u"\\\\?\\C:\\a"},
        {u"\\\\.\\pipe\\p", u"\\\\.\\pipe\\p"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LongPathForm(c.path), WideString(c.form))
            << testing::PrintToString(std::u16string(c.path));
}

TEST(WithTrailingSeparator, ExactlyOneFinalSeparator) {
    struct Case {
        std::u16string folder, expected;
    } cases[] = {
        {u"C:\\jre", u"C:\\jre\\"},
        {u"jre/", u"jre/\\"},
        {u"C:\\a\\\\b", u"C:\\a\\\\b\\"},  // only the final run is folded
        {u"", u"\\"},
        {u"C:\\jre" + std::u16string(100000, u'\\'), u"C:\\jre\\"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WithTrailingSeparator(WideString(c.folder)), WideString(c.expected))
            << c.folder.size();
}
