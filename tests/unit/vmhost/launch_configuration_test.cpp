#include <gtest/gtest.h>

#include "common/wide_printer.h"
#include "launch/launcher.h"
#include "vmhost/launch_configuration.h"
#include "vmhost/stream_redirection.h"

// Class-path entries and the time in file names are checked on any input by their fuzz targets;
// here the cases a fuzzer does not reach.
TEST(RuntimeEnvironment, LibraryPathAndPath) {
    // With every part given, both are read end to end.
    const WideString vm(u"C:\\jre\\bin\\server\\jvm.dll");
    EXPECT_EQ(LibraryPathText(u"native", u"C:\\app\\", u"", vm),
              WideString(u"native;C:\\app\\;.;C:\\jre\\lib"));
    EXPECT_EQ(SystemPathText(u"", u"C:\\w", vm), WideString(u"C:\\w;C:\\jre\\bin"));
    EXPECT_EQ(SystemPathText(u"C:\\tools", u"", vm), WideString(u"C:\\tools;C:\\jre\\bin"));
}

namespace {
// Stand-ins for the system's formatters that show what each was given.
WideString FakeTime(std::u16string_view picture, const LocalTime&) {
    return u"t(" + WideString(picture) + u")";
}
WideString FakeDate(std::u16string_view picture, const LocalTime&) {
    return u"d(" + WideString(picture) + u")";
}
}  // namespace

// A pattern the formatters' buffer of 260 units cannot hold is never handed to them.
TEST(TimePattern, LongestPatternTheFormattersTake) {
    for (int32_t length : {259, 260}) {
        const WideString pattern(u'x', length);
        WideString name = u"out_%" + pattern + u"%.log";
        ExpandTimePattern(name, LocalTime{}, FakeTime, FakeDate);
        EXPECT_EQ(name, length < 260 ? u"out_d(t(" + pattern + u")).log" : WideString(u"out_.log"));
    }
}
