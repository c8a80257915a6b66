#pragma once

#include <ostream>

#include "support/utf8.h"
#include "support/wide_string.h"

// Lets GoogleTest show WideString values as text in failure messages.
inline void PrintTo(const WideString& text, std::ostream* out) {
    *out << '"' << EncodeUtf8(text) << '"';
}
