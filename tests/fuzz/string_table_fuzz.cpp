// libFuzzer target for the string-table block walk: the input is a block as a resource section
// would hand it over, served by this file's own LoadStringBlock for every block id, and looked up
// through LoadStringResource and FindStringModule. A block built from the input's lines finds each
// of them again.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "launch/string_table.h"

namespace {
const uint8_t* blockData = nullptr;
size_t blockSize = 0;
const int moduleTag = 0;
const ResourceModule kModule = &moduleTag;
}  // namespace

// The resources this target serves: the one block, whatever string is asked for.
const std::vector<ResourceModule>& ProgramResourceModules() {
    static const std::vector<ResourceModule> modules{kModule};
    return modules;
}

bool LoadStringBlock(ResourceModule module, int32_t, const void*& block, size_t& sizeBytes) {
    if (module != kModule || !blockData) return false;
    block = blockData;
    sizeBytes = blockSize;
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // libFuzzer's copy of the input is an allocation of exactly its size: any read past the
    // block is an AddressSanitizer report.
    blockData = data;
    blockSize = size;
    for (int32_t id = 0; id < 2 * kStringsPerBlock; ++id) {
        const int32_t index = id % kStringsPerBlock;
        WideString whole, half, loaded(u"left over");
        const bool present = FindStringInBlock(data, size, index, whole);
        Check(present ? 2 + 2 * static_cast<size_t>(whole.Length()) <= size && !whole.IsEmpty() : whole.IsEmpty(),
              "a string found is not empty and lies inside the block");
        Check(!FindStringInBlock(data, size / 2, index, half) || (present && half == whole), "a shorter block finds nothing new");
        Check(LoadStringResource(loaded, kModule, id) == present && loaded == whole, "the resource is the block's entry");
        Check(FindStringModule(id) == (present ? kModule : nullptr), "module found when present");
    }
    WideString found;
    Check(!LoadStringResource(found, kModule, -1) && !LoadStringResource(found, nullptr, 0) &&
              !FindStringInBlock(data, size, kStringsPerBlock, found) &&
              !FindStringInBlock(data, size, -1, found),
          "invalid ids and positions find nothing");

    // A block built as the resource compiler builds it, from up to 16 of the input's lines.
    std::vector<std::u16string> lines = Pieces(FuzzInput(data, size).Utf16(), u'\n');
    lines.resize(kStringsPerBlock);
    for (std::u16string& line : lines)
        if (line.size() > 0xFFFF) line.resize(0xFFFF);  // what a 16-bit length can say
    std::vector<uint8_t> built;
    for (const std::u16string& line : lines) {
        built.push_back(static_cast<uint8_t>(line.size()));
        built.push_back(static_cast<uint8_t>(line.size() >> 8));
        for (char16_t unit : line) {
            built.push_back(static_cast<uint8_t>(unit));
            built.push_back(static_cast<uint8_t>(unit >> 8));
        }
    }
    for (int32_t index = 0; index < kStringsPerBlock; ++index) {
        const bool present = FindStringInBlock(built.data(), built.size(), index, found);
        Check(present == !lines[static_cast<size_t>(index)].empty(), "built entry present unless empty");
        Check(found.Std() == lines[static_cast<size_t>(index)], "built entry found again");
        // Cut one byte short of the entry's end, it is absent.
        const size_t end = [&] {
            size_t at = 0;
            for (int32_t i = 0; i <= index; ++i) at += 2 + 2 * lines[static_cast<size_t>(i)].size();
            return at;
        }();
        std::vector<uint8_t> cut(built.begin(), built.begin() + static_cast<ptrdiff_t>(end - 1));
        Check(!FindStringInBlock(cut.data(), cut.size(), index, found), "a cut entry is absent");
    }
    blockData = nullptr;
    return 0;
}
