#include "qav/fulltext/engine/fst_index.h"

#include <cstring>

#include "common/platform/binary_file.h"
#include "qav/fulltext/format/bm_files.h"

namespace qav {

bool FSTIndex::BytesInit(const std::string& prefix) {
    qz::BinaryFileReader in;
    if (!in.Open(bm::TransducerPath(prefix))) return false;
    const uint64_t words = in.remaining() / 4;
    if (words >= UINT32_MAX) return false;
    m_pnBytes.assign(words + 1, 0);
    if (!in.Bytes(words * 4, m_pnBytes.data())) return false;
    m_nByteLength = static_cast<uint32_t>(words);
    return true;
}

}  // namespace qav
