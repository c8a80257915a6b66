#include <gtest/gtest.h>

#include "common/wide_printer.h"
#include "launch/launcher.h"
#include "vmhost/launch_configuration.h"
#include "vmhost/stream_redirection.h"

TEST(ClassPath, WhichEntriesAreSearched) {
    struct Case {
        const char16_t* entry;
        bool searched;
        const char16_t* pattern;
        const char16_t* prefix;
    } cases[] = {
        {u"C:\\lib\\a.jar", false, nullptr, nullptr},
        {u"\\lib\\*.jar", true, u"C:\\app\\lib\\*.jar", u"C:\\app\\lib\\"},
        {u"lib.jar", true, u"C:\\applib.jar", u"C:\\app"},
        {u"C:\\lib\\*.jar", true, u"C:\\lib\\*.jar", u"C:\\lib\\"},
        {u"/lib/b.jar", true, u"C:\\app/lib/b.jar", u"C:\\app/lib/"},
        {u"\\lib/x\\*.jar", true, u"C:\\app\\lib/x\\*.jar", u"C:\\app\\lib/x\\"},
        {u"\\\\server\\share\\*.jar", true, u"\\\\server\\share\\*.jar", u"\\\\server\\share\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassPathEntryNeedsSearch(c.entry), c.searched)
            << testing::PrintToString(std::u16string(c.entry));
        if (!c.searched) continue;
        const ClassPathSearch search = ClassPathSearchFor(c.entry, u"C:\\app");
        EXPECT_EQ(search.pattern, WideString(c.pattern));
        EXPECT_EQ(search.prefix, WideString(c.prefix));
    }
    EXPECT_TRUE(IsDotFolderName(u"."));
    EXPECT_TRUE(IsDotFolderName(u".."));
    EXPECT_FALSE(IsDotFolderName(u"...jar"));
}

TEST(RuntimeEnvironment, LibraryPathAndPath) {
    const WideString vm(u"C:\\jre\\bin\\server\\jvm.dll");
    EXPECT_EQ(LibraryPathText(u"native", u"C:\\app\\", u"C:\\w", vm),
              WideString(u"native;C:\\app\\;.;C:\\w;C:\\jre\\lib"));
    EXPECT_EQ(LibraryPathText(u"native", u"C:\\app\\", u"", vm),
              WideString(u"native;C:\\app\\;.;C:\\jre\\lib"));
    struct Case {
        const char16_t* systemPath;
        const char16_t* oldPath;
        const char16_t* path;
    } cases[] = {
        {u"C:\\tools;", u"C:\\w", u"C:\\tools;C:\\w;C:\\jre\\bin"},
        {u"", u"C:\\w", u"C:\\w;C:\\jre\\bin"},
        {u"C:\\tools", u"", u"C:\\tools;C:\\jre\\bin"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SystemPathText(c.systemPath, c.oldPath, vm), WideString(c.path))
            << testing::PrintToString(std::u16string(c.systemPath));
}

namespace {
// Stand-ins for the system's formatters that show what each was given.
WideString FakeTime(std::u16string_view picture, const LocalTime&) {
    return u"t(" + WideString(picture) + u")";
}
WideString FakeDate(std::u16string_view picture, const LocalTime&) {
    return u"d(" + WideString(picture) + u")";
}
WideString Failing(std::u16string_view, const LocalTime&) { return WideString(); }
}  // namespace

TEST(TimePattern, FileNames) {
    const LocalTime time{2024, 12, 2, 31, 23, 59, 58, 123};
    struct Case {
        const char16_t* name;
        const char16_t* expected;
    } cases[] = {
        {u"out_%yyyyMMdd-HHmmss_L%.log", u"out_d(t(yyyyMMdd-HHmmss_123)).log"},  // L: milliseconds
        {u"logs\\out.log", u"logs\\out.log"},
        {u"out%.log", u"out.log"},  // one "%" is both ends of an empty pattern
        {u"a%yyyy%b%MM%c", u"ad(t(yyyy%b%MM))c"},  // first to last "%"
    };
    for (const Case& c : cases) {
        WideString name(c.name);
        ExpandTimePattern(name, time, FakeTime, FakeDate);
        EXPECT_EQ(name, WideString(c.expected)) << testing::PrintToString(std::u16string(c.name));
    }
    WideString name(u"out_%yyyy%.log");
    ExpandTimePattern(name, time, Failing, Failing);
    EXPECT_EQ(name, WideString(u"out_.log"));
    // A pattern the formatters' buffer of 260 units cannot hold is never handed to them.
    for (int32_t length : {259, 260}) {
        const WideString pattern(u'x', length);
        WideString longName = u"out_%" + pattern + u"%.log";
        ExpandTimePattern(longName, time, FakeTime, FakeDate);
        const WideString expected = length < 260 ? u"out_d(t(" + pattern + u")).log" : u"out_.log";
        EXPECT_EQ(longName, expected) << length;
    }
}
