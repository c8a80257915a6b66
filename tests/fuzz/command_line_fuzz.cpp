// libFuzzer target for the command-line rules: the input (UTF-16LE) is split as "Cmd" and the
// process command line are, trimmed, and checked against a plain second reading and against the
// ways a list of arguments can be written so that it splits back into itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "launch/command_line.h"
#include "support/text.h"

namespace {
// Every token is one stretch of the text, so the second reading points into it instead of
// copying: the target runs several times faster without all those allocations.
using Views = std::vector<std::u16string_view>;

// A second reading, one unit at a time: a quote at a token's start groups up to the next quote
// (or the end), anything else runs to the next space; runs of spaces end a token.
Views Oracle(std::u16string_view text) {
    Views tokens;
    size_t i = 0;
    while (i < text.size()) {
        size_t start = i, end;
        if (text[i] == u'"') {
            start = ++i;
            while (i < text.size() && text[i] != u'"') ++i;
            end = i;
            if (i < text.size()) ++i;  // the closing quote
        } else {
            while (i < text.size() && text[i] != u' ') ++i;
            end = i;
        }
        tokens.push_back(text.substr(start, end - start));
        while (i < text.size() && text[i] == u' ') ++i;
    }
    return tokens;
}

bool Same(const StringList& list, int32_t from, const Views& expected) {
    if (list.Count() - from != static_cast<int32_t>(expected.size())) return false;
    for (size_t i = 0; i < expected.size(); ++i)
        if (list[from + static_cast<int32_t>(i)].View() != expected[i]) return false;
    return true;
}

// SplitArguments appends: what the list held stays in front.
void Split(std::u16string_view text, StringList& list) {
    list.Clear();
    list.Append(WideString(u"sentinel"));
    SplitArguments(text, list);
    Check(list.Count() >= 1 && list[0].View() == u"sentinel", "split appends");
}

bool Contains(std::u16string_view text, char16_t unit) {
    return text.find(unit) != std::u16string_view::npos;
}

// Every token quoted: splits back exactly when no token holds a quote itself.
std::u16string JoinQuoted(const Views& tokens) {
    std::u16string text;
    for (std::u16string_view token : tokens) {
        if (!text.empty()) text.push_back(u' ');
        text.push_back(u'"');
        text.append(token);
        text.push_back(u'"');
    }
    return text;
}

void CheckTrims(std::u16string_view text) {
    WideString leading(text);
    TrimLeadingSpace(leading);
    const size_t cut = text.size() - static_cast<size_t>(leading.Length());
    Check(text.substr(cut) == leading.View(), "leading trim keeps a suffix");
    for (size_t i = 0; i < cut; ++i) Check(IsWhiteSpace(text[i]), "only white space cut in front");
    Check(leading.IsEmpty() || !IsWhiteSpace(leading[0]), "no white space left in front");

    WideString trailing(text);
    TrimTrailingSpace(trailing);
    const size_t kept = static_cast<size_t>(trailing.Length());
    Check(text.substr(0, kept) == trailing.View(), "trailing trim keeps a prefix");
    for (size_t i = kept; i < text.size(); ++i) Check(IsWhiteSpace(text[i]), "only white space cut at the end");
    Check(trailing.IsEmpty() || !IsWhiteSpace(trailing[trailing.Length() - 1]), "no white space left at the end");

    const int32_t length = trailing.Length();
    TrimTrailingSpace(trailing);
    Check(trailing.Length() == length, "trailing trim is idempotent");
    const int32_t leadingLength = leading.Length();
    TrimLeadingSpace(leading);
    Check(leading.Length() == leadingLength, "leading trim is idempotent");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string text = FuzzInput(data, size).Utf16();
    StringList list;

    Split(text, list);
    const Views tokens = Oracle(text);
    Check(Same(list, 1, tokens), "split as the second reading says");
    size_t units = 0;
    bool anyQuote = false;
    for (size_t i = 0; i < tokens.size(); ++i) {
        units += tokens[i].size();
        anyQuote |= Contains(tokens[i], u'"');
        Check(i == 0 || !tokens[i].empty() || Contains(text, u'"'), "only quotes give an empty token after the first");
    }
    Check(units <= text.size(), "tokens never hold more than the text");
    if (!anyQuote) {
        Split(JoinQuoted(tokens), list);
        Check(Same(list, 1, tokens), "quoted join splits back");
    }

    // A list of its own from the input's lines, quotes taken out: quoted, or bare where safe.
    std::u16string clean;
    for (char16_t unit : text)
        if (unit != u'"') clean.push_back(unit);
    Views lines;
    for (size_t start = 0;;) {
        const size_t end = clean.find(u'\n', start);
        lines.push_back(std::u16string_view(clean).substr(start, end == std::u16string::npos ? end : end - start));
        if (end == std::u16string::npos) break;
        start = end + 1;
    }
    Split(JoinQuoted(lines), list);
    Check(Same(list, 1, lines), "quoted lines split back");
    bool bareSafe = true;
    std::u16string bareJoin;
    for (std::u16string_view line : lines) {
        bareSafe &= !line.empty() && !Contains(line, u' ');
        if (!bareJoin.empty()) bareJoin.push_back(u' ');
        bareJoin.append(line);
    }
    if (bareSafe) {
        Split(bareJoin, list);
        Check(Same(list, 1, lines), "bare join splits back");
    }

    CheckTrims(text);

    // The whole command line: trimmed at both ends, split, the program path dropped.
    WideString trimmed(text);
    TrimLeadingSpace(trimmed);
    TrimTrailingSpace(trimmed);
    Views expected = Oracle(trimmed.View());
    if (!expected.empty()) expected.erase(expected.begin());
    list.Clear();
    ParseCommandLineText(text, list);
    Check(Same(list, 0, expected), "command line is the split of the trimmed text less one");
    return 0;
}
