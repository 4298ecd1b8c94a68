#include "qav/index/count_pass.h"

#include <cstdint>
#include <algorithm>
#include <exception>
#include <string>

#include "qav/index/add_word.h"
#include "qav/index/config.h"
#include "qav/index/data_file.h"
#include "qav/index/file_handle.h"
#include "qav/index/index_files.h"
#include "qav/index/line_reader.h"
#include "qav/index/pn_info.h"
#include "qav/index/process_line.h"
#include "qav/index/qav_idx.h"
#include "qav/index/qav_log.h"
#include "qav/index/qav_tree.h"
#include "qav/index/zq_thread.h"
#include "qav/search/unit_type.h"

namespace {

// Words every word list holds, met or not: "|", "齄", "[" and "]".
const char* const kSeparatorWords[] = {"|", "\xF7\xFE", "[", "]"};

constexpr uint64_t kPositionLimit = uint64_t{1} << 32;

// The sentence of a data text line: the text after its first tab, or the
// whole line when it has none or begins with one.
const char* SentenceOf(const std::string& line) {
    size_t tab = line.find('\t');
    return tab == std::string::npos || tab == 0 ? line.c_str() : line.c_str() + tab + 1;
}

void WriteWarning(FILE* warnings, const std::string& line) {
    if (!warnings) return;
    fputs("Warning:", warnings);
    fwrite(line.data(), 1, line.size(), warnings);
    fputc('\n', warnings);
}

bool CountGroup(CThreadInfo& info) {
    const int g = static_cast<int>(info.group);
    QavLog("  ThreadInfo[%d] start, %zu files\n", g, info.files.size());
    CQAVTree tree;
    tree.SetConfig(info.config);
    CPNInfo pn;
    std::string line;
    QavLog("  ThreadInfo[%d] init done, tree_type=%d\n", g, info.config->m_CorpusKind);

    uint64_t position = kFirstWordPosition;
    int64_t processed = 0;
    for (size_t i = 0; i < info.files.size(); ++i) {
        const std::string& path = info.files[i];
        const int kind = info.FileKind(i);
        QavLog("  ThreadInfo[%d] opening file %d (type=%d): %s\n", g, static_cast<int>(i), kind, path.c_str());
        FileHandle in = OpenFile(path, "rb");
        if (!in) {
            QavLog("Error open %s\n", path.c_str());
            return false;
        }
        FileHandle warnings = OpenFile(WarningFilePath(info.config->m_InfoDir, path), "wb");
        QavLog("  ThreadInfo[%d] file opened, adding separator words\n", g);
        for (const char* word : kSeparatorWords) AddWord(*info.word_hash, word, 1, UNIT_WORD);
        QavLog("  ThreadInfo[%d] reading lines...\n", g);

        LineReader reader(in.get());
        for (LineReader::Result result; (result = reader.Next(line)) != LineReader::kEnd;) {
            if (position >= kPositionLimit) continue;
            uint32_t words = 0;
            // Over-long lines and lines with a zero byte are refused here as
            // in the offset pass, which reads through the same reader.
            bool counted = result == LineReader::kLine &&
                           ProcessLine_Count(SentenceOf(line), tree, *info.unit_hash, *info.word_hash, pn, kind, words);
            if (!counted) WriteWarning(warnings.get(), line);
            position += words;
            ++processed;
            if (processed == 1) QavLog("  ThreadInfo[%d] first line processed OK\n", g);
            if (processed % 10000 == 0) QavLog("Thread %d Line %lld\n", g, static_cast<long long>(processed));
        }
    }
    return true;
}

struct Worker {
    std::vector<CThreadInfo*> groups;  // counted one after the other
};

void* WorkerThread(void* arg) {
    for (CThreadInfo* info : static_cast<Worker*>(arg)->groups) ThreadInfo(*info);
    return nullptr;
}

}  // namespace

bool ThreadInfo(CThreadInfo& info) {
    try {
        info.ok = CountGroup(info);
    } catch (const std::exception& e) {
        QavLog("  ThreadInfo[%d] C++ exception: %s\n", static_cast<int>(info.group), e.what());
        info.ok = false;
    } catch (...) {
        QavLog("  ThreadInfo[%d] unknown C++ exception\n", static_cast<int>(info.group));
        info.ok = false;
    }
    return info.ok;
}

bool CQAVIdx::CountUnitWord() {
    const int groups = m_nGroupCount;
    if (groups < 0 || m_GroupUnitHash.size() < static_cast<size_t>(groups) ||
        m_GroupWordHash.size() < static_cast<size_t>(groups) || m_FileGroups.size() < static_cast<size_t>(groups))
        return false;

    std::vector<CThreadInfo> infos(groups);
    const std::vector<int> noKinds;
    for (int g = 0; g < groups; ++g) {
        const std::vector<int>& kinds = static_cast<size_t>(g) < m_KindGroups.size() ? m_KindGroups[g] : noKinds;
        COrgInfo* org = static_cast<size_t>(g) < m_GroupOrgInfo.size() ? &m_GroupOrgInfo[g] : nullptr;
        infos[g].SetThreadInfo(m_GroupUnitHash[g].get(), m_GroupWordHash[g].get(), m_FileGroups[g], kinds,
                               m_Config.m_FileInfo.Data, m_Config.m_FileInfo.DataInInfo, static_cast<uint32_t>(g),
                               &m_WordList_U, &m_Config, org, &m_UnitHash);
    }

    QavLog("Unit Word Counting [0-%d] of %d\n", groups - 1, groups);
    const int threads = std::min(groups, kMaxCountThreads);
    QavLog("Using %d worker threads for %d file groups\n", threads, groups);
    fflush(stdout);

    std::vector<Worker> workers(threads);
    for (int g = 0; g < groups; ++g) workers[g % threads].groups.push_back(&infos[g]);
    std::vector<pthread_t> handles;
    for (Worker& worker : workers) handles.push_back(thread_create_ex(WorkerThread, &worker));
    bool ok = true;
    for (size_t w = 0; w < handles.size(); ++w) {
        if (handles[w] != 0) {
            thread_join_ex(handles[w], nullptr);
            continue;
        }
        QavLog("Error: counting thread %d could not be started\n", static_cast<int>(w));
        ok = false;
    }
    for (const CThreadInfo& info : infos) ok = ok && info.ok;
    return ok;
}
