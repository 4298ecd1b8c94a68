#include "qav/index/engine/org_info.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "qav/index/format/index_text_lines.h"
#include "qav/index/format/org_dat_file.h"
#include "qav/index/base/qav_log.h"
#include "common/text/line_reader.h"

namespace qav {

namespace {

constexpr uint64_t kLargestKey = std::numeric_limits<uint64_t>::max();
constexpr size_t kOrgLineBytes = 102400;
constexpr size_t kIdLineBytes = 1024;
// Buckets of the document lookup: 4,096 positions each, in at most 256 data
// files, over tables whose entry numbers fit in 32 bits.
constexpr int kBucketShift = 12;
constexpr uint64_t kBucketedFiles = 256;
constexpr size_t kMaxBucketedEntries = UINT32_MAX;

// "#first<TAB>end": the end line number (0 when it is missing).
int64_t EndLineOf(const std::string& line) {
    const size_t tab = line.find('\t');
    return tab == std::string::npos ? 0 : atoll(line.c_str() + tab + 1);
}

// The document entries of "Org.txt": one per "T:" line, the i-th taking the
// end line of the i-th "#" line.
bool ReadOrgText(const std::string& path, COrgInfo::OrgSource& source) {
    qz::LineReader reader(path, kOrgLineBytes, qz::LongLines::kSplit);
    if (!reader.ok()) return false;
    std::vector<int64_t> ends;
    std::string line;
    while (reader.Next(line) != qz::LineReader::kEnd) {
        if (line.compare(0, 1, "#") == 0) {
            ends.push_back(EndLineOf(line));
        } else if (line.compare(0, 2, "T:") == 0) {
            source.names.push_back(line.substr(2));
        }
    }
    ends.resize(source.names.size(), 0);
    source.endLines = std::move(ends);
    return true;
}

// Position p of the document holding a non-zero key in values[lo..hi].
int64_t SearchDocument(uint64_t key, const uint64_t* values, int64_t lo, int64_t hi) {
    while (lo < hi && key >= values[lo]) {
        if (key >= values[hi]) return hi;
        const int64_t mid = (lo + hi) / 2;
        if (values[mid] <= key && key < values[mid + 1]) return mid + 1;
        if (values[mid] >= key) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    return lo;
}

}  // namespace

bool COrgInfo::OrgInfoInit(const std::string& path) {
    OrgInfoExit();
    OrgTable table;
    if (!ReadOrgDatFile(path, &table)) return false;
    keys_.reserve(table.ends.size() + 1);
    keys_.push_back(0);
    for (int64_t end : table.ends) keys_.push_back(static_cast<uint64_t>(end));
    names_ = std::move(table.names);
    names_.emplace_back();
    BuildLookups();
    return true;
}

void COrgInfo::BuildLookups() {
    sortedNames_ = names_;
    std::sort(sortedNames_.begin(), sortedNames_.end());
    sortedNames_.erase(std::unique(sortedNames_.begin(), sortedNames_.end()), sortedNames_.end());
    positionNumbers_.assign(keys_.size(), -1);
    for (size_t position = 1; position < positionNumbers_.size(); ++position) {
        const std::string& name = names_[position - 1];
        if (!name.empty())
            positionNumbers_[position] = static_cast<int32_t>(
                std::lower_bound(sortedNames_.begin(), sortedNames_.end(), name) - sortedNames_.begin());
    }
    BuildBuckets();
}

void COrgInfo::BuildBuckets() {
    bucketFirst_.clear();
    if (keys_.size() < 2 || keys_.size() > kMaxBucketedEntries || !std::is_sorted(keys_.begin(), keys_.end())) return;
    // One list per data file, long enough for the last start in that file.
    for (size_t i = 1; i < keys_.size(); ++i) {
        const uint64_t file = keys_[i] >> 32;
        if (file >= kBucketedFiles) break;
        if (bucketFirst_.size() <= file) bucketFirst_.resize(file + 1);
        const size_t buckets = ((keys_[i] & 0xFFFFFFFFu) >> kBucketShift) + 1;
        if (bucketFirst_[file].size() < buckets + 1) bucketFirst_[file].resize(buckets + 1);
    }
    // Entry i of a file's list: the first key not below the start of
    // bucket i, the last entry closing the last bucket.
    size_t at = 0;
    for (size_t file = 0; file < bucketFirst_.size(); ++file) {
        for (size_t bucket = 0; bucket < bucketFirst_[file].size(); ++bucket) {
            const uint64_t start = (uint64_t{file} << 32) | (uint64_t{bucket} << kBucketShift);
            while (at < keys_.size() && keys_[at] < start) ++at;
            bucketFirst_[file][bucket] = static_cast<uint32_t>(at);
        }
    }
}

void COrgInfo::ForgetLookups() {
    sortedNames_.clear();
    positionNumbers_.clear();
    bucketFirst_.clear();
}

int64_t COrgInfo::BucketPosition(uint64_t key) const {
    const uint64_t file = key >> 32;
    const uint64_t bucket = (key & 0xFFFFFFFFu) >> kBucketShift;
    if (key == 0 || file >= bucketFirst_.size() || bucket + 1 >= bucketFirst_[file].size()) return -1;
    const std::vector<uint32_t>& first = bucketFirst_[file];
    const auto begin = keys_.begin();
    const int64_t p = std::upper_bound(begin + first[bucket], begin + first[bucket + 1], key) - begin;
    // In ascending keys the search gives, for a key strictly between two
    // neighbours, the later one; keys equal to a neighbour (where empty
    // documents can make it give another) and keys past the last are left
    // to it.
    if (p <= 0 || p >= EntryCount() || keys_[p - 1] == key) return -1;
    return p;
}

int64_t COrgInfo::NameNumberOf(uint64_t key) const {
    const int64_t bucketed = BucketPosition(key);
    const int64_t position = bucketed >= 0 ? bucketed : DocumentPosition(key);
    return position >= 0 && static_cast<size_t>(position) < positionNumbers_.size()
               ? positionNumbers_[static_cast<size_t>(position)]
               : -1;
}

int64_t COrgInfo::DocumentPosition(uint64_t key) const {
    const int64_t c = EntryCount();
    if (c <= 0 || names_.empty()) return 0;
    if (key == 0) {
        if (c == 1 || keys_[0] > 0) return 0;
        return keys_[c - 1] < 1 ? c - 1 : 1;
    }
    return SearchDocument(key, keys_.data(), 0, c - 1);
}

int64_t COrgInfo::EntryAt(int64_t position) const {
    if (position <= 0 || position >= EntryCount() || names_[position - 1].empty()) return -1;
    return position - 1;
}

int64_t COrgInfo::EntryOf(uint64_t key) const {
    const int64_t p = BucketPosition(key);
    return EntryAt(p >= 0 ? p : DocumentPosition(key));
}

bool COrgInfo::GetLimit(uint64_t key, std::string& name, uint64_t& first, uint64_t& last) const {
    const int64_t entry = EntryOf(key);
    if (entry < 0) return false;
    name = names_[entry];
    first = keys_[entry];
    last = keys_[entry + 1] - 1;
    return true;
}

int64_t COrgInfo::RetNo(uint64_t key, const uint64_t* values, int64_t lo, int64_t hi, bool flag) {
    if (lo < 0 || hi < 0) return -1;
    if (key == 0) return values[hi] < 1 ? hi : 1;
    if (flag) return SearchDocument(key, values, lo, hi);
    if (lo > hi) return lo;
    return std::lower_bound(values + lo, values + hi + 1, key) - values;
}

void COrgInfo::OrgInfoExit() {
    keys_.clear();
    names_.clear();
    ForgetLookups();
    source_.reset();
}

bool COrgInfo::InitOrgEx(const std::string& orgText) {
    OrgSource source;
    if (!ReadOrgText(orgText, source)) {
        QavLog("Warning not open %s\n", orgText.c_str());
        return false;
    }
    keys_.assign(source.endLines.begin(), source.endLines.end());
    names_ = std::move(source.names);
    ForgetLookups();
    return true;
}

void COrgInfo::MapEndLinesToKeys(const std::vector<uint64_t>& idTable) {
    ForgetLookups();
    for (uint64_t& key : keys_) {
        const int64_t line = static_cast<int64_t>(key);
        key = (line >= 0 && static_cast<uint64_t>(line) < idTable.size()) ? idTable[line] : kLargestKey;
    }
}

bool COrgInfo::WriteOrg(const std::string& path) const {
    OrgTable table;
    table.ends.assign(keys_.begin(), keys_.end());
    table.names = names_;
    table.names.resize(keys_.size());
    return WriteOrgDatFile(path, table);
}

bool COrgInfo::ReadOrg(const std::string& orgText) {
    auto source = std::make_shared<OrgSource>();
    if (!ReadOrgText(orgText, *source)) {
        QavLog("Warning not open %s\n", orgText.c_str());
        return false;
    }
    keys_.clear();
    names_.clear();
    ForgetLookups();
    keys_.reserve(source->names.size() + 1);
    names_.reserve(source->names.size() + 1);
    source_ = std::move(source);
    return true;
}

void COrgInfo::SetInfo(const COrgInfo& other) {
    source_ = other.source_;
    keys_.clear();
    names_.clear();
    ForgetLookups();
    keys_.reserve(other.keys_.capacity());
    names_.reserve(other.names_.capacity());
}

void COrgInfo::LineNo2Offset(int64_t lineNo, int64_t& state, uint32_t position, uint32_t group,
                             std::string& name) {
    static const OrgSource kNoDocuments;
    const OrgSource& source = source_ ? *source_ : kNoDocuments;
    const auto& ends = source.endLines;
    const size_t doc = static_cast<size_t>(std::upper_bound(ends.begin(), ends.end(), lineNo) - ends.begin());
    // A line after the last document belongs to none: it ends every range.
    const bool known = doc < ends.size();
    name = known ? source.names[doc] : std::string();
    if (state == 0) {
        state = ends.empty() ? 1 : (known ? ends[doc] : std::numeric_limits<int64_t>::max());
        names_.push_back(name);
        keys_.push_back(0);
        return;
    }
    if (lineNo < state) return;
    state = known ? ends[doc] : std::numeric_limits<int64_t>::max();
    const uint64_t key = (uint64_t{group} << 32) | position;
    if (keys_.empty() || key > keys_.back()) {
        keys_.push_back(key);
        names_.push_back(name);
    }
}

bool ReadID2Offset(const std::string& idFile, std::vector<uint64_t>& table, int64_t& n) {
    qz::LineReader reader(idFile, kIdLineBytes, qz::LongLines::kSplit);
    if (!reader.ok()) {
        QavLog("Error open %s\n", idFile.c_str());
        return false;
    }
    std::vector<std::pair<uint32_t, uint64_t>> pairs;
    std::string line;
    int64_t largest = -1;
    while (reader.Next(line) != qz::LineReader::kEnd) {
        int64_t key, lineNo;
        // Line numbers are written as 32-bit ints; others are not ours.
        if (!ParseIdLine(line, &key, &lineNo) || lineNo < 0 || lineNo > std::numeric_limits<int32_t>::max()) {
            continue;
        }
        pairs.emplace_back(static_cast<uint32_t>(lineNo), static_cast<uint64_t>(key));
        largest = std::max(largest, lineNo);
    }
    n = largest + 1;
    table.assign(static_cast<size_t>(n) + 1, 0);
    for (const auto& [lineNo, key] : pairs) table[lineNo] = key;
    table[static_cast<size_t>(n)] = kLargestKey;
    return true;
}

bool WriteOrgInfo(const std::string& idFile, const std::string& orgText, const std::string& orgDat) {
    COrgInfo org;
    std::vector<uint64_t> idTable;
    int64_t n = 0;
    if (!org.InitOrgEx(orgText) || !ReadID2Offset(idFile, idTable, n)) return false;
    org.MapEndLinesToKeys(idTable);
    return org.WriteOrg(orgDat);
}

}  // namespace qav
