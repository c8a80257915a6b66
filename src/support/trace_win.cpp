#include "support/environment.h"
#include "support/trace.h"
#include "support/utf8.h"
#include "support/wide_win.h"

namespace {
struct TraceTarget {
    bool enabled = false;
    HANDLE output = nullptr;  // standard error, or the trace file (kept open for the process)
    bool console = false;
};

const TraceTarget& Target() {
    static const TraceTarget target = [] {
        TraceTarget chosen;
        const WideString setting = ReadEnvironmentVariable(u"QZ_TRACE");
        if (setting.IsEmpty()) return chosen;
        chosen.enabled = true;
        if (setting == WideString(u"1")) {
            chosen.output = GetStdHandle(STD_ERROR_HANDLE);
            DWORD mode;
            chosen.console = GetConsoleMode(chosen.output, &mode) != FALSE;
        } else {
            chosen.output = CreateFileW(W(setting), FILE_APPEND_DATA,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        }
        return chosen;
    }();
    return target;
}
}  // namespace

bool TraceEnabled() { return Target().enabled; }

void TraceLine(std::u16string_view text) {
    const TraceTarget& target = Target();
    if (!target.output || target.output == INVALID_HANDLE_VALUE) return;
    WideString line(u"trace: ");
    line.Append(text).Append(u"\r\n");
    DWORD written = 0;
    if (target.console) {
        WriteConsoleW(target.output, W(line), static_cast<DWORD>(line.Length()), &written,
                      nullptr);
        return;
    }
    // One write per line, so that lines of several threads stay whole.
    const ByteString bytes = EncodeUtf8(line);
    WriteFile(target.output, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
