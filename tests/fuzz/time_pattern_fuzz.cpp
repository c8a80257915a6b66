// libFuzzer target for ExpandTimePattern, the date and time in the names of the output and error
// files. The input holds the time (eight 16-bit fields), a byte that picks how the stand-in
// formatters answer, and the file name (UTF-16LE). The stand-ins mark what they were given, so
// the result shows what reached them and in which order.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "support/text.h"
#include "vmhost/stream_redirection.h"

namespace {
int timeCalls = 0;
int dateCalls = 0;
bool formattersFail = false;
std::u16string lastTimePicture;

WideString FakeTime(std::u16string_view picture, const LocalTime&) {
    ++timeCalls;
    lastTimePicture = std::u16string(picture);
    if (formattersFail) return WideString();
    return WideString(u"<" + std::u16string(picture) + u">");
}

WideString FakeDate(std::u16string_view picture, const LocalTime&) {
    ++dateCalls;
    if (formattersFail) return WideString();
    return WideString(u"[" + std::u16string(picture) + u"]");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    LocalTime time;
    time.year = input.Unit();
    time.month = input.Unit();
    time.dayOfWeek = input.Unit();
    time.day = input.Unit();
    time.hour = input.Unit();
    time.minute = input.Unit();
    time.second = input.Unit();
    time.milliseconds = input.Unit();
    formattersFail = input.Byte() & 1;
    const std::u16string name = input.Utf16();

    timeCalls = dateCalls = 0;
    WideString expanded(name);
    ExpandTimePattern(expanded, time, FakeTime, FakeDate);
    const std::u16string result = expanded.Std();

    const size_t first = name.find(u'%');
    if (first == std::u16string::npos) {
        Check(result == name, "a name without % stays");
        Check(timeCalls == 0 && dateCalls == 0, "no formatting without %");
        return 0;
    }
    const size_t last = name.rfind(u'%');
    // What reaches the time formatter: the text between the outer "%", each "L" made the
    // milliseconds in decimal.
    char16_t digits[12];
    const std::u16string milliseconds(digits, static_cast<size_t>(FormatDecimal(time.milliseconds, digits)));
    std::u16string picture;
    for (size_t i = first + 1; i < last; ++i) {
        if (name[i] == u'L') {
            picture += milliseconds;
        } else {
            picture.push_back(name[i]);
        }
    }
    std::u16string filled;
    // The system's formatters write into 260 units with their zero: a longer picture cannot fit.
    if (picture.empty() || picture.size() >= 260) {
        Check(timeCalls == 0 && dateCalls == 0, "an empty or too long pattern is not formatted");
    } else {
        Check(timeCalls == 1 && dateCalls == 1, "formatted once as a time, once as a date");
        Check(lastTimePicture == picture, "time formatter gets the pattern with L filled in");
        if (!formattersFail) filled = u"[<" + picture + u">]";
    }
    Check(result == name.substr(0, first) + filled + name.substr(last + 1),
          "the pattern and its % replaced, the rest kept");
    return 0;
}
