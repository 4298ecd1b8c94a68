#include "qav/index/thread_info.h"

#include "qav/index/config.h"

void CThreadInfo::SetThreadInfo(CHashTable* unitHash, CHashTable* wordHash, const std::vector<std::string>& groupFiles,
                                const std::vector<int>& groupKinds, const std::string& dataPath,
                                const std::string& idPath, uint32_t number, const CWordList* unitList,
                                CConfig* configuration, COrgInfo* orgInfo, CHashTable* mergedUnitHash) {
    unit_hash = unitHash;
    word_hash = wordHash;
    files = groupFiles;
    kinds = groupKinds;
    data_path = dataPath;
    id_path = idPath;
    group = number;
    unit_list = unitList;
    config = configuration;
    org_info = orgInfo;
    merged_unit_hash = mergedUnitHash;
    ok = true;
}

int CThreadInfo::FileKind(size_t i) const {
    if (i < kinds.size() && kinds[i] >= 0) return kinds[i];
    return config->m_CorpusKind;
}
