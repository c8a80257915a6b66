// libFuzzer target for the "Virtual Machine Parameters" tokenizer and RemoveQuotes: the input
// (UTF-16LE) is split and unquoted as the launcher does, and checked against the text it came
// from and against values written in quotes.
#include "fuzz_support.h"
#include "vmhost/vm_parameters.h"

static std::u16string Unquoted(std::u16string text) {
    text.erase(std::remove(text.begin(), text.end(), u'"'), text.end());
    return text;
}

FUZZ_TARGET {
    const std::u16string text = FuzzInput{data, size}.Utf16();
    StringList list;
    SplitVmParameters(text, list);
    // The tokens are the text itself, cut at runs of blanks: only the first may be empty (the
    // text began with a blank), and a blank inside one stands between quotes. Unquoting takes
    // only quotes, in pairs.
    size_t at = 0;
    for (int32_t i = 0; i < list.Count(); ++i) {
        WideString& token = list[i];
        const std::u16string before = token.Std();
        Check(text.compare(at, before.size(), before) == 0 && (at == 0 || !before.empty()) &&
                  (before.find(u'"') != kNone || before.find(u' ') == kNone),
              "a token is the text in place, not empty but first, its blanks within quotes");
        at += before.size();
        Check(at == text.size() || text[at] == u' ', "a token ends at a blank");
        at = std::min(text.find_first_not_of(u' ', at), text.size());
        RemoveQuotes(token);
        Check(Unquoted(token.Std()) == Unquoted(before) && (before.size() - token.Std().size()) % 2 == 0 &&
                  (before.find(u'"') != kNone || token.Std() == before),
              "quote removal takes only quotes, in pairs");
    }
    Check(at == text.size(), "the tokens cover the text");

    // Values without quotes written as -Dv="value", blanks and all, come back one token each.
    std::u16string written;
    Texts wanted;
    for (const std::u16string& value : Pieces(Unquoted(text), u'\n')) {
        written += (written.empty() ? u"-Dv=\"" : u" -Dv=\"") + value + u'"';
        wanted.push_back(u"-Dv=" + value);
    }
    list.Clear();
    SplitVmParameters(written, list);
    for (int32_t i = 0; i < list.Count(); ++i) RemoveQuotes(list[i]);
    Check(Items(list) == wanted, "quoted values come back, one token each");
    return 0;
}
