#pragma once

#include <string>
#include <vector>

#include "support/string_list.h"

// A list's items as standard strings, for comparing a whole list in one assertion.
inline std::vector<std::u16string> Items(const StringList& list) {
    std::vector<std::u16string> items;
    for (const WideString& item : list) items.push_back(item.Std());
    return items;
}
