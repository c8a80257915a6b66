// libFuzzer target for the command-line rules: the input (UTF-16LE) is split as "Cmd" and the
// process command line are, and lists of arguments written out quoted or bare split back.
#include "fuzz_support.h"
#include "launch/command_line.h"

static Texts Split(const std::u16string& text) {
    StringList list;
    SplitArguments(text, list);
    return Items(list);
}

static std::u16string Join(const Texts& arguments, const std::u16string& quote) {
    std::u16string text;
    for (const std::u16string& argument : arguments) text += (text.empty() ? u"" : u" ") + quote + argument + quote;
    return text;
}

FUZZ_TARGET {
    std::u16string text = FuzzInput{data, size}.Utf16();
    const Texts tokens = Split(text);
    Check(tokens.size() <= text.size() && Join(tokens, u"").size() <= text.size(), "tokens never hold more than the text");
    Check(Join(tokens, u"").find(u'"') != kNone || Split(Join(tokens, u"\"")) == tokens, "quoted tokens split back");

    // The input's lines, quotes taken out: quoted, bare where they hold no blank, and behind a
    // program path, they are the arguments again.
    text.erase(std::remove(text.begin(), text.end(), u'"'), text.end());
    const Texts lines = Pieces(text, u'\n');
    Check(Split(Join(lines, u"\"")) == lines, "quoted lines split back");
    const bool bare = std::none_of(lines.begin(), lines.end(), [](const std::u16string& line) {
        return line.empty() || line.find(u' ') != kNone;
    });
    Check(!bare || Split(Join(lines, u"")) == lines, "bare lines split back");
    StringList list;
    ParseCommandLineText(u"app.exe " + Join(lines, u"\""), list);
    Check(Items(list) == lines, "the arguments behind a program path come through");
    return 0;
}
