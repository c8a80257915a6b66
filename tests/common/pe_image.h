#pragma once

#include <cstdint>
#include <cstring>
#include <string>

// The bytes of a minimal (or deliberately damaged) image of `size` bytes: a DOS header with
// e_lfanew, then "PE\0\0" and the file header's machine, as far as they fit.
inline std::string MinimalPeImage(uint32_t lfanew, uint16_t machine, size_t size) {
    std::string data(size, '\0');
    if (size >= 2) data[0] = 'M', data[1] = 'Z';
    if (size >= 0x40) std::memcpy(&data[0x3C], &lfanew, 4);
    if (uint64_t{lfanew} + 6 <= size) {
        std::memcpy(&data[lfanew], "PE\0\0", 4);
        std::memcpy(&data[lfanew + 4], &machine, 2);
    }
    return data;
}
