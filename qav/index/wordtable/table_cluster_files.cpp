// Loading a cluster from its index and data files (layout in table_cluster.h).
#include <fstream>

#include "common/platform/byte_codec.h"
#include "common/platform/file_handle.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/wordtable/table_cluster.h"

namespace qav {

namespace {

uint32_t ReadU32(const std::string& bytes, size_t pos) {
    return qz::bytes::Load<uint32_t>(reinterpret_cast<const unsigned char*>(bytes.data()) + pos);
}

}  // namespace

bool CTableCluster::LoadTables() {
    std::string index;
    if (!qz::ReadWholeFile(idx_path_, index)) return false;
    std::ifstream data(dat_path_, std::ios::binary);
    if (!data) return false;
    data.seekg(0, std::ios::end);
    const uint64_t data_size = static_cast<uint64_t>(data.tellg());

    size_t pos = 0;
    while (pos < index.size()) {
        // A record is at least its name length, offset and block length.
        const size_t left = index.size() - pos;
        const size_t name_length = left >= 12 ? ReadU32(index, pos) : 0;
        if (left < 12 || name_length > left - 12) {
            QavLog("Error: word table index %s is damaged at byte %zu\n", idx_path_.c_str(), pos);
            return false;
        }
        std::string name = index.substr(pos + 4, name_length);
        pos += 4 + name_length;
        const uint64_t offset = ReadU32(index, pos);
        const uint64_t length = ReadU32(index, pos + 4);
        pos += 8;
        if (name.empty()) continue;
        if (offset + length > data_size) {
            QavLog("Error: word table %s lies outside %s\n", name.c_str(), dat_path_.c_str());
            return false;
        }
        std::string block(length, '\0');
        data.seekg(static_cast<std::streamoff>(offset));
        if (!data.read(block.data(), static_cast<std::streamsize>(length))) {
            QavLog("Error: word table %s cannot be read from %s\n", name.c_str(), dat_path_.c_str());
            return false;
        }
        auto table = std::make_unique<CTable>();
        if (!table->SetTable(name.c_str(), block.data(), block.size())) return false;
        tables_.push_back(std::move(table));
        Update_Table(&names_, name.c_str(), tables_.back().get());
    }
    return true;
}

}  // namespace qav
