// Outputs of a full-text search by a document-information tag: documents
// sorted by its value, and documents counted by one or two values.
#include <algorithm>
#include <vector>

#include "common/text/text_utils.h"
#include "qav/fulltext/search/bm_json_text.h"
#include "qav/fulltext/search/bm_search.h"

namespace qav {

namespace {

// Sorting, grouping and counting look at no more records than this.
constexpr int32_t kMaxTagRecords = 10240;
// Past this length a count answer lists no further data entries.
constexpr size_t kMaxCountDataText = 92159;
// Grouping by this tag uses the first four bytes of its value (a class code).
constexpr const char* kClassCodeTag = "IPC";
constexpr size_t kClassCodeBytes = 4;

int64_t RecordKey(const bm::Posting& record) { return bm::DocKey(record.shard, record.docOffset); }

// The value up to its first "|" (a trail byte of a two-byte character is
// never taken for it), cut to a class code for the class-code tag.
std::string GroupValue(const std::string& value, const std::string& tag) {
    size_t end = 0;
    while (end < value.size() && value[end] != '|') end += static_cast<unsigned char>(value[end]) >= 0x80 ? 2 : 1;
    std::string group = value.substr(0, std::min(end, value.size()));
    if (tag == kClassCodeTag && group.size() > kClassCodeBytes) group.resize(kClassCodeBytes);
    return group;
}

// Calls visit(key, info) for each decodable record among the first ones of slot.
template <typename Visit>
void ForEachDocument(CBMSearch& search, const CBMRet& slot, Visit visit) {
    const int32_t count = std::min(slot.m_nDocNum, kMaxTagRecords);
    for (int32_t i = 0; i < count; ++i) {
        bm::CDocInfo doc;
        if (search.DecodeDocument(RecordKey(slot[i]), &doc)) visit(RecordKey(slot[i]), doc.info);
    }
}

// The key of a pair of values; the separator keeps ("a", "bc") apart from
// ("ab", "c").
std::string PairKey(const std::string& value1, const std::string& value2) {
    return value1 + '\0' + value2;
}

std::string Quoted(const std::string& text) { return "\"" + JsonEscaped(text) + "\""; }

// "\"a\",\"b\"" for the values.
template <typename Values>
std::string QuotedList(const Values& values) {
    std::string list;
    for (const std::string& value : values) list += (list.empty() ? "" : ",") + Quoted(value);
    return list;
}

// Appends the data entries, each but the last followed by a comma, until the
// answer passes kMaxCountDataText: the entry then written ends the list.
void AppendData(const std::vector<std::string>& entries, std::string* answer) {
    for (size_t i = 0; i < entries.size(); ++i) {
        const bool last = i + 1 == entries.size() || answer->size() > kMaxCountDataText;
        *answer += entries[i] + (last ? "" : ",");
        if (last) break;
    }
}

}  // namespace

void CBMSearch::SortByTag(const CBMRet& slot, const std::string& tag, int32_t sortType, TagPairs* pairs) {
    pairs->clear();
    ForEachDocument(*this, slot, [&](int64_t key, const std::map<std::string, std::string>& info) {
        const auto value = info.find(tag);
        if (value != info.end()) pairs->emplace_back(key, value->second);
    });
    std::stable_sort(pairs->begin(), pairs->end(), [sortType](const auto& a, const auto& b) {
        return sortType == 1 ? a.second < b.second : b.second < a.second;
    });
}

bool CBMSearch::GetRetSortBy(int64_t handle, const std::string& tag, const std::string& fields, int32_t order) {
    const CBMRet* slot = SlotOf(handle);
    if (!slot) return false;
    TagPairs pairs;
    SortByTag(*slot, tag, order == -1 ? 1 : 0, &pairs);
    m_WebOut += "<Total>:" + std::to_string(slot->m_nDocNum) + "\n";
    std::string text;
    for (const auto& [key, value] : pairs) {
        GetDocInfoBuff(key, fields, &text);
        m_WebOut += text;
    }
    return true;
}

void CBMSearch::GroupByTag(const CBMRet& slot, const std::string& tag, TagGroups* groups) {
    groups->clear();
    ForEachDocument(*this, slot, [&](int64_t key, const std::map<std::string, std::string>& info) {
        const auto value = info.find(tag);
        if (value != info.end()) (*groups)[GroupValue(value->second, tag)].insert(key);
    });
}

void CBMSearch::CountByTag(const CBMRet& slot, const std::string& tag1, const std::string& tag2, TagGroups* pairs,
                           std::set<std::string>* values1, std::set<std::string>* values2) {
    pairs->clear();
    values1->clear();
    values2->clear();
    ForEachDocument(*this, slot, [&](int64_t key, const std::map<std::string, std::string>& info) {
        const auto first = info.find(tag1);
        const auto second = info.find(tag2);
        if (first == info.end() || second == info.end()) return;
        const std::string value1 = GroupValue(first->second, tag1);
        const std::string value2 = GroupValue(second->second, tag2);
        (*pairs)[PairKey(value1, value2)].insert(key);
        values1->insert(value1);
        values2->insert(value2);
    });
}

bool CBMSearch::GetRetCountBy(int64_t handle, const std::string& tags) {
    CBMRet* slot = SlotOf(handle);
    if (!slot) return false;
    std::vector<std::string> names;
    qz::SplitString(tags.c_str(), " ;,", names);
    std::string answer;
    std::vector<std::string> entries;
    if (names.size() < 2) {
        TagGroups groups;
        GroupByTag(*slot, tags, &groups);
        std::vector<std::string> values;
        for (const auto& [value, keys] : groups) {
            entries.push_back("[" + std::to_string(values.size()) + "," + std::to_string(keys.size()) + "]");
            values.push_back(value);
        }
        answer = "{\n\"statistics\":[" + Quoted(names.empty() ? tags : names[0]) + "],\n\"axis1\":[" +
                 QuotedList(values) + "],\n\"axis2\":[],\n\"data\":[";
    } else {
        TagGroups pairs;
        std::set<std::string> values1, values2;
        CountByTag(*slot, names[0], names[1], &pairs, &values1, &values2);
        int i = 0;
        for (const std::string& value1 : values1) {
            int j = 0;
            for (const std::string& value2 : values2) {
                const auto pair = pairs.find(PairKey(value1, value2));
                if (pair != pairs.end())
                    entries.push_back("[" + std::to_string(i) + "," + std::to_string(j) + "," +
                                      std::to_string(pair->second.size()) + "]");
                ++j;
            }
            ++i;
        }
        answer = "{\n\"statistics\":[" + Quoted(names[0]) + "," + Quoted(names[1]) + "],\n\"axis1\":[" +
                 QuotedList(values1) + "],\n\"axis2\":[" + QuotedList(values2) + "],\n\"data\":[";
    }
    AppendData(entries, &answer);
    m_WebOut += answer + "]\n}\n";
    slot->Clear();
    return true;
}

}  // namespace qav
