// The full-text engine: one loaded full-text index (shard files kept open,
// term table, word list with idf, primary-index map, name transducer) and
// the caches of records read from the shard files. The process holds at most
// one, reached through g_pBMEngine, and shut-down frees it.
//
// Record buffers are handed out as shared pointers: a cache purge only drops
// the engine's own reference, so buffers a running search still holds stay
// valid until it lets them go. One lock guards the caches, their counters
// and the shared file handles, so concurrent searches may use one engine.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/platform/file_handle.h"
#include "qav/fulltext/engine/fst_index.h"
#include "qav/fulltext/engine/word_list.h"
#include "qav/fulltext/format/term_table.h"
#include "qav/index/base/config.h"

namespace qav {

// Limit of the posting cache and of the document-to-term cache, in bytes.
constexpr uint32_t MAX_BM_CACHE_SIZE = 0xA00000;
// RefreshCache empties a cache whose counter is above this.
constexpr uint32_t kBMRefreshThreshold = 0x700000;
// Work buffer of one document-information record, and the counter at which
// the document-information cache is emptied before a load.
constexpr uint32_t kDocInfoWorkBytes = 102400;
constexpr uint32_t kDocInfoCachePurgeAt = MAX_BM_CACHE_SIZE - kDocInfoWorkBytes + 1;

using BMRecordBuffer = std::shared_ptr<const std::vector<unsigned char>>;

class CBMEngine {
public:
    CBMEngine() = default;
    ~CBMEngine() { BMEngineExit(); }
    CBMEngine(const CBMEngine&) = delete;
    CBMEngine& operator=(const CBMEngine&) = delete;

    // Configuration of the full-text index; the first part of the object.
    CConfig m_Config;

    // Loads the index of indexDir with its configuration file configFile.
    // A failed step leaves what was loaded in place for BMEngineExit.
    bool BMEngineInit(const std::string& configFile, const std::string& indexDir);
    // Closes and frees what the load opened.
    void BMEngineExit();

    // Shard count: the first i for which term-to-document file i or
    // document-to-term file i does not open.
    int GetDocNum();
    // Opens the four files of every shard; false at the first that does not open.
    bool OpenDoc();
    bool CloseDoc();
    // Reads the ".pid" files into the primary-index map; shards without one
    // are skipped. Always true.
    bool PidIdxInit();
    // Loads the name transducer ("%s.BYTE" of the "Data" path).
    bool DocInfoInit();

    std::string No2Word(int32_t number) const { return m_WordList.No2Word(number); }
    float No2Idf(int32_t number) const { return m_WordList.No2Idf(number); }

    // The term's postings (10-byte entries), read once and cached; null when
    // no term table is loaded.
    BMRecordBuffer GetTerm2DocBuffer(const bm::CHashNodeBM& node);
    // u32 count k, then k 5-byte entries; the record's field length goes to
    // *dl. Null when the record cannot be read.
    BMRecordBuffer GetDoc2TermBuffer(uint32_t offset, uint8_t shard, uint32_t* dl);
    // Every "DocInfo" value (u32 length, bytes), then every field (i64, u32).
    // Null when the record cannot be read or outgrows the work buffer.
    BMRecordBuffer GetDocInfoBuffer(uint32_t offset, uint8_t shard);
    // Up to maxBytes of the field text at offset of the shard's ".ori" file;
    // empty when it cannot be read.
    std::string GetFieldText(uint8_t shard, int64_t offset, int64_t length, size_t maxBytes);

    // Empties a cache whose counter passed kBMRefreshThreshold, noting it in
    // "info/Log" when that can be written. Always true: a note that cannot
    // be written never fails a search.
    bool RefreshCache();
    // Frees every cached posting buffer; the posting counter becomes 0.
    void FreeCache();

    std::unique_ptr<bm::CHashTableBM> m_pHashTable;
    CWordListBM m_WordList;
    int m_nShardCount = 0;
    std::map<std::string, int64_t> m_PidIdx;
    std::map<std::string, FSTIndex> m_FST;  // one entry, under the "Data" path

    // Bytes counted in the three caches.
    uint32_t m_nCacheNum = 0;
    uint32_t m_nCacheDocSize = 0;
    uint32_t m_nCacheInfoSize = 0;

private:
    void FreeCacheLocked();
    // Reads length bytes at offset of file; false on a short read.
    static bool ReadAt(FILE* file, uint64_t offset, void* out, size_t length);

    std::mutex m_Lock;
    std::unordered_map<const bm::CHashNodeBM*, BMRecordBuffer> m_CachedTerm2Doc;
    std::unordered_map<uint64_t, std::pair<BMRecordBuffer, uint32_t>> m_mCachedDoc2Term;  // buffer, dl
    std::unordered_map<uint64_t, BMRecordBuffer> m_CachedDocInfo;
    std::vector<qz::FileHandle> m_Term2DocFiles;
    std::vector<qz::FileHandle> m_Doc2TermFiles;
    std::vector<qz::FileHandle> m_DocInfoFiles;
    std::vector<qz::FileHandle> m_FieldTextFiles;
};

// The full-text engine; null unless one was created.
extern CBMEngine* g_pBMEngine;

}  // namespace qav
