// libFuzzer target for the single-instance block: ReadArguments over any block another process
// may have left (the input, repeated to fill it), and WriteArguments with arguments from the
// input's lines (UTF-16LE, "\n" between them), which must read back or be refused untouched.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "modes/instance_block.h"

namespace {
using Arguments = std::vector<std::u16string>;
constexpr size_t kUnits = sizeof(InstanceBlock::argumentArea) / 2;

Arguments Read(const InstanceBlock& block) {
    StringList list;
    ReadArguments(block, list);
    return Items(list);
}

// Whatever the area holds: strings without a zero unit, only the first of them empty, all inside
// the area; and written again, they are the area's first units and read back as they are.
void CheckRead(const InstanceBlock& block) {
    const Arguments read = Read(block);
    size_t units = 0;
    for (size_t i = 0; i < read.size(); ++i) {
        Check(read[i].find(u'\0') == std::u16string::npos && (i == 0 || !read[i].empty()), "strings end at zeros");
        units += read[i].size() + 1;
    }
    Check(units < kUnits, "nothing read from outside the area");
    StringList list;
    for (const std::u16string& argument : read) list.Append(WideString(argument));
    InstanceBlock copy{};
    if (read.empty() || !WriteArguments(list, copy)) return;
    Check(std::memcmp(copy.argumentArea, block.argumentArea, 2 * units) == 0, "strings are the area's start");
    Check(Read(copy) == read, "what was read is written and read again");
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
    CheckRead(block);

    // Arguments from the input's lines, written over the block as it was.
    const Arguments arguments = Pieces(FuzzInput(data, size).Utf16(), u'\n');
    StringList list;
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
    CheckRead(block);
    bool plain = true;
    for (size_t i = 0; i < arguments.size(); ++i)
        plain &= arguments[i].find(u'\0') == std::u16string::npos && (i == 0 || !arguments[i].empty());
    if (plain) Check(Read(block) == arguments, "arguments read back");
    StringList none;
    Check(WriteArguments(none, block), "no arguments fit");
    ReadArguments(block, none);
    Check(none.Count() == 1 && none[0].IsEmpty(), "no arguments read as one empty string");
    return 0;
}
