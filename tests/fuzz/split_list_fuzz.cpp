// libFuzzer target for SplitList, which cuts "Class Path", "Library Path" and the other ";" lists:
// the first input unit picks a separator of one to four units from the next ones, the rest is the
// text (UTF-16LE). The pieces must join back into the text, and a list written with the
// separator must split back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "support/text.h"

namespace {
// Where the leftmost, non-overlapping occurrences begin, as a reader of the list would find them.
std::vector<size_t> Occurrences(const std::u16string& text, const std::u16string& separator) {
    std::vector<size_t> found;
    for (size_t at = text.find(separator); at != std::u16string::npos;
         at = text.find(separator, at + separator.size()))
        found.push_back(at);
    return found;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const size_t separatorLength = input.Unit() % 4 + 1;
    std::u16string text = input.Utf16();
    // Most seeds hold no separator of their own: ";" then.
    std::u16string separator = u";";
    if (text.size() > separatorLength) {
        separator = text.substr(0, separatorLength);
        text.erase(0, separatorLength);
    }

    StringList list;
    list.Append(WideString(u"left over"));
    SplitList(text, separator, list);
    const std::vector<std::u16string> pieces = Items(list);

    // The list emptied first; the pieces, none holding the separator, join back into the text
    // (but for a trailing separator, which the join cannot show).
    std::u16string joined;
    for (size_t i = 0; i < pieces.size(); ++i) {
        Check(pieces[i].find(separator) == std::u16string::npos, "no piece holds the separator");
        if (i > 0) joined += separator;
        joined += pieces[i];
    }
    Check(joined == text || joined + separator == text, "pieces join back");

    // A list built from the pieces of the input's lines splits back into them, as long as no
    // piece holds the separator and the last one is not empty (that would read as a trailing one).
    const std::vector<std::u16string> lines = Pieces(text, u'\n');
    std::u16string written;
    std::vector<size_t> joins;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            joins.push_back(written.size());
            written += separator;
        }
        written += lines[i];
    }
    // Only when the separators written are the ones a reader finds: a piece may hold the
    // separator, or form one with its neighbour ("a" + "aa" + "x" read with "aa").
    if (!lines.back().empty() && Occurrences(written, separator) == joins) {
        SplitList(written, separator, list);
        Check(Items(list) == lines, "written list splits back");
    }
    return 0;
}
