#include "qav/index/format/org_dat_file.h"

#include "common/platform/binary_file.h"
#include "qav/index/base/qav_log.h"

namespace qav {

namespace {

// A document costs at least its end key and an empty name's length.
constexpr uint64_t kMinDocumentBytes = 8 + 4;

bool ReadTable(qz::BinaryFileReader& in, OrgTable* table) {
    uint32_t n;
    if (!in.U32(&n) || n > in.remaining() / kMinDocumentBytes) return false;
    table->ends.resize(n);
    for (int64_t& end : table->ends)
        if (!in.I64(&end)) return false;
    table->names.resize(n);
    for (std::string& name : table->names) {
        uint32_t length;
        if (!in.U32(&length) || !in.Text(length, &name)) return false;
    }
    return in.AtEnd();
}

}  // namespace

bool WriteOrgDatFile(const std::string& path, const OrgTable& table) {
    if (table.ends.size() != table.names.size() || table.ends.size() > UINT32_MAX) return false;
    qz::BinaryFileWriter out;
    if (!out.Create(path)) return false;
    out.U32(static_cast<uint32_t>(table.ends.size()));
    for (int64_t end : table.ends) out.I64(end);
    for (const std::string& name : table.names) out.LengthText(name);
    return out.Close();
}

bool ReadOrgDatFile(const std::string& path, OrgTable* table) {
    *table = OrgTable();
    qz::BinaryFileReader in;
    if (!in.Open(path)) return false;
    if (!ReadTable(in, table)) {
        *table = OrgTable();
        QavLog("Error open %s !\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace qav
