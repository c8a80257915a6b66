#pragma once

// What the fuzz targets share: a broken invariant aborts with its name (libFuzzer keeps the input
// that did it), and a reader that takes fixed-size fields off the front of the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/string_list.h"

inline void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

inline std::vector<std::u16string> Items(const StringList& list) {
    std::vector<std::u16string> items;
    for (const WideString& item : list) items.push_back(item.Std());
    return items;
}

// Fields are taken from the front; a field past the end reads as zeros, so every input is usable.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint16_t Unit() { return static_cast<uint16_t>(Byte() | Byte() << 8); }
    uint64_t U64() {
        uint64_t value = 0;
        for (int shift = 0; shift < 64; shift += 8) value |= uint64_t{Byte()} << shift;
        return value;
    }
    // The rest as UTF-16 units, two bytes each, low byte first; an odd last byte is dropped, so
    // the seeds are UTF-16LE text files.
    std::u16string Utf16() {
        std::u16string text;
        for (; at_ + 1 < size_; at_ += 2)
            text.push_back(static_cast<char16_t>(data_[at_] | data_[at_ + 1] << 8));
        at_ = size_;
        return text;
    }
    std::string Bytes() {
        std::string rest(reinterpret_cast<const char*>(data_ + at_), size_ - at_);
        at_ = size_;
        return rest;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// Splits at every unit `at`, keeping empty pieces: a way to get a list of strings from one input.
inline std::vector<std::u16string> Pieces(const std::u16string& text, char16_t at) {
    std::vector<std::u16string> pieces(1);
    for (char16_t unit : text) {
        if (unit == at) {
            pieces.emplace_back();
        } else {
            pieces.back().push_back(unit);
        }
    }
    return pieces;
}
