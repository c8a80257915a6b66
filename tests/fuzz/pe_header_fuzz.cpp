// libFuzzer target for the PE header check that tells a VM library's processor from the first
// page of the file: LocatePeHeaders and PeMachine over any bytes (the input is the page), and
// headers written into a copy of the input at the place its DOS header names.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "runtime/runtime_paths.h"

namespace {
uint32_t Read32(const uint8_t* at) {
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // libFuzzer's copy is exactly `size` bytes: a read past the page is an AddressSanitizer report.
    size_t offset = 0xBAD;
    if (LocatePeHeaders(data, size, offset)) {
        // The DOS header, e_lfanew naming the signature, and a whole file header, all inside.
        Check(size >= 64 && data[0] == 'M' && data[1] == 'Z' && offset == Read32(data + 0x3C), "headers where e_lfanew says");
        Check(offset + 24 <= size && std::memcmp(data + offset, "PE\0\0", 4) == 0, "signature and file header inside");
        Check(PeMachine(data, offset) == (data[offset + 4] | data[offset + 5] << 8), "machine field");
        size_t shorter = 0;
        Check(LocatePeHeaders(data, std::max<size_t>(offset + 24, 64), shorter) && shorter == offset, "found in the shortest page that holds them");
    } else {
        Check(offset == 0xBAD, "offset untouched when nothing is found");
    }
    Check(!LocatePeHeaders(nullptr, size, offset), "no data, no headers");

    // The input made a PE image: DOS header, e_lfanew from the input (kept inside the page), the
    // signature and a machine from the input there.
    std::vector<uint8_t> page(data, data + size);
    if (page.size() < 64 + 24) page.resize(64 + 24);
    const size_t room = page.size() - 24;
    const size_t at = Read32(page.data() + 0x3C) % (room + 1);
    const uint16_t machine = static_cast<uint16_t>(page[page.size() - 1] | page[page.size() - 2] << 8);
    page[0] = 'M';
    page[1] = 'Z';
    for (int i = 0; i < 4; ++i) page[0x3C + i] = static_cast<uint8_t>(at >> (8 * i));
    // e_lfanew lies in the DOS header itself when small: the signature then overwrites it, and
    // only an offset that survives that can be checked.
    std::memcpy(page.data() + at, "PE\0\0", 4);
    page[at + 4] = static_cast<uint8_t>(machine);
    page[at + 5] = static_cast<uint8_t>(machine >> 8);
    const bool intact = Read32(page.data() + 0x3C) == at && page[0] == 'M' && page[1] == 'Z';
    size_t written = 0;
    if (intact) {
        Check(LocatePeHeaders(page.data(), page.size(), written) && written == at, "written headers found");
        Check(PeMachine(page.data(), written) == machine, "written machine read back");
        Check(!LocatePeHeaders(page.data(), at + 23, written), "one byte short of the file header");
    }

    // Each registry view names the machine of its own build: foreign exactly in the other view.
    for (bool build64 : {false, true}) {
        for (bool otherView : {false, true})
            Check(IsForeignMachine(VmMachineOfView(otherView, build64), build64) == otherView,
                  "the other view's machine is the foreign one");
        Check(IsForeignMachine(machine, build64) ==
                  (machine == (build64 ? kMachineX86 : kMachineAmd64)),
              "only the twin's exact machine is foreign");
    }
    return 0;
}
