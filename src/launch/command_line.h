#pragma once

#include <string_view>

#include "support/string_list.h"
#include "support/wide_string.h"

// Appends the tokens of text: only the space separates, a double quote groups only at the start
// of a token, there is no escape character. An unterminated quote takes the rest of the text.
void SplitArguments(std::u16string_view text, StringList& list);

// Remove white space (as the C runtime's iswspace counts it) at either end, in place.
void TrimLeadingSpace(WideString& text);
void TrimTrailingSpace(WideString& text);

// Trims and splits a whole command line, then drops its first token (the program path).
void ParseCommandLineText(std::u16string_view commandLine, StringList& list);
// The same for this process's own command line (command_line_win.cpp).
void ParseCommandLine(StringList& list);
