#pragma once

#include <cstdint>
#include <string_view>

#include "support/string_list.h"
#include "support/wide_string.h"

// "Virtual Machine Parameters" as the VM gets them: tokens, quotes, memory sizes given as a share
// of the machine's memory, and the run thread's stack size.

// Splits the text at blanks; a blank inside double quotes does not split, and a doubled quote
// after an opening one closes it. A text that begins with a blank gives an empty first token.
void SplitVmParameters(std::u16string_view text, StringList& tokens);

// Removes each pair of double quotes, keeping what lies between them; of a doubled closing quote
// the first is kept. `-Dapp.home="C:\My App"` becomes `-Dapp.home=C:\My App`.
void RemoveQuotes(WideString& token);

// The two memory figures a size in percent refers to, in bytes: total physical memory ("P") and
// the virtual address space still free in this process ("T").
struct MemoryFigures {
    uint64_t totalPhysical = 0;
    uint64_t availableVirtual = 0;
};
// Read from the system anew at each call. (memory_status_win.cpp / _native.cpp)
MemoryFigures ReadMemoryFigures();

// "-Xms", "-Xmx" or "-Xss" (case matters) ending in "P", "p", "T" or "t".
bool IsMemorySizeParameter(std::u16string_view token);
// Rewrites percent:minimum:maximum (megabytes) with its suffix into the size in kilobytes:
// -Xmx50:256:1024P on 8 GB gives -Xmx1048576K. The size is printed whole, however large.
void ExpandMemorySize(WideString& token, const MemoryFigures& memory);

// The stack size of the text after "-Xss" in bytes: one number with an optional k, m or g unit;
// 0 for anything else.
uint64_t ParseSize(std::u16string_view text);

// Whether a thread's stack of this many bytes may be asked of the system: beyond half the address
// space no stack fits, and the system's rounding to whole pages would wrap to a small size.
inline bool IsReservableStackSize(uint64_t bytes) { return bytes <= SIZE_MAX / 2; }
