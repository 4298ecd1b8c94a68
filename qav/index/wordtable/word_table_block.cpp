// Reading one table's data block (layout in table_cluster.h).
#include <cstring>

#include "common/platform/byte_codec.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/wordtable/word_table.h"

namespace qav {

namespace {

// Little-endian reads that never pass the end of the block.
class BlockReader {
public:
    BlockReader(const char* data, size_t size) : data_(data), size_(size) {}

    size_t Remaining() const { return size_ - pos_; }

    bool U16(uint16_t& out) { return Number(out); }
    bool U32(uint32_t& out) { return Number(out); }

    // A length-prefixed text shorter than kTableTextLimit. Like the
    // NUL-terminated keys it is compared as, it ends at its first NUL byte.
    bool Text(std::string& out) {
        uint32_t length = 0;
        if (!U32(length) || length >= kTableTextLimit || length > Remaining()) return false;
        const char* text = data_ + pos_;
        out.assign(text, strnlen(text, length));
        pos_ += length;
        return true;
    }

private:
    template <typename T>
    bool Number(T& out) {
        unsigned char b[sizeof(T)];
        if (!Copy(b, sizeof b)) return false;
        out = qz::bytes::Load<T>(b);
        return true;
    }

    bool Copy(void* out, size_t n) {
        if (n > Remaining()) return false;
        std::memcpy(out, data_ + pos_, n);
        pos_ += n;
        return true;
    }

    const char* data_;
    size_t size_;
    size_t pos_ = 0;
};

bool ReadLengths(BlockReader& reader, uint32_t count, std::vector<uint16_t>& lengths) {
    lengths.resize(count);
    for (uint16_t& entry : lengths)
        if (!reader.U16(entry)) return false;
    return true;
}

// Smallest item: key length, value length and number.
constexpr size_t kMinItemBytes = 12;

}  // namespace

bool CTable::SetTable(const char* name, const char* block, size_t size) {
    FreeTable();
    keyword_ = name;
    BlockReader reader(block, size);
    uint32_t entries = 0;
    uint32_t count = 0;
    bool ok = reader.U32(entries) && entries <= reader.Remaining() / 4 &&
              ReadLengths(reader, entries, end_lengths_) && ReadLengths(reader, entries, start_lengths_) &&
              reader.U32(count) && count <= reader.Remaining() / kMinItemBytes;
    if (ok) items_.resize(count);
    for (size_t i = 0; ok && i < items_.size(); ++i) {
        CTableItem& item = items_[i];
        ok = reader.Text(item.key) && reader.Text(item.value) && reader.U32(item.number);
        if (ok) AddToFilter(item.key);
    }
    if (!ok) {
        QavLog("Error: word table %s is damaged (%zu bytes)\n", name, size);
        FreeTable();
        keyword_ = name;
    }
    return ok;
}

}  // namespace qav
