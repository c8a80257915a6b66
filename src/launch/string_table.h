#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>
#include <string_view>

#include "support/wide_string.h"

// Windows string resources: string n lies in block n / 16 + 1 at position n % 16. Each entry is
// a 16-bit length followed by that many UTF-16 units; length 0 is an absent string.
inline constexpr int32_t kStringsPerBlock = 16;
inline int32_t StringBlockId(int32_t id) { return id / kStringsPerBlock + 1; }

// Finds entry `index` (0..15) in a block of `sizeBytes` bytes. A block that ends before the entry
// (or inside it) ends the walk: the string is absent. Never reads past sizeBytes.
bool FindStringInBlock(const void* block, size_t sizeBytes, int32_t index, WideString& out);

// A module that carries string resources: the executable itself on Windows, the built-in table
// of message texts in the native build.
using ResourceModule = const void*;

// The string-table block of `module` that holds string `id` (string_table_win.cpp reads the
// resource; string_table_native.cpp serves the same message texts laid out as blocks). false when
// the module has no such block.
bool LoadStringBlock(ResourceModule module, int32_t id, const void*& block, size_t& sizeBytes);

// The program's resource modules, in search order.
const std::vector<ResourceModule>& ProgramResourceModules();

// The first resource module of the program whose string table holds a non-empty string `id`, or
// null. In practice the only module is the executable.
ResourceModule FindStringModule(int32_t id);

// Copies string `id` of `module` into out; false (and out empty) when it is absent.
bool LoadStringResource(WideString& out, ResourceModule module, int32_t id);
