// libFuzzer target for the PE header check that tells a VM library's processor from the first
// page of the file: LocatePeHeaders and PeMachine over any bytes (the input is the page; its
// copy is exactly that long, so a read past it is an AddressSanitizer report), and headers
// written into a copy of the input at the place its DOS header names.
#include "fuzz_support.h"
#include "runtime/runtime_paths.h"

static uint32_t Read32(const uint8_t* at) { return at[0] | at[1] << 8 | at[2] << 16 | uint32_t{at[3]} << 24; }

FUZZ_TARGET {
    size_t offset = 0xBAD, shorter = 0;
    const bool found = LocatePeHeaders(data, size, offset);
    Check(found || offset == 0xBAD, "the offset untouched when nothing is found");
    Check(!found || (size >= 64 && std::memcmp(data, "MZ", 2) == 0 && offset == Read32(data + 0x3C) &&
                     offset + 24 <= size && std::memcmp(data + offset, "PE\0\0", 4) == 0 &&
                     PeMachine(data, offset) == (data[offset + 4] | data[offset + 5] << 8)),
          "the signature where e_lfanew says, a whole file header inside the page, its machine");
    Check(!found || (LocatePeHeaders(data, std::max<size_t>(offset + 24, 64), shorter) && shorter == offset),
          "found in the shortest page that holds them");

    // The input made a PE image: e_lfanew from the input (kept inside the page), the signature
    // and a machine from the input's last bytes there. A small e_lfanew lies in the DOS header
    // itself, where the signature may overwrite it: only one that survives is checked.
    std::vector<uint8_t> page(data, data + size);
    page.resize(std::max<size_t>(page.size(), 64 + 24));
    const uint16_t machine = static_cast<uint16_t>(page.back() | page[page.size() - 2] << 8);
    const uint32_t at = static_cast<uint32_t>(Read32(&page[0x3C]) % (page.size() - 24 + 1));
    std::memcpy(&page[0], "MZ", 2);
    std::memcpy(&page[0x3C], &at, 4);
    std::memcpy(&page[at], "PE\0\0", 4);
    std::memcpy(&page[at + 4], &machine, 2);
    if (Read32(&page[0x3C]) != at || page[0] != 'M' || page[1] != 'Z') return 0;
    Check(LocatePeHeaders(page.data(), page.size(), offset) && offset == at && PeMachine(page.data(), at) == machine,
          "written headers found, their machine read back");
    Check(!LocatePeHeaders(page.data(), at + 23, offset), "not in a page one byte short of the file header");
    return 0;
}
