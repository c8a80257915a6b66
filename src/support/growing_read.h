#pragma once

#include <cstdint>
#include <limits>

#include "support/fatal.h"
#include "support/wide_string.h"

// The one grow-and-retry loop for system calls that fill a caller's buffer: read(buffer, size)
// returns the units it wrote; while isCut(written, size) says the text may have been cut, the
// size doubles and the read starts again. The result holds exactly the units written, inner
// zeros included (section-name lists use them). A size that would overflow is fatal.
template <typename Read, typename IsCut>
WideString ReadGrowing(int32_t initialUnits, Read read, IsCut isCut) {
    WideString text;
    for (int32_t size = initialUnits;; size *= 2) {
        char16_t* buffer = text.Buffer(size);
        const uint32_t written = read(buffer, size);
        if (!isCut(written, size)) {
            if (written > static_cast<uint32_t>(size)) return WideString();
            return text.Left(static_cast<int32_t>(written));
        }
        if (size > std::numeric_limits<int32_t>::max() / 2) FatalOutOfMemory();
    }
}
