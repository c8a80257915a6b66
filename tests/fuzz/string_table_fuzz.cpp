// libFuzzer target for the string-table block walk: the input is a block as a resource section
// would hand it over (libFuzzer's copy is exactly its size: a read past it is an AddressSanitizer
// report), served by this file's own LoadStringBlock for every block id and looked up through
// LoadStringResource and FindStringModule. A block built from the input's lines finds each again.
#include "fuzz_support.h"
#include "launch/string_table.h"

static const uint8_t* blockData = nullptr;
static size_t blockSize = 0;
static const ResourceModule kModule = &blockSize;

// The resources this target serves: the one block, whatever string is asked for.
const std::vector<ResourceModule>& ProgramResourceModules() {
    static const std::vector<ResourceModule> modules{kModule};
    return modules;
}

bool LoadStringBlock(ResourceModule module, int32_t, const void*& block, size_t& sizeBytes) {
    block = blockData;
    sizeBytes = blockSize;
    return module == kModule;
}

FUZZ_TARGET {
    blockData = data;
    blockSize = size;
    for (int32_t id = 0; id < 2 * kStringsPerBlock; ++id) {
        WideString whole, half, loaded(u"left over");
        const bool present = FindStringInBlock(data, size, id % kStringsPerBlock, whole);
        Check(present ? 2 + 2 * size_t(whole.Length()) <= size && !whole.IsEmpty() : whole.IsEmpty(),
              "a string found is not empty and lies inside the block");
        Check(!FindStringInBlock(data, size / 2, id % kStringsPerBlock, half) || (present && half == whole),
              "a shorter block finds nothing new");
        Check(LoadStringResource(loaded, kModule, id) == present && loaded == whole &&
                  FindStringModule(id) == (present ? kModule : nullptr),
              "the resource and its module are the block's entry");
    }
    // A block as the resource compiler builds it: each entry's length, then its units.
    Texts lines = Pieces(FuzzInput{data, size}.Utf16(), u'\n');
    lines.resize(kStringsPerBlock);
    std::u16string built;
    for (const std::u16string& line : lines) built += static_cast<char16_t>(line.size()) + line;  // inputs are far below 65536 units
    WideString found;
    for (int32_t index = 0; index < kStringsPerBlock; ++index)
        Check(FindStringInBlock(built.data(), 2 * built.size(), index, found) == !lines[index].empty() &&
                  found.Std() == lines[index],
              "a built entry is found again, absent when empty");
    return 0;
}
