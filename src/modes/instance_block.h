#pragma once

#include <cstddef>
#include <cstdint>

#include "support/string_list.h"
#include "support/wide_string.h"

// The layout of the 2092-byte block that launches of one single-instance executable share.
struct InstanceBlock {
    uint32_t listenerThreadId;
    uint32_t ownerProcessId;
    uint32_t messageNumber;
    unsigned char argumentArea[2072];
    // Whose arguments the area holds: the forwarding launch's process and thread, written after
    // the arguments. A handler takes only its own launch's arguments, so a launch that died
    // while it waited can never have another's delivered in its name. Arguments never reach
    // this far.
    uint32_t requestProcessId;
    uint32_t requestThreadId;
};
static_assert(sizeof(InstanceBlock) == 2092, "shared layout");
static_assert(offsetof(InstanceBlock, argumentArea) == 12, "shared layout");
static_assert(offsetof(InstanceBlock, requestProcessId) == 2084, "shared layout");

// A forwarding launch writes into the first 1040 bytes of the area only.
inline constexpr size_t kArgumentBytes = 1040;

// The name of the block, the message and the events: the executable's full path with every "\"
// made "_" (kernel object names hold no backslash). C:\Apps\tool.exe gives C:_Apps_tool.exe.
WideString InstanceName(const WideString& modulePath);

// Each argument's UTF-16 units and a zero unit, then one more zero unit, from the area's start;
// the first 1040 bytes are cleared first. false, writing nothing, when that needs more than 1040
// bytes.
bool WriteArguments(const StringList& arguments, InstanceBlock& block);

// The arguments of a forwarded launch: strings up to each zero unit until two zero units meet,
// never reading past the area into the request's tag. An empty area gives one empty string; an empty argument ends the
// list before it.
void ReadArguments(const InstanceBlock& block, StringList& arguments);
