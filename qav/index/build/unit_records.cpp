#include "qav/index/build/unit_records.h"

#include <memory>
#include <new>
#include <string>

#include "qav/index/format/offset_record.h"
#include "qav/index/base/qav_log.h"

namespace qav {

bool SetNodeInfo(CHashTable& table, std::string_view text, int64_t offset, int32_t type, uint8_t fileNo) {
    CHashNode* node = table.GetHashNode(text, type);
    if (!node) return false;
    const size_t bytes = static_cast<size_t>(node->count) * OffsetRecordWidth(type);
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[bytes]());
    if (!buffer) {
        QavLog("SetNodeInfo: failed to allocate %zu bytes for word [%s] (count=%u)\n", bytes, std::string(text).c_str(),
               node->count);
        return false;
    }
    node->SetRecords(std::move(buffer));
    node->records_stored = 0;
    node->offset = offset;
    node->file_no = fileNo;
    return true;
}

int AddIdxInfo(CHashTable& table, const IdxUnitEntry& entry) {
    CHashNode* node = table.GetHashNode(entry.first.text, entry.first.type);
    if (!node || !node->records() || node->records_stored >= node->count) return -1;
    const int width = OffsetRecordWidth(node->type);
    if (width > 0) EncodeOffsetRecord(entry.second, width, node->records() + size_t{node->records_stored} * width);
    ++node->records_stored;
    return 1;
}

bool Ready2CreateOffset(CHashTable& table, const CWordList& list) {
    for (const CWord& unit : list.words) {
        if (!table.GetHashNode(unit.text, unit.type)) continue;
        if (!SetNodeInfo(table, unit.text, unit.offset, unit.type, unit.file_no)) return false;
    }
    return true;
}

void ReadyOffsetInfo(CHashTable& table, const CWordList& list) {
    for (const CWord& unit : list.words) ReadyOffsetInfo(table, unit.text, unit.offset, unit.type, unit.file_no);
}

bool ReadyOffsetInfo(CHashTable& table, std::string_view text, int64_t offset, int32_t type, uint8_t fileNo) {
    CHashNode* node = table.GetHashNode(text, type);
    if (!node) return false;
    node->offset = offset;
    node->file_no = fileNo;
    node->count = 0;
    return true;
}

int64_t GetOffsetInfo(const CHashTable& table, std::string_view text, int32_t type) {
    const CHashNode* node = table.GetHashNode(text, type);
    return node ? node->offset : 0;
}

uint32_t GetCountInfo(const CHashTable& table, std::string_view text, int32_t type) {
    const CHashNode* node = table.GetHashNode(text, type);
    return node ? node->count : 0;
}

bool GetOffsetInfoEx(const CHashTable& table, std::string_view text, int32_t type, uint8_t& fileNo, int64_t& end) {
    const CHashNode* node = table.GetHashNode(text, type);
    if (!node) return false;
    const int64_t width = type == 3 || type == 4 ? kNarrowRecordBytes : kWideRecordBytes;
    fileNo = node->file_no;
    end = node->offset + int64_t{node->count} * width;
    return true;
}

bool SetOffsetInfo(CHashTable& table, std::string_view text, int32_t type, uint32_t add) {
    CHashNode* node = table.GetHashNode(text, type);
    if (!node) return false;
    node->count += add;
    return true;
}

}  // namespace qav
