// The term table of the full-text index: terms keyed by their text, with
// their numbers, document counts and chunk locations. The builder keeps one
// per input group, where a term also buffers its postings until they are
// written out as posting text, and one merged table for the whole index.
//
// Terms live in buckets chosen by HashVal, and within a bucket in the order
// they were added. That order is part of the index: term numbers are given,
// and the term table file is written, bucket by bucket.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qav::bm {

constexpr uint32_t kNoTermNumber = 0xFFFFFFFF;
// Buckets used where a configured size is 0.
constexpr uint32_t kDefaultHashSize = 1048576;
// Longest term kept; a longer word is cut to this many bytes.
constexpr size_t kMaxTermBytes = 2047;
// Posting buffers start with room for 10 postings and double up to 2,560.
constexpr uint32_t kFirstPostingCapacity = 10;
constexpr uint32_t kLastPostingCapacity = 2560;
// Postings per line of posting text.
constexpr size_t kPostingsPerRun = 400;

// A posting as an input thread buffers it.
struct BufferedPosting {
    uint32_t position;   // offset of the field record in the document-to-term shard
    uint32_t docOffset;  // offset of the document's ".orx" record
    uint8_t field;
};

struct CHashNodeBM {
    std::string name;
    uint32_t termNumber = kNoTermNumber;
    uint32_t df = 0;            // documents, counted by document key
    uint32_t postingCount = 0;  // one per (document, field record)
    std::vector<uint32_t> chunkOffsets;
    std::vector<uint8_t> chunkShards;
    std::vector<BufferedPosting> postings;
    uint32_t capacity = kFirstPostingCapacity;
    int64_t lastDocOffset = -1;  // input threads: document of the last posting
};

class CHashTableBM {
public:
    // size 0 means kDefaultHashSize.
    explicit CHashTableBM(uint32_t size);
    CHashTableBM(const CHashTableBM&) = delete;
    CHashTableBM& operator=(const CHashTableBM&) = delete;

    uint32_t size() const { return size_; }
    // h = (h * 64 + c) mod size over the bytes c of text taken as signed
    // bytes, the sum as an unsigned 32-bit number.
    uint32_t HashVal(std::string_view text) const;
    CHashNodeBM* GetHashNode(std::string_view name);
    const CHashNodeBM* GetHashNode(std::string_view name) const;

    // Records the posting {position, docOffset, field} of the term, once per
    // field record. A full buffer is first written to postingText as posting
    // text. The term's df grows with each new document offset: within a
    // group a document offset names exactly one document.
    CHashNodeBM& AddWord(std::string_view name, uint32_t position, uint32_t docOffset, uint8_t field,
                         std::FILE* postingText);
    // Records one chunk of the term in a term-to-document shard.
    CHashNodeBM& AddChunk(std::string_view name, uint32_t offset, uint8_t shard);
    // Adds counts to the term; a new term gets the next term number.
    CHashNodeBM& AddWordEx(std::string_view name, uint32_t df, uint32_t postingCount);
    // Appends a term read from a term table file (no look-up for an equal name).
    CHashNodeBM& AddLoadedWord(std::string_view name, uint32_t termNumber, uint32_t df, uint32_t postingCount);
    // Appends chunk locations to the term, creating it without a number.
    CHashNodeBM& AddWordVec(std::string_view name, const std::vector<uint32_t>& offsets,
                            const std::vector<uint8_t>& shards);

    // Every term, bucket by bucket, each bucket in the order of adding.
    std::vector<CHashNodeBM*> InBucketOrder();
    size_t termCountInTable() const { return nodes_.size(); }

    uint32_t m_nTermCount = 0;  // next number AddWordEx gives
    uint32_t m_nDocNum = 0;     // N
    std::map<uint32_t, uint32_t> m_FieldDocs;    // field -> documents (field records) with text
    std::map<uint32_t, uint32_t> m_FieldTokens;  // field -> tokens
    std::map<uint32_t, uint32_t> m_FieldAvgLen;  // field -> average length, when loaded

private:
    CHashNodeBM& Append(std::string_view name);
    CHashNodeBM& FindOrAppend(std::string_view name);

    uint32_t size_;
    std::deque<CHashNodeBM> nodes_;  // in order of adding; a deque keeps them in place
    std::unordered_map<std::string_view, CHashNodeBM*> index_;  // views into the nodes' names
};

// Writes the term's buffered postings as posting text: "\n%s " before each
// run of kPostingsPerRun, then "%d %d %d " per posting; empties the buffer.
void WritePostingText(std::FILE* file, CHashNodeBM& node);

}  // namespace qav::bm
