#include "qav/index/engine/sent_info.h"

#include <cctype>

#include "qav/index/base/config.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/format/sent_info_file.h"
#include "common/text/line_reader.h"

namespace qav {

namespace {

constexpr uint32_t kDefaultBuckets = 1048576;
constexpr size_t kDocInfoLineBytes = 102400;

// "#N" where N is exactly the decimal number expected.
bool IsDocHeader(const std::string& line, size_t expected) {
    if (line.size() < 2) return false;
    size_t value = 0;
    for (size_t i = 1; i < line.size(); ++i) {
        if (!isdigit(static_cast<unsigned char>(line[i]))) return false;
        value = value * 10 + static_cast<size_t>(line[i] - '0');
        if (value > expected) return false;
    }
    return value == expected;
}

}  // namespace

uint64_t SentKeyHash(uint64_t key) {
    uint64_t h = (~key) + (key << 18);
    h = h ^ (h >> 31);
    h = h * 21;
    h = h ^ (h >> 11);
    h = h + (h << 6);
    h = h ^ (h >> 22);
    return h;
}

bool CHashTableInfo::HashTableInfoInit(const CConfig& config) {
    const int32_t configured = config.m_SizeInfo.HashSize_SentInfo;
    MakeBuckets(configured > 0 ? static_cast<uint32_t>(configured) : 0);
    ReadInSentInfo(config.m_FileInfo.SentInfo);
    ReadInDocInfo(config.m_FileInfo.DocInfo);
    return true;
}

void CHashTableInfo::MakeBuckets(uint32_t bucketCount) {
    if (bucketCount == 0) bucketCount = kDefaultBuckets;
    heads_.assign(bucketCount, kNone);
    tails_.assign(bucketCount, kNone);
}

uint32_t CHashTableInfo::Add2Hash(uint64_t key, uint64_t value, uint32_t line) {
    if (heads_.empty()) MakeBuckets(0);
    const size_t bucket = SentKeyHash(key) % heads_.size();
    const uint32_t index = static_cast<uint32_t>(records_.size());
    records_.push_back(SentRecord{key, value, line, kNone});
    if (tails_[bucket] == kNone) {
        heads_[bucket] = index;
    } else {
        records_[tails_[bucket]].next = index;
    }
    tails_[bucket] = index;
    return index;
}

const CHashTableInfo::SentRecord* CHashTableInfo::Find(uint64_t key) const {
    if (heads_.empty()) return nullptr;
    for (uint32_t i = heads_[SentKeyHash(key) % heads_.size()]; i != kNone; i = records_[i].next) {
        if (records_[i].key == key) return &records_[i];
    }
    return nullptr;
}

bool CHashTableInfo::GetSentInfo(uint64_t key, uint32_t& docIndex, uint32_t& tagId) const {
    uint32_t line;
    return GetSentInfo(key, docIndex, tagId, line);
}

bool CHashTableInfo::GetSentInfo(uint64_t key, uint32_t& high, uint32_t& low, uint32_t& line) const {
    const SentRecord* record = Find(key);
    if (!record) return false;
    high = static_cast<uint32_t>(record->value >> 32);
    low = static_cast<uint32_t>(record->value);
    line = record->line;
    return true;
}

bool CHashTableInfo::GetSentPosInfo(int32_t tagId, std::string& text) const {
    if (tagNames_.empty() || tagId < 0 || tagId >= TagCount()) return false;
    text = tagNames_[static_cast<size_t>(tagId)];
    return true;
}

bool CHashTableInfo::GetDocTagInfo(int64_t docIndex, std::string& text) const {
    text.clear();
    if (docIndex < 0 || static_cast<uint64_t>(docIndex) >= docInfo_.size()) return false;
    for (const auto& [key, value] : docInfo_[static_cast<size_t>(docIndex)]) {
        text += key;
        text += '=';
        text += value;
        text += ';';
    }
    return true;
}

bool CHashTableInfo::GetOrgTagInfo(int64_t docIndex, std::string& text, const std::string& key) const {
    text.clear();
    if (docIndex < 0 || static_cast<uint64_t>(docIndex) >= docInfo_.size()) return false;
    const auto& items = docInfo_[static_cast<size_t>(docIndex)];
    auto found = items.find(key);
    if (found != items.end()) text = found->second;
    return true;
}

bool CHashTableInfo::GetDocInfo(int64_t docIndex, const std::string& key, std::string& value) const {
    if (docIndex < 0 || static_cast<uint64_t>(docIndex) >= docInfo_.size()) return false;
    const auto& items = docInfo_[static_cast<size_t>(docIndex)];
    auto found = items.find(key);
    if (found == items.end()) return false;
    value = found->second;
    return true;
}

bool CHashTableInfo::GetDocPosID(const std::string& text, uint32_t& tagId) const {
    auto found = tagMap_.find(text);
    if (found == tagMap_.end()) return false;
    tagId = found->second;
    return true;
}

void CHashTableInfo::Add2DocInfo(const std::vector<std::string>& lines) {
    std::map<std::string, std::string> items;
    for (const std::string& line : lines) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        items[line.substr(0, equals)] = line.substr(equals + 1);
    }
    docInfo_.push_back(std::move(items));
}

bool CHashTableInfo::ReadInSentInfo(const std::string& path) {
    std::vector<SentInfoTag> tags;
    std::vector<SentInfoRecord> records;
    if (!ReadSentInfoFile(path, &tags, &records)) return false;
    tagNames_.assign(tags.size(), std::string());
    for (SentInfoTag& tag : tags) {
        tagMap_[tag.text] = static_cast<uint32_t>(tag.id);
        tagNames_[static_cast<size_t>(tag.id)] = std::move(tag.text);
    }
    records_.reserve(records_.size() + records.size());
    for (const SentInfoRecord& record : records) {
        Add2Hash(static_cast<uint64_t>(record.key), static_cast<uint64_t>(record.value),
                 static_cast<uint32_t>(record.line));
    }
    return true;
}

bool CHashTableInfo::ReadInDocInfo(const std::string& path) {
    qz::LineReader reader(path, kDocInfoLineBytes, qz::LongLines::kSplit);
    if (!reader.ok()) {
        QavLog("Error open %s !\n", path.c_str());
        return false;
    }
    std::vector<std::string> collected;
    bool inDocument = false;
    std::string line;
    while (reader.Next(line) != qz::LineReader::kEnd) {
        if (line.empty() || line[0] != '#') {
            collected.push_back(line);
            continue;
        }
        const size_t expected = docInfo_.size() + (inDocument ? 1 : 0);
        if (!IsDocHeader(line, expected)) {
            QavLog("Error DocInfo Format\n");
            return true;
        }
        if (inDocument) Add2DocInfo(collected);
        collected.clear();
        inDocument = true;
    }
    if (inDocument) Add2DocInfo(collected);
    return true;
}

void CHashTableInfo::HashTableInfoExit() {
    heads_.clear();
    tails_.clear();
    records_.clear();
    tagNames_.clear();
    tagMap_.clear();
    docInfo_.clear();
}

}  // namespace qav
