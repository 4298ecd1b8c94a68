#include "qav/search/filter/condition.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "qav/index/base/qav_log.h"
#include "common/text/text_utils.h"
#include "qav/search/filter/cat_tags.h"
#include "qav/search/filter/cond_text.h"
#include "qav/search/filter/splited_ret.h"

namespace qav {

namespace {

// Condition items and their word lists are at most this long.
constexpr size_t kMaxConditionItem = 1023;

constexpr const char* kPrintItems[kPrintFlagCount] = {
    "print($1)",   "print($2)",   "print($3)",   "print($B)",     "print($E)",
    "print($1$2)", "print($2$3)", "print($1$3)", "print($1$2$3)",
};

// Items beginning with one of these compare the lengths of the two groups.
constexpr const char* kPairLengthKeys[] = {
    "len($1)=len($2)",  "len($2)=len($1)",  "len($1)!=len($2)", "len($2)!=len($1)",
    "len($2)>len($1)",  "len($1)>len($2)",  "len($2)<len($1)",  "len($1)<len($2)",
};

constexpr const char* kWordRatioPrefix = "$WordsNum=";

struct PartMarker {
    const char* text;
    int32_t part;
};
constexpr PartMarker kParts[] = {
    {"$1", kPartGroup1}, {"$2", kPartGroup2}, {"$B", kPartBefore}, {"$E", kPartEnd}, {"$Q", kPartMatch},
};

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// A decimal number from the start of text, clamped to 32 bits.
int32_t DecimalPrefix(std::string_view text) {
    int64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        number = number * 10 + (c - '0');
        if (number > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(number);
}

}  // namespace

void CFuncInfo::SetInfo(CondCheckFunc func, int32_t partCode, int32_t flagValue) {
    check = func;
    words = nullptr;
    part = partCode;
    flag = flagValue;
}

void CFuncInfo::SetInfo(CondWordsFunc func, int32_t partCode, int32_t flagValue) {
    check = nullptr;
    words = func;
    part = partCode;
    flag = flagValue;
}

CConditionEx::CConditionEx() {
    BuildKeywordTable();
    m_tables.TableClusterInit();
}

void CConditionEx::BuildKeywordTable() {
    struct WordForm {
        const char* name;
        CondCheckFunc func;
    };
    const WordForm forms[] = {{"mid", mid}, {"beg", beg}, {"end", end}, {"equ", equ}};
    for (const PartMarker& p : kParts) {
        const std::string part = p.text;
        for (const WordForm& form : forms) {
            m_funcs[std::string(form.name) + "(" + part + ")="].SetInfo(form.func, p.part, 1);
            m_funcs[std::string(form.name) + "(" + part + ")!="].SetInfo(form.func, p.part, 0);
        }
        m_funcs[part + "="].SetInfo(equ, p.part, 1);
        m_funcs[part + "!="].SetInfo(equ, p.part, 0);
        m_funcs["len(" + part + ")="].SetInfo(leq, p.part, 1);
        m_funcs["len(" + part + ")!="].SetInfo(leq, p.part, 0);
        m_funcs["len(" + part + ")<"].SetInfo(llt, p.part, 1);
        m_funcs["len(" + part + ")>"].SetInfo(lgt, p.part, 1);
    }
    m_funcs["$Words="].SetInfo(midWords, kPartGroup1, 1);
    m_funcs["$1=$2"].SetInfo(equ2, kPartGroups, 1);
    m_funcs["$2=$1"].SetInfo(equ2, kPartGroups, 1);
    m_funcs["$1!=$2"].SetInfo(equ2, kPartGroups, 0);
    m_funcs["$2!=$1"].SetInfo(equ2, kPartGroups, 0);
    m_funcs["len($1)=len($2)"].SetInfo(leq2, kPartGroups, 1);
    m_funcs["len($2)=len($1)"].SetInfo(leq2, kPartGroups, 1);
    m_funcs["len($1)!=len($2)"].SetInfo(leq2, kPartGroups, 0);
    m_funcs["len($2)!=len($1)"].SetInfo(leq2, kPartGroups, 0);
    // The reversed forms state the same strict comparison from $2's side.
    m_funcs["len($1)>len($2)"].SetInfo(lgt2, kPartGroups, 1);
    m_funcs["len($2)<len($1)"].SetInfo(lgt2, kPartGroups, 1);
    m_funcs["len($1)<len($2)"].SetInfo(llt2, kPartGroups, 1);
    m_funcs["len($2)>len($1)"].SetInfo(llt2, kPartGroups, 1);
}

void CConditionEx::Clear() {
    m_tables.TableClusterExit();
    m_tables.TableClusterInit();
    m_checks.clear();
    m_keyChecks.clear();
    m_docChecks.clear();
    m_numbers.clear();
    m_filters.clear();
    m_bPrint.fill(false);
}

void CConditionEx::Add2Check(const std::string& text) {
    if (!m_checks.insert(text).second) return;
    auto func = m_funcs.find(text);
    if (func != m_funcs.end()) {
        m_keyChecks.emplace_back(text, &func->second);
        return;
    }
    // The word ratio is read by the hit test; an item without "=" passes
    // every document.
    if (StartsWith(text, kWordRatioPrefix) || text.find('=') == std::string::npos) return;
    m_docChecks.push_back(ParseDocCheck(text));
}

void CConditionEx::AddWordTable(const std::string& key, const std::string& list) {
    std::vector<std::string> words;
    qz::SplitString(list.c_str(), " ,;", words);
    std::set<std::string> expanded;
    SetBITEx(words, expanded);
    m_tables.Insert(expanded, key.c_str());
    Add2Check(key);
}

void CConditionEx::SetCondition(const char* text) {
    Clear();
    if (!text || !*text) return;
    std::vector<std::string> items;
    qz::SplitString(text, ";,`", items);
    for (const std::string& item : items) {
        if (item.size() > kMaxConditionItem) {
            QavLog("Condition item of %zu bytes ignored\n", item.size());
            continue;
        }
        ParseItem(item);
    }
}

void CConditionEx::ParseItem(const std::string& item) {
    const std::string trimmed = qz::TrimBlanks(item);
    for (int i = 0; i < kPrintFlagCount; ++i) {
        if (trimmed == kPrintItems[i]) m_bPrint[static_cast<size_t>(i)] = true;
    }

    const size_t negated = item.find("!=[");
    if (negated != std::string::npos) {
        AddWordTable(item.substr(0, negated + 2), std::string(ListText(std::string_view(item).substr(negated + 3))));
        return;
    }
    const size_t listed = item.find("=[");
    if (listed != std::string::npos) {
        if (StartsWithNoCase(item, "pos"))
            Add2Check(item);
        else
            AddWordTable(item.substr(0, listed + 1), std::string(ListText(std::string_view(item).substr(listed + 2))));
        return;
    }
    for (const char* pairKey : kPairLengthKeys) {
        if (StartsWith(item, pairKey)) {
            Add2Check(item);
            return;
        }
    }
    if (StartsWith(item, "len($")) {
        // The part letter is the sixth character; the number starts at the
        // first digit after it.
        size_t digit = 6;
        while (digit < item.size() && (item[digit] < '0' || item[digit] > '9')) ++digit;
        const std::string key = item.substr(0, digit);
        m_numbers[key] = DecimalPrefix(std::string_view(item).substr(digit));
        Add2Check(key);
        return;
    }
    Add2Check(item);
}

bool CConditionEx::IsOK(std::string_view group1, std::string_view group2, std::string_view before,
                        std::string_view end, std::string_view match,
                        const std::vector<std::string>& words) {
    if (m_checks.empty()) return true;
    auto ratio = m_checks.lower_bound(kWordRatioPrefix);
    if (ratio != m_checks.end() && StartsWith(*ratio, kWordRatioPrefix))
        m_fWordRatio = std::strtof(ratio->c_str() + std::strlen(kWordRatioPrefix), nullptr);

    const CCondTexts texts{group1, group2, before, end, match};
    for (const auto& [key, info] : m_keyChecks) {
        auto number = m_numbers.find(key);
        const int32_t n = number == m_numbers.end() ? 0 : number->second;
        const bool ok = info->words ? info->words(*this, key, info->part, n, info->flag, texts, words)
                                    : info->check(*this, key, info->part, n, info->flag, texts);
        if (!ok) return false;
    }
    return true;
}

bool CConditionEx::IsOK(const CSplitedRet& parts) {
    return IsOK(parts.m_Group1, parts.m_Group2, parts.m_Before, parts.m_End, parts.m_Match, parts.m_Words);
}

}  // namespace qav
