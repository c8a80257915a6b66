#include <gtest/gtest.h>

#include "common/wide_printer.h"

#include "support/file_finder_win.h"
#include "support/paths.h"
#include "temp_folder.h"

// Only the size and time query's success counts: its error codes are the system's own.
TEST(FileExists, FilesAndPatterns) {
    TempFolder folder;
    const WideString file = folder / u"x.txt";
    TempFolder::WriteFile(file, "12345");
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(folder / u"missing.txt"));
    EXPECT_FALSE(FileExists(u""));
    EXPECT_TRUE(PathExists(folder / u"*.txt"));
    EXPECT_FALSE(PathExists(folder / u"*.dll"));
}

TEST(CreateParentFolders, CreatesEveryLevelAboveTheFile) {
    TempFolder folder;
    CreateDirectoryW(W(folder / u"a"), nullptr);
    EXPECT_EQ(CreateParentFolders(folder / u"a\\b\\c\\f.txt"), 0u);
    EXPECT_TRUE(TempFolder::IsFolder(folder / u"a\\b\\c"));
    EXPECT_FALSE(TempFolder::IsFolder(folder / u"a\\b\\c\\f.txt"));

    const WideString prefixed = WideString(u"\\\\?\\") + folder.Path() + u"\\x\\y\\f.txt";
    EXPECT_EQ(CreateParentFolders(prefixed), 0u);
    EXPECT_TRUE(TempFolder::IsFolder(folder / u"x\\y"));

    // Forward slashes separate nothing: the whole text is one name below the root.
    CreateParentFolders(folder.Path() + u"/fs/f.txt");
    EXPECT_FALSE(TempFolder::IsFolder(folder / u"fs"));
}

TEST(CreateParentFolders, FailureUndoesOneLevelAndReportsTheError) {
    TempFolder folder;
    // "x" and "x\y" are made; the name "bad?" is refused, so the level made just before it
    // ("x\y", empty) is taken away again, and only that one.
    const uint32_t error = CreateParentFolders(folder / u"x\\y\\bad?\\f.txt");
    EXPECT_EQ(error, static_cast<uint32_t>(ERROR_INVALID_NAME));
    EXPECT_TRUE(TempFolder::IsFolder(folder / u"x"));
    EXPECT_FALSE(TempFolder::IsFolder(folder / u"x\\y"));
}

TEST(FileFinder, LongPatternsGetThePrefix) {
    TempFolder folder;
    // Two nested folders make the pattern exactly as long as wanted: "<folder>\a...\b...\*".
    auto patternOf = [&](int32_t length) {
        const int32_t fill = length - folder.Path().Length() - 4;
        const WideString deep = folder.Path() + u"\\" + WideString(u'a', fill / 2) + u"\\" +
                                WideString(u'b', fill - fill / 2);
        CreateParentFolders(WideString(u"\\\\?\\") + deep + u"\\f.txt");
        TempFolder::WriteFile(WideString(u"\\\\?\\") + deep + u"\\f.txt", "x");
        return deep + u"\\*";
    };
    for (int32_t length : {259, 300}) {
        const WideString pattern = patternOf(length);
        ASSERT_EQ(pattern.Length(), length);
        FileFinder finder;
        ASSERT_TRUE(finder.FindFirst(pattern)) << length;
        EXPECT_TRUE(finder.Found());
        EXPECT_EQ(HasLongPathPrefix(finder.Folder()), length >= 260) << length;
        const WideString plainFolder = pattern.Left(pattern.Length() - 2);
        EXPECT_EQ(finder.Folder().Right(plainFolder.Length()), plainFolder);
        // Behind the long-path prefix "/" would be no separator: the full path resolves it.
        WideString slashed = pattern;
        slashed.ReplaceUnit(u'\\', u'/');
        EXPECT_TRUE(finder.FindFirst(slashed)) << length;
    }
}

TEST(FileFinder, FolderOfThePattern) {
    TempFolder folder;
    TempFolder::WriteFile(folder / u"app.ini", "");
    FileFinder finder;
    ASSERT_TRUE(finder.FindFirst(folder / u"app.ini"));
    EXPECT_EQ(finder.Folder(), folder.Path());
    EXPECT_EQ(WideString(U(finder.Data().cFileName)), WideString(u"app.ini"));

    EXPECT_FALSE(finder.FindFirst(folder / u"missing.ini"));
    EXPECT_FALSE(finder.Found());
    EXPECT_EQ(GetLastError(), 2u);
}
