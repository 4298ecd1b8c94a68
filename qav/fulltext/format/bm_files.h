// Files of a full-text index directory and the fixed-width records they hold.
// Shard i is the output of input group i; every number is little-endian.
//   "Unit-i"      term-to-document chunks: u32 n, n x {u32 term-list offset,
//                 u32 document offset, u32 field}
//   "Data-i"      document-to-term field records: u32 dl, u32 k, k x 5 bytes
//                 (u32 term number << 4 | tf >> 8, u8 tf & 0xFF)
//   "Data_i.orx"  per document: every "DocInfo" value (u32 length, bytes),
//                 then every field (i64 offset in ".ori", u32 length)
//   "Data_i.ori"  field texts back to back
//   "Data_i.pid"  "name key\n" per document, key = shard << 32 | ".orx" offset
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qav::bm {

// Term numbers occupy 28 bits of a document-to-term entry, tf the other 12.
constexpr uint32_t kMaxTermNumber = 0x0FFFFFFF;
constexpr uint32_t kMaxStoredTf = 0xFFF;
constexpr size_t kDocTermEntryBytes = 5;
constexpr size_t kPostingEntryBytes = 10;

// Paths of shard i made from the configured "Data", "Unit" and "OrgDat" paths.
std::string TermToDocShardPath(const std::string& unitPath, int shard);  // "%s-%d"
std::string DocToTermShardPath(const std::string& dataPath, int shard);  // "%s-%d"
std::string DocInfoPath(const std::string& dataPath, int shard);         // "%s_%d.orx"
std::string FieldTextPath(const std::string& dataPath, int shard);       // "%s_%d.ori"
std::string ShardPidPath(const std::string& dataPath, int shard);        // "%s_%d.pid"
std::string MergedPidPath(const std::string& dataPath);                  // "%s.pid"
std::string TransducerPath(const std::string& dataPath);                 // "%s.BYTE"
std::string WordListPath(const std::string& wordListPath);               // "%s_w"
// Temporaries of group i, removed at the end of a build: posting text,
// field records with term texts, and the (empty) group document file.
std::string PostingTextPath(const std::string& unitPath, int group);     // "%s_%d"
std::string FieldRecordPath(const std::string& dataPath, int group);     // "%s_%d"
std::string GroupDocPath(const std::string& orgDatPath, int group);      // "%s_%d"

// Document key: shard << 32 | document offset.
inline int64_t DocKey(int shard, uint32_t docOffset) {
    return static_cast<int64_t>((static_cast<uint64_t>(shard & 0xFF) << 32) | docOffset);
}

// One posting as the engine keeps it in memory: 10 packed bytes.
struct Posting {
    uint8_t shard = 0;
    uint32_t termListOffset = 0;
    uint32_t docOffset = 0;
    uint8_t field = 0;
};
void EncodeDocOffset(unsigned char* buffer, size_t j, const Posting& posting);
Posting DecodeDocOffset(const unsigned char* buffer, size_t j);

// One document-to-term entry; false (and nothing appended) for a term number
// above kMaxTermNumber. tf is capped at kMaxStoredTf.
bool WriteEncode(uint32_t termNumber, uint32_t tf, std::string& out);
void DecodeEntry(const unsigned char* entry, uint32_t* termNumber, uint32_t* tf);

// A decoded ".orx" record: information values by key, and per field its
// offset in ".ori" and its length.
struct CDocInfo {
    std::map<std::string, std::string> info;
    std::vector<int64_t> fields;  // offset, length, offset, length, ...
};
// Decodes the record at the start of bytes for the configured keys and field
// count. False when the record is cut short.
bool DecodeDocInfo(const std::vector<std::string>& keys, size_t fieldCount, const std::string& bytes,
                   CDocInfo* out);

}  // namespace qav::bm
