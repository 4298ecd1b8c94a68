// Look-ups of a row of names in one table (a sentence's words, or its units)
// with their memory asked for ahead. A build's tables outgrow the nearer
// caches, so a single look-up waits first for its name slot and then for its
// node; over a row those waits overlap instead of following one another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "qav/index/engine/hash_table.h"

namespace qav {

// Table is a unit table (CHashTable) or a counting table (CountTable).
template <typename Table = CHashTable>
class RowLookUp {
public:
    // Hashes the names nameAt(0) .. nameAt(count - 1) and asks for their
    // slots.
    template <typename NameAt>
    void Start(const Table& table, size_t count, NameAt nameAt) {
        table_ = &table;
        hashes_.resize(count);
        for (size_t i = 0; i < count; ++i) {
            hashes_[i] = Table::NameHash(nameAt(i));
            table.PrefetchSlot(hashes_[i]);
        }
    }

    // Calls visit(i, hash of name i) in row order; the node of the name a few
    // places on is asked for before each call. The table may grow meanwhile:
    // what was asked for is only a hint.
    template <typename Visit>
    void Walk(Visit visit) const {
        const size_t count = hashes_.size();
        for (size_t i = 0; i < count && i < kNodesAhead; ++i) table_->PrefetchNode(hashes_[i]);
        for (size_t i = 0; i < count; ++i) {
            if (i + kNodesAhead < count) table_->PrefetchNode(hashes_[i + kNodesAhead]);
            visit(i, hashes_[i]);
        }
    }

private:
    static constexpr size_t kNodesAhead = 4;
    const Table* table_ = nullptr;
    std::vector<uint64_t> hashes_;
};

}  // namespace qav
