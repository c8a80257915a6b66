#include "modes/instance_block.h"

#include <cstddef>
#include <cstring>

#include "support/fatal.h"

namespace {
char16_t UnitAt(const InstanceBlock& block, size_t offset) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&block);
    return static_cast<char16_t>(bytes[offset] | bytes[offset + 1] << 8);
}
}  // namespace

WideString InstanceName(const WideString& modulePath) {
    WideString name = modulePath;
    name.ReplaceUnit(u'\\', u'_');
    return name;
}

bool WriteArguments(const StringList& arguments, InstanceBlock& block) {
    size_t needed = 2;  // the closing zero unit
    for (const WideString& argument : arguments) {
        needed += 2 * static_cast<size_t>(argument.Length()) + 2;
        if (needed > kArgumentBytes) return false;
    }
    std::memset(block.argumentArea, 0, kArgumentBytes);
    size_t at = 0;
    for (const WideString& argument : arguments) {
        for (int32_t i = 0; i < argument.Length(); ++i) {
            block.argumentArea[at++] = static_cast<unsigned char>(argument[i] & 0xFF);
            block.argumentArea[at++] = static_cast<unsigned char>(argument[i] >> 8);
        }
        at += 2;
    }
    return true;
}

void ReadArguments(const InstanceBlock& block, StringList& arguments) {
    WideString current;
    // Each unit is read with the one after it, both before the tag.
    constexpr size_t end = offsetof(InstanceBlock, requestProcessId) - 2;
    for (size_t offset = 12; offset < end; offset += 2) {
        const char16_t unit = UnitAt(block, offset);
        if (unit != 0) {
            current.Append(unit);
            continue;
        }
        if (!arguments.Append(current)) FatalOutOfMemory();
        if (UnitAt(block, offset + 2) == 0) return;
        current.Clear();
    }
}
