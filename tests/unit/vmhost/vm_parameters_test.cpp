#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/string_lists.h"
#include "common/wide_printer.h"
#include "launch/launcher.h"
#include "vmhost/launch_configuration.h"
#include "vmhost/stream_redirection.h"
#include "vmhost/vm_parameters.h"

constexpr uint64_t kGiB = uint64_t{1} << 30;

TEST(VmParameters, TokensAndQuotes) {
    using V = std::vector<std::u16string>;
    struct Case {
        const char16_t* text;
        V tokens;
    } cases[] = {
        // A doubled closing quote keeps one quote as the last character of the kept text, and
        // a quote without a partner stays.
        {u"-Dq=\"say \"\"hi\" -X", V{u"-Dq=say \"hi\"", u"-X"}},
        {u"-Da=\"x\"\" y\" z", V{u"-Da=x\"", u"y\"", u"z"}},
        // Unterminated: the blank ends the token and the lone quote stays.
        {u"-Dq=\"open end", V{u"-Dq=\"open", u"end"}},
        {u"x\"a b\"y\"c d\"", V{u"xa byc d"}},
    };
    for (const Case& c : cases) {
        StringList tokens;
        SplitVmParameters(c.text, tokens);
        for (int32_t i = 0; i < tokens.Count(); ++i) RemoveQuotes(tokens[i]);
        EXPECT_EQ(Items(tokens), c.tokens) << testing::PrintToString(std::u16string(c.text));
    }
}

TEST(VmParameters, SplitIsLinearOnLongTexts) {
    // 200 000 tokens without a quote: a quadratic search for quotes would take minutes.
    std::u16string text;
    for (int i = 0; i < 200000; ++i) text += u"-Da ";
    StringList tokens;
    SplitVmParameters(text, tokens);
    EXPECT_EQ(tokens.Count(), 200000);
}

TEST(VmParameters, MemorySizes) {
    struct Case {
        const char16_t* token;
        uint64_t physical, virtualSpace;
        const char16_t* expected;
    } cases[] = {
        {u"-Xmx40p", 16 * kGiB, 0, u"-Xmx6710886K"},
        {u"-Xms:100P", 8 * kGiB, 0, u"-Xms102400K"},   // ":" first: no percentage, a minimum
        // 10 % of a 128 TiB address space is far beyond 2^31 K and is printed whole.
        {u"-Xmx10T", 0, uint64_t{128} << 40, u"-Xmx13743895347K"},
        {u"-XmxP", 8 * kGiB, 0, u"-XmxP0K"},
        {u"-xmx50P", 8 * kGiB, 0, u"-xmx50P"},     // the prefix is case-sensitive
        // Figures past 2^64 saturate instead of wrapping to some small size.
        {u"-Xmx99999999999999999999999P", 8 * kGiB, 0, u"-Xmx18446744073709551615K"},
    };
    for (const Case& c : cases) {
        WideString text(c.token);
        if (IsMemorySizeParameter(text)) ExpandMemorySize(text, {c.physical, c.virtualSpace});
        EXPECT_EQ(text, WideString(c.expected)) << testing::PrintToString(std::u16string(c.token));
    }
}

TEST(VmParameters, LastStackSizeOptionSetsTheRunThreadStack) {
    struct Case {
        const char16_t* text;
        size_t stack;
        std::vector<std::u16string> options;
    } cases[] = {
        {u"-Xss2m -Xss512k", 524288, {u"-Xss2m", u"-Xss512k"}},
        {u"-Xss%STACK%", 0, {u"-Xss%STACK%"}},  // expanded later, when its size is no longer read
        // A share of the memory is expanded before its size is read (64 MB whatever the machine).
        {u"-Xss1:64:64P", 64 << 20, {u"-Xss65536K"}},
        {u"-Xss1:2m", 0, {u"-Xss1:2m"}},  // no share (no "P" or "T"), so no size
        // Found by fuzzing: the last digit's sum wrapped, so 2^64 read as 0 and twenty nines as 8.
        {u"-Xss18446744073709551616", ~size_t{0}, {u"-Xss18446744073709551616"}},
        {u"-Xss18446744073709551614", ~size_t{0} - 1, {u"-Xss18446744073709551614"}},
    };
    for (const Case& c : cases) {
        Launcher launcher;
        StringList options;
        launcher.AddVmParameters(c.text, options);
        EXPECT_EQ(launcher.runThreadStackSize, c.stack) << testing::PrintToString(std::u16string(c.text));
        EXPECT_EQ(Items(options), c.options);
    }
}

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
