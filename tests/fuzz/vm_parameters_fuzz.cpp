// libFuzzer target for the "Virtual Machine Parameters" tokenizer and RemoveQuotes: the input
// (UTF-16LE) is split and unquoted as the launcher does, and checked against the text it came
// from and against values written in quotes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "vmhost/vm_parameters.h"

namespace {
constexpr size_t kNone = std::u16string_view::npos;

// Whether a and b are the same apart from their quotes.
bool SameWithoutQuotes(std::u16string_view a, std::u16string_view b) {
    size_t i = 0, j = 0;
    for (;;) {
        while (i < a.size() && a[i] == u'"') ++i;
        while (j < b.size() && b[j] == u'"') ++j;
        if (i == a.size() || j == b.size()) return i == a.size() && j == b.size();
        if (a[i++] != b[j++]) return false;
    }
}

void CheckUnquoted(std::u16string_view token) {
    WideString text(token);
    RemoveQuotes(text);
    Check(token.find(u'"') != kNone || text.View() == token, "nothing to unquote without a quote");
    // Only quotes go, two at a time.
    Check(SameWithoutQuotes(text.View(), token), "only quotes removed");
    Check(static_cast<size_t>(text.Length()) <= token.size() &&
              (token.size() - static_cast<size_t>(text.Length())) % 2 == 0,
          "quotes removed in pairs");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string text = FuzzInput(data, size).Utf16();

    StringList list;
    SplitVmParameters(text, list);
    const std::vector<std::u16string> tokens = Items(list);

    // The tokens are the text itself, cut at runs of blanks: only the first may be empty (the
    // text began with a blank), each ends at a blank or at the end, and a blank inside one
    // stands between quotes.
    size_t at = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        Check(text.compare(at, tokens[i].size(), tokens[i]) == 0, "token is the text in place");
        Check(i == 0 || !tokens[i].empty(), "only the first token may be empty");
        Check(tokens[i].find(u'"') != kNone || tokens[i].find(u' ') == kNone, "blanks only within quotes");
        at += tokens[i].size();
        Check(at == text.size() || text[at] == u' ', "a token ends at a blank");
        while (at < text.size() && text[at] == u' ') ++at;
    }
    Check(at == text.size(), "the tokens cover the text");

    for (const std::u16string& token : tokens) CheckUnquoted(token);
    // Any text at all, not only tokens, for RemoveQuotes on its own.
    CheckUnquoted(text);

    // Values written as -Dv="value" with blanks in them come back as one token each, intact,
    // as long as the value holds no quote.
    std::u16string clean;
    for (char16_t unit : text)
        if (unit != u'"') clean.push_back(unit);
    const std::vector<std::u16string> values = Pieces(clean, u'\n');
    std::u16string written;
    for (const std::u16string& value : values) {
        if (!written.empty()) written.push_back(u' ');
        written.append(u"-Dv=\"").append(value).push_back(u'"');
    }
    list.Clear();
    SplitVmParameters(written, list);
    Check(list.Count() == static_cast<int32_t>(values.size()), "one token per quoted value");
    for (int32_t i = 0; i < list.Count(); ++i) {
        RemoveQuotes(list[i]);
        const std::u16string_view back = list[i].View();
        Check(back.substr(0, 4) == u"-Dv=" && back.substr(4) == values[static_cast<size_t>(i)],
              "quoted value comes back");
    }
    return 0;
}
