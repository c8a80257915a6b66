#pragma once

#include <cstdint>
#include <vector>

#include "runtime/registry_search.h"

// The duplicate rule in linear time: finds a candidate whose home is the same folder as a new
// one without comparing it with every earlier candidate. An open hash over the homes, whose hash
// folds ASCII letters and counts every other unit only by its place, so that two homes that the
// exact comparison (`same`, case-insensitive) finds equal always meet in one chain.
class HomeIndex {
public:
    // The index of a candidate of `list` with the same home, or -1. Candidates appended to the
    // list since the last call are indexed first.
    template <typename Same>
    int32_t Find(const CandidateList& list, const WideString& home, Same same) {
        while (indexed < list.Count()) Add(list, indexed++);
        if (slots.empty()) return -1;
        const size_t mask = slots.size() - 1;
        for (size_t at = Hash(home) & mask;; at = (at + 1) & mask) {
            if (slots[at] < 0) return -1;
            if (same(list[slots[at]].home, home)) return slots[at];
        }
    }

private:
    static uint32_t Hash(const WideString& text) {
        uint32_t hash = 2166136261u;
        for (int32_t i = 0; i < text.Length(); ++i) {
            char16_t unit = text[i];
            if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - u'a' + u'A');
            if (unit >= 0x80) unit = 0x80;
            hash = (hash ^ unit) * 16777619u;
        }
        return hash;
    }

    void Add(const CandidateList& list, int32_t index) {
        // At most half full, so that chains stay short.
        if ((count + 1) * 2 > slots.size()) {
            std::vector<int32_t> old(slots.size() < 32 ? 64 : slots.size() * 2, -1);
            old.swap(slots);
            count = 0;
            for (int32_t kept : old) {
                if (kept >= 0) Place(list, kept);
            }
        }
        Place(list, index);
    }

    void Place(const CandidateList& list, int32_t index) {
        const size_t mask = slots.size() - 1;
        size_t at = Hash(list[index].home) & mask;
        while (slots[at] >= 0) at = (at + 1) & mask;
        slots[at] = index;
        ++count;
    }

    std::vector<int32_t> slots;
    size_t count = 0;
    int32_t indexed = 0;
};
