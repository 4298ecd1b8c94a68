// Plain segmentation of a GBK text with the segmentation model, and the
// handle that the segmentation and tagging functions work in.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "zel/models/crf_column.h"

namespace zel {

class CCRFModel;
class CDictSearch;

// One Viterbi step: the candidate's score becomes the best of the previous
// column's scores plus the transition and its own state score.
void SetSegUnit(const CCRFModel& model, CItem& candidate, float stateScore, const std::vector<CColumn>& columns,
                int pos);

// The search over a character sequence, shared by the plain and the lattice
// front ends. Search columns: left pads, one column per character, right
// pads; returns the number of left pads.
int InitSegColumns(const CCRFModel& model, const std::vector<std::string>& characters, std::vector<CColumn>& columns);
// Candidates of every column (sentence columns honour their allowed tags).
void BuildSegColumns(const CCRFModel& model, std::vector<CColumn>& columns, int leftPads, int count);
// Viterbi over the sentence columns and the first right pad.
void SearchSegColumns(const CCRFModel& model, std::vector<CColumn>& columns, int leftPads, int count);
// The best path's tags into the sentence columns' tag fields.
void GetSegTags(std::vector<CColumn>& columns, int leftPads, int count);

class CRFPOS {
public:
    // Words of the text separated by one blank; false without a model.
    bool CRFSeg(const CCRFModel* model, std::string_view gbk, std::string& out);

    // Tagging (pos_tagger.cpp): one column per word; search; read-out.
    void InitLattice(const std::vector<std::string>& words, const CDictSearch* dict);
    void Search(const CDictSearch* dict);
    void GetPOS(std::string& out, size_t limit) const;
    static float GetBigram(const CDictSearch* dict, const std::string& a, const std::string& b);

    const std::vector<CColumn>& columns() const { return columns_; }

private:
    void InitColumn(std::string_view gbk);
    void InitSeg(const CCRFModel& model);
    void BuildSeg(const CCRFModel& model);
    void SearchSeg(const CCRFModel& model);
    void GetSeg();
    void AddSegUnit(const CCRFModel& model, std::string& out) const;

    std::vector<CColumn> columns_;  // search columns
    std::vector<std::string> input_;  // characters, or words when tagging
    int left_pads_ = 0;
};

// Forwards to the handle; always true.
bool CRFSeg(const CCRFModel* model, CRFPOS& handle, std::string_view gbk, std::string& out);

}  // namespace zel
