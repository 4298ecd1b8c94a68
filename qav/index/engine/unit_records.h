// A search's view of the unit table: which node a query's unit text names,
// and keeping a node's offset records in memory while a search reads them.
#pragma once

#include <string_view>

namespace qav {

class CHashNode;
class CHashTable;
class CQAVEngine;

// The node searched for a unit text. A unit sorted in chunks has two nodes of
// its name: its whole region, which is not one sorted run, and the node whose
// children are its separately sorted chunks; the node with children wins.
// Null when the table has no node of that name.
CHashNode* FindSearchUnit(const CHashTable& table, std::string_view name);

// Loads the node's records when it has none yet, under its stripe lock; false
// when the load fails.
bool LoadUnitRecords(CQAVEngine& engine, CHashNode& node);

// One use of a node's records. Acquire loads them when missing and raises the
// node's use count under its stripe lock, so that FreeMem, which frees only
// under that lock and only records whose use count is 0, cannot free them
// while the pin lives; the destructor lowers the count again.
class UnitRecordsPin {
public:
    UnitRecordsPin() = default;
    ~UnitRecordsPin() { Drop(); }
    UnitRecordsPin(UnitRecordsPin&& other) noexcept;
    UnitRecordsPin& operator=(UnitRecordsPin&& other) noexcept;
    UnitRecordsPin(const UnitRecordsPin&) = delete;
    UnitRecordsPin& operator=(const UnitRecordsPin&) = delete;

    // False (nothing held) when the records cannot be loaded.
    bool Acquire(CQAVEngine& engine, CHashNode& node);

    CHashNode* node() const { return node_; }
    const unsigned char* records() const { return records_; }

private:
    void Drop();

    CHashNode* node_ = nullptr;
    const unsigned char* records_ = nullptr;
};

}  // namespace qav
