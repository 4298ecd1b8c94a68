// The word table's file form: filling a table from its blob and writing the
// blob and the key-value index blob at the end of a data file.
#include <cstring>

#include "zel/rules/tables/table.h"

namespace zel {
namespace {

uint64_t Append(FILE* file, const std::string& bytes) {
    std::fseek(file, 0, SEEK_END);
    return std::fwrite(bytes.data(), 1, bytes.size(), file);
}

}  // namespace

bool CTable::SetTable(const char* name, const char* blob, size_t size) {
    FreeTable();
    TableBlob decoded;
    if (!DecodeTableBlob(blob, size, decoded)) return false;
    name_ = name ? name : "";
    charCount_ = static_cast<int32_t>(decoded.endLengths.size());
    endLengths_ = std::move(decoded.endLengths);
    beginLengths_ = std::move(decoded.beginLengths);
    longest_ = decoded.longest;
    filter_ = std::move(decoded.filter);
    firstChars_ = std::move(decoded.firstChars);
    secondChars_ = std::move(decoded.secondChars);
    items_.resize(decoded.items.size());
    for (size_t i = 0; i < items_.size(); ++i) {
        items_[i].key = std::move(decoded.items[i].key);
        items_[i].value = std::move(decoded.items[i].value);
        if (items_[i].key.find('=') != std::string::npos) hasItemKV_ = true;
    }
    itemKVs_.reserve(decoded.itemKVs.size());
    for (const TableItemRecord& record : decoded.itemKVs) {
        itemKVs_.emplace_back();
        itemKVs_.back().SetItemKV(record.key.c_str(), record.value.empty() ? nullptr : record.value.c_str());
    }
    return true;
}

uint64_t CTable::WriteTable(FILE* file) const {
    TableBlob blob;
    blob.endLengths = endLengths_;
    blob.beginLengths = beginLengths_;
    blob.longest = longest_;
    blob.filter = filter_;
    blob.items.reserve(items_.size());
    for (const CTableItem& item : items_) blob.items.push_back({item.key, item.value});
    blob.firstChars = firstChars_;
    blob.secondChars = secondChars_;
    // The item-KV entries close the blob; WriteItemKV writes them.
    return Append(file, EncodeTableBlobHead(blob)) + WriteItemKV(file);
}

uint64_t CTable::WriteItemKV(FILE* file) const {
    std::vector<TableItemRecord> records;
    records.reserve(itemKVs_.size());
    for (const CTableItemKV& entry : itemKVs_) records.push_back({entry.key, entry.value});
    return Append(file, EncodeTableItemKVs(records));
}

uint64_t CTable::WriteKVInfo(FILE* file) const {
    TableKVBlob blob;
    blob.pairs.reserve(pairCounts_.size());
    for (const auto& [text, countStart] : pairCounts_)
        blob.pairs.emplace_back(text, static_cast<int32_t>(countStart.second));
    blob.postings = postings_;
    return Append(file, EncodeTableKVBlob(blob));
}

}  // namespace zel
