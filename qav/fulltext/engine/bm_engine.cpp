#include "qav/fulltext/engine/bm_engine.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <sstream>

#include "common/platform/byte_codec.h"
#include "qav/fulltext/format/bm_files.h"
#include "qav/index/base/cat_table.h"
#include "qav/index/base/qav_log.h"

namespace qav {

CBMEngine* g_pBMEngine = nullptr;

namespace {

// Longest configuration path and longest ".pid" line.
constexpr size_t kMaxConfigPath = 1023;
constexpr size_t kMaxPidLine = 102400;
// Where RefreshCache notes what it emptied, relative to the working directory.
constexpr const char* kCacheLogPath = "info/Log";

bool CanOpen(const std::string& path) { return qz::OpenFile(path, "rb") != nullptr; }

uint64_t RecordKey(uint8_t shard, uint32_t offset) { return static_cast<uint64_t>(shard) << 32 | offset; }

std::string Now() {
    const time_t now = time(nullptr);
    char text[64] = "";
    ctime_r(&now, text);
    return text;
}

// Writes a note over the cache log; a log that cannot be written is reported
// and otherwise ignored.
void NoteCacheRefresh(const std::string& note) {
    qz::FileHandle log = qz::OpenFile(kCacheLogPath, "w");
    if (!log) {
        QavLog("Error open %s!\n", kCacheLogPath);
        return;
    }
    fputs(note.c_str(), log.get());
}

}  // namespace

bool CBMEngine::BMEngineInit(const std::string& configFile, const std::string& indexDir) {
    const clock_t start = clock();
    const std::string configPath = indexDir + "/" + configFile;
    if (configPath.size() > kMaxConfigPath) return false;
    QavLog("BM engine loading [%s] ...\n", indexDir.c_str());
    fflush(stdout);
    if (!m_Config.ConfigInit(configPath, indexDir)) return false;
    m_nShardCount = GetDocNum();
    if (!OpenDoc()) return false;
    m_pHashTable = std::make_unique<bm::CHashTableBM>(static_cast<uint32_t>(m_Config.m_SizeInfo.HashSize_WordList));
    if (!bm::LoadTermList(m_Config.m_FileInfo.WordList, *m_pHashTable)) return false;
    PidIdxInit();
    if (!DocInfoInit()) return false;
    if (!m_WordList.WordListInit(bm::WordListPath(m_Config.m_FileInfo.WordList))) return false;
    CatTableInit(m_Config.m_FileInfo.CatTable);
    QavLog("BM engine ready. (%.2fs)\n", static_cast<double>(clock() - start) / CLOCKS_PER_SEC);
    return true;
}

void CBMEngine::BMEngineExit() {
    std::lock_guard<std::mutex> lock(m_Lock);
    CloseDoc();
    m_CachedTerm2Doc.clear();
    m_mCachedDoc2Term.clear();
    m_CachedDocInfo.clear();
    m_nCacheNum = m_nCacheDocSize = m_nCacheInfoSize = 0;
    m_pHashTable.reset();
    m_WordList.Clear();
    m_FST.clear();
    m_PidIdx.clear();
    m_nShardCount = 0;
}

int CBMEngine::GetDocNum() {
    int shards = 0;
    while (CanOpen(bm::TermToDocShardPath(m_Config.m_FileInfo.Unit, shards)) &&
           CanOpen(bm::DocToTermShardPath(m_Config.m_FileInfo.Data, shards)))
        ++shards;
    return shards;
}

bool CBMEngine::OpenDoc() {
    CloseDoc();
    const std::string& data = m_Config.m_FileInfo.Data;
    for (int i = 0; i < m_nShardCount; ++i) {
        m_Term2DocFiles.push_back(qz::OpenFile(bm::TermToDocShardPath(m_Config.m_FileInfo.Unit, i), "rb"));
        m_Doc2TermFiles.push_back(qz::OpenFile(bm::DocToTermShardPath(data, i), "rb"));
        m_DocInfoFiles.push_back(qz::OpenFile(bm::DocInfoPath(data, i), "rb"));
        m_FieldTextFiles.push_back(qz::OpenFile(bm::FieldTextPath(data, i), "rb"));
        if (!m_Term2DocFiles.back() || !m_Doc2TermFiles.back() || !m_DocInfoFiles.back() || !m_FieldTextFiles.back())
            return false;
    }
    return true;
}

bool CBMEngine::CloseDoc() {
    m_Term2DocFiles.clear();
    m_Doc2TermFiles.clear();
    m_DocInfoFiles.clear();
    m_FieldTextFiles.clear();
    return true;
}

bool CBMEngine::PidIdxInit() {
    for (int i = 0; i < m_nShardCount; ++i) {
        QavLogOnly("Loading Primary index %d\n", i);
        qz::FileHandle file = qz::OpenFile(bm::ShardPidPath(m_Config.m_FileInfo.Data, i), "rb");
        if (!file) continue;
        std::vector<char> line(kMaxPidLine + 1);
        while (fgets(line.data(), static_cast<int>(line.size()), file.get())) {
            std::string text(line.data());
            if (!text.empty() && text.back() == '\n') text.pop_back();
            if (!text.empty() && text.back() == '\r') text.pop_back();
            const size_t blank = text.find(' ');
            if (blank == std::string::npos || text.find(' ', blank + 1) != std::string::npos) continue;
            m_PidIdx[text.substr(0, blank)] = strtoll(text.c_str() + blank + 1, nullptr, 10);
        }
    }
    return true;
}

bool CBMEngine::DocInfoInit() {
    FSTIndex index;
    if (!index.BytesInit(m_Config.m_FileInfo.Data)) return false;
    m_FST[m_Config.m_FileInfo.Data] = std::move(index);
    return true;
}

bool CBMEngine::ReadAt(FILE* file, uint64_t offset, void* out, size_t length) {
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0 && fread(out, 1, length, file) == length;
}

BMRecordBuffer CBMEngine::GetTerm2DocBuffer(const bm::CHashNodeBM& node) {
    std::lock_guard<std::mutex> lock(m_Lock);
    const auto cached = m_CachedTerm2Doc.find(&node);
    if (cached != m_CachedTerm2Doc.end()) return cached->second;
    const uint32_t bytes = node.postingCount * static_cast<uint32_t>(bm::kPostingEntryBytes);
    m_nCacheNum += bytes;
    if (m_nCacheNum > MAX_BM_CACHE_SIZE) {
        QavLog("m_pHashTable.m_nCacheNum > MAX_BM_CACHE_SIZE\n");
        FreeCacheLocked();
        // A term larger than the whole cache is still loaded: its search
        // needs the postings, and they leave the cache at the next purge.
        m_nCacheNum = bytes;
    }
    auto buffer = std::make_shared<std::vector<unsigned char>>(bytes, 0);
    uint32_t loaded = 0;
    for (size_t c = 0; c < node.chunkOffsets.size(); ++c) {
        const uint8_t shard = node.chunkShards[c];
        if (shard >= m_Term2DocFiles.size()) break;
        FILE* file = m_Term2DocFiles[shard].get();
        uint32_t k = 0;
        if (!ReadAt(file, node.chunkOffsets[c], &k, 4)) break;
        const uint32_t first = loaded;
        loaded += k;
        if (loaded > node.postingCount || loaded < first) break;
        std::vector<uint32_t> triples(static_cast<size_t>(k) * 3);
        if (fread(triples.data(), 4, triples.size(), file) != triples.size()) break;
        for (uint32_t j = 0; j < k; ++j) {
            bm::Posting posting;
            posting.shard = shard;
            posting.termListOffset = triples[3 * j];
            posting.docOffset = triples[3 * j + 1];
            posting.field = static_cast<uint8_t>(triples[3 * j + 2]);
            bm::EncodeDocOffset(buffer->data(), first + j, posting);
        }
    }
    m_CachedTerm2Doc[&node] = buffer;
    return buffer;
}

BMRecordBuffer CBMEngine::GetDoc2TermBuffer(uint32_t offset, uint8_t shard, uint32_t* dl) {
    std::lock_guard<std::mutex> lock(m_Lock);
    const uint64_t key = RecordKey(shard, offset);
    const auto cached = m_mCachedDoc2Term.find(key);
    if (cached != m_mCachedDoc2Term.end()) {
        *dl = cached->second.second;
        return cached->second.first;
    }
    if (shard >= m_Doc2TermFiles.size()) return nullptr;
    FILE* file = m_Doc2TermFiles[shard].get();
    uint32_t head[2] = {0, 0};  // dl, k
    if (!ReadAt(file, offset, head, sizeof head)) return nullptr;
    const uint64_t size = static_cast<uint64_t>(head[1]) * bm::kDocTermEntryBytes + 4;
    if (size > MAX_BM_CACHE_SIZE) return nullptr;  // no record of this index is that long
    if (m_nCacheDocSize + size > MAX_BM_CACHE_SIZE) {
        QavLog("(m_nCacheDocSize+5*nSize+4) > MAX_BM_CACHE_SIZE\n");
        m_mCachedDoc2Term.clear();
        m_nCacheDocSize = 0;
    }
    auto buffer = std::make_shared<std::vector<unsigned char>>(size);
    qz::bytes::Store<uint32_t>(buffer->data(), head[1]);
    if (fread(buffer->data() + 4, 1, size - 4, file) != size - 4) return nullptr;
    m_nCacheDocSize += static_cast<uint32_t>(size);
    m_mCachedDoc2Term[key] = {buffer, head[0]};
    *dl = head[0];
    return buffer;
}

BMRecordBuffer CBMEngine::GetDocInfoBuffer(uint32_t offset, uint8_t shard) {
    std::lock_guard<std::mutex> lock(m_Lock);
    const uint64_t key = RecordKey(shard, offset);
    const auto cached = m_CachedDocInfo.find(key);
    if (cached != m_CachedDocInfo.end()) return cached->second;
    if (shard >= m_DocInfoFiles.size()) return nullptr;
    FILE* file = m_DocInfoFiles[shard].get();
    if (fseeko(file, offset, SEEK_SET) != 0) return nullptr;
    if (m_nCacheInfoSize >= kDocInfoCachePurgeAt) {
        m_CachedDocInfo.clear();
        m_nCacheInfoSize = 0;
    }
    std::vector<unsigned char> record;
    auto take = [&](size_t length) {
        if (record.size() + length > kDocInfoWorkBytes) return false;
        record.resize(record.size() + length);
        return fread(record.data() + record.size() - length, 1, length, file) == length;
    };
    for (size_t i = 0; i < m_Config.m_DocInfo.size(); ++i) {
        if (!take(4)) return nullptr;
        if (!take(qz::bytes::Load<uint32_t>(record.data() + record.size() - 4))) return nullptr;
    }
    for (size_t i = 0; i < m_Config.m_Field.size(); ++i)
        if (!take(12)) return nullptr;
    auto buffer = std::make_shared<const std::vector<unsigned char>>(std::move(record));
    m_nCacheInfoSize += static_cast<uint32_t>(buffer->size());
    m_CachedDocInfo[key] = buffer;
    return buffer;
}

std::string CBMEngine::GetFieldText(uint8_t shard, int64_t offset, int64_t length, size_t maxBytes) {
    if (offset < 0 || length <= 0) return std::string();
    std::lock_guard<std::mutex> lock(m_Lock);
    if (shard >= m_FieldTextFiles.size()) return std::string();
    std::string text(std::min(static_cast<size_t>(length), maxBytes), '\0');
    FILE* file = m_FieldTextFiles[shard].get();
    if (fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0) return std::string();
    text.resize(fread(text.data(), 1, text.size(), file));
    return text;
}

bool CBMEngine::RefreshCache() {
    std::lock_guard<std::mutex> lock(m_Lock);
    if (m_nCacheDocSize > kBMRefreshThreshold) {
        NoteCacheRefresh(Now() + ": Refreshing Cache ...\n");
        m_mCachedDoc2Term.clear();
        m_nCacheDocSize = 0;
        QavLogOnly("Refreshed m_mCachedDoc2Term\n");
    }
    if (m_nCacheNum > kBMRefreshThreshold) {
        NoteCacheRefresh(Now() + " Refreshing m_pHashTablep: HashNode->m_pnDocOffset ...\n");
        FreeCacheLocked();
        QavLogOnly("Refreshed m_pHashTable\n");
    }
    return true;
}

void CBMEngine::FreeCache() {
    std::lock_guard<std::mutex> lock(m_Lock);
    FreeCacheLocked();
}

void CBMEngine::FreeCacheLocked() {
    m_CachedTerm2Doc.clear();
    m_nCacheNum = 0;
}

}  // namespace qav
