#include "launch/messages.h"

#include "launch/string_table.h"
#include "support/fatal.h"
#include "support/utf8.h"

void LoadMessage(WideString& out, int32_t id) { LoadStringResource(out, FindStringModule(id), id); }

WideString LoadMessage(int32_t id) {
    WideString text;
    LoadMessage(text, id);
    return text;
}

void FormatResourceMessage(WideString& out, int32_t id, std::initializer_list<FormatArg> args) {
    WideString pattern;
    LoadMessage(pattern, id);
    if (pattern.IsEmpty()) FatalInvalidArgument();
    out = Format(pattern, args);
}

void ReportError(const WideString& format, const WideString& text1) {
    PrintError(Format(format, {text1}));
}

void ReportError(const WideString& format, const WideString& text1, const WideString& text2) {
    PrintError(Format(format, {text1, text2}));
}

void ReportErrorCode(const WideString& format, const WideString& text, int32_t code) {
    PrintError(Format(format, {text, code}));
}

void ReportWindowsError(int32_t reasonId, uint32_t errorCode) {
    ReportErrorCode(LoadMessage(kMsgWindowsException), LoadMessage(reasonId),
                    static_cast<int32_t>(errorCode));
}

WideString ErrorLine(std::u16string_view text) {
    WideString line(u"Error: ");
    line.Append(text).Append(u" \n");
    return line;
}

void PrintError(std::u16string_view text) { WriteErrorLine(ErrorLine(text)); }

ByteString EncodeForStream(std::u16string_view text) {
    ByteString utf8 = EncodeUtf8(text);
    ByteString out;
    out.reserve(utf8.size() + 8);
    for (char c : utf8) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}
