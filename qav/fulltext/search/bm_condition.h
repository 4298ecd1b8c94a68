// Restrictions a query program puts on the documents of its later results:
// the base set with its include flag.
#pragma once

#include "qav/fulltext/search/bm_ret.h"

namespace qav {

class CConditionBM {
public:
    // With a slot: the base set becomes its documents, kept (include) or
    // left out (!include) from now on. Without one: the base set is emptied
    // and the flag stays.
    void SetBase(const CBMRet* slot, bool include);
    // True for a document that the base set lets through. A fresh condition
    // lets every document through.
    bool IsSetBaseOk(const bm::Posting& record) const { return m_Base.Contains(record) == m_bBaseInclude; }

    CForMergeBM m_Base;
    bool m_bBaseInclude = false;
};

}  // namespace qav
