#pragma once

#include <initializer_list>
#include <string_view>

#include "support/text.h"

// The trace of how the launcher decided ("QZ_TRACE"): one line per fact, for a person to read and
// for grep. "1" writes it to standard error; any other value names a file it is appended to (a
// service or a program without a console). Unset, the launcher writes nothing more and spends one
// look at the environment on it. (trace_win.cpp / _native.cpp)
bool TraceEnabled();
void TraceLine(std::u16string_view text);

// Formats and writes one line when the trace is on; nothing is formatted when it is off.
inline void Trace(std::u16string_view pattern, std::initializer_list<FormatArg> args = {}) {
    if (TraceEnabled()) TraceLine(Format(pattern, args));
}
