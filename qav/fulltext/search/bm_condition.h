// Restrictions a query program puts on the documents of its results: the
// base set with its include flag, and the condition on document information
// that one filtering call applies.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <unordered_map>

#include "qav/fulltext/format/bm_files.h"
#include "qav/fulltext/search/bm_ret.h"
#include "qav/index/base/config.h"

namespace qav {

class CConditionBM {
public:
    // How the keys of the check map combine.
    enum Mode : uint32_t { kEveryKey = 0, kAnyKey = 1, kNoKey = 2 };

    // With a slot: the base set becomes its documents, kept (include) or
    // left out (!include) from now on. Without one: the base set is emptied
    // and the flag stays.
    void SetBase(const CBMRet* slot, bool include);
    // True for a document that the base set lets through. A fresh condition
    // lets every document through.
    bool IsSetBaseOk(const bm::Posting& record) const { return m_Base.Contains(record) == m_bBaseInclude; }

    // Parses "key=value;key=[v1 v2,v3];..." into the check map; mode 0 asks
    // for any key, -1 for no key, anything else for every key. An item
    // without "=" ends the parsing. A null or empty text changes nothing.
    void SetCondition(const char* text, int32_t mode);
    void Add2Check(const std::string& key, std::set<std::string> values) { m_CheckMap[key] = std::move(values); }
    // Empties the check map and asks for every key again; the base set stays.
    void Clear();
    // Whether a decoded document satisfies the check map in its mode.
    bool IsOk(const bm::CDocInfo& doc, const CConfig& config) const;

    std::unordered_map<std::string, std::set<std::string>> m_CheckMap;
    uint32_t m_nMode = kEveryKey;
    CForMergeBM m_Base;
    bool m_bBaseInclude = false;
};

// Key test of one document: one "|"-separated part of its value for key lies
// in a range of values ("DocInfo_Type_Number" keys), contains one of them
// ("DocInfo_Type_String" keys) or equals one ignoring ASCII case. A document
// without the key fails.
bool DocInfoIsOk(const bm::CDocInfo& doc, const std::string& key, const std::set<std::string>& values,
                 const CConfig& config);

}  // namespace qav
