// Layout of the offset files: preallocation of the unit regions and the
// appending of each batch's records to them.
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "common/platform/file_handle.h"
#include "common/platform/positioned_io.h"
#include "qav/index/format/index_files.h"
#include "qav/index/format/offset_record.h"
#include "qav/index/build/qav_idx.h"
#include "qav/index/base/qav_log.h"

namespace qav {

namespace {

// Gives a laid-out offset file its length: the regions read as zeros until
// records are written to them, without writing the zeros first.
bool CloseAtLength(qz::FileHandle& file, uint64_t length) {
    const bool sized = ftruncate(fileno(file.get()), static_cast<off_t>(length)) == 0;
    return qz::CloseFile(file) && sized;
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
    uint64_t length = 0;
    bool lastFileLogged = false;
    for (CWord& unit : m_WordList_U.words) {
        if (static_cast<int64_t>(length) > limit) {
            if (fileNo + 1 < kMaxOffsetFiles) {
                if (!CloseAtLength(file, length)) {
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
        length += uint64_t{static_cast<uint32_t>(unit.count)} * OffsetRecordWidth(unit.type);
    }
    if (!CloseAtLength(file, length)) {
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
// unit's region, counts them on the merged node and frees the buffer. It
// writes at the region's own place without moving the stream, so that units
// may be written from several threads at once.
bool AppendGroupRecords(std::vector<qz::FileHandle>& files, CHashNode& merged, CHashNode& node, int width) {
    if (merged.file_no >= files.size()) return false;
    const int fd = fileno(files[merged.file_no].get());
    if (!qz::WriteAt(fd, node.records(), size_t{node.records_stored} * width,
                     merged.offset + int64_t{merged.count} * width)) {
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
        if (g < 0 || g >= m_nGroupCount || static_cast<size_t>(g) >= m_Tables.group_units.size()) return false;
    }
    std::vector<qz::FileHandle> files;
    if (!OpenOffsetFiles(files)) return false;
    // The offset pass writes each group's records into the group's slices of
    // the regions as it meets them, and the groups' counting tables hold
    // counts only: no group has records left to append.
    return CloseOffsetFiles(files);
}

bool CQAVIdx::HashOffset2File(int group) { return HashOffset2File(std::vector<int>{group}); }

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
