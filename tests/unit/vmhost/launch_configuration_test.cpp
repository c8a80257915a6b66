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

// A pattern the formatters' buffer of 260 units cannot hold is never handed to them. The stand-ins
// for the system's formatters show what each was given.
TEST(TimePattern, LongestPatternTheFormattersTake) {
    const PictureFormatter time = [](auto p, auto&) { return u"t(" + WideString(p) + u")"; };
    const PictureFormatter date = [](auto p, auto&) { return u"d(" + WideString(p) + u")"; };
    for (int32_t length : {259, 260}) {
        const WideString pattern(u'x', length);
        WideString name = u"out_%" + pattern + u"%.log";
        ExpandTimePattern(name, LocalTime{}, time, date);
        EXPECT_EQ(name, length < 260 ? u"out_d(t(" + pattern + u")).log" : WideString(u"out_.log"));
    }
}
