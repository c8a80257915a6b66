#pragma once

#include <cstdint>

// A Java version as four signed 32-bit parts (major, minor, micro, update). All 0 means no lower
// bound and all 65535 no upper bound.
struct JavaVersion {
    int32_t major = 0;
    int32_t minor = 0;
    int32_t micro = 0;
    int32_t update = 0;
};
