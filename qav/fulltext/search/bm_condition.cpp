#include "qav/fulltext/search/bm_condition.h"

namespace qav {

void CConditionBM::SetBase(const CBMRet* slot, bool include) {
    if (!slot) {
        m_Base.Clear();
        return;
    }
    m_Base.Clear();
    m_Base.SetHashTag(*slot);
    m_bBaseInclude = include;
}

}  // namespace qav
