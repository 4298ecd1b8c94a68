#include "qav/index/engine/unit_records.h"

#include <memory>
#include <mutex>
#include <utility>

#include "qav/index/engine/qav_engine.h"

namespace qav {

namespace {

// The caller holds the node's stripe lock.
bool LoadLocked(CQAVEngine& engine, CHashNode& node) {
    if (node.records()) return true;
    std::unique_ptr<unsigned char[]> records;
    if (!engine.LoadOffset(node.offset, node.count, records, node.type, node.file_no)) return false;
    node.SetRecords(std::move(records));
    return true;
}

}  // namespace

CHashNode* FindSearchUnit(const CHashTable& table, std::string_view name) {
    if (table.bucket_count() == 0) return nullptr;
    CHashNode* first = nullptr;
    for (CHashNode* node = table.bucket(table.HashVal(name)); node; node = node->next) {
        if (node->name != name) continue;
        if (!node->children.empty()) return node;
        if (!first) first = node;
    }
    return first;
}

bool LoadUnitRecords(CQAVEngine& engine, CHashNode& node) {
    std::lock_guard<std::mutex> lock(NodeLoadMutex(&node));
    return LoadLocked(engine, node);
}

UnitRecordsPin::UnitRecordsPin(UnitRecordsPin&& other) noexcept
    : node_(std::exchange(other.node_, nullptr)), records_(std::exchange(other.records_, nullptr)) {}

UnitRecordsPin& UnitRecordsPin::operator=(UnitRecordsPin&& other) noexcept {
    if (this != &other) {
        Drop();
        node_ = std::exchange(other.node_, nullptr);
        records_ = std::exchange(other.records_, nullptr);
    }
    return *this;
}

bool UnitRecordsPin::Acquire(CQAVEngine& engine, CHashNode& node) {
    Drop();
    std::lock_guard<std::mutex> lock(NodeLoadMutex(&node));
    if (!LoadLocked(engine, node)) return false;
    ++node.use_count;
    node_ = &node;
    records_ = node.records();
    return true;
}

void UnitRecordsPin::Drop() {
    if (node_) --node_->use_count;
    node_ = nullptr;
    records_ = nullptr;
}

}  // namespace qav
