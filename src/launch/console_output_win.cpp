#include "launch/messages.h"
#include "support/wide_win.h"

// A console gets UTF-16 as it is; a file or pipe gets UTF-8, so no character of a path in an
// error line is lost to the console's code page.
void WriteStandardOutput(std::u16string_view text) {
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE) return;
    WideString lines;
    for (char16_t unit : text) {
        if (unit == u'\n') lines += u'\r';
        lines += unit;
    }
    DWORD mode;
    DWORD written;
    if (GetConsoleMode(output, &mode)) {
        WriteConsoleW(output, W(lines), static_cast<DWORD>(lines.Length()), &written, nullptr);
        return;
    }
    const ByteString bytes = EncodeForStream(text);
    WriteFile(output, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
