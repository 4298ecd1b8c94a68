// The word-table file pair: "table.idx" names each stored object and where
// its bytes lie in "table.dat"; "table.dat" holds one blob per object, either
// a word table or the key-value index of one ("KV-" + the table's name).
// Little-endian, GBK texts with a u32 length and no terminator. Encoders
// produce the exact bytes; decoders check every count and length against the
// bytes they were given and refuse a blob that overruns.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "zel/rules/format/rule_hash.h"

namespace zel {

// Ordinal of the character F7FE: the entry count of the per-character length
// tables of a large table, and the range of the character sets.
constexpr int32_t kHZNumTotal = kLastHZ;
// Tables of at most this many items keep one-byte length tables.
constexpr uint32_t kMinCollNum = 1024;
// Bytes of each character set: one bit per ordinal below kHZNumTotal.
constexpr uint16_t kCharSetBytes = kHZNumTotal / 8 + 1;
// Longest object name an index record may carry.
constexpr uint32_t kTableNameLimit = 1023;
// Prefix of the record name of a key-value index.
constexpr const char* kTableKVPrefix = "KV-";

// GetHZNo of the first two bytes of a NUL-terminated text, or -1.
int GetHZNoEx(const char* text);
// Smallest prime not below n (n >= 2).
uint32_t NextPrimeAtLeast(uint32_t n);

// "D/N.idx"/"D/N.dat" when N contains "table", else "D/Ntable.idx"/...dat.
void TableFilePaths(const std::string& folder, const std::string& name, std::string& idxPath,
                    std::string& datPath);

struct TableIndexRecord {
    std::string name;
    int64_t offset = 0;
    int64_t size = 0;
};

std::string EncodeTableIndexRecord(const TableIndexRecord& record);
// Every record of an index file's bytes, in order; false when a record is
// cut short or names more than kTableNameLimit bytes.
bool DecodeTableIndex(const std::string& bytes, std::vector<TableIndexRecord>& records);

// A key and its value; an empty value stands for none.
struct TableItemRecord {
    std::string key;
    std::string value;
};

// The word-table blob, field by field.
struct TableBlob {
    std::string endLengths;    // H bytes
    std::string beginLengths;  // H bytes
    int32_t longest = 0;
    std::string filter;        // F bytes
    std::vector<TableItemRecord> items;
    std::string firstChars;    // B bytes
    std::string secondChars;   // B bytes
    std::vector<TableItemRecord> itemKVs;
};

// endLengths and beginLengths must be of equal size, as must the two sets.
std::string EncodeTableBlob(const TableBlob& blob);
// The blob in two parts: every field up to the character sets, then the
// item-KV count and entries (the blob's last two fields).
std::string EncodeTableBlobHead(const TableBlob& blob);
std::string EncodeTableItemKVs(const std::vector<TableItemRecord>& itemKVs);
bool DecodeTableBlob(const char* bytes, size_t size, TableBlob& blob);

// The key-value index blob: pair texts in ascending byte order with the start
// of their posting list, then the posting array.
struct TableKVBlob {
    std::vector<std::pair<std::string, int32_t>> pairs;
    std::vector<uint32_t> postings;
};

std::string EncodeTableKVBlob(const TableKVBlob& blob);
// Also refuses a start that lies outside the posting array or a list that
// runs past its end.
bool DecodeTableKVBlob(const char* bytes, size_t size, TableKVBlob& blob);

}  // namespace zel
