#include <gtest/gtest.h>

#include "common/wide_printer.h"

#include "support/file_finder_win.h"
#include "support/paths.h"
#include "temp_folder.h"

// The existence checks are exercised end to end by runtime folders and class-path wildcards.
// Plain nested folders are made end to end (output files in new folders).
TEST(CreateParentFolders, LongPrefixedPathsAndAFailureThatUndoesOneLevel) {
    TempFolder folder;
    const WideString prefixed = WideString(u"\\\\?\\") + folder.path + u"\\x\\y\\f.txt";
    EXPECT_EQ(CreateParentFolders(prefixed), 0u);
    EXPECT_TRUE(TempFolder::IsFolder(folder / u"x\\y"));

    // Forward slashes separate nothing: the whole text is one name below the root.
    CreateParentFolders(folder.path + u"/fs/f.txt");
    EXPECT_FALSE(TempFolder::IsFolder(folder / u"fs"));

    // "v" and "v\w" are made; the name "bad?" is refused, so the level made just before it
    // ("v\w", empty) is taken away again, and only that one.
    EXPECT_EQ(CreateParentFolders(folder / u"v\\w\\bad?\\f.txt"), static_cast<uint32_t>(ERROR_INVALID_NAME));
    EXPECT_TRUE(TempFolder::IsFolder(folder / u"v"));
    EXPECT_FALSE(TempFolder::IsFolder(folder / u"v\\w"));
}

// Wine finds long paths without the prefix too, so only the folder shows whether it was added.
TEST(FileFinder, LongPatternsGetThePrefix) {
    TempFolder folder;
    for (int32_t length : {259, 260}) {
        // "<folder>\aaa...\*" exactly `length` units long.
        const WideString deep = folder.path + u"\\" + WideString(u'a', length - folder.path.Length() - 3);
        CreateDirectoryW(W(WideString(u"\\\\?\\") + deep), nullptr);
        FileFinder finder;
        ASSERT_TRUE(finder.FindFirst(deep + u"\\*")) << length;
        EXPECT_EQ(HasLongPathPrefix(finder.Folder()), length >= 260) << length;
        EXPECT_EQ(finder.Folder().Right(deep.Length()), deep);
    }
}
