#include "launch/string_table.h"
#include "support/wide_win.h"

const std::vector<ResourceModule>& ProgramResourceModules() {
    static const std::vector<ResourceModule> modules{GetModuleHandleW(nullptr)};
    return modules;
}

// The language is left neutral: the system picks it from the thread locale and its fallbacks.
bool LoadStringBlock(ResourceModule resourceModule, int32_t id, const void*& block,
                     size_t& sizeBytes) {
    auto module = static_cast<HMODULE>(const_cast<void*>(resourceModule));
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
