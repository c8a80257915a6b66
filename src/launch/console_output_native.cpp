#include <cstdio>

#include "launch/messages.h"

void WriteStandardOutput(std::u16string_view text) {
    const std::string bytes = EncodeForStream(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}
