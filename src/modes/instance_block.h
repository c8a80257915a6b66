#pragma once

#include <cstdint>

// The layout of the 2092-byte block that launches of one single-instance executable share.
struct InstanceBlock {
    uint32_t listenerThreadId;
    uint32_t ownerProcessId;
    uint32_t messageNumber;
    unsigned char argumentArea[2080];
};
static_assert(sizeof(InstanceBlock) == 2092, "shared layout");
