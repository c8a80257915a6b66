#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "support/wide_string.h"

// Windows string resources: string n lies in block n / 16 + 1 at position n % 16. Each entry is
// a 16-bit length followed by that many UTF-16 units; length 0 is an absent string.
inline constexpr int32_t kStringsPerBlock = 16;
inline int32_t StringBlockId(int32_t id) { return id / kStringsPerBlock + 1; }

// Finds entry `index` (0..15) in a block of `sizeBytes` bytes. A block that ends before the entry
// (or inside it) ends the walk: the string is absent. Never reads past sizeBytes.
bool FindStringInBlock(const void* block, size_t sizeBytes, int32_t index, WideString& out);

// The executable's own string-table block for a string id (string_table_win.cpp reads the
// resource; the native build serves blocks built from the same message texts). false when the
// block does not exist.
bool LoadStringBlock(int32_t id, const void*& block, size_t& sizeBytes);

// Copies string `id` into out; false (and out empty) when no block holds a non-empty entry.
bool LoadStringResource(WideString& out, int32_t id);
