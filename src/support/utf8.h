#pragma once

#include <string>
#include <string_view>

#include "support/wide_string.h"

// UTF-8 encoding of UTF-16 text; an unpaired surrogate becomes U+FFFD. Used for error lines
// written to files and pipes, and as the native build's stand-in for the ANSI code page.
ByteString EncodeUtf8(std::u16string_view text);
// Decoding of UTF-8; malformed sequences become U+FFFD.
WideString DecodeUtf8(std::string_view text);

// Decoding of the JVM's modified UTF-8: supplementary characters arrive as two encoded
// surrogates and the zero unit as C0 80. Malformed sequences become U+FFFD.
WideString DecodeModifiedUtf8(std::string_view text);
