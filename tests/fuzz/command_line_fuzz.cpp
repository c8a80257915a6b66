// libFuzzer target for the command-line rules: the input (UTF-16LE) is split as "Cmd" and the
// process command line are, and lists of arguments written out quoted or bare split back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "launch/command_line.h"
#include "support/text.h"

namespace {
using Arguments = std::vector<std::u16string>;

// SplitArguments appends: what the list held stays in front.
Arguments Split(const std::u16string& text) {
    StringList list;
    list.Append(WideString(u"sentinel"));
    SplitArguments(text, list);
    Arguments tokens = Items(list);
    Check(!tokens.empty() && tokens[0] == u"sentinel", "split appends");
    tokens.erase(tokens.begin());
    return tokens;
}

std::u16string Join(const Arguments& arguments, bool quoted) {
    std::u16string text;
    for (const std::u16string& argument : arguments) {
        if (!text.empty()) text.push_back(u' ');
        text += quoted ? u'"' + argument + u'"' : argument;
    }
    return text;
}

bool Holds(const std::u16string& text, char16_t unit) { return text.find(unit) != std::u16string::npos; }

void CheckTrim(const std::u16string& text, bool leading) {
    WideString trimmed(text);
    leading ? TrimLeadingSpace(trimmed) : TrimTrailingSpace(trimmed);
    const size_t kept = static_cast<size_t>(trimmed.Length()), cut = text.size() - kept;
    Check(text.substr(leading ? cut : 0, kept) == trimmed.View(), "a trim keeps one piece of the text");
    for (size_t i = 0; i < cut; ++i) Check(IsWhiteSpace(text[leading ? i : kept + i]), "only white space cut");
    Check(kept == 0 || !IsWhiteSpace(trimmed[leading ? 0 : static_cast<int32_t>(kept) - 1]), "no white space left");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string text = FuzzInput(data, size).Utf16();
    const Arguments tokens = Split(text);
    size_t units = 0;
    bool anyQuote = false;
    for (const std::u16string& token : tokens) {
        units += token.size();
        anyQuote |= Holds(token, u'"');
    }
    Check(tokens.size() <= text.size() && units <= text.size(), "tokens never hold more than the text");
    if (!anyQuote) Check(Split(Join(tokens, true)) == tokens, "quoted tokens split back");

    // A list of its own from the input's lines, quotes taken out: quoted, or bare where safe.
    std::u16string clean;
    for (char16_t unit : text)
        if (unit != u'"') clean.push_back(unit);
    const Arguments lines = Pieces(clean, u'\n');
    Check(Split(Join(lines, true)) == lines, "quoted lines split back");
    bool bareSafe = true;
    for (const std::u16string& line : lines) bareSafe &= !line.empty() && !Holds(line, u' ');
    if (bareSafe) Check(Split(Join(lines, false)) == lines, "bare lines split back");

    CheckTrim(text, true);
    CheckTrim(text, false);

    // Behind any program path, the quoted lines are what the program gets.
    StringList list;
    ParseCommandLineText(u"app.exe " + Join(lines, true), list);
    Check(Items(list) == lines, "arguments behind the program path come through");
    return 0;
}
