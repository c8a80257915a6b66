// libFuzzer target for the single-instance block: ReadArguments over any block another process
// may have left (the input, repeated to fill it), and WriteArguments with arguments from the
// input's lines (UTF-16LE, "\n" between them), which must read back or be refused untouched.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "modes/instance_block.h"

namespace {
using Arguments = std::vector<std::u16string>;
using Views = std::vector<std::u16string_view>;
constexpr size_t kUnits = sizeof(InstanceBlock::argumentArea) / 2;

// A second reading of the area as units: a string ends at each zero unit, and the list ends
// where a zero unit follows that zero. The area's last unit can only be that second zero: a
// string ending there could not be closed inside the block, and like a string the area ends
// inside, it is not part of the list. The strings point into `units`, the area as units.
Views Oracle(const InstanceBlock& block, char16_t (&units)[kUnits]) {
    for (size_t i = 0; i < kUnits; ++i)
        units[i] = static_cast<char16_t>(block.argumentArea[2 * i] | block.argumentArea[2 * i + 1] << 8);
    Views read;
    size_t start = 0;
    for (size_t i = 0; i + 1 < kUnits; ++i) {
        if (units[i] != 0) continue;
        read.emplace_back(units + start, i - start);
        start = i + 1;
        if (units[i + 1] == 0) break;
    }
    return read;
}

// The reader against the second reading; the number of units read, each string's zero counted.
size_t CheckRead(const InstanceBlock& block, StringList& list) {
    list.Clear();
    ReadArguments(block, list);
    char16_t units[kUnits];
    const Views expected = Oracle(block, units);
    Check(list.Count() == static_cast<int32_t>(expected.size()), "as many strings as the second reading");
    size_t read = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        Check(list[static_cast<int32_t>(i)].View() == expected[i], "strings as the second reading says");
        read += expected[i].size() + 1;
    }
    return read;
}

void Fill(InstanceBlock& block, const uint8_t* data, size_t size) {
    auto* bytes = reinterpret_cast<unsigned char*>(&block);
    if (size == 0) {
        std::memset(bytes, 0, sizeof block);
        return;
    }
    for (size_t at = 0; at < sizeof block; at += size)
        std::memcpy(bytes + at, data, size < sizeof block - at ? size : sizeof block - at);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InstanceBlock block;
    Fill(block, data, size);
    StringList list;
    Check(CheckRead(block, list) <= kUnits, "nothing read from outside the area");

    // Arguments from the input's lines, written over the block as it was.
    const Arguments arguments = Pieces(FuzzInput(data, size).Utf16(), u'\n');
    list.Clear();
    for (const std::u16string& argument : arguments) list.Append(WideString(argument));
    size_t needed = 2;
    for (const std::u16string& argument : arguments) needed += 2 * argument.size() + 2;

    InstanceBlock before;
    std::memcpy(&before, &block, sizeof block);
    const bool written = WriteArguments(list, block);
    Check(written == (needed <= kArgumentBytes), "written exactly when it fits 1040 bytes");
    if (!written) {
        Check(std::memcmp(&before, &block, sizeof block) == 0, "a refused write changes nothing");
        return 0;
    }
    Check(std::memcmp(&before, &block, offsetof(InstanceBlock, argumentArea)) == 0,
          "the header is not written");
    Check(std::memcmp(before.argumentArea + kArgumentBytes, block.argumentArea + kArgumentBytes,
                      sizeof block.argumentArea - kArgumentBytes) == 0,
          "nothing written past 1040 bytes");
    for (size_t i = needed; i < kArgumentBytes; ++i)
        Check(block.argumentArea[i] == 0, "the rest of the 1040 bytes cleared");

    // What comes back: the arguments up to an empty one (which reads as the list's end); a zero
    // unit inside an argument splits it. No arguments read as one empty string.
    CheckRead(block, list);
    bool plain = true;
    for (size_t i = 0; i < arguments.size(); ++i)
        plain &= arguments[i].find(u'\0') == std::u16string::npos && (i == 0 || !arguments[i].empty());
    if (plain) Check(Items(list) == arguments, "arguments read back");
    StringList none;
    Check(WriteArguments(none, block), "no arguments fit");
    ReadArguments(block, none);
    Check(none.Count() == 1 && none[0].IsEmpty(), "no arguments read as one empty string");
    return 0;
}
