// libFuzzer target for SplitList, which cuts "Class Path", "Library Path" and the other ";" lists:
// the first input unit picks a separator of one to four units from the next ones, the rest is the
// text (UTF-16LE). The pieces must join back into the text, and a list written with the
// separator must split back.
#include "fuzz_support.h"
#include "support/text.h"

static Texts Split(const std::u16string& text, const std::u16string& separator) {
    StringList list;
    list.Append(WideString(u"left over"));
    SplitList(text, separator, list);
    return Items(list);
}

static std::u16string Join(const Texts& pieces, const std::u16string& separator) {
    std::u16string text;
    for (size_t i = 0; i < pieces.size(); ++i) text += (i > 0 ? separator : u"") + pieces[i];
    return text;
}

FUZZ_TARGET {
    FuzzInput input{data, size};
    const size_t length = input.Field(2) % 4 + 1;
    std::u16string text = input.Utf16(), separator = u";";  // when the input is too short for one
    if (text.size() > length) {
        separator = text.substr(0, length);
        text.erase(0, length);
    }
    // The list emptied first; the pieces, none holding the separator, join back into the text
    // (but for a trailing separator, which the join cannot show).
    const Texts pieces = Split(text, separator);
    const std::u16string joined = Join(pieces, separator);
    for (const std::u16string& piece : pieces) Check(piece.find(separator) == kNone, "no piece holds the separator");
    Check(joined == text || joined + separator == text, "the pieces join back");

    // The input's lines, without the separator's units, written as a list split back into them
    // (when the last is not empty, which would read as a trailing separator).
    std::u16string clean;
    for (char16_t unit : text)
        if (unit == u'\n' || separator.find(unit) == kNone) clean.push_back(unit);
    const Texts lines = Pieces(clean, u'\n');
    Check(lines.back().empty() || Split(Join(lines, separator), separator) == lines, "a written list splits back");
    return 0;
}
