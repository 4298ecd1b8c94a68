// The check functions of the condition language. Each returns whether its
// comparison holds, negated when the key's flag is 0.
#include "qav/search/filter/condition.h"

namespace qav {

namespace {

bool Flagged(bool holds, int32_t flag) { return flag ? holds : !holds; }

// Characters of a GBK text: two bytes count one.
int64_t CharLength(std::string_view text) { return static_cast<int64_t>(text.size() / 2); }

}  // namespace

bool CConditionEx::GetToCheck(int32_t part, const CCondTexts& texts, std::string_view& text) {
    switch (part) {
        case kPartGroup1: text = texts.group1; return true;
        case kPartGroup2: text = texts.group2; return true;
        case kPartBefore: text = texts.before; return true;
        case kPartEnd: text = texts.end; return true;
        case kPartMatch: text = texts.match; return true;
        default: return false;
    }
}

bool CConditionEx::mid(const CConditionEx& cond, const std::string& key, int32_t part, int32_t,
                       int32_t flag, const CCondTexts& texts) {
    std::string_view text;
    const bool holds = GetToCheck(part, texts, text) && cond.m_tables.IsStrMid(text, key.c_str());
    return Flagged(holds, flag);
}

bool CConditionEx::beg(const CConditionEx& cond, const std::string& key, int32_t part, int32_t,
                       int32_t flag, const CCondTexts& texts) {
    std::string_view text;
    const bool holds = GetToCheck(part, texts, text) && cond.m_tables.IsStrBegin(text, key.c_str());
    return Flagged(holds, flag);
}

bool CConditionEx::end(const CConditionEx& cond, const std::string& key, int32_t part, int32_t,
                       int32_t flag, const CCondTexts& texts) {
    std::string_view text;
    const bool holds = GetToCheck(part, texts, text) && cond.m_tables.IsStrEnd(text, key.c_str());
    return Flagged(holds, flag);
}

bool CConditionEx::equ(const CConditionEx& cond, const std::string& key, int32_t part, int32_t,
                       int32_t flag, const CCondTexts& texts) {
    std::string_view text;
    std::string value;
    uint32_t number = 0;
    const bool holds =
        GetToCheck(part, texts, text) && cond.m_tables.IsStrEqual(text, key.c_str(), value, number);
    return Flagged(holds, flag);
}

bool CConditionEx::leq(const CConditionEx&, const std::string&, int32_t part, int32_t number,
                       int32_t flag, const CCondTexts& texts) {
    std::string_view text;
    return Flagged(GetToCheck(part, texts, text) && CharLength(text) == number, flag);
}

bool CConditionEx::llt(const CConditionEx&, const std::string&, int32_t part, int32_t number,
                       int32_t flag, const CCondTexts& texts) {
    std::string_view text;
    return Flagged(GetToCheck(part, texts, text) && CharLength(text) < number, flag);
}

bool CConditionEx::lgt(const CConditionEx&, const std::string&, int32_t part, int32_t number,
                       int32_t flag, const CCondTexts& texts) {
    std::string_view text;
    return Flagged(GetToCheck(part, texts, text) && CharLength(text) > number, flag);
}

bool CConditionEx::equ2(const CConditionEx&, const std::string&, int32_t, int32_t, int32_t flag,
                        const CCondTexts& texts) {
    return Flagged(texts.group1 == texts.group2, flag);
}

bool CConditionEx::leq2(const CConditionEx&, const std::string&, int32_t, int32_t, int32_t flag,
                        const CCondTexts& texts) {
    return Flagged(texts.group1.size() == texts.group2.size(), flag);
}

bool CConditionEx::lgt2(const CConditionEx&, const std::string&, int32_t, int32_t, int32_t flag,
                        const CCondTexts& texts) {
    return Flagged(texts.group1.size() > texts.group2.size(), flag);
}

bool CConditionEx::llt2(const CConditionEx&, const std::string&, int32_t, int32_t, int32_t flag,
                        const CCondTexts& texts) {
    return Flagged(texts.group1.size() < texts.group2.size(), flag);
}

bool CConditionEx::midWords(const CConditionEx& cond, const std::string& key, int32_t, int32_t,
                            int32_t flag, const CCondTexts& texts,
                            const std::vector<std::string>& words) {
    std::string line;
    line.reserve(texts.before.size() + texts.match.size() + texts.end.size());
    line.append(texts.before).append(texts.match).append(texts.end);
    if (!Flagged(cond.m_tables.IsStrMid(line, key.c_str()), flag)) return false;
    // A word found in the line already proves that the table exists.
    std::string table;
    if (!flag && !cond.m_tables.GetTable(key.c_str(), table)) return false;

    int64_t outside = 0;
    std::string value;
    uint32_t number = 0;
    for (const std::string& word : words) {
        if (!cond.m_tables.IsStrEqual(word, key.c_str(), value, number)) ++outside;
    }
    const double ratio = cond.m_fWordRatio;
    if (ratio >= 1) return static_cast<double>(outside) <= ratio;
    if (ratio >= 0 && !words.empty()) return static_cast<double>(outside) / static_cast<double>(words.size()) <= ratio;
    return true;
}

}  // namespace qav
