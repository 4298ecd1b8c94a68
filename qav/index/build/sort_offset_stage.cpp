#include "qav/index/build/sort_offset_stage.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "common/platform/file_handle.h"
#include "qav/index/format/index_files.h"
#include "qav/index/build/qav_idx.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/build/sort_regions.h"
#include "qav/index/build/sorting_engine.h"

namespace qav {

bool SortOffsetStage(const SortOffsetStageInput& input, CHashTable& splitHash) {
    const CConfig& config = *input.config;
    QavLog("Reading Data...\n");
    std::fflush(stdout);
    SortingEngine engine;
    if (!engine.Load(config.m_FileInfo.Data, *input.word_list, config.m_Language)) return false;

    std::vector<qz::FileHandle> files;
    for (int i = 0; i < input.offset_file_count; ++i) {
        const std::string path = DatFilePath(config.m_FileInfo.Offset, i);
        files.emplace_back(std::fopen(path.c_str(), "rb+"));
        if (!files.back()) {
            QavLog("Error open %s\n", path.c_str());
            return false;
        }
    }

    const RecordCompareContext corpus = engine.Corpus(config.m_SizeInfo.SortCompWordLen);
    SortRegionsInput regions;
    regions.units = input.units;
    regions.merged = input.merged;
    for (const qz::FileHandle& file : files) regions.offset_files.push_back(file.get());
    regions.corpus = &corpus;
    regions.order = input.order;
    regions.order.context = const_cast<RecordCompareContext*>(&corpus);
    const RecordSortKeys keys(corpus);
    regions.order.keys = &keys;
    regions.threads = config.m_SizeInfo.ThreadNum_Sort;
    regions.max_unit_count_to_sort = config.m_SizeInfo.MaxUnitCount_ToSort;
    bool ok = SortUnitRegions(regions, splitHash);

    // Records go to the files by positioned writes; closing reports what the
    // system could not write after all.
    for (qz::FileHandle& file : files)
        if (std::fclose(file.release()) != 0) ok = false;
    return ok;
}

bool CQAVIdx::SortOffset() {
    SortOffsetStageInput input;
    input.config = &m_Config;
    input.word_list = &m_WordList_W;
    input.units = &m_WordList_U;
    input.merged = &m_Tables.units;
    input.offset_file_count = m_nOffsetFileCount;
    input.order = {Cmp_TagL, Cmp_TagR, Cmp_ML, nullptr};
    return SortOffsetStage(input, m_SplitUnitHash);
}

}  // namespace qav
