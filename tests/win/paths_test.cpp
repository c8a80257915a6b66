#include <gtest/gtest.h>

#include "common/wide_printer.h"

#include "support/paths.h"
#include "temp_folder.h"

// The file finder and the existence checks are exercised end to end by class-path wildcards
// (long, UNC, with forward slashes) and runtime folders.
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
