#include <cstring>

#include "common/platform/byte_codec.h"
#include "zel/rules/format/table_format.h"

namespace zel {
namespace {

// Reads fixed-width numbers and length-prefixed texts from a byte range; the
// first read that would run past the end fails this and every later read.
class BlobCursor {
public:
    BlobCursor(const char* bytes, size_t size) : p_(reinterpret_cast<const unsigned char*>(bytes)), left_(size) {}

    template <typename T>
    bool Number(T& value) {
        if (!Take(sizeof value)) return false;
        value = qz::bytes::Load<T>(p_ - sizeof value);
        return true;
    }
    bool Bytes(size_t length, std::string& out) {
        if (!Take(length)) return false;
        out.assign(reinterpret_cast<const char*>(p_ - length), length);
        return true;
    }
    bool Text(std::string& out) {
        uint32_t length = 0;
        return Number(length) && Bytes(length, out);
    }
    size_t left() const { return left_; }
    bool AtEnd() const { return left_ == 0; }

private:
    bool Take(size_t n) {
        if (n > left_) {
            left_ = 0;
            p_ = nullptr;
            return false;
        }
        p_ += n;
        left_ -= n;
        return true;
    }

    const unsigned char* p_;
    size_t left_;
};

void AppendText(std::string& out, const std::string& text) {
    qz::bytes::Append(out, static_cast<uint32_t>(text.size()));
    out += text;
}

void AppendRecords(std::string& out, const std::vector<TableItemRecord>& records) {
    qz::bytes::Append(out, static_cast<uint32_t>(records.size()));
    for (const TableItemRecord& record : records) {
        AppendText(out, record.key);
        AppendText(out, record.value);
    }
}

// A count read from the blob is believed only as far as the bytes left can
// hold that many records of minSize bytes, so a damaged count cannot make
// the reader reserve memory the blob does not back.
bool ReadRecords(BlobCursor& in, std::vector<TableItemRecord>& records) {
    uint32_t count = 0;
    if (!in.Number(count) || count > in.left() / 8) return false;
    records.assign(count, TableItemRecord{});
    for (TableItemRecord& record : records) {
        if (!in.Text(record.key) || !in.Text(record.value)) return false;
    }
    return true;
}

}  // namespace

std::string EncodeTableIndexRecord(const TableIndexRecord& record) {
    std::string out;
    AppendText(out, record.name);
    qz::bytes::Append(out, record.offset);
    qz::bytes::Append(out, record.size);
    return out;
}

bool DecodeTableIndex(const std::string& bytes, std::vector<TableIndexRecord>& records) {
    records.clear();
    BlobCursor in(bytes.data(), bytes.size());
    while (!in.AtEnd()) {
        TableIndexRecord record;
        uint32_t length = 0;
        if (!in.Number(length) || length > kTableNameLimit) return false;
        if (!in.Bytes(length, record.name) || !in.Number(record.offset) || !in.Number(record.size)) return false;
        records.push_back(std::move(record));
    }
    return true;
}

std::string EncodeTableItemKVs(const std::vector<TableItemRecord>& itemKVs) {
    std::string out;
    AppendRecords(out, itemKVs);
    return out;
}

std::string EncodeTableBlob(const TableBlob& blob) {
    return EncodeTableBlobHead(blob) + EncodeTableItemKVs(blob.itemKVs);
}

std::string EncodeTableBlobHead(const TableBlob& blob) {
    std::string out;
    qz::bytes::Append(out, static_cast<int32_t>(blob.endLengths.size()));
    out += blob.endLengths;
    out += blob.beginLengths;
    qz::bytes::Append(out, blob.longest);
    qz::bytes::Append(out, static_cast<int32_t>(blob.filter.size()));
    out += blob.filter;
    AppendRecords(out, blob.items);
    qz::bytes::Append(out, static_cast<uint16_t>(blob.firstChars.size()));
    out += blob.firstChars;
    out += blob.secondChars;
    return out;
}

bool DecodeTableBlob(const char* bytes, size_t size, TableBlob& blob) {
    BlobCursor in(bytes, size);
    int32_t charCount = 0, filterSize = 0;
    uint16_t setSize = 0;
    if (!in.Number(charCount) || charCount < 0) return false;
    if (!in.Bytes(static_cast<size_t>(charCount), blob.endLengths) ||
        !in.Bytes(static_cast<size_t>(charCount), blob.beginLengths))
        return false;
    if (!in.Number(blob.longest) || !in.Number(filterSize) || filterSize < 0) return false;
    if (!in.Bytes(static_cast<size_t>(filterSize), blob.filter)) return false;
    if (!ReadRecords(in, blob.items)) return false;
    if (!in.Number(setSize) || !in.Bytes(setSize, blob.firstChars) || !in.Bytes(setSize, blob.secondChars))
        return false;
    return ReadRecords(in, blob.itemKVs);
}

std::string EncodeTableKVBlob(const TableKVBlob& blob) {
    std::string out;
    qz::bytes::Append(out, static_cast<int32_t>(blob.pairs.size()));
    for (const auto& [text, start] : blob.pairs) {
        AppendText(out, text);
        qz::bytes::Append(out, start);
    }
    qz::bytes::Append(out, static_cast<uint32_t>(blob.postings.size()));
    for (uint32_t value : blob.postings) qz::bytes::Append(out, value);
    return out;
}

bool DecodeTableKVBlob(const char* bytes, size_t size, TableKVBlob& blob) {
    BlobCursor in(bytes, size);
    int32_t pairCount = 0;
    blob.pairs.clear();
    blob.postings.clear();
    if (!in.Number(pairCount)) return false;
    if (pairCount <= 0) return true;
    if (static_cast<size_t>(pairCount) > in.left() / 8) return false;
    blob.pairs.resize(static_cast<size_t>(pairCount));
    for (auto& [text, start] : blob.pairs) {
        if (!in.Text(text) || !in.Number(start)) return false;
    }
    uint32_t postingCount = 0;
    if (!in.Number(postingCount) || postingCount > in.left() / 4) return false;
    blob.postings.resize(postingCount);
    for (uint32_t& value : blob.postings) in.Number(value);
    for (const auto& pair : blob.pairs) {
        int32_t start = pair.second;
        if (start < 0 || static_cast<uint32_t>(start) >= postingCount) return false;
        if (blob.postings[static_cast<size_t>(start)] > postingCount - static_cast<uint32_t>(start) - 1) return false;
    }
    return true;
}

}  // namespace zel
