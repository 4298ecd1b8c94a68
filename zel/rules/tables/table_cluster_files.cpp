// The cluster's side of the "table.idx"/"table.dat" pair: loading every
// object of a pair, and appending one built table to it.
#include <cstring>

#include "common/platform/file_handle.h"
#include "zel/rules/format/table_format.h"
#include "zel/rules/tables/table_cluster.h"

namespace zel {
namespace {

bool ReadSlice(FILE* file, uint64_t fileSize, int64_t offset, int64_t size, std::string& bytes) {
    if (offset < 0 || size < 0 || static_cast<uint64_t>(offset) > fileSize ||
        static_cast<uint64_t>(size) > fileSize - static_cast<uint64_t>(offset))
        return false;
    bytes.resize(static_cast<size_t>(size));
    return fseeko(file, offset, SEEK_SET) == 0 && std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool FileSize(FILE* file, uint64_t& size) {
    if (fseeko(file, 0, SEEK_END) != 0) return false;
    off_t end = ftello(file);
    size = end < 0 ? 0 : static_cast<uint64_t>(end);
    return end >= 0;
}

void AppendRecord(FILE* idx, const std::string& name, int64_t offset, uint64_t size) {
    std::string record = EncodeTableIndexRecord({name, offset, static_cast<int64_t>(size)});
    std::fwrite(record.data(), 1, record.size(), idx);
}

}  // namespace

// The pair is decoded whole before anything is filed, so a damaged pair
// leaves the cluster as it was.
bool CTableCluster::TableClusterInit(const char* idxPath, const char* datPath) {
    MakeNameTable();
    if (!idxPath || !datPath) return true;
    idxPath_ = idxPath;
    datPath_ = datPath;
    std::string index;
    qz::FileHandle dat = qz::OpenFile(datPath, "rb");
    if (!qz::ReadWholeFile(idxPath, index) || !dat) return false;
    std::vector<TableIndexRecord> records;
    uint64_t datSize = 0;
    if (!DecodeTableIndex(index, records) || !FileSize(dat.get(), datSize)) return false;

    std::vector<std::pair<std::string, std::unique_ptr<Object>>> loaded;
    std::string blob;
    for (const TableIndexRecord& record : records) {
        if (record.name.empty()) continue;
        if (!ReadSlice(dat.get(), datSize, record.offset, record.size, blob)) return false;
        auto object = std::make_unique<Object>();
        bool ok;
        if (record.name.compare(0, std::strlen(kTableKVPrefix), kTableKVPrefix) == 0) {
            object->index = std::make_unique<CTableKV>();
            ok = object->index->SetTable(record.name.c_str(), blob.data(), blob.size());
        } else {
            object->table = std::make_unique<CTable>();
            ok = object->table->SetTable(record.name.c_str(), blob.data(), blob.size());
        }
        if (!ok) return false;
        loaded.emplace_back(record.name, std::move(object));
    }
    for (auto& [name, object] : loaded) {
        File(name, object.get());
        objects_.push_back(std::move(object));
    }
    return true;
}

bool CTableCluster::Write2File(const char* name, const CTable& table) {
    qz::FileHandle dat = qz::OpenFile(datPath_, "ab+");
    qz::FileHandle idx = qz::OpenFile(idxPath_, "ab+");
    // A longer name would make the whole pair unreadable.
    if (!name || std::strlen(name) + std::strlen(kTableKVPrefix) > kTableNameLimit || !dat || !idx) return false;
    fseeko(dat.get(), 0, SEEK_END);
    int64_t offset = ftello(dat.get());
    AppendRecord(idx.get(), name, offset, table.WriteTable(dat.get()));
    if (table.HasKVIndex()) {
        offset = ftello(dat.get());
        AppendRecord(idx.get(), std::string(kTableKVPrefix) + name, offset, table.WriteKVInfo(dat.get()));
    }
    bool datOk = qz::CloseFile(dat);
    return qz::CloseFile(idx) && datOk;
}

}  // namespace zel
