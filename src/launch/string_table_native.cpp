#include <map>
#include <vector>

#include "launch/string_table.h"
#include "resources/message_texts.h"

// The native build has no resources; it lays the same message texts out as string-table blocks
// so that the block walk and everything above it run unchanged.
namespace {
const std::map<int32_t, std::vector<uint16_t>>& Blocks() {
    static const auto* blocks = [] {
        struct Entry {
            int32_t id;
            std::u16string_view text;
        };
#define QZ_ENTRY(id, text) Entry{id, u"" text},
        static const Entry entries[] = {QZ_MESSAGE_TEXTS(QZ_ENTRY)};
#undef QZ_ENTRY
        std::map<int32_t, std::vector<std::u16string_view>> byBlock;
        for (const Entry& entry : entries) {
            auto& slots = byBlock[StringBlockId(entry.id)];
            slots.resize(kStringsPerBlock);
            slots[static_cast<size_t>(entry.id % kStringsPerBlock)] = entry.text;
        }
        auto* built = new std::map<int32_t, std::vector<uint16_t>>();
        for (const auto& [blockId, slots] : byBlock) {
            std::vector<uint16_t>& block = (*built)[blockId];
            for (std::u16string_view text : slots) {
                block.push_back(static_cast<uint16_t>(text.size()));
                block.insert(block.end(), text.begin(), text.end());
            }
        }
        return built;
    }();
    return *blocks;
}
}  // namespace

const std::vector<ResourceModule>& ProgramResourceModules() {
    static const std::vector<ResourceModule> modules{&Blocks()};
    return modules;
}

bool LoadStringBlock(ResourceModule module, int32_t id, const void*& block, size_t& sizeBytes) {
    if (module != &Blocks()) return false;
    const auto found = Blocks().find(StringBlockId(id));
    if (found == Blocks().end()) return false;
    block = found->second.data();
    sizeBytes = found->second.size() * sizeof(uint16_t);
    return true;
}
