#pragma once

// What the fuzz targets share: a broken invariant aborts with its name (libFuzzer keeps the input
// that did it), and a reader that takes fixed-size fields off the front of the input.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "support/string_list.h"

#define FUZZ_TARGET extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
constexpr size_t kNone = std::u16string::npos;
using Texts = std::vector<std::u16string>;

inline void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

inline Texts Items(const StringList& list) {
    Texts items;
    for (const WideString& item : list) items.push_back(item.Std());
    return items;
}

// Fields are taken from the front, little-endian; past the end they read as zeros, so every input
// is usable. Text is the rest as UTF-16LE units (an odd last byte dropped): its seeds are UTF-16LE.
struct FuzzInput {
    const uint8_t* data;
    size_t size, at = 0;

    uint64_t Field(int bytes) {
        uint64_t value = 0;
        for (int i = 0; i < bytes; ++i) value |= uint64_t{at < size ? data[at++] : 0u} << 8 * i;
        return value;
    }
    std::u16string Utf16() {
        std::u16string text;
        for (; at + 1 < size; at += 2) text.push_back(static_cast<char16_t>(data[at] | data[at + 1] << 8));
        return text;
    }
};

// Splits at every unit `at`, keeping empty pieces: a way to get a list of strings from one input.
inline Texts Pieces(const std::u16string& text, char16_t at) {
    Texts pieces(1);
    for (char16_t unit : text) {
        if (unit == at) pieces.emplace_back();
        else pieces.back().push_back(unit);
    }
    return pieces;
}
