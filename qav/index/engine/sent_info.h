// Sentence and document information of a structured index: for each sentence
// key its document index, tag and line number; for each document its
// key/value items. Loaded at engine start-up from "SentInfo.dat" and the
// document information text, built from "SentInfo.txt" and "Info/Corpus.ID".
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace qav {

class CConfig;

// Bucket hash of a sentence key: Thomas Wang's 64-bit integer mix without its
// final truncation to 32 bits.
uint64_t SentKeyHash(uint64_t key);

// Sentence information as "SentInfo.txt" gives it: line number -> value
// ((document index << 32) | tag identifier).
using SentInfoMap = std::unordered_map<uint32_t, uint64_t>;
using TagMap = std::map<std::string, uint32_t>;

class CHashTableInfo {
public:
    struct SentRecord {
        uint64_t key;
        uint64_t value;  // document index << 32 | tag identifier
        uint32_t line;
        uint32_t next;   // next record of the bucket, kNone at the tail
    };
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    // Engine side.
    // Buckets from "HashSize_SentInfo" (0 or less means 1,048,576), then the
    // configured "SentInfo" and "DocInfo" files; true whatever they give.
    bool HashTableInfoInit(const CConfig& config);
    // bucketCount empty buckets; 0 means 1,048,576.
    void MakeBuckets(uint32_t bucketCount);
    // "SentInfo.dat"; a missing or damaged file loads nothing and logs
    // "Warning: open %s fail!\n".
    bool ReadInSentInfo(const std::string& path);
    // Document information text: "#0", "#1", ... each followed by key=value
    // lines. A header out of sequence stops reading ("Error DocInfo
    // Format\n"); documents before it stay. False when it cannot be opened.
    bool ReadInDocInfo(const std::string& path);
    // Appends a record to the tail of the key's bucket; returns its index.
    uint32_t Add2Hash(uint64_t key, uint64_t value, uint32_t line);
    // First record of the key: document index, tag identifier, line number.
    bool GetSentInfo(uint64_t key, uint32_t& docIndex, uint32_t& tagId) const;
    bool GetSentInfo(uint64_t key, uint32_t& high, uint32_t& low, uint32_t& line) const;
    // Text of a tag identifier.
    bool GetSentPosInfo(int32_t tagId, std::string& text) const;
    // All items of a document as "key=value;" in key order.
    bool GetDocTagInfo(int64_t docIndex, std::string& text) const;
    // The value of one key of a document; empty when it has none.
    bool GetOrgTagInfo(int64_t docIndex, std::string& text, const std::string& key) const;
    // The value of one key of a document; false when the document is out of
    // range or has no such key.
    bool GetDocInfo(int64_t docIndex, const std::string& key, std::string& value) const;
    // Identifier of a sentence tag text; false when no sentence carries it.
    bool GetDocPosID(const std::string& text, uint32_t& tagId) const;
    void Add2DocInfo(const std::vector<std::string>& lines);
    void HashTableInfoExit();

    uint32_t RecordCount() const { return static_cast<uint32_t>(records_.size()); }
    int32_t TagCount() const { return static_cast<int32_t>(tagNames_.size()); }
    size_t DocCount() const { return docInfo_.size(); }
    const SentRecord& Record(uint32_t index) const { return records_[index]; }

    // Build side.
    // "SentInfo.txt" into "SentInfo.dat" in the order of the identifier file.
    bool CreateIdx(const std::string& idFile, const std::string& sentenceText,
                   const std::string& outFile);
    bool ReadInIDInfo(const std::string& path, SentInfoMap& map, TagMap& tags);
    static uint32_t GetTagID(const std::string& text, TagMap& tags);
    bool WriteIdx(const std::string& idFile, const SentInfoMap& map, const TagMap& tags,
                  const std::string& outFile);

private:
    const SentRecord* Find(uint64_t key) const;

    std::vector<uint32_t> heads_;     // first record of each bucket
    std::vector<uint32_t> tails_;     // last record of each bucket
    std::vector<SentRecord> records_;  // in file order
    TagMap tagMap_;
    std::vector<std::map<std::string, std::string>> docInfo_;
    std::vector<std::string> tagNames_;
};

// "a b rest" with blanks or tabs between: true only when a non-empty rest
// follows the two unsigned numbers.
bool GetLineInfo(const char* text, uint64_t& a, uint64_t& b, std::string& rest);
// "key<TAB>line" of the identifier file: true when the tab exists (each
// number is the leading decimal of its side, 0 when there is none).
bool GetLineInfoEx(const char* text, int64_t& key, int64_t& line);
// Identifier lines of idFile whose line number has sentence information in
// map; -1 when the file cannot be opened. A diagnostic of the build.
int64_t GetLineNum(const std::string& idFile, const SentInfoMap& map);
// Runs CreateIdx on a temporary table.
bool IdxSentInfo(const std::string& idFile, const std::string& sentenceText,
                 const std::string& outFile);

}  // namespace qav
