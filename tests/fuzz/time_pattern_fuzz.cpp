// libFuzzer target for ExpandTimePattern, the date and time in the names of the output and error
// files. The input holds the time (eight 16-bit fields), a byte whose low bit makes the stand-in
// formatters fail, and the file name (UTF-16LE). The stand-ins mark what they were given, so the
// result shows what reached them and in which order.
#include "fuzz_support.h"
#include "vmhost/stream_redirection.h"

static int calls = 0;
static bool formattersFail = false;
static std::u16string timePicture;

static WideString FakeTime(std::u16string_view picture, const LocalTime&) {
    timePicture = picture;
    return formattersFail ? WideString() : WideString(u"<" + timePicture + u">");
}

static WideString FakeDate(std::u16string_view picture, const LocalTime&) {
    ++calls;
    return formattersFail ? WideString() : WideString(u"[" + std::u16string(picture) + u"]");
}

FUZZ_TARGET {
    FuzzInput input{data, size};
    LocalTime time;
    for (uint16_t* field : {&time.year, &time.month, &time.dayOfWeek, &time.day, &time.hour, &time.minute,
                            &time.second, &time.milliseconds})
        *field = static_cast<uint16_t>(input.Field(2));
    formattersFail = input.Field(1) & 1;
    const std::u16string name = input.Utf16();
    calls = 0;
    timePicture = u"L";
    WideString expanded(name);
    ExpandTimePattern(expanded, time, FakeTime, FakeDate);
    // The text between the outer "%" goes to the time formatter with each "L" made the
    // milliseconds, unless that is empty or longer than the system's formatters take (260 units
    // with the zero); what it gives goes to the date formatter, and the result replaces it.
    const size_t first = std::min(name.find(u'%'), name.size()), last = name.rfind(u'%');
    const std::u16string between = last != kNone && first < last ? name.substr(first + 1, last - first - 1) : u"";
    if (between.find(u'L') == kNone)
        Check(calls == (!between.empty() && between.size() < 260) && (calls == 0 || timePicture == between),
              "the text between the outer % is the picture");
    else
        Check(calls == 0 || (calls == 1 && timePicture.size() < 260 && timePicture.find(u'L') == kNone),
              "each L made the milliseconds");
    const std::u16string filled = calls == 1 && !formattersFail ? u"[<" + timePicture + u">]" : u"";
    Check(first == name.size() ? expanded.Std() == name
                               : expanded.Std() == name.substr(0, first) + filled + name.substr(last + 1),
          "the pattern and its % replaced, the rest kept");
    return 0;
}
