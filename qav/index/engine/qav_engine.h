// The structured engine: everything a query needs from a loaded index
// directory. One per process, reached through g_pCQAVEngine.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "qav/index/base/config.h"
#include "common/platform/file_handle.h"
#include "qav/index/engine/hash_table.h"
#include "qav/index/engine/org_info.h"
#include "qav/index/engine/sent_info.h"
#include "qav/index/format/corpus_words.h"
#include "qav/index/format/no_word_runs.h"
#include "qav/index/format/word_list.h"

namespace qav {

class CQAVEngine {
public:
    // Each data file whole, as 4-byte units (header and tail blocks
    // included), and its number of units; at most 255 files.
    std::vector<CorpusWords> m_corpus;
    std::vector<uint32_t> m_corpusLength;
    // Per data file, the places that hold no word under the loaded word list.
    std::vector<NoWordRuns> m_noWords;
    // The word list; shared so that a builder can lend its own list.
    std::shared_ptr<CWordList> m_pWordList;
    // Units by name; offset records are loaded into the nodes on first use.
    CHashTable m_unitTable;
    // Offset files, open for reading; at most 255.
    std::vector<qz::FileHandle> m_offsetFiles;
    // Changes whenever the offset files are (re)opened, so that threads
    // holding handles of their own know to reopen them.
    uint64_t m_offsetGeneration = 0;
    CConfig m_config;
    COrgInfo m_orgInfo;
    CHashTableInfo m_sentInfo;
    // Offset records currently loaded into unit nodes.
    std::atomic<int64_t> m_loadedRecords{0};
    // Limit ranges of sentence keys.
    std::vector<std::pair<int64_t, int64_t>> m_limits;

    size_t DataFileCount() const { return m_corpus.size(); }
    size_t OffsetFileCount() const { return m_offsetFiles.size(); }

    // Loads the index directory: configuration, data files, word list and
    // unit index (each required), then offset files, document table,
    // category table, cache, sentence and document information.
    bool QAVEngineInit(const std::string& configName, const std::string& indexDir);
    // Frees everything loaded; the object stays.
    void QAVEngineExit();
    // Data files prefix + "_%d.dat", 0 to 254 up to the first missing one.
    bool ShareDataInit(const std::string& prefix);
    void ShareDataExit();
    // Finds m_noWords for the loaded data files and word list.
    void FindNoWords();
    // Opens the configured offset files "_%d.dat", 0 to 254.
    bool OffsetFileHandleInit();
    // Preloads the records of the configured cache units, kind by kind, up
    // to the first failure.
    bool Cache();
    // Preloads the children of every configured unit of one cache kind
    // ("|POS", "POS|", "<HZ", "HZ>", "$ML", "MR@"); false when a load fails
    // or the kind is none of these.
    bool LoadCache(const std::string& kind);

    // Reads count records of the width of unit kind `kind` from byte
    // fileOffset of offset file offsetFileNo into a new buffer; adds count to
    // m_loadedRecords. False (records empty) when not all bytes were read.
    bool LoadOffset(int64_t fileOffset, int64_t count, std::unique_ptr<unsigned char[]>& records, int kind,
                    int offsetFileNo);
};

// The engine; null when there is none.
extern CQAVEngine* g_pCQAVEngine;
// Stripe locks for loading and freeing a unit node's records.
extern std::mutex g_nodeLoadMutex[256];

// The stripe of g_nodeLoadMutex that guards a node.
inline std::mutex& NodeLoadMutex(const CHashNode* node) {
    return g_nodeLoadMutex[(reinterpret_cast<uintptr_t>(node) >> 5) & 0xFF];
}

// Sets the language of the engine's configuration (0 Chinese, 1 English)
// when there is an engine; call it while no query runs.
void SetEngineLanguageType(int language);

// Use counts of the first unit of that name and of its first children (at
// most "MaxAtomSearchRetSize" of them), one up or one down.
void InsertCurrentSearch(const std::string& name);
void EraseCurrentSearch(const std::string& name);

// Releases loaded offset records of units not in use, until none are loaded
// or more than "ToFreeMemCount" were released.
void FreeMem();

}  // namespace qav
