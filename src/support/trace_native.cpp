#include <cstdio>
#include <cstdlib>

#include "support/trace.h"
#include "support/utf8.h"

// The native build's stand-in: the trace goes to standard error when QZ_TRACE is set.
bool TraceEnabled() {
    static const bool enabled = [] {
        const char* setting = std::getenv("QZ_TRACE");
        return setting && *setting;
    }();
    return enabled;
}

void TraceLine(std::u16string_view text) {
    std::fprintf(stderr, "trace: %s\n", EncodeUtf8(text).c_str());
}
