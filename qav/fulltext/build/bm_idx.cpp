#include "qav/fulltext/build/bm_idx.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <thread>
#include <utility>

#include "common/platform/file_handle.h"
#include "common/platform/zq_files.h"
#include "common/text/line_reader.h"
#include "qav/fulltext/build/input_reader.h"
#include "qav/fulltext/build/qav_fst.h"
#include "qav/fulltext/build/shard_writers.h"
#include "qav/fulltext/format/bm_files.h"
#include "qav/fulltext/format/term_table_file.h"
#include "qav/index/base/build_inputs.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/format/index_files.h"

namespace qav {

namespace bm {
namespace {

constexpr size_t kPidLineBuffer = 102399;
// Field numbers are stored in one byte.
constexpr size_t kMaxFields = 256;

void LogTime() {
    const std::time_t now = std::time(nullptr);
    QavLog("%s", std::ctime(&now));
}

// Runs work(i) for i = 0 .. count - 1 in one thread each; true when all did.
bool RunPerGroup(size_t count, const std::function<bool(int)>& work) {
    std::vector<char> results(count, 0);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < count; ++i)
        threads.emplace_back([&results, &work, i] { results[i] = work(static_cast<int>(i)); });
    for (std::thread& thread : threads) thread.join();
    return std::all_of(results.begin(), results.end(), [](char ok) { return ok != 0; });
}

// "Stage [0-last] of count" and the line end; nothing without groups.
void LogGroups(const char* stage, size_t count, const char* end) {
    if (count > 0) QavLog("%s [0-%zu] of %zu%s", stage, count - 1, count, end);
}

double SecondsSince(std::clock_t start) { return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC; }

}  // namespace

bool CBMIdx::ReadInFiles(const std::string& path) {
    qz::LineReader lines(path, kListLineBytes, qz::LongLines::kSplit);
    if (!lines.ok()) {
        QavLog("Error open %s\n", path.c_str());
        return false;
    }
    std::vector<std::string> paths;
    std::string line;
    while (lines.Next(line) != qz::LineReader::kEnd)
        if (!IsListCommentLine(line)) paths.push_back(line);
    const size_t threads = std::max(m_Config.m_SizeInfo.ThreadNum_Count, 1);
    const size_t groups = std::min(paths.size(), threads);
    m_FileGroups.assign(groups, {});
    size_t next = 0;
    for (size_t g = 0; g < groups; ++g) {
        const size_t take = paths.size() / groups + (g < paths.size() % groups ? 1 : 0);
        m_FileGroups[g].assign(paths.begin() + next, paths.begin() + next + take);
        next += take;
    }
    return true;
}

bool CBMIdx::ProcessSub() {
    LogGroups("Processing", m_FileGroups.size(), "\n");
    std::vector<CThreadInfoBM> records(m_FileGroups.size());
    for (size_t i = 0; i < records.size(); ++i)
        records[i] = {m_Groups[i].get(), m_FileGroups[i], static_cast<int>(i), &m_Config, false};
    return RunPerGroup(records.size(), [&records](int i) {
        ProcessSubThreadTAB(records[i]);
        return records[i].ok;
    });
}

void CBMIdx::MergeDocNum() {
    for (const std::unique_ptr<CHashTableBM>& group : m_Groups) {
        for (const auto& [field, documents] : group->m_FieldDocs) m_Merged->m_FieldDocs[field] += documents;
        for (const auto& [field, tokens] : group->m_FieldTokens) m_Merged->m_FieldTokens[field] += tokens;
        m_Merged->m_nDocNum += group->m_nDocNum;
        group->m_FieldDocs.clear();
        group->m_FieldTokens.clear();
        for (const CHashNodeBM* node : group->InBucketOrder())
            if (!node->name.empty()) m_Merged->AddWordEx(node->name, node->df, node->postingCount);
    }
}

bool CBMIdx::Term2Doc() {
    LogGroups("Term2Doc", m_Groups.size(), "\r");
    return RunPerGroup(m_Groups.size(),
                       [this](int i) { return Term2DocThread(*m_Groups[i], m_Config.m_FileInfo.Unit, i); });
}

void CBMIdx::MergeTerm2DocEx() {
    for (const std::unique_ptr<CHashTableBM>& group : m_Groups)
        for (const CHashNodeBM* node : group->InBucketOrder())
            if (!node->name.empty()) m_Merged->AddWordVec(node->name, node->chunkOffsets, node->chunkShards);
    m_Groups.clear();
}

bool CBMIdx::WriteDoc2TermEx() {
    LogGroups("Doc2Term", m_FileGroups.size(), "\r");
    const CHashTableBM& merged = *m_Merged;
    return RunPerGroup(m_FileGroups.size(),
                       [this, &merged](int i) { return Doc2TermThread(merged, m_Config.m_FileInfo.Data, i); });
}

bool CBMIdx::IndexDocInfo() {
    const std::string& data = m_Config.m_FileInfo.Data;
    std::clock_t start = std::clock();
    std::vector<std::pair<std::string, int64_t>> names;
    for (size_t shard = 0; shard < m_FileGroups.size(); ++shard) {
        qz::LineReader lines(ShardPidPath(data, static_cast<int>(shard)), kPidLineBuffer, qz::LongLines::kSplit);
        if (!lines.ok()) {
            QavLog("Error open %s\n", ShardPidPath(data, static_cast<int>(shard)).c_str());
            return false;
        }
        std::string line;
        std::string name;
        while (lines.Next(line) != qz::LineReader::kEnd) {
            const size_t blank = line.find(' ');
            int64_t value = 0;
            if (blank != std::string::npos) {
                name = line.substr(0, blank);
                value = std::atoll(line.c_str() + blank + 1);
            }
            names.emplace_back(name, value);
            if (names.size() % 100000 == 0) QavLogOnly("Merge Line %zu\n", names.size());
        }
    }
    std::stable_sort(names.begin(), names.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QavLogOnly("merge&sort Finish: %.6lf\n", SecondsSince(start));

    start = std::clock();
    const std::string merged = MergedPidPath(data);
    qz::FileHandle out = qz::OpenFile(merged, "wb");
    if (!out) {
        QavLog("Error open %s\n", merged.c_str());
        return false;
    }
    for (const auto& [name, value] : names)
        fprintf(out.get(), "%s %lld\n", name.c_str(), static_cast<long long>(value));
    if (!qz::CloseFile(out)) return false;
    QavLogOnly("write Finish: %.6lf\n", SecondsSince(start));

    start = std::clock();
    QAVFST fst;
    if (!fst.FSTIndex(merged) || !fst.Finish() || !fst.WriteBytes2Files(TransducerPath(data))) {
        QavLog("Error writing %s\n", TransducerPath(data).c_str());
        return false;
    }
    QavLogOnly("IndexDocInfo Finish: %.6lf\n", SecondsSince(start));
    return true;
}

void CBMIdx::DelTmpFile() {
    const CFileInfo& paths = m_Config.m_FileInfo;
    for (size_t i = 0; i < m_FileGroups.size(); ++i) {
        const int group = static_cast<int>(i);
        std::remove(PostingTextPath(paths.Unit, group).c_str());
        std::remove(FieldRecordPath(paths.Data, group).c_str());
        std::remove(GroupDocPath(paths.OrgDat, group).c_str());
    }
}

int CBMIdx::BMIdx(const std::string& configFile, const std::string& fileList, const std::string& indexDir) {
    LogTime();
    QavLogOnly("Idxing BM....\n");
    zq_mkdirs(indexDir.c_str());
    zq_mkdirs(JoinPath(indexDir, kInfoDirName).c_str());
    // This build measures no corpus: keep another build's size out of "Engine.txt".
    g_nCorpusSize = 0;
    if (!SetEngineType(&m_Config, indexDir, kEngineFullText)) {
        QavLog("Create or open %s error\n", JoinPath(indexDir, kEngineFileName).c_str());
        return 0;
    }
    if (_basename(configFile) != kConfigCopyName) {
        QavLog("Configure file must be: \"%s\"!\n", kConfigCopyName);
        return 0;
    }
    CopyFile(configFile, JoinPath(indexDir, kConfigCopyName));
    if (!m_Config.ConfigInit(configFile, indexDir) || !ReadInFiles(fileList)) return 0;
    if (m_Config.m_Field.size() > kMaxFields) {
        QavLog("Error: more than %zu fields configured\n", kMaxFields);
        return 0;
    }

    const uint32_t groupSize = static_cast<uint32_t>(std::max(m_Config.m_SizeInfo.HashSize_WordList, 0));
    const uint64_t mergedSize = std::min<uint64_t>(uint64_t{groupSize} * 10, UINT32_MAX);
    m_Merged = std::make_unique<CHashTableBM>(static_cast<uint32_t>(mergedSize));
    m_Groups.clear();
    for (size_t i = 0; i < m_FileGroups.size(); ++i) m_Groups.push_back(std::make_unique<CHashTableBM>(groupSize));

    LogTime();
    QavLogOnly("ProcessSub...\n");
    if (!ProcessSub()) return 0;
    LogTime();
    QavLogOnly("MergeDocNum...\n");
    MergeDocNum();
    LogTime();
    QavLogOnly("\nTerm2Doc...\n");
    if (!Term2Doc()) return 0;
    LogTime();
    MergeTerm2DocEx();
    LogTime();
    if (!WriteDoc2TermEx()) return 0;
    LogTime();
    if (!WriteTermList(m_Config.m_FileInfo.WordList, *m_Merged)) {
        QavLog("Error open %s\n", m_Config.m_FileInfo.WordList.c_str());
        return 0;
    }
    LogTime();
    CWordListBM words;
    words.ToWordList(*m_Merged);
    if (!words.Write2File(WordListPath(m_Config.m_FileInfo.WordList))) return 0;
    LogTime();
    if (!IndexDocInfo()) return 0;
    DelTmpFile();
    m_Merged.reset();
    return 1;
}

}  // namespace bm

}  // namespace qav
