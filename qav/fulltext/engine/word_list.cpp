#include "qav/fulltext/engine/word_list.h"

#include <cstring>

#include "common/platform/binary_file.h"
#include "qav/index/base/qav_log.h"

namespace qav {

namespace {
// Longest word the list holds.
constexpr uint32_t kMaxWordBytes = 2048;
// Smallest entry: i32 length, i32 number, f32 idf.
constexpr uint64_t kMinEntryBytes = 12;
}  // namespace

bool CWordListBM::WordListInit(const std::string& path) {
    m_Entries.clear();
    qz::BinaryFileReader in;
    if (!in.Open(path)) {
        QavLog("Error open %s!\n", path.c_str());
        return false;
    }
    uint32_t count = 0;
    if (!in.U32(&count) || count > in.remaining() / kMinEntryBytes) return false;
    m_Entries.resize(count);
    for (bm::WordEntryBM& entry : m_Entries) {
        if (!in.LengthText(kMaxWordBytes, &entry.word) || !in.I32(&entry.termNumber) ||
            !in.Bytes(sizeof entry.idf, &entry.idf)) {
            m_Entries.clear();
            return false;
        }
    }
    return true;
}

std::string CWordListBM::No2Word(int32_t number) const {
    if (number < 0 || static_cast<size_t>(number) >= m_Entries.size()) return {};
    return m_Entries[static_cast<size_t>(number)].word;
}

float CWordListBM::No2Idf(int32_t number) const {
    if (number < 0 || static_cast<size_t>(number) >= m_Entries.size()) return 0;
    return m_Entries[static_cast<size_t>(number)].idf;
}

}  // namespace qav
