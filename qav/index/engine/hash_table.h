// Chained string hash of words and index units, shared by the index builder
// (counting, offsets) and the engine (unit table).
//
// The chains give the table its order: a walk goes bucket by bucket, each
// chain in the order its nodes were added, and the builder's lists (and so
// the index files) follow that order. The bucket of a text stays the one of
// HashText, but look-ups go through a name index with a well-mixed hash
// instead of walking chains, which that simple hash makes long. So the chains
// are needed only by walks, and they are linked when a walk (or bucket())
// first asks after nodes were added: a build's tables hold millions of nodes
// in all, and keeping every chain's ends at hand while they fill cost more
// than the nodes' names.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "qav/index/engine/name_index.h"

namespace qav {

class CHashNode {
public:
    CHashNode(std::string_view name, int32_t type) : name(name), type(type) {}
    ~CHashNode() { FreeRecords(); }
    CHashNode(const CHashNode&) = delete;
    CHashNode& operator=(const CHashNode&) = delete;

    std::string name;
    int32_t id = -1;     // build side: order of first meeting; -1 in a loaded node
    int64_t offset = 0;  // byte offset of the unit's region in its offset file
    uint32_t count = 0;  // occurrences or records; complex unit: sum over children
    int32_t type;        // unit type; 7 for words
    uint8_t file_no = 0;  // offset file number
    uint32_t records_stored = 0;  // build side: records held in the buffer
    std::atomic<int32_t> use_count{0};
    CHashNode* next = nullptr;  // next node of the bucket's chain, once the table has linked its chains
    CHashNode* same_name = nullptr;  // next node of the same name (another type), in the order added
    // Complex unit: the units it stands for; an entry is null when the
    // unit named in the index was not found. Not owned.
    std::vector<CHashNode*> children;

    // Offset record buffer, owned by the node. The engine loads and frees it
    // under the node's stripe lock while searches read it without one, so
    // the pointer itself is atomic.
    unsigned char* records() const { return records_.load(std::memory_order_acquire); }
    // Takes ownership of buffer; frees a buffer held before.
    void SetRecords(std::unique_ptr<unsigned char[]> buffer) {
        delete[] records_.exchange(buffer.release(), std::memory_order_acq_rel);
    }
    void FreeRecords() { delete[] records_.exchange(nullptr, std::memory_order_acq_rel); }

private:
    std::atomic<unsigned char*> records_{nullptr};
};

class CHashTable {
public:
    static constexpr uint32_t kDefaultBucketCount = 1048576;

    // A table without buckets; the first insertion gives it the default count.
    CHashTable() = default;
    // bucketCount 0 means kDefaultBucketCount.
    explicit CHashTable(uint32_t bucketCount) { Reset(bucketCount); }
    CHashTable(const CHashTable&) = delete;
    CHashTable& operator=(const CHashTable&) = delete;

    // Drops every node and the unit list, restarts identifiers at 0 and
    // makes bucketCount empty buckets (0 means kDefaultBucketCount).
    void Reset(uint32_t bucketCount);
    // Drops every node and the unit list; keeps the bucket count.
    void Clear() { Reset(bucket_count()); }

    // h = h * 64 + byte over the text, modulo 2^32.
    static uint32_t HashText(std::string_view text);
    // Bucket of a text; 0 for a table without buckets.
    uint32_t HashVal(std::string_view text) const;

    // First node of that name in its chain, whatever its type; null if none.
    CHashNode* GetHashNode(std::string_view name) const;
    // The node of that name and type; null if none.
    CHashNode* GetHashNode(std::string_view name, int32_t type) const;
    // The same with the name's NameHash computed by the caller.
    CHashNode* GetHashNode(std::string_view name, int32_t type, uint64_t hash) const;
    // Identifier of the first node of that name; -1 when there is none.
    int32_t GetID(std::string_view name) const {
        const CHashNode* node = GetHashNode(name);
        return node ? node->id : -1;
    }
    // Whether a unit of that name is in the table.
    bool IsInHash(std::string_view name) const { return GetHashNode(name) != nullptr; }
    // The node of that name and type, appended at the end of its chain
    // (identifier -1, everything else zero) when missing; *created tells which.
    CHashNode* GetOrAdd(std::string_view name, int32_t type, bool* created = nullptr);
    CHashNode* GetOrAdd(std::string_view name, int32_t type, uint64_t hash, bool* created);

    // The hash the name index is keyed by. A caller that looks up a row of
    // names computes each once, asks for the memory of the look-ups ahead
    // through the two calls below and passes it to the look-up itself: a
    // look-up waits on its slot and then on its node, and a row of them
    // waits much less when those reads overlap.
    static uint64_t NameHash(std::string_view name) { return MixedHash(name); }
    // Asks the processor for the slot a look-up of that hash starts at.
    void PrefetchSlot(uint64_t hash) const;
    // Asks for the node that slot names; best after the slot has arrived.
    void PrefetchNode(uint64_t hash) const;

    uint32_t bucket_count() const { return bucket_count_; }
    size_t node_count() const { return nodes_.size(); }
    // Head of a bucket's chain, for walks in bucket and chain order; null
    // for an empty bucket.
    CHashNode* bucket(uint32_t index) const;

    // Calls f(node) for every node, bucket by bucket, each chain in order.
    template <typename F>
    void ForEachNode(F&& f) const {
        LinkChains();
        for (const BucketHead& head : heads_)
            for (CHashNode* node = NodeAt(head.second); node; node = node->next) f(*node);
    }

    // Next identifier handed out by the build side's counting.
    int32_t next_id = 0;
    // Engine: nodes in unit index order (complex units not included).
    std::vector<CHashNode*> unit_list;

private:
    static uint64_t MixedHash(std::string_view name);
    // The slot of that name, or the free slot where it would go.
    size_t FindSlot(std::string_view name, uint64_t hash) const;
    // Indexes of the buckets that hold nodes, in increasing order.
    // Links the chains (every node's next, and heads_) unless no node was
    // added since they were last linked. Safe to call from several threads
    // that only read the table.
    void LinkChains() const;
    CHashNode* NodeAt(uint32_t index) const { return const_cast<CHashNode*>(&nodes_[index]); }

    uint32_t bucket_count_ = 0;
    // (bucket, its first node's place in nodes_) of the buckets that hold
    // nodes, in increasing bucket order; valid while linked_.
    using BucketHead = std::pair<uint32_t, uint32_t>;
    mutable std::vector<BucketHead> heads_;
    mutable std::atomic<bool> linked_{true};
    mutable std::mutex link_mutex_;
    NameIndex names_;
    std::deque<CHashNode> nodes_;  // owns every node; addresses stay fixed
};

}  // namespace qav
