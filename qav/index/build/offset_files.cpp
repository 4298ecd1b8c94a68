// Layout of the offset files: preallocation of the unit regions and the
// appending of each batch's records to them.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "common/platform/file_handle.h"
#include "qav/index/format/index_files.h"
#include "qav/index/format/offset_record.h"
#include "qav/index/build/qav_idx.h"
#include "qav/index/base/qav_log.h"
#include "common/platform/zq_files.h"

namespace qav {

namespace {

// Zeros are written in pieces of at most this size.
constexpr size_t kZeroPieceBytes = 10485760;

bool WriteZeros(FILE* file, uint64_t bytes, std::vector<char>& zeros) {
    if (zeros.size() < std::min<uint64_t>(bytes, kZeroPieceBytes))
        zeros.resize(std::min<uint64_t>(bytes, kZeroPieceBytes), 0);
    while (bytes > 0) {
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(bytes, kZeroPieceBytes));
        if (fwrite(zeros.data(), 1, piece, file) != piece) return false;
        bytes -= piece;
    }
    return true;
}

}  // namespace

bool CQAVIdx::WriteInitOffset() { return WriteIdxInfo() && PreallocateOffsetFiles(); }

bool CQAVIdx::PreallocateOffsetFiles() {
    const std::string& prefix = m_Config.m_FileInfo.Offset;
    for (int n = 0; n < kMaxOffsetFiles; ++n) remove(DatFilePath(prefix, n).c_str());

    int fileNo = 0;
    std::string path = DatFilePath(prefix, fileNo);
    qz::FileHandle file = qz::OpenFile(path, "wb");
    if (!file) {
        QavLog("Error open %s\n", path.c_str());
        return false;
    }
    const int64_t limit = m_Config.m_SizeInfo.MaxOffsetFileSize;
    std::vector<char> zeros;
    uint64_t length = 0;
    bool lastFileLogged = false;
    for (CWord& unit : m_WordList_U.words) {
        if (static_cast<int64_t>(length) > limit) {
            if (fileNo + 1 < kMaxOffsetFiles) {
                if (!qz::CloseFile(file)) {
                    QavLog("WriteInitOffset Error!\n");
                    return false;
                }
                path = DatFilePath(prefix, ++fileNo);
                file = qz::OpenFile(path, "wb");
                if (!file) {
                    QavLog("Error open %s\n", path.c_str());
                    return false;
                }
                length = 0;
            } else if (!lastFileLogged) {
                // File numbers are one byte and the engine opens files 0 to 254.
                QavLog("Offset file %d is the last one; the remaining regions are appended to it\n", fileNo);
                lastFileLogged = true;
            }
        }
        unit.offset = static_cast<int64_t>(length);
        unit.file_no = static_cast<uint8_t>(fileNo);
        const uint64_t bytes = uint64_t{static_cast<uint32_t>(unit.count)} * OffsetRecordWidth(unit.type);
        if (!WriteZeros(file.get(), bytes, zeros)) {
            QavLog("WriteInitOffset Error!\n");
            return false;
        }
        length += bytes;
    }
    if (!qz::CloseFile(file)) {
        QavLog("WriteInitOffset Error!\n");
        return false;
    }
    m_nOffsetFileCount = static_cast<uint8_t>(fileNo + 1);
    return true;
}

bool CQAVIdx::OpenOffsetFiles(std::vector<qz::FileHandle>& files) const {
    files.clear();
    for (int n = 0; n < m_nOffsetFileCount; ++n) {
        const std::string path = DatFilePath(m_Config.m_FileInfo.Offset, n);
        files.push_back(qz::OpenFile(path, "rb+"));
        if (!files.back()) {
            QavLog("Error open %s\n", path.c_str());
            return false;
        }
    }
    return true;
}

namespace {

// Appends the records a group stored for one unit after those already in the
// unit's region, counts them on the merged node and frees the buffer.
bool AppendGroupRecords(std::vector<qz::FileHandle>& files, CHashNode& merged, CHashNode& node, int width) {
    if (merged.file_no >= files.size()) return false;
    FILE* file = files[merged.file_no].get();
    const size_t bytes = size_t{node.records_stored} * width;
    // Regions follow one another in the file and groups append in turn, so
    // the write mostly goes where the one before ended; a seek there would
    // only flush the stream's buffer.
    const int64_t at = merged.offset + int64_t{merged.count} * width;
    if ((ftello(file) != at && zq_fseek64(file, at, SEEK_SET) != 0) ||
        fwrite(node.records(), 1, bytes, file) != bytes) {
        QavLog("WriteOffset2File Error\n");
        return false;
    }
    merged.count += node.records_stored;
    node.FreeRecords();
    node.records_stored = 0;
    return true;
}

bool CloseOffsetFiles(std::vector<qz::FileHandle>& files) {
    bool ok = true;
    for (qz::FileHandle& file : files) ok = qz::CloseFile(file) && ok;
    if (!ok) QavLog("WriteOffset2File Error\n");
    return ok;
}

}  // namespace

bool CQAVIdx::HashOffset2File(const std::vector<int>& groups) {
    for (int g : groups) {
        if (g < 0 || g >= m_nGroupCount || static_cast<size_t>(g) >= m_Tables.group_units.size() ||
            !m_Tables.group_units[g])
            return false;
    }
    std::vector<qz::FileHandle> files;
    if (!OpenOffsetFiles(files)) return false;

    const int64_t unitCount = m_WordList_U.length();
    for (int64_t i = 0; i < unitCount; ++i) {
        if (i % 100 == 0)
            QavLogOnly("Writing Offset %lld of [%lld]\n", static_cast<long long>(i), static_cast<long long>(unitCount));
        const CWord& unit = m_WordList_U.words[i];
        CHashNode* merged = m_Tables.units.GetHashNode(unit.text, unit.type);
        const int width = OffsetRecordWidth(unit.type);
        if (!merged || width == 0) continue;
        for (int g : groups) {
            CHashNode* node = m_Tables.group_units[g]->GetHashNode(unit.text, unit.type);
            if (node && node->records() && !AppendGroupRecords(files, *merged, *node, width)) return false;
        }
    }
    return CloseOffsetFiles(files);
}

bool CQAVIdx::HashOffset2File(int group) {
    if (group < 0 || group >= m_nGroupCount || static_cast<size_t>(group) >= m_Tables.group_units.size() ||
        !m_Tables.group_units[group])
        return false;
    std::vector<qz::FileHandle> files;
    if (!OpenOffsetFiles(files)) return false;
    const bool written = WriteOffset2File(*m_Tables.group_units[group], files, m_Tables.units);
    return CloseOffsetFiles(files) && written;
}

bool WriteOffset2File(CHashTable& groupUnits, std::vector<qz::FileHandle>& files, CHashTable& mergedUnits) {
    bool ok = true;
    size_t walked = 0;
    groupUnits.ForEachNode([&](CHashNode& node) {
        if (walked++ % 100000 == 0) QavLogOnly("Writing Offset %zu of [%zu]\n", walked - 1, groupUnits.node_count());
        const int width = OffsetRecordWidth(node.type);
        if (!ok || width == 0 || !node.records()) return;
        CHashNode* merged = mergedUnits.GetHashNode(node.name, node.type);
        if (merged && !AppendGroupRecords(files, *merged, node, width)) ok = false;
    });
    return ok;
}

}  // namespace qav
