// libFuzzer target for the single-instance block: ReadArguments over any block another process
// may have left (the input, repeated to fill it), and WriteArguments with arguments from the
// input's lines (UTF-16LE, "\n" between them), which must read back or be refused untouched.
#include "fuzz_support.h"
#include "modes/instance_block.h"

static Texts Read(const InstanceBlock& block) {
    StringList list;
    ReadArguments(block, list);
    return Items(list);
}

static bool Write(const Texts& arguments, InstanceBlock& block) {
    StringList list;
    for (const std::u16string& argument : arguments) list.Append(WideString(argument));
    return WriteArguments(list, block);
}

// Arguments as a reader tells them apart: no zero unit in one, no empty one after the first.
static bool Plain(const Texts& arguments) {
    for (size_t i = 0; i < arguments.size(); ++i)
        if (arguments[i].find(u'\0') != kNone || (i > 0 && arguments[i].empty())) return false;
    return true;
}

FUZZ_TARGET {
    InstanceBlock block{}, copy{};
    for (size_t at = 0; size > 0 && at < sizeof block; ++at) reinterpret_cast<uint8_t*>(&block)[at] = data[at % size];
    // What is read lies in the area, and written again it is the area's start.
    const Texts read = Read(block);
    size_t units = 0;
    for (const std::u16string& argument : read) units += argument.size() + 1;
    Check(Plain(read) && units < sizeof block.argumentArea / 2, "strings end at zeros, inside the area");
    Check(read.empty() || !Write(read, copy) || (Read(copy) == read && std::memcmp(copy.argumentArea, block.argumentArea, 2 * units) == 0),
          "what was read writes back as the area's start");

    // Arguments written where they fit in 1040 bytes, or refused: the header, the rest of the
    // area and a refused block untouched; a zero unit or an empty argument ends the list.
    const Texts arguments = Pieces(FuzzInput{data, size}.Utf16(), u'\n');
    size_t needed = 2;
    for (const std::u16string& argument : arguments) needed += 2 * argument.size() + 2;
    const InstanceBlock before = block;
    const bool written = Write(arguments, block);
    Check(written == (needed <= kArgumentBytes), "written exactly when it fits 1040 bytes");
    Check(std::memcmp(&before, &block, written ? offsetof(InstanceBlock, argumentArea) : sizeof block) == 0 &&
              std::memcmp(&before.argumentArea[kArgumentBytes], &block.argumentArea[kArgumentBytes],
                          sizeof block.argumentArea - kArgumentBytes) == 0,
          "a write changes only the first 1040 bytes of the area, a refused one nothing");
    if (!written) return 0;
    for (size_t i = needed; i < kArgumentBytes; ++i) Check(block.argumentArea[i] == 0, "the rest of the 1040 bytes cleared");
    Check(!Plain(arguments) || Read(block) == arguments, "arguments read back");
    Check(Write({}, block) && Read(block) == Texts{u""}, "no arguments read as one empty string");
    return 0;
}
