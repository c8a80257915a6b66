// libFuzzer target for the class-path entry rules: which entries need a file search, and the
// pattern and name prefix of that search. The input (UTF-16LE) is the entry, then a zero unit,
// then the executable's folder.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "vmhost/launch_configuration.h"

namespace {
// Drive-letter ("C:...", any unit before the colon) and UNC paths count as full; the rest is
// relative to the executable's folder.
bool IsFull(const std::u16string& entry) {
    return entry.size() >= 2 && (entry[1] == u':' || (entry[0] == u'\\' && entry[1] == u'\\'));
}

bool StartsWith(const std::u16string& text, const std::u16string& start) {
    return text.compare(0, start.size(), start) == 0;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string text = FuzzInput(data, size).Utf16();
    const size_t zero = text.find(u'\0');
    const std::u16string entry = text.substr(0, zero);
    const std::u16string folder = zero == std::u16string::npos ? u"C:\\App" : text.substr(zero + 1);

    const bool wildcard = entry.find(u'*') != std::u16string::npos;
    const bool needsSearch = ClassPathEntryNeedsSearch(entry);
    Check(needsSearch == (wildcard || !IsFull(entry)), "search for wildcards and relative entries");

    const ClassPathSearch search = ClassPathSearchFor(WideString(entry), WideString(folder));
    const std::u16string pattern = search.pattern.Std();
    const std::u16string prefix = search.prefix.Std();
    // A relative entry is appended to the folder as written; a full one is its own pattern.
    Check(pattern == (IsFull(entry) ? entry : folder + entry), "pattern is folder and entry");
    // The prefix is the pattern up to and including the entry's last "\" or "/": what a found
    // name (which holds neither) is put behind to name the same file.
    Check(StartsWith(pattern, prefix), "prefix begins the pattern");
    const std::u16string namePart = pattern.substr(prefix.size());
    Check(namePart.size() <= entry.size(), "name part lies in the entry");
    Check(namePart.find_first_of(u"\\/") == std::u16string::npos, "name part holds no separator");
    Check(entry.compare(entry.size() - namePart.size(), namePart.size(), namePart) == 0,
          "name part ends the entry");
    const size_t lastSeparator = entry.find_last_of(u"\\/");
    Check(namePart.size() == (lastSeparator == std::u16string::npos ? entry.size()
                                                                    : entry.size() - lastSeparator - 1),
          "name part is what follows the entry's last separator");

    Check(IsDotFolderName(entry) == (entry == u"." || entry == u".."), "dot folders");
    return 0;
}
