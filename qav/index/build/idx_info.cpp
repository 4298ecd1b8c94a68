// The word list file and the unit index file of a build.
#include "qav/index/build/qav_idx.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/build/word_lists.h"

namespace qav {

bool CQAVIdx::WriteIdxInfo() {
    ToWordList(m_SplitUnitHash, m_ChunkList, 0);
    const CFileInfo& files = m_Config.m_FileInfo;
    if (!m_WordList_W.Write2FileEx(files.WordList, files.WordListInInfo)) {
        QavLog("Error open %s!\n", files.WordList.c_str());
        return false;
    }
    return WriteIdxUnit2File(files.Unit, files.UnitInInfo);
}

}  // namespace qav
