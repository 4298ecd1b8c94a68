// The full build of a structured index: every stage in its fixed order, each
// announced in the build log.
#include <cstdio>
#include <future>
#include <malloc.h>

#include "qav/index/build/build_log.h"
#include "qav/index/build/build_stages.h"
#include "qav/index/base/build_inputs.h"
#include "qav/index/base/config.h"
#include "qav/index/build/corpus_prep.h"
#include "qav/index/build/index_copy.h"
#include "qav/index/format/index_files.h"
#include "qav/index/build/info_stage.h"
#include "qav/index/build/qav_idx.h"
#include "qav/index/base/qav_log.h"
#include "common/platform/zq_files.h"
#include "qav/index/build/build_staging.h"
#include "qav/index/build/corpus_summary.h"
#include "qav/index/engine/index_check.h"
#include "qav/index/format/index_manifest.h"

namespace qav {

namespace {

// Counts the kinds "List.txt" gave: 0 sequence files, positive tree files.
// When any was given, the last tree kind (or 0 without tree files) becomes
// the default kind.
void ApplyListedKinds(const std::vector<std::vector<int>>& kindGroups, CConfig& config) {
    int sequenceFiles = 0;
    int treeFiles = 0;
    int lastTreeKind = 0;
    bool anyGiven = false;
    for (const std::vector<int>& kinds : kindGroups) {
        for (int kind : kinds) {
            if (kind < 0) continue;
            anyGiven = true;
            if (kind == 0) {
                ++sequenceFiles;
            } else {
                ++treeFiles;
                lastTreeKind = kind;
            }
        }
    }
    if (!anyGiven) return;
    QavLogOnly("File type summary: %d sequence file(s), %d tree file(s)\n", sequenceFiles, treeFiles);
    config.m_CorpusKind = treeFiles > 0 ? lastTreeKind : 0;
}

// Sentence information and document table in two parallel threads; false
// when either fails.
bool WriteSentAndOrgInfo(const std::string& indexDir, const std::string& orgDat) {
    const std::string idFile = JoinPath(indexDir, kCorpusIdName);
    CIdxInfoBlock sentBlock{{idFile, JoinPath(indexDir, kSentInfoTextName), JoinPath(indexDir, kSentInfoDatName)}};
    CIdxInfoBlock orgBlock{{idFile, JoinPath(indexDir, kOrgTextName), orgDat}};
    RunIdxInfoThreads(sentBlock, orgBlock);
    if (sentBlock.result != 1) QavLog("Error: Idx Sent Info failed\n");
    if (orgBlock.result != 1) QavLog("Error: Write Org Info failed\n");
    return sentBlock.result == 1 && orgBlock.result == 1;
}

// The digests of the data and offset files, which are final once sorted:
// nearly all the bytes the checksum stage reads. They are taken on a thread
// of their own while the last stages run, when the build may use more than
// one thread, else when asked for.
std::future<Manifest> DigestDataFilesAhead(const CConfig& config, const std::string& dir) {
    const std::launch when = config.m_SizeInfo.ThreadNum_Sort > 1 ? std::launch::async : std::launch::deferred;
    return std::async(when, DigestFiles, dir, EngineDataFiles(config, dir));
}

}  // namespace

int CQAVIdx::QAVIdxAllInOne(const std::string& configFile, const std::string& corpusList,
                            const std::string& indexDir) {
    // The log goes to the target folder, where it stays when the build fails.
    zq_mkdirs(indexDir.c_str());
    OpenBuildLog(indexDir);
    BuildStaging staging(indexDir);
    if (!staging.Prepare()) return 0;
    const std::string& dir = staging.dir();
    BuildStages stages(BuildStages::kLogOnly);
    CorpusSummary corpus;
    // Every way out of the build ends the log with what the corpus gave.
    CorpusSummaryLog corpusLog(corpus);

    // The configuration comes first: its thread count prepares the files.
    CopyFile(configFile, JoinPath(dir, kConfigCopyName));
    if (!m_Config.ConfigInit(configFile, dir)) {
        QavLog("Error read config %s\n", configFile.c_str());
        return 0;
    }

    const std::string listPath = JoinPath(dir, kListFileName);
    const std::string orgText = JoinPath(dir, kOrgTextName);
    stages.Begin("Preparing Files\n");
    if (!stages.End(CreatePreFiles(dir, corpusList, listPath, orgText, JoinPath(dir, kDocInfoTextName),
                                   JoinPath(dir, kSentInfoTextName), &corpus, m_Config.m_SizeInfo.ThreadNum_Count)))
        return 0;

    stages.Begin("Read Files\n");
    if (!stages.End(ReadInFiles(listPath))) return 0;
    ApplyListedKinds(m_KindGroups, m_Config);
    CheckIsTreeType();
    if (!SetEngineType(&m_Config, dir, kEngineStructured)) {
        QavLog("Create or open %s error\n", JoinPath(dir, kEngineFileName).c_str());
        return 0;
    }

    stages.Begin("Org Info Init \n");
    OrgInfoInit(orgText);
    InitHash();
    stages.End(true);

    stages.Begin("Count Unit Word\n");
    if (!stages.End(CountUnitWord())) return 0;
    stages.Begin("Merge Hash\n");
    MergeHash();
    // The offset pass looks words up in the merged table only.
    m_Tables.group_words.clear();
    stages.End(true);
    stages.Begin("Hash to WordList\n");
    HashTables2WordList();
    if (!stages.End(!m_WordList_U.words.empty() && !m_WordList_W.words.empty())) return 0;

    stages.Begin("Prune WordList\n");
    if (!stages.End(PruneWordList())) return 0;
    stages.Begin("Write Init Offset\n");
    if (!stages.End(WriteInitOffset())) return 0;
    stages.Begin("Create Offset\n");
    if (!stages.End(CreateOffset())) return 0;
    // The offset pass dropped the groups' unit tables and its record buffers,
    // and was the last to look words up in the merged word table (the word
    // list stands for it from here on); their memory goes back before the
    // sort loads the corpus. Their many small blocks leave the heap too
    // scattered for the allocator to shrink it by itself, so it is asked to.
    m_Tables.group_units.clear();
    m_Tables.group_unit_ids.clear();
    m_Tables.group_word_ids.clear();
    m_Tables.words.Reset(1);
    malloc_trim(0);
    stages.Begin("Sort Offset\n");
    if (!stages.End(SortOffset())) return 0;
    std::future<Manifest> dataDigests = DigestDataFilesAhead(m_Config, dir);
    stages.Begin("Write Idx Info\n");
    if (!stages.End(WriteIdxInfo())) return 0;

    stages.Begin("Merge CorpusID Files\n");
    if (!stages.End(MergeCorpusIDFiles(m_nGroupCount, dir, m_Config.m_FileInfo.DataInInfo))) return 0;
    stages.Begin("Idx Sent Info + Write Org Info (parallel)\n");
    if (!stages.End(WriteSentAndOrgInfo(dir, m_Config.m_FileInfo.OrgDat))) return 0;

    FreeTables();
    DelTmpFiles(listPath);
    stages.Begin("Write Checksums\n");
    if (!stages.End(WriteManifest(dir, EngineReadFiles(m_Config, dir), dataDigests.get()))) return 0;
    stages.Begin("Put Index In Place\n");
    if (!stages.End(staging.Commit(m_Config))) return 0;
    corpusLog.Write();
    QavLog("Index completed successfully.\n");
    stages.Total();
    QavLogClose();
    return 1;
}

int CQAVIdx::QAVIdx(const std::string& configFile, const std::string& orgText, const std::string& fileList,
                    const std::string& indexDir) {
    BuildStages stages(BuildStages::kStdoutAndLog);
    const std::string& dir = indexDir;
    QavLog("Idxing QAV....\n");
    zq_mkdirs(dir.c_str());
    zq_mkdirs(JoinPath(dir, kInfoDirName).c_str());
    // This build writes in place: until it has finished, the folder is
    // marked so that no engine starts on it, and its file list is gone.
    std::remove(JoinPath(dir, kManifestName).c_str());
    if (!WriteUnfinishedMarker(dir)) {
        QavLog("Create or open %s error\n", JoinPath(dir, kUnfinishedMarkerName).c_str());
        return 0;
    }
    CopyFile(configFile, JoinPath(dir, kConfigCopyName));
    if (!m_Config.ConfigInit(configFile, dir)) {
        QavLog("Error read config %s\n", configFile.c_str());
        return 0;
    }
    if (!ReadInFiles(fileList)) return 0;
    CheckIsTreeType();
    // No preparation measured this corpus: keep another build's size out of
    // "Engine.txt".
    g_nCorpusSize = 0;
    if (!SetEngineType(&m_Config, dir, kEngineStructured)) {
        QavLog("Create or open %s error\n", JoinPath(dir, kEngineFileName).c_str());
        return 0;
    }

    OrgInfoInit(orgText);
    InitHash();
    stages.Begin("Counting Units...\n");
    if (!stages.End(CountUnitWord())) return 0;
    stages.Begin("\nMerging HashTable...\n");
    MergeHash();
    stages.End(true);
    stages.Begin("Writing WordList...\n");
    HashTables2WordList();
    if (!stages.End(!m_WordList_U.words.empty() && !m_WordList_W.words.empty())) return 0;
    stages.Begin("Pruning WordList...\n");
    if (!stages.End(PruneWordList())) return 0;
    stages.Begin("Writing Init Offset...\n");
    if (!stages.End(WriteInitOffset())) return 0;
    stages.Begin("Creating Offset...\n");
    if (!stages.End(CreateOffset())) return 0;
    stages.Begin("\nMerging Org...\n");
    if (!stages.End(MergeWriteOrg(m_Config.m_FileInfo.OrgDat))) return 0;
    stages.Begin("Sorting Offset...\n");
    if (!stages.End(SortOffset())) return 0;
    std::future<Manifest> dataDigests = DigestDataFilesAhead(m_Config, dir);
    stages.Begin("\nWriting Idx Info...\n");
    if (!stages.End(WriteIdxInfo())) return 0;
    stages.Begin("\nFreeing Mem...\n");
    FreeTables();
    stages.End(true);
    stages.Begin("Writing Checksums...\n");
    if (!stages.End(WriteManifest(dir, EngineReadFiles(m_Config, dir), dataDigests.get()) &&
                    RemoveUnfinishedMarker(dir)))
        return 0;
    stages.Total();
    return 1;
}

}  // namespace qav
