#include "qav/index/build/count_units.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "qav/index/base/config.h"
#include "common/platform/file_handle.h"
#include "qav/index/format/index_files.h"
#include "common/text/line_reader.h"
#include "qav/index/build/pn_info.h"
#include "qav/index/build/process_line.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/build/qav_tree.h"
#include "qav/index/build/sentence_stream.h"
#include "qav/index/build/sentence_units.h"
#include "common/platform/zq_thread.h"
#include "qav/index/format/unit_type.h"

namespace qav {

namespace {

// Positions count the 32-bit words of a group's data file, its 2,048-byte
// header included; a sentence must start below 2^32.
constexpr uint64_t kFirstPosition = 512;
constexpr uint64_t kPositionLimit = uint64_t{1} << 32;
constexpr int kLineProgressStep = 10000;

bool CountGroup(CThreadInfo& info) {
    const CConfig& config = *info.config;
    QavLog("  ThreadInfo[%d] start, %zu files\n", info.number, info.files.size());
    CQAVTree tree;
    tree.SetConfig(info.config);
    CPNInfo pn_info;
    QavLog("  ThreadInfo[%d] init done, tree_type=%d\n", info.number, config.m_CorpusKind);

    SentenceStreamWriter stream;
    if (!info.stream_path.empty() && !stream.Open(info.stream_path)) {
        QavLog("Error open %s\n", info.stream_path.c_str());
        return false;
    }
    CountedLine counted_line;

    uint64_t position = kFirstPosition;
    int lines_processed = 0;
    std::string line;
    for (size_t f = 0; f < info.files.size(); ++f) {
        const std::string& path = info.files[f];
        const int kind = info.FileKind(f);
        QavLog("  ThreadInfo[%d] opening file %zu (type=%d): %s\n", info.number, f, kind, path.c_str());
        qz::FileHandle file = qz::OpenFile(path, "rb");
        if (!file) {
            QavLog("Error open %s\n", path.c_str());
            return false;
        }
        qz::FileHandle warnings = qz::OpenFile(WarningFilePath(config.m_InfoDir, path), "wb");
        QavLog("  ThreadInfo[%d] file opened, adding separator words\n", info.number);
        for (std::string_view separator : kSeparatorWords) info.word_counts->Add(separator, UNIT_WORD, 1);
        QavLog("  ThreadInfo[%d] reading lines...\n", info.number);

        qz::LineReader reader(file.get(), qz::kMaxDataLineBytes);
        for (qz::LineReader::Result result; (result = reader.Next(line)) != qz::LineReader::kEnd;) {
            const bool whole = result == qz::LineReader::kLine;
            if (position >= kPositionLimit) {
                // The offset pass warns of each whole line past the limit.
                if (whole && stream.is_open()) stream.Add(false, 0, nullptr, {}, {});
                continue;
            }
            uint32_t word_count = 0;
            const char* sentence = whole ? DataLineSentence(line) : nullptr;
            const bool counted = whole && ProcessLine_Count(sentence, tree, *info.unit_counts, *info.word_counts,
                                                            pn_info, kind, word_count, &counted_line);
            if (!counted && warnings) fprintf(warnings.get(), "Warning:%s\n", line.c_str());
            // The offset pass takes every whole line, counted or not.
            if (whole && stream.is_open()) {
                const bool numbered = sentence != line.c_str();  // a line number before the tab
                stream.Add(numbered, numbered ? std::strtoll(line.c_str(), nullptr, 10) : 0,
                           counted ? counted_line.sentence : nullptr, counted_line.word_places,
                           counted_line.unit_places);
            }
            position += word_count;
            ++lines_processed;
            if (lines_processed == 1) QavLog("  ThreadInfo[%d] first line processed OK\n", info.number);
            if (lines_processed % kLineProgressStep == 0) QavLog("Thread %d Line %d\n", info.number, lines_processed);
        }
    }
    if (stream.is_open() && !stream.Close()) {
        QavLog("Error write %s\n", info.stream_path.c_str());
        return false;
    }
    return true;
}

struct Worker {
    std::vector<CThreadInfo*> groups;
};

void* WorkerThread(void* arg) {
    for (CThreadInfo* group : static_cast<Worker*>(arg)->groups) ThreadInfo(*group);
    return nullptr;
}

}  // namespace

void ThreadInfo(CThreadInfo& info) {
    try {
        info.ok = CountGroup(info);
    } catch (const std::exception& e) {
        QavLog("  ThreadInfo[%d] C++ exception: %s\n", info.number, e.what());
        info.ok = false;
    } catch (...) {
        QavLog("  ThreadInfo[%d] unknown C++ exception\n", info.number);
        info.ok = false;
    }
}

int CThreadInfo::FileKind(size_t f) const { return f < kinds.size() && kinds[f] >= 0 ? kinds[f] : config->m_CorpusKind; }

std::vector<std::vector<int>> CountWorkerGroups(int groupCount) {
    std::vector<std::vector<int>> workers(static_cast<size_t>(std::min(groupCount, kMaxCountThreads)));
    for (int g = 0; g < groupCount; ++g) workers[static_cast<size_t>(g) % workers.size()].push_back(g);
    return workers;
}

bool CountUnitWord(std::vector<CThreadInfo>& groups) {
    const int group_count = static_cast<int>(groups.size());
    QavLog("Unit Word Counting [0-%d] of %d\n", group_count - 1, group_count);
    const std::vector<std::vector<int>> assignment = CountWorkerGroups(group_count);
    QavLog("Using %d worker threads for %d file groups\n", static_cast<int>(assignment.size()), group_count);

    std::vector<Worker> workers(assignment.size());
    for (size_t w = 0; w < assignment.size(); ++w)
        for (int g : assignment[w]) workers[w].groups.push_back(&groups[static_cast<size_t>(g)]);
    std::vector<pthread_t> threads;
    for (Worker& worker : workers) {
        pthread_t thread = thread_create_ex(WorkerThread, &worker);
        if (thread)
            threads.push_back(thread);
        else  // no thread to be had: count these groups here
            WorkerThread(&worker);
    }
    for (pthread_t thread : threads) thread_join_ex(thread, nullptr);
    return std::all_of(groups.begin(), groups.end(), [](const CThreadInfo& group) { return group.ok; });
}

}  // namespace qav
