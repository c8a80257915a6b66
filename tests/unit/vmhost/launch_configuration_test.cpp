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
// The system's pictures that the tests use: HH mm ss for the time, yyyy MM dd for the date.
WideString Replace(std::u16string_view picture, std::initializer_list<std::pair<std::u16string, int>> fields) {
    std::u16string text(picture);
    for (const auto& [field, value] : fields) {
        for (size_t at = text.find(field); at != std::u16string::npos; at = text.find(field, at)) {
            std::u16string digits;
            for (int rest = value, n = static_cast<int>(field.size()); n > 0; --n, rest /= 10)
                digits.insert(digits.begin(), static_cast<char16_t>(u'0' + rest % 10));
            text.replace(at, field.size(), digits);
            at += digits.size();
        }
    }
    return WideString(text);
}
WideString FakeTime(std::u16string_view picture, const LocalTime& t) {
    return Replace(picture, {{u"HH", t.hour}, {u"mm", t.minute}, {u"ss", t.second}});
}
WideString FakeDate(std::u16string_view picture, const LocalTime& t) {
    return Replace(picture, {{u"yyyy", t.year}, {u"MM", t.month}, {u"dd", t.day}});
}
WideString Failing(std::u16string_view, const LocalTime&) { return WideString(); }
}  // namespace

TEST(TimePattern, FileNames) {
    const LocalTime time{2024, 12, 2, 31, 23, 59, 58, 123};
    struct Case {
        const char16_t* name;
        const char16_t* expected;
    } cases[] = {
        {u"out_%yyyyMMdd-HHmmss%.log", u"out_20241231-235958.log"},
        {u"out_%HHmmss_L%.log", u"out_235958_123.log"},
        {u"logs\\out.log", u"logs\\out.log"},
        {u"out%.log", u"out.log"},  // one "%" is both ends of an empty pattern
        {u"a%yyyy%b%MM%c", u"a2024%b%12c"},  // first to last "%"
    };
    for (const Case& c : cases) {
        WideString name(c.name);
        ExpandTimePattern(name, time, FakeTime, FakeDate);
        EXPECT_EQ(name, WideString(c.expected)) << testing::PrintToString(std::u16string(c.name));
    }
    WideString name(u"out_%yyyy%.log");
    ExpandTimePattern(name, time, Failing, FakeDate);
    EXPECT_EQ(name, WideString(u"out_.log"));
    // A pattern the formatters' buffer of 260 units cannot hold is never handed to them.
    for (int32_t length : {259, 260}) {
        const WideString pattern(u'x', length);
        WideString longName = u"out_%" + pattern + u"%.log";
        ExpandTimePattern(longName, time, FakeTime, FakeDate);
        EXPECT_EQ(longName, u"out_" + (length < 260 ? pattern : WideString()) + u".log") << length;
    }
}
