#include "qav/fulltext/format/bm_files.h"

#include <cstdio>

#include "common/platform/byte_codec.h"

namespace qav {

namespace bm {
namespace {

std::string Numbered(const std::string& prefix, const char* separator, int n, const char* suffix = "") {
    return prefix + separator + std::to_string(n) + suffix;
}

}  // namespace

std::string TermToDocShardPath(const std::string& unitPath, int shard) { return Numbered(unitPath, "-", shard); }
std::string DocToTermShardPath(const std::string& dataPath, int shard) { return Numbered(dataPath, "-", shard); }
std::string DocInfoPath(const std::string& dataPath, int shard) { return Numbered(dataPath, "_", shard, ".orx"); }
std::string FieldTextPath(const std::string& dataPath, int shard) { return Numbered(dataPath, "_", shard, ".ori"); }
std::string ShardPidPath(const std::string& dataPath, int shard) { return Numbered(dataPath, "_", shard, ".pid"); }
std::string MergedPidPath(const std::string& dataPath) { return dataPath + ".pid"; }
std::string TransducerPath(const std::string& dataPath) { return dataPath + ".BYTE"; }
std::string WordListPath(const std::string& wordListPath) { return wordListPath + "_w"; }
std::string PostingTextPath(const std::string& unitPath, int group) { return Numbered(unitPath, "_", group); }
std::string FieldRecordPath(const std::string& dataPath, int group) { return Numbered(dataPath, "_", group); }
std::string GroupDocPath(const std::string& orgDatPath, int group) { return Numbered(orgDatPath, "_", group); }

void EncodeDocOffset(unsigned char* buffer, size_t j, const Posting& posting) {
    unsigned char* p = buffer + j * kPostingEntryBytes;
    p[0] = posting.shard;
    qz::bytes::Store<uint32_t>(p + 1, posting.termListOffset);
    qz::bytes::Store<uint32_t>(p + 5, posting.docOffset);
    p[9] = posting.field;
}

Posting DecodeDocOffset(const unsigned char* buffer, size_t j) {
    const unsigned char* p = buffer + j * kPostingEntryBytes;
    Posting posting;
    posting.shard = p[0];
    posting.termListOffset = qz::bytes::Load<uint32_t>(p + 1);
    posting.docOffset = qz::bytes::Load<uint32_t>(p + 5);
    posting.field = p[9];
    return posting;
}

bool WriteEncode(uint32_t termNumber, uint32_t tf, std::string& out) {
    if (termNumber > kMaxTermNumber) return false;
    if (tf > kMaxStoredTf) tf = kMaxStoredTf;
    qz::bytes::Append<uint32_t>(out, termNumber << 4 | tf >> 8);
    out.push_back(static_cast<char>(tf & 0xFF));
    return true;
}

void DecodeEntry(const unsigned char* entry, uint32_t* termNumber, uint32_t* tf) {
    const uint32_t head = qz::bytes::Load<uint32_t>(entry);
    *termNumber = head >> 4;
    *tf = (head & 0xF) << 8 | entry[4];
}

bool DecodeDocInfo(const std::vector<std::string>& keys, size_t fieldCount, const std::string& bytes,
                   CDocInfo* out) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t p = 0;
    for (const std::string& key : keys) {
        if (bytes.size() - p < 4) return false;
        const uint32_t length = qz::bytes::Load<uint32_t>(data + p);
        p += 4;
        if (bytes.size() - p < length) return false;
        out->info[key] = bytes.substr(p, length);
        p += length;
    }
    for (size_t f = 0; f < fieldCount; ++f) {
        if (bytes.size() - p < 12) return false;
        out->fields.push_back(qz::bytes::Load<int64_t>(data + p));
        out->fields.push_back(qz::bytes::Load<uint32_t>(data + p + 8));
        p += 12;
    }
    return true;
}

}  // namespace bm

}  // namespace qav
