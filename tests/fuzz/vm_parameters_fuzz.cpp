// libFuzzer target for the "Virtual Machine Parameters" tokenizer and RemoveQuotes: the input
// (UTF-16LE) is split and unquoted as the launcher does, and checked against a plain second
// reading, against the text it came from, and against values written in quotes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "vmhost/vm_parameters.h"

namespace {
constexpr size_t kNone = std::u16string_view::npos;
// Tokens are stretches of the text: the second reading points into it instead of copying.
using Views = std::vector<std::u16string_view>;

// A second reading, one unit at a time: a blank ends the token unless it lies between a quote
// and the next one; a quote right after a closing one belongs to that closing. A quote without
// a partner is an ordinary unit.
Views Oracle(std::u16string_view text) {
    Views tokens;
    size_t i = 0;
    while (i < text.size()) {
        const size_t start = i;
        while (i < text.size() && text[i] != u' ') {
            if (text[i] == u'"') {
                const size_t closing = text.find(u'"', i + 1);
                if (closing != kNone) {
                    i = closing + 1;
                    if (i < text.size() && text[i] == u'"') ++i;
                    continue;
                }
            }
            ++i;
        }
        tokens.push_back(text.substr(start, i - start));
        while (i < text.size() && text[i] == u' ') ++i;
    }
    return tokens;
}

// Each pair of quotes goes; of a doubled closing quote only the second.
std::u16string OracleUnquoted(std::u16string_view token) {
    std::u16string kept;
    kept.reserve(token.size());
    size_t i = 0;
    while (i < token.size()) {
        const size_t closing = token[i] == u'"' ? token.find(u'"', i + 1) : kNone;
        if (closing == kNone) {
            kept.push_back(token[i++]);
            continue;
        }
        kept.append(token.substr(i + 1, closing - i - 1));
        i = closing + 1;
        if (i < token.size() && token[i] == u'"') {
            kept.push_back(u'"');
            ++i;
        }
    }
    return kept;
}

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

bool Same(const StringList& list, const Views& expected) {
    if (list.Count() != static_cast<int32_t>(expected.size())) return false;
    for (size_t i = 0; i < expected.size(); ++i)
        if (list[static_cast<int32_t>(i)].View() != expected[i]) return false;
    return true;
}

void CheckUnquoted(std::u16string_view token) {
    WideString text(token);
    RemoveQuotes(text);
    Check(text.View() == OracleUnquoted(token), "unquoted as the second reading says");
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
    const Views tokens = Oracle(text);
    Check(Same(list, tokens), "split as the second reading says");

    // The tokens are the text itself, cut at runs of blanks: only the first may be empty (the
    // text began with a blank), and each ends at a blank or at the end.
    size_t at = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        Check(tokens[i].data() == text.data() + at, "token is the text in place");
        Check(i == 0 || !tokens[i].empty(), "only the first token may be empty");
        at += tokens[i].size();
        Check(at == text.size() || text[at] == u' ', "a token ends at a blank");
        while (at < text.size() && text[at] == u' ') ++at;
    }
    Check(at == text.size(), "the tokens cover the text");

    for (std::u16string_view token : tokens) CheckUnquoted(token);
    // Any text at all, not only tokens, for RemoveQuotes on its own.
    CheckUnquoted(text);

    // Values written as -Dv="value" with blanks in them come back as one token each, intact,
    // as long as the value holds no quote.
    std::u16string clean;
    for (char16_t unit : text)
        if (unit != u'"') clean.push_back(unit);
    Views values;
    for (size_t start = 0;;) {
        const size_t end = clean.find(u'\n', start);
        values.push_back(std::u16string_view(clean).substr(start, end == kNone ? end : end - start));
        if (end == kNone) break;
        start = end + 1;
    }
    std::u16string written;
    for (std::u16string_view value : values) {
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
