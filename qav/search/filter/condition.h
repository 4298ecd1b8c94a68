// What a query program asks of its hits beyond the pattern: conditions on the
// text parts of a hit (the condition language), document checks and filters
// on the sentence and document information, and a base set of sentences that
// hits must (or must not) come from. One per search object.
#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "qav/index/wordtable/table_cluster.h"

namespace qav {

class CConditionEx;
class CHashTableInfo;
class COrgInfo;
class CQAVSearch;
class CSplitedRet;

// Parts of a hit that a condition key names.
enum CondPart : int32_t {
    kPartGroup1 = 1,  // $1
    kPartGroup2 = 2,  // $2
    kPartBefore = 3,  // $B
    kPartEnd = 4,     // $E
    kPartMatch = 5,   // $Q
    kPartGroups = 6,  // $1 with $2
};

// The print items, in the order of CConditionEx::m_bPrint.
enum PrintFlag {
    kPrint1,
    kPrint2,
    kPrint3,
    kPrintB,
    kPrintE,
    kPrint12,
    kPrint23,
    kPrint13,
    kPrint123,
    kPrintFlagCount
};

// The five texts of a hit that conditions read.
struct CCondTexts {
    std::string_view group1, group2, before, end, match;
};

// A check over the texts of a hit; flag 0 asks for the negation.
using CondCheckFunc = bool (*)(const CConditionEx& cond, const std::string& key, int32_t part,
                               int32_t number, int32_t flag, const CCondTexts& texts);
// A check over the before, end and match texts and the word list of a hit.
using CondWordsFunc = bool (*)(const CConditionEx& cond, const std::string& key, int32_t part,
                               int32_t number, int32_t flag, const CCondTexts& texts,
                               const std::vector<std::string>& words);

struct CFuncInfo {
    CondCheckFunc check = nullptr;
    CondWordsFunc words = nullptr;
    int32_t part = 0;
    int32_t flag = 1;

    void SetInfo(CondCheckFunc func, int32_t partCode, int32_t flagValue);
    void SetInfo(CondWordsFunc func, int32_t partCode, int32_t flagValue);
};

// A condition item that is no key of the condition language, tested against
// the document information of a hit's sentence: name=value, or
// name=[v1 v2 ...].
struct CDocCheck {
    std::string name;
    std::string value;               // the whole text after the first "="
    bool hasList = false;            // the value holds a "["
    std::vector<std::string> list;   // the words inside the brackets
};

class CConditionEx {
public:
    CConditionEx();
    CConditionEx(const CConditionEx&) = delete;
    CConditionEx& operator=(const CConditionEx&) = delete;

    // Replaces the condition by the one parsed from text (items separated by
    // ";", "," or "`"); a null or empty text leaves no condition.
    void SetCondition(const char* text);
    // Empties the word tables, checks, numbers, filters and print flags. The
    // base, the base mode, the filter mode and the word ratio stay.
    void Clear();
    // Adds a text to the checks.
    void Add2Check(const std::string& text);
    // Files a filter entry, replacing an earlier one of that name.
    void Add2Check(const std::string& name, const std::set<std::string>& values);

    // True when every check of the condition language holds for one hit.
    bool IsOK(std::string_view group1, std::string_view group2, std::string_view before,
              std::string_view end, std::string_view match, const std::vector<std::string>& words);

    // The same over the parts of a hit as the result builders fill them.
    bool IsOK(const CSplitedRet& parts);

    // Document checks: every condition item that is no key of the condition
    // language must hold for the sentence key. The document of a sentence without
    // sentence information comes from documents (when given).
    bool IsOK(int64_t key, const CHashTableInfo& info, const COrgInfo* documents = nullptr) const;
    // One document check against one sentence key.
    static bool IsOK(int64_t key, const CDocCheck& check, const CHashTableInfo& info,
                     const COrgInfo* documents = nullptr);

    // Adds the filter entries of text ("name=value" or "name=[v1 v2]",
    // separated by ";") and sets the filter mode: 0 any entry, -1 none of
    // them, any other value all of them. A null or empty text changes nothing.
    void SetFilter(const char* text, int mode);
    // Empties the filters; mode "all".
    void ClearFilter();
    // One filter entry against one sentence key.
    static bool IsOK(int64_t key, const std::string& name, const std::set<std::string>& values,
                     const CHashTableInfo& info, const COrgInfo* documents = nullptr);
    // The filter entries combined by the filter mode.
    bool IsInFilter(int64_t key, const CHashTableInfo& info, const COrgInfo* documents = nullptr) const;

    // Makes the hits of the result named by handle the base: with keep, only
    // hits of its sentences (with variant, of its documents) are admitted
    // from now on; without keep, they are excluded. The result is consumed.
    // A handle of no slot only sets the mode. Returns true.
    bool SetBase(CQAVSearch& search, uint64_t handle, bool keep, bool variant);
    // Base test of a sentence key: true when no base was set, else whether
    // the mode admits the sentence.
    bool IsInBase(int64_t key, const CHashTableInfo& info, const COrgInfo* documents = nullptr) const;
    // Forgets the base set (the mode stays).
    void BaseExit();
    bool HasBase() const { return m_bBaseSet; }

    const std::set<std::string>& Checks() const { return m_checks; }
    float WordRatio() const { return m_fWordRatio; }

    // Filter modes.
    static constexpr int32_t kFilterAll = 0;
    static constexpr int32_t kFilterAny = 1;
    static constexpr int32_t kFilterNone = 2;

    std::unordered_map<std::string, std::set<std::string>> m_filters;
    int32_t m_nFilterMode = kFilterAll;
    std::array<bool, kPrintFlagCount> m_bPrint{};
    // True admits only the base; false excludes it.
    bool m_bBaseMode = true;

private:
    // The text of a part; false for a code that names no single part.
    static bool GetToCheck(int32_t part, const CCondTexts& texts, std::string_view& text);

    // Check functions of the keyword table.
    static bool mid(const CConditionEx&, const std::string&, int32_t, int32_t, int32_t, const CCondTexts&);
    static bool beg(const CConditionEx&, const std::string&, int32_t, int32_t, int32_t, const CCondTexts&);
    static bool end(const CConditionEx&, const std::string&, int32_t, int32_t, int32_t, const CCondTexts&);
    static bool equ(const CConditionEx&, const std::string&, int32_t, int32_t, int32_t, const CCondTexts&);
    static bool leq(const CConditionEx&, const std::string&, int32_t, int32_t, int32_t, const CCondTexts&);
    static bool llt(const CConditionEx&, const std::string&, int32_t, int32_t, int32_t, const CCondTexts&);
    static bool lgt(const CConditionEx&, const std::string&, int32_t, int32_t, int32_t, const CCondTexts&);
    static bool equ2(const CConditionEx&, const std::string&, int32_t, int32_t, int32_t, const CCondTexts&);
    static bool leq2(const CConditionEx&, const std::string&, int32_t, int32_t, int32_t, const CCondTexts&);
    static bool lgt2(const CConditionEx&, const std::string&, int32_t, int32_t, int32_t, const CCondTexts&);
    static bool llt2(const CConditionEx&, const std::string&, int32_t, int32_t, int32_t, const CCondTexts&);
    static bool midWords(const CConditionEx&, const std::string&, int32_t, int32_t, int32_t,
                         const CCondTexts&, const std::vector<std::string>&);

    void BuildKeywordTable();
    // Files the words of a bracketed list as the table named key.
    void AddWordTable(const std::string& key, const std::string& list);
    void ParseItem(const std::string& item);
    static CDocCheck ParseDocCheck(const std::string& text);

    std::unordered_map<std::string, CFuncInfo> m_funcs;
    CTableCluster m_tables;
    std::set<std::string> m_checks;
    // Checks tested by the hit test, and those tested against the document
    // information, sorted out as they are added.
    std::vector<std::pair<std::string, const CFuncInfo*>> m_keyChecks;
    std::vector<CDocCheck> m_docChecks;
    std::unordered_map<std::string, int32_t> m_numbers;
    float m_fWordRatio = 0.99f;

    // Base key of a sentence: its sentence key, or its document number at
    // document level; false when a document-level key has no document.
    bool BaseKey(int64_t key, const CHashTableInfo* info, const COrgInfo* documents, uint64_t& baseKey) const;

    // Keys of the base set, sorted and held exactly, so that neither a
    // sentence at the same position of another data file nor a hash
    // collision joins it; eight bytes a key keep a large base affordable.
    std::vector<uint64_t> m_BaseKeys;
    bool m_bBaseSet = false;
    bool m_bBaseDocLevel = false;
};

}  // namespace qav
