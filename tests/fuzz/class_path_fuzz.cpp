// libFuzzer target for the class-path entry rules: which entries need a file search, and the
// pattern and name prefix of that search. The input (UTF-16LE) is the entry, then a zero unit,
// then the executable's folder.
#include "fuzz_support.h"
#include "vmhost/launch_configuration.h"

FUZZ_TARGET {
    const std::u16string text = FuzzInput{data, size}.Utf16();
    const size_t zero = std::min(text.find(u'\0'), text.size());
    const std::u16string entry = text.substr(0, zero);
    const std::u16string folder = zero + 1 < text.size() ? text.substr(zero + 1) : u"C:\\App\\";
    const ClassPathSearch search = ClassPathSearchFor(WideString(entry), WideString(folder));
    const std::u16string pattern = search.pattern.Std(), prefix = search.prefix.Std();
    // A relative entry is put behind the folder, and it (or a wildcard) needs a search.
    Check(pattern == entry || pattern == folder + entry, "the pattern is the entry, alone or behind the folder");
    Check(ClassPathEntryNeedsSearch(entry) == (pattern != entry || entry.find(u'*') != kNone),
          "wildcards and relative entries need a search");
    // The prefix is the pattern up to the entry's last "\" or "/": a found name goes behind it.
    const size_t separator = entry.find_last_of(u"\\/");
    Check(pattern.compare(0, prefix.size(), prefix) == 0 &&
              pattern.substr(prefix.size()) == entry.substr(separator == kNone ? 0 : separator + 1),
          "the prefix is the pattern up to the entry's last separator");
    return 0;
}
