#include "launch/string_table.h"

#include <cstring>

bool FindStringInBlock(const void* block, size_t sizeBytes, int32_t index, WideString& out) {
    out.Clear();
    if (!block || index < 0 || index >= kStringsPerBlock) return false;
    const auto* bytes = static_cast<const unsigned char*>(block);
    size_t offset = 0;
    for (int32_t entry = 0;; ++entry) {
        if (sizeBytes - offset < 2) return false;
        uint16_t length;
        std::memcpy(&length, bytes + offset, sizeof length);
        offset += 2;
        const size_t entryBytes = size_t{length} * 2;
        if (entryBytes > sizeBytes - offset) return false;
        if (entry == index) {
            if (length == 0) return false;
            std::memcpy(out.Buffer(length), bytes + offset, entryBytes);
            return true;
        }
        offset += entryBytes;
    }
}

bool LoadStringResource(WideString& out, ResourceModule module, int32_t id) {
    out.Clear();
    if (!module || id < 0) return false;
    const void* block = nullptr;
    size_t size = 0;
    return LoadStringBlock(module, id, block, size) &&
           FindStringInBlock(block, size, id % kStringsPerBlock, out);
}

ResourceModule FindStringModule(int32_t id) {
    WideString text;
    for (ResourceModule module : ProgramResourceModules()) {
        if (LoadStringResource(text, module, id)) return module;
    }
    return nullptr;
}
