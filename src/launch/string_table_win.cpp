#include "launch/string_table.h"
#include "support/wide_win.h"

// The executable's own resources, in the language the thread locale selects (neutral request).
bool LoadStringBlock(int32_t id, const void*& block, size_t& sizeBytes) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceExW(module, MAKEINTRESOURCEW(6),  // RT_STRING
                                     MAKEINTRESOURCEW(StringBlockId(id)),
                                     MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    if (!resource) return false;
    HGLOBAL loaded = LoadResource(module, resource);
    if (!loaded) return false;
    block = LockResource(loaded);
    sizeBytes = SizeofResource(module, resource);
    return block != nullptr;
}
