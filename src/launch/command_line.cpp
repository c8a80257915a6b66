#include "launch/command_line.h"

#include "support/fatal.h"
#include "support/text.h"

namespace {
void Add(StringList& list, std::u16string_view token) {
    if (!list.Append(WideString(token))) FatalOutOfMemory();
}

size_t SkipSpaces(std::u16string_view text, size_t from) {
    while (from < text.size() && text[from] == u' ') ++from;
    return from;
}
}  // namespace

void SplitArguments(std::u16string_view text, StringList& list) {
    size_t p = 0;
    while (p < text.size()) {
        if (text[p] == u'"') {
            const size_t close = text.find(u'"', p + 1);
            if (close == std::u16string_view::npos) {
                Add(list, text.substr(p + 1));
                return;
            }
            Add(list, text.substr(p + 1, close - p - 1));
            p = SkipSpaces(text, close + 1);
        } else {
            const size_t space = text.find(u' ', p);
            if (space == std::u16string_view::npos) {
                Add(list, text.substr(p));
                return;
            }
            Add(list, text.substr(p, space - p));
            p = SkipSpaces(text, space);
        }
    }
}

void TrimLeadingSpace(WideString& text) {
    int32_t count = 0;
    while (count < text.Length() && IsWhiteSpace(text[count])) ++count;
    text.Remove(0, count);
}

void TrimTrailingSpace(WideString& text) {
    int32_t end = text.Length();
    while (end > 0 && IsWhiteSpace(text[end - 1])) --end;
    text.Remove(end, text.Length() - end);
}

void ParseCommandLineText(std::u16string_view commandLine, StringList& list) {
    WideString text(commandLine);
    TrimLeadingSpace(text);
    TrimTrailingSpace(text);
    SplitArguments(text, list);
    if (!list.IsEmpty()) list.RemoveAt(0);
}
