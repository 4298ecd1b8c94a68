#include "qav/fulltext/search/bm_condition.h"

#include <strings.h>

#include <vector>

#include "common/text/text_utils.h"
#include "qav/search/filter/range_match.h"

namespace qav {

namespace {

// Keys and values are cut to what the condition buffers of the format hold.
constexpr size_t kMaxConditionText = 2047;

std::string Bounded(std::string text) {
    if (text.size() > kMaxConditionText) text.resize(kMaxConditionText);
    return text;
}

// The parts of a value between "|" separators, stepping over two-byte
// characters so that a trail byte is never taken for the separator.
std::vector<std::string> ValueParts(const std::string& value) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < value.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        if (c >= 0x80 && i + 1 < value.size()) {
            parts.back().append(value, i, 2);
            ++i;
        } else if (c == '|') {
            parts.emplace_back();
        } else {
            parts.back() += value[i];
        }
    }
    return parts;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

void CConditionBM::SetBase(const CBMRet* slot, bool include) {
    m_Base.Clear();
    if (!slot) return;
    m_Base.SetHashTag(*slot);
    m_bBaseInclude = include;
}

void CConditionBM::Clear() {
    m_CheckMap.clear();
    m_nMode = kEveryKey;
}

void CConditionBM::SetCondition(const char* text, int32_t mode) {
    if (!text || !*text) return;
    m_nMode = mode == 0 ? kAnyKey : mode == -1 ? kNoKey : kEveryKey;
    std::vector<std::string> items;
    qz::SplitString(text, ";", items);
    for (const std::string& item : items) {
        const size_t equals = item.find('=');
        if (equals == std::string::npos) break;
        const std::string key = Bounded(item.substr(0, equals));
        std::set<std::string> values;
        if (item.compare(equals, 2, "=[") == 0) {
            const std::string list = Bounded(item.substr(equals + 2, item.size() - equals - 3));
            qz::SplitStringEx(list.c_str(), " ,;", values);
        } else {
            values.insert(Bounded(item.substr(equals + 1)));
        }
        Add2Check(key, std::move(values));
    }
}

bool CConditionBM::IsOk(const bm::CDocInfo& doc, const CConfig& config) const {
    for (const auto& [key, values] : m_CheckMap) {
        const bool passes = DocInfoIsOk(doc, key, values, config);
        if (m_nMode == kEveryKey && !passes) return false;
        if (m_nMode == kAnyKey && passes) return true;
        if (m_nMode == kNoKey && passes) return false;
    }
    return m_nMode != kAnyKey;
}

bool DocInfoIsOk(const bm::CDocInfo& doc, const std::string& key, const std::set<std::string>& values,
                 const CConfig& config) {
    const auto entry = doc.info.find(key);
    if (entry == doc.info.end()) return false;
    const bool numeric = config.m_DocInfoTypeNumber.count(key) != 0;
    const bool substring = config.m_DocInfoTypeString.count(key) != 0;
    for (const std::string& part : ValueParts(entry->second)) {
        for (const std::string& value : values) {
            if (numeric && IsTimeIn(part, value)) return true;
            if (substring && part.find(value) != std::string::npos) return true;
            if (EqualIgnoringCase(part, value)) return true;
        }
    }
    return false;
}

}  // namespace qav
