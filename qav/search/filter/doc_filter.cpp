// Document checks and filters: tests of a hit's sentence key against the
// sentence tag and the document information of the index.
#include <string_view>

#include "common/text/gbk_char.h"
#include "qav/index/engine/sent_info.h"
#include "common/text/text_utils.h"
#include "qav/search/filter/cond_text.h"
#include "qav/search/filter/condition.h"
#include "qav/search/filter/range_match.h"
#include "qav/search/filter/sentence_document.h"

namespace qav {

namespace {

// Filter names and values, and document check lists, are at most this long.
constexpr size_t kMaxFilterText = 2047;
constexpr size_t kMaxValueList = 1023;

// Whether value starts a "_"-separated level of text: an occurrence at a
// character boundary that begins text or follows "_".
bool StartsLevel(std::string_view text, std::string_view value) {
    bool levelStart = true;
    for (size_t p = 0; p <= text.size();) {
        if (levelStart && text.substr(p, value.size()) == value) return true;
        if (p == text.size()) break;
        const size_t len = qz::GbkCharLen(text.data() + p, text.size() - p);
        levelStart = len == 1 && text[p] == '_';
        p += len;
    }
    return false;
}

// The tag of a sentence: only sentences with sentence information have one.
bool TagOf(int64_t key, const CHashTableInfo& info, uint32_t& tag) {
    uint32_t doc = 0;
    return info.GetSentInfo(static_cast<uint64_t>(key), doc, tag);
}

// Whether name is a known sentence tag equal to the sentence's tag.
bool IsSentenceTag(const CHashTableInfo& info, const std::string& name, uint32_t tag) {
    uint32_t id = 0;
    return info.GetDocPosID(name, id) && id == tag;
}

}  // namespace

CDocCheck CConditionEx::ParseDocCheck(const std::string& text) {
    CDocCheck check;
    const size_t equals = text.find('=');
    check.name = text.substr(0, equals);
    check.value = equals == std::string::npos ? std::string() : text.substr(equals + 1);
    const size_t bracket = FindAscii(check.value, '[');
    if (bracket != std::string::npos) {
        check.hasList = true;
        const std::string list(ListText(std::string_view(check.value).substr(bracket + 1)));
        if (list.size() <= kMaxValueList) qz::SplitString(list.c_str(), " ,;", check.list);
    }
    return check;
}

bool CConditionEx::IsOK(int64_t key, const CDocCheck& check, const CHashTableInfo& info,
                        const COrgInfo* documents) {
    if (EqualsNoCase(check.name, "POS")) {
        uint32_t tag = 0;
        if (!TagOf(key, info, tag)) return false;
        if (!check.hasList) return IsSentenceTag(info, check.value, tag);
        for (const std::string& name : check.list)
            if (IsSentenceTag(info, name, tag)) return true;
        return false;
    }
    int64_t doc = 0;
    std::string value;
    return DocumentOfSentence(info, documents, static_cast<uint64_t>(key), doc) &&
           info.GetDocInfo(doc, check.name, value) && value == check.value;
}

bool CConditionEx::IsOK(int64_t key, const CHashTableInfo& info, const COrgInfo* documents) const {
    for (const CDocCheck& check : m_docChecks)
        if (!IsOK(key, check, info, documents)) return false;
    return true;
}

void CConditionEx::Add2Check(const std::string& name, const std::set<std::string>& values) {
    m_filters[name] = values;
}

void CConditionEx::SetFilter(const char* text, int mode) {
    if (!text || !*text) return;
    m_nFilterMode = mode == 0 ? kFilterAny : mode == -1 ? kFilterNone : kFilterAll;
    std::vector<std::string> items;
    qz::SplitString(text, ";", items);
    for (const std::string& item : items) {
        const size_t equals = item.find('=');
        if (equals == std::string::npos) return;
        const std::string name = item.substr(0, equals);
        const std::string_view rest = std::string_view(item).substr(equals + 1);
        // An entry too long for its limits keeps no values, so it passes no hit.
        std::set<std::string> values;
        if (rest.size() <= kMaxFilterText) {
            if (item.compare(equals, 2, "=[") == 0) {
                const std::string list(ListText(rest.substr(1)));
                if (list.size() <= kMaxValueList) qz::SplitStringEx(list.c_str(), " ,;", values);
            } else {
                values.insert(std::string(rest));
            }
        }
        Add2Check(name, values);
    }
}

void CConditionEx::ClearFilter() {
    m_filters.clear();
    m_nFilterMode = kFilterAll;
}

bool CConditionEx::IsOK(int64_t key, const std::string& name, const std::set<std::string>& values,
                        const CHashTableInfo& info, const COrgInfo* documents) {
    if (EqualsNoCase(name, "POS")) {
        uint32_t tag = 0;
        if (!TagOf(key, info, tag)) return false;
        for (const std::string& value : values) {
            uint32_t id = 0;
            if (!info.GetDocPosID(value, id) || id == tag) return true;
        }
        return false;
    }
    int64_t doc = 0;
    std::string docValue;
    if (!DocumentOfSentence(info, documents, static_cast<uint64_t>(key), doc) ||
        !info.GetDocInfo(doc, name, docValue))
        return false;
    bool (*matches)(std::string_view, std::string_view) = nullptr;
    if (EqualsNoCase(name, "Cat") || EqualsNoCase(name, "mainclass"))
        matches = StartsLevel;
    else if (isBeginWith(name, "time_"))
        matches = IsTimeIn;
    else if (isBeginWith(name, "num_"))
        matches = IsValIn;
    for (const std::string& value : values) {
        if (matches ? matches(docValue, value) : docValue == value) return true;
    }
    return false;
}

bool CConditionEx::IsInFilter(int64_t key, const CHashTableInfo& info, const COrgInfo* documents) const {
    switch (m_nFilterMode) {
        case kFilterAll:
            for (const auto& [name, values] : m_filters)
                if (!IsOK(key, name, values, info, documents)) return false;
            return true;
        case kFilterAny:
            for (const auto& [name, values] : m_filters)
                if (IsOK(key, name, values, info, documents)) return true;
            return false;
        case kFilterNone:
            for (const auto& [name, values] : m_filters)
                if (IsOK(key, name, values, info, documents)) return false;
            return true;
        default:
            return true;
    }
}

}  // namespace qav
