// The acceptance test of one hit: admission of its sentence, its span, and
// the conditions on its parts.
#include "qav/search/qav_search.h"

bool CQAVSearch::IsOk(const CRetInfo& hit, int width) {
    return IsWordAt(m_Corpus, hit.file_no, hit.position) && GetSplitedRet(hit, width) && m_Condition.IsOK(m_SplitedRet);
}

bool CQAVSearch::IsOKContext(const CAtomRet& atom, const OffsetRecordInfo& record, CRetInfo& hit, int width,
                             bool skipBase) {
    hit.Clear();
    return IsOverFlow(m_Corpus, record.position, record.fileNo, record.wordIndex) &&
           IsInLimit(record.fileNo, record.position, skipBase) && MakeRetInfo(m_Corpus, atom.m_Query, record, hit) &&
           IsOk(hit, width);
}
