#include "qav/index/engine/unit_table.h"

#include "qav/index/base/config.h"
#include "qav/index/format/unit_index_file.h"

namespace qav {

namespace {

uint32_t BucketCount(int32_t configured) {
    return configured > 0 ? static_cast<uint32_t>(configured) : CHashTable::kDefaultBucketCount;
}

}  // namespace

bool HashTableInit(CHashTable& table, const CConfig& config, bool noLoad, bool unitTable) {
    const CSizeInfo& sizes = config.m_SizeInfo;
    table.Reset(BucketCount(unitTable ? sizes.HashSize_IdxUnit : sizes.HashSize_WordList));
    return noLoad || ReadInIdxUnit(table, config.m_FileInfo.Unit);
}

CHashNode* Add2Hash(CHashTable& table, std::string_view name, uint32_t count, int32_t type,
                    int64_t offset, uint8_t fileNo) {
    CHashNode* node = table.GetOrAdd(name, type);
    node->count = count;
    node->offset = offset;
    node->file_no = fileNo;
    return node;
}

bool ReadInIdxUnit(CHashTable& table, const std::string& path) {
    UnitIndex index;
    if (!ReadUnitIndexFile(path, &index)) {
        table.Clear();
        return false;
    }
    table.unit_list.clear();
    table.unit_list.reserve(index.units.size());
    for (const UnitIndexEntry& unit : index.units) {
        table.unit_list.push_back(
            Add2Hash(table, unit.name, static_cast<uint32_t>(unit.count), unit.type, unit.offset, unit.file_no));
    }
    for (const ComplexUnitEntry& complex : index.complex_units) {
        CHashNode* node = Add2Hash(table, complex.key, 0, 0, 0, 0);
        node->children.clear();
        node->children.reserve(complex.children.size());
        for (const std::string& name : complex.children) {
            CHashNode* child = table.GetHashNode(name);
            if (child) node->count += child->count;
            node->children.push_back(child);
        }
    }
    return true;
}

}  // namespace qav
