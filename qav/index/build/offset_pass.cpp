#include "qav/index/build/offset_pass.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>

#include "qav/index/base/config.h"
#include "qav/index/format/data_file.h"
#include "common/platform/file_handle.h"
#include "qav/index/format/index_files.h"
#include "qav/index/format/index_text_lines.h"
#include "common/text/line_reader.h"
#include "qav/index/engine/org_info.h"
#include "qav/index/build/pn_info.h"
#include "qav/index/build/process_line.h"
#include "qav/index/build/qav_idx.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/build/qav_tree.h"
#include "qav/index/build/group_regions.h"
#include "qav/index/build/unit_records.h"
#include "common/platform/zq_thread.h"

namespace qav {

namespace {

// Largest byte offset at which a sentence may start: its position must fit in 32 bits.
constexpr uint64_t kLastSentenceByte = kMaxSentenceByteOffset - 1;

bool OffsetGroup(CThreadInfo& info) {
    const int g = static_cast<int>(info.number);
    if (!info.offset_fds || !info.slices) return false;

    const std::string dataPath = DatFilePath(info.data_path, g);
    const std::string idPath = IdFilePath(info.id_path, g);
    qz::FileHandle data = qz::OpenFile(dataPath, "wb");
    if (!data) {
        QavLog("Error Open %s\n", dataPath.c_str());
        return false;
    }
    qz::FileHandle ids = qz::OpenFile(idPath, "wb");
    if (!ids) {
        QavLog("Error Open %s\n", idPath.c_str());
        return false;
    }
    const off_t header = WriteHeader(data.get()) ? ftello(data.get()) : -1;
    if (header < 0) {
        QavLog("Error write %s\n", dataPath.c_str());
        return false;
    }
    // The data file's length, followed here instead of asked of the stream on every line.
    uint64_t length = static_cast<uint64_t>(header);

    CQAVTree tree;
    tree.SetConfig(info.config);
    CPNInfo pn;
    int64_t docState = 0;
    std::string docName;
    std::string line;
    int64_t lines = 0;
    GroupSlices& slices = *info.slices;
    const std::vector<int>& fds = *info.offset_fds;
    bool recordsLost = false;
    const UnitRecordSink store = [&](const std::vector<IdxUnitEntry>& sentenceUnits) {
        if (!slices.AddSentence(info.number, sentenceUnits, fds)) recordsLost = true;
    };

    for (size_t i = 0; i < info.files.size(); ++i) {
        const std::string& path = info.files[i];
        const int kind = info.FileKind(i);
        qz::FileHandle in = qz::OpenFile(path, "rb");
        if (!in) {
            QavLog("Error open %s\n", path.c_str());
            return false;
        }
        qz::LineReader reader(in.get(), qz::kMaxDataLineBytes);
        for (qz::LineReader::Result result; (result = reader.Next(line)) != qz::LineReader::kEnd;) {
            // Refused by the counting pass as well, which reads through the same reader.
            if (result != qz::LineReader::kLine) continue;
            if (length > kLastSentenceByte) {
                QavLogOnly("CreateOffsetThread Warning: data file %d offset overflow (%lld), skipping\n", g,
                           static_cast<long long>(length / 4));
                continue;
            }
            const uint32_t position = static_cast<uint32_t>(length / 4);
            const char* sentence = DataLineSentence(line);
            if (sentence != line.c_str()) {  // a line number before the tab
                const int64_t lineNo = std::strtoll(line.c_str(), nullptr, 10);
                if (info.org_info) info.org_info->LineNo2Offset(lineNo, docState, position, info.number, docName);
                const std::string idLine = IdLine(CombineSentNo(position, static_cast<uint8_t>(g)), lineNo);
                fwrite(idLine.data(), 1, idLine.size(), ids.get());
            }
            ProcessLine_Offset(sentence, tree, store, *info.word_hash, static_cast<uint8_t>(g), position, data.get(),
                               pn, kind, &length);
            if (ferror(data.get()) || ferror(ids.get())) {
                QavLog("Error write %s\n", ferror(data.get()) ? dataPath.c_str() : idPath.c_str());
                return false;
            }
            if (recordsLost) {
                QavLog("WriteOffset2File Error\n");
                return false;
            }
            if (++lines % 100000 == 0) QavLogOnly("Thread %d Line %lld\n", g, static_cast<long long>(lines));
        }
    }
    if (!WriteTail(data.get()) || !qz::CloseFile(data)) {
        QavLog("Error write %s\n", dataPath.c_str());
        return false;
    }
    if (!qz::CloseFile(ids)) {
        QavLog("Error write %s\n", idPath.c_str());
        return false;
    }
    return true;
}

}  // namespace

void* CreateOffsetThread(void* arg) {
    CThreadInfo& info = *static_cast<CThreadInfo*>(arg);
    try {
        info.ok = OffsetGroup(info);
    } catch (const std::exception& e) {
        QavLog("CreateOffsetThread[%d] C++ exception: %s\n", static_cast<int>(info.number), e.what());
        info.ok = false;
    } catch (...) {
        QavLog("CreateOffsetThread[%d] unknown C++ exception\n", static_cast<int>(info.number));
        info.ok = false;
    }
    return nullptr;
}

bool CQAVIdx::CreateOffset() {
    const CFileInfo& files = m_Config.m_FileInfo;
    const int groups = m_nGroupCount;
    if (groups < 0 || m_Tables.group_units.size() < static_cast<size_t>(groups) ||
        m_FileGroups.size() < static_cast<size_t>(groups))
        return false;
    for (int n = 0; n < kMaxGroups; ++n) {
        remove(DatFilePath(files.Data, n).c_str());
        remove(IdFilePath(files.DataInInfo, n).c_str());
    }
    // The merged table counts the records written to each region from here on.
    ReadyOffsetInfo(m_Tables.units, m_WordList_U);

    const int threadCount = std::max(m_Config.m_SizeInfo.ThreadNum_Offset, 1);
    std::vector<qz::FileHandle> offsetFiles;
    if (!OpenOffsetFiles(offsetFiles)) return false;
    std::vector<int> fds;
    for (const qz::FileHandle& file : offsetFiles) fds.push_back(fileno(file.get()));
    // Each group writes its records into its own slice of every unit's region.
    // A group's counting table is done with once its slices are placed.
    GroupSlices slices(m_WordList_U, m_Tables.units, static_cast<size_t>(groups));
    for (int g = 0; g < groups; ++g) {
        if (!slices.AddGroup(*m_Tables.group_units[g], threadCount)) return false;
        m_Tables.group_units[g].reset();
    }

    const size_t batchSize = static_cast<size_t>(threadCount);
    std::vector<CThreadInfo> infos(groups);
    std::vector<int> batch;
    std::vector<pthread_t> threads;
    // Joins the batch's threads; false when a group failed.
    auto finishBatch = [&]() {
        bool ok = true;
        for (size_t k = 0; k < threads.size(); ++k) {
            if (threads[k] == 0 || thread_join_ex(threads[k], nullptr) != 0) infos[batch[k]].ok = false;
            ok = ok && infos[batch[k]].ok;
        }
        QavLog("  Threads joined\n");
        batch.clear();
        threads.clear();
        return ok;
    };

    for (int g = 0; g < groups; ++g) {
        CThreadInfo& info = infos[g];
        info.number = static_cast<uint32_t>(g);
        info.slices = &slices;
        info.word_hash = &m_Tables.words;
        info.files = m_FileGroups[g];
        if (static_cast<size_t>(g) < m_KindGroups.size()) info.kinds = m_KindGroups[g];
        info.config = &m_Config;
        info.unit_list = &m_WordList_U;
        if (static_cast<size_t>(g) < m_GroupOrgInfo.size()) info.org_info = &m_GroupOrgInfo[g];
        info.data_path = files.Data;
        info.id_path = files.DataInInfo;
        info.offset_fds = &fds;
        batch.push_back(g);
        threads.push_back(thread_create_ex(CreateOffsetThread, &infos[g]));
        if (batch.size() == batchSize) {
            QavLog("Creating Offset [%d-%d] of %zu\n", batch.front(), batch.back(), infos.size());
            if (!finishBatch()) return false;
        }
    }
    if (!batch.empty()) {
        QavLog("Creating Offset [%d-%d] of %zu\n", batch.front(), batch.back(), infos.size());
        if (!finishBatch()) return false;
    }
    bool ok = slices.Close(m_Tables.units, fds, threadCount);
    for (qz::FileHandle& file : offsetFiles) ok = qz::CloseFile(file) && ok;
    if (ok) QavLog("  Offset written OK\n");
    return ok;
}

}  // namespace qav
