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

// The long-path prefix each kind of path needs, and exactly one final separator.
TEST(PathForms, LongPathPrefixAndTrailingSeparator) {
    struct Case {
        WideString (*form)(const WideString&);
        std::u16string path, expected;
    } cases[] = {
        {LongPathForm, u"C:\\a\\*.jar", u"\\\\?\\C:\\a\\*.jar"},
        {LongPathForm, u"\\\\srv\\share\\*.jar", u"\\\\?\\UNC\\srv\\share\\*.jar"},
        {LongPathForm, u"\\\\?\\C:\\a", u"\\\\?\\C:\\a"},
        {LongPathForm, u"\\\\.\\pipe\\p", u"\\\\.\\pipe\\p"},
        {WithTrailingSeparator, u"jre/", u"jre/\\"},
        {WithTrailingSeparator, u"C:\\a\\\\b", u"C:\\a\\\\b\\"},  // only the final run is folded
        {WithTrailingSeparator, u"", u"\\"},
        {WithTrailingSeparator, u"C:\\jre" + std::u16string(100000, u'\\'), u"C:\\jre\\"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.form(WideString(c.path)), WideString(c.expected))
            << testing::PrintToString(c.path.substr(0, 20));
}
