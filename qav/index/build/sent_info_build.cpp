// Build side of the sentence information: "SentInfo.txt" and the identifier
// file "Info/Corpus.ID" into "SentInfo.dat".

#include "qav/index/format/index_text_lines.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/engine/sent_info.h"
#include "qav/index/format/sent_info_file.h"
#include "common/text/line_reader.h"

namespace qav {

namespace {

constexpr size_t kSentInfoLineBytes = 102400;
constexpr size_t kIdLineBytes = 1024;

const char* SkipBlanks(const char* p) {
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

// Unsigned decimal at p; false when no digit is there.
bool ReadNumber(const char*& p, uint64_t& value) {
    if (*p < '0' || *p > '9') return false;
    value = 0;
    while (*p >= '0' && *p <= '9') value = value * 10 + static_cast<uint64_t>(*p++ - '0');
    return true;
}

}  // namespace

bool GetLineInfo(const char* text, uint64_t& a, uint64_t& b, std::string& rest) {
    const char* p = SkipBlanks(text);
    if (!ReadNumber(p, a)) return false;
    p = SkipBlanks(p);
    if (!ReadNumber(p, b)) return false;
    p = SkipBlanks(p);
    rest = p;
    return !rest.empty();
}

bool GetLineInfoEx(const char* text, int64_t& key, int64_t& line) { return ParseIdLine(text, &key, &line); }

int64_t GetLineNum(const std::string& idFile, const SentInfoMap& map) {
    qz::LineReader reader(idFile, kIdLineBytes, qz::LongLines::kSplit);
    if (!reader.ok()) {
        QavLog("Error open %s\n", idFile.c_str());
        return -1;
    }
    int64_t count = 0;
    std::string line;
    while (reader.Next(line) != qz::LineReader::kEnd) {
        int64_t key, lineNo;
        if (!GetLineInfoEx(line.c_str(), key, lineNo)) continue;
        if (key % 10000 == 0) QavLog("Writing Offset %lld...\r", static_cast<long long>(key));
        if (map.count(static_cast<uint32_t>(lineNo))) ++count;
    }
    return count;
}

uint32_t CHashTableInfo::GetTagID(const std::string& text, TagMap& tags) {
    auto [it, inserted] = tags.emplace(text, static_cast<uint32_t>(tags.size()));
    (void)inserted;
    return it->second;
}

bool CHashTableInfo::ReadInIDInfo(const std::string& path, SentInfoMap& map, TagMap& tags) {
    qz::LineReader reader(path, kSentInfoLineBytes, qz::LongLines::kSplit);
    if (!reader.ok()) {
        QavLog("Error open %s\n", path.c_str());
        return false;
    }
    std::string line, tag;
    long long linesRead = 0;
    while (reader.Next(line) != qz::LineReader::kEnd) {
        ++linesRead;
        uint64_t lineNo, docIndex;
        if (!GetLineInfo(line.c_str(), lineNo, docIndex, tag)) continue;
        map[static_cast<uint32_t>(lineNo)] = (docIndex << 32) | GetTagID(tag, tags);
        if (linesRead % 10000 == 0) QavLog("Reading Line...%lld\r", linesRead);
    }
    return true;
}

bool CHashTableInfo::WriteIdx(const std::string& idFile, const SentInfoMap& map, const TagMap& tags,
                              const std::string& outFile) {
    qz::LineReader reader(idFile, kIdLineBytes, qz::LongLines::kSplit);
    if (!reader.ok()) {
        QavLog("Error open %s\n", idFile.c_str());
        return false;
    }
    std::vector<SentInfoTag> tagList;
    for (const auto& [text, id] : tags) tagList.push_back(SentInfoTag{text, static_cast<int32_t>(id)});
    SentInfoWriter out;
    if (!out.Create(outFile, tagList)) {
        QavLog("Error open %s\n", outFile.c_str());
        return false;
    }
    std::string line;
    while (reader.Next(line) != qz::LineReader::kEnd) {
        int64_t key, lineNo;
        if (!GetLineInfoEx(line.c_str(), key, lineNo)) continue;
        auto found = map.find(static_cast<uint32_t>(lineNo));
        if (found == map.end()) continue;
        out.AddRecord(SentInfoRecord{key, static_cast<int64_t>(found->second), static_cast<int32_t>(lineNo)});
    }
    return out.Close();
}

bool CHashTableInfo::CreateIdx(const std::string& idFile, const std::string& sentenceText,
                               const std::string& outFile) {
    SentInfoMap map;
    TagMap tags;
    if (!ReadInIDInfo(sentenceText, map, tags)) return false;
    return WriteIdx(idFile, map, tags, outFile);
}

bool IdxSentInfo(const std::string& idFile, const std::string& sentenceText, const std::string& outFile) {
    CHashTableInfo table;
    return table.CreateIdx(idFile, sentenceText, outFile);
}

}  // namespace qav
