#include "qav/index/build/offset_pass.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <string>
#include <utility>

#include "qav/index/base/config.h"
#include "qav/index/format/data_file.h"
#include "common/platform/file_handle.h"
#include "qav/index/format/index_files.h"
#include "qav/index/format/index_text_lines.h"
#include "common/platform/byte_codec.h"
#include "qav/index/engine/org_info.h"
#include "qav/index/build/qav_idx.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/build/group_regions.h"
#include "qav/index/build/sentence_stream.h"
#include "qav/index/format/unit_type.h"
#include "qav/index/build/unit_records.h"
#include "common/platform/zq_thread.h"

namespace qav {

namespace {

// Largest byte offset at which a sentence may start: its position must fit in 32 bits.
constexpr uint64_t kLastSentenceByte = kMaxSentenceByteOffset - 1;

// Writes the identifiers of a line's words to the data file, and that of "|"
// when the line asks for it: as far as the first word without one, when the
// line fails. bytes is the caller's scratch.
bool WriteLineWords(const StreamedLine& line, const std::vector<int32_t>& wordIds, int32_t barId, FILE* dataFile,
                    std::string& bytes, uint64_t& length) {
    bytes.clear();
    bool complete = true;
    for (const uint32_t place : line.words) {
        const int32_t id = place < wordIds.size() ? wordIds[place] : -1;
        if (id == -1) {
            complete = false;
            break;
        }
        qz::bytes::Append(bytes, static_cast<uint32_t>(id));
    }
    if (complete && line.closing_bar && barId != -1) qz::bytes::Append(bytes, static_cast<uint32_t>(barId));
    const size_t written = fwrite(bytes.data(), 1, bytes.size(), dataFile);
    length += written;
    return complete && written == bytes.size();
}

// The offset pass of one group: the lines the counting pass streamed, each
// as the text it came from would give it.
bool OffsetGroup(CThreadInfo& info) {
    const int g = static_cast<int>(info.number);
    if (!info.slices || !info.unit_ids || !info.word_ids || !info.word_hash) return false;

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
    SentenceStreamReader stream;
    if (!stream.Open(info.stream_path)) {
        QavLog("Error open %s\n", info.stream_path.c_str());
        return false;
    }
    // The data file's length, followed here instead of asked of the stream on every line.
    uint64_t length = static_cast<uint64_t>(header);

    const CHashNode* bar = info.word_hash->GetHashNode("|", UNIT_WORD);
    const int32_t barId = bar ? bar->id : -1;
    int64_t docState = 0;
    std::string docName;
    std::string bytes;
    int64_t lines = 0;
    GroupSlices& slices = *info.slices;
    for (StreamedLine line; stream.Next(line);) {
        if (length > kLastSentenceByte) {
            QavLogOnly("CreateOffsetThread Warning: data file %d offset overflow (%lld), skipping\n", g,
                       static_cast<long long>(length / 4));
            continue;
        }
        const uint32_t position = static_cast<uint32_t>(length / 4);
        if (line.has_line_no) {
            if (info.org_info) info.org_info->LineNo2Offset(line.line_no, docState, position, info.number, docName);
            const std::string idLine = IdLine(CombineSentNo(position, static_cast<uint8_t>(g)), line.line_no);
            fwrite(idLine.data(), 1, idLine.size(), ids.get());
        }
        if (line.collected && WriteLineWords(line, *info.word_ids, barId, data.get(), bytes, length) &&
            !slices.AddLine(info.number, line.units, *info.unit_ids, static_cast<uint8_t>(g), position)) {
            QavLog("WriteOffset2File Error\n");
            return false;
        }
        if (ferror(data.get()) || ferror(ids.get())) {
            QavLog("Error write %s\n", ferror(data.get()) ? dataPath.c_str() : idPath.c_str());
            return false;
        }
        if (++lines % 100000 == 0) QavLogOnly("Thread %d Line %lld\n", g, static_cast<long long>(lines));
    }
    if (stream.failed()) {
        QavLog("Error read %s\n", info.stream_path.c_str());
        return false;
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
        m_Tables.group_unit_ids.size() < static_cast<size_t>(groups) ||
        m_Tables.group_word_ids.size() < static_cast<size_t>(groups) ||
        m_SentenceStreams.size() < static_cast<size_t>(groups))
        return false;
    // The streams go however the pass ends.
    struct StreamsRemoved {
        ScratchFiles& streams;
        ~StreamsRemoved() { streams.Remove(); }
    } streamsRemoved{m_SentenceStreams};
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
    // Each group writes its records into its own slice of every unit's
    // region, in a part file of its own until the slices close (a lone group
    // whose slices lie where the regions do writes straight into the offset
    // file). A group's counting table is done with once its slices are placed.
    GroupSlices slices(m_WordList_U, m_Tables.units, static_cast<size_t>(groups));
    for (int g = 0; g < groups; ++g) {
        if (!slices.AddGroup(*m_Tables.group_units[g], threadCount)) return false;
        m_Tables.group_units[g].reset();
    }
    ScratchFiles partNames(".records.tmp");
    std::vector<qz::FileHandle> parts;
    if (fds.size() != 1 || !slices.WriteInPlace(fds[0])) {
        partNames.Name(files.Offset, groups);
        std::vector<int> partFds;
        for (int g = 0; g < groups; ++g) {
            const std::string& path = partNames.Path(static_cast<size_t>(g));
            parts.push_back(qz::OpenFile(path, "w+b"));
            if (!parts.back()) {
                QavLog("Error Open %s\n", path.c_str());
                return false;
            }
            partFds.push_back(fileno(parts.back().get()));
        }
        slices.SetPartFiles(std::move(partFds));
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
        info.unit_ids = &m_Tables.group_unit_ids[g];
        info.word_ids = &m_Tables.group_word_ids[g];
        info.stream_path = m_SentenceStreams.Path(static_cast<size_t>(g));
        if (static_cast<size_t>(g) < m_GroupOrgInfo.size()) info.org_info = &m_GroupOrgInfo[g];
        info.data_path = files.Data;
        info.id_path = files.DataInInfo;
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
