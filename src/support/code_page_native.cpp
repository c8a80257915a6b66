#include "support/utf8.h"
#include "support/wide_string.h"

// The native build has no ANSI code page; UTF-8 is what a Linux JVM expects for option strings.
NarrowString ToNarrow(std::u16string_view text) { return NarrowString(EncodeUtf8(text)); }

WideString FromNarrow(std::string_view text) { return WideString(DecodeUtf8(text)); }
