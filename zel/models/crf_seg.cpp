#include "zel/models/crf_seg.h"

#include <cstdio>
#include <limits>

#include "zel/models/crf_model.h"

namespace zel {

void SetSegUnit(const CCRFModel& model, CItem& candidate, float stateScore, const std::vector<CColumn>& columns,
                int pos) {
    float best = -std::numeric_limits<float>::infinity();
    int back = -1;
    const std::vector<CItem>& previous = columns[pos - 1].items();
    for (size_t j = 0; j < previous.size(); ++j) {
        float s = model.TransitionScore(previous[j].index, candidate.index) + previous[j].score;
        if (back < 0 || s > best) {
            best = s;
            back = static_cast<int>(j);
        }
    }
    candidate.score = best + stateScore;
    candidate.back = back;
}

bool CRFPOS::CRFSeg(const CCRFModel* model, std::string_view gbk, std::string& out) {
    out.clear();
    if (model == nullptr) return false;
    InitColumn(gbk);
    InitSeg(*model);
    BuildSeg(*model);
    SearchSeg(*model);
    GetSeg();
    AddSegUnit(*model, out);
    return true;
}

void CRFPOS::InitColumn(std::string_view gbk) {
    input_.clear();
    for (size_t i = 0; i < gbk.size();) {
        size_t n = static_cast<unsigned char>(gbk[i]) < 0x80 || i + 1 == gbk.size() ? 1 : 2;
        input_.emplace_back(gbk.substr(i, n));
        i += n;
    }
}

void CRFPOS::InitSeg(const CCRFModel& model) { left_pads_ = InitSegColumns(model, input_, columns_); }

void CRFPOS::BuildSeg(const CCRFModel& model) {
    BuildSegColumns(model, columns_, left_pads_, static_cast<int>(input_.size()));
}

void CRFPOS::SearchSeg(const CCRFModel& model) {
    SearchSegColumns(model, columns_, left_pads_, static_cast<int>(input_.size()));
}

void CRFPOS::GetSeg() { GetSegTags(columns_, left_pads_, static_cast<int>(input_.size())); }

int InitSegColumns(const CCRFModel& model, const std::vector<std::string>& characters, std::vector<CColumn>& columns) {
    const int left = model.LeftPads();
    const int right = model.RightPads();
    columns.resize(left + characters.size() + right);
    char pad[32];
    int at = 0;
    for (int k = left; k >= 1; --k) {
        std::snprintf(pad, sizeof pad, "_B-%d", k);
        columns[at++].SetHZ(pad);
    }
    for (const std::string& ch : characters) columns[at++].SetHZ(ch);
    for (int k = 1; k <= right; ++k) {
        std::snprintf(pad, sizeof pad, "_B+%d", k);
        columns[at++].SetHZ(pad);
    }
    return left;
}

void BuildSegColumns(const CCRFModel& model, std::vector<CColumn>& columns, int leftPads, int count) {
    const int firstRight = leftPads + count;
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        const ColumnKind kind = i < leftPads     ? ColumnKind::kLeftPad
                                : i < firstRight ? ColumnKind::kSentence
                                                 : ColumnKind::kRightPad;
        columns[i].Candidate(model, kind);
    }
}

void SearchSegColumns(const CCRFModel& model, std::vector<CColumn>& columns, int leftPads, int count) {
    const int last = leftPads + count;  // the first right pad
    std::vector<int> ids;
    for (int i = leftPads; i <= last; ++i) {
        model.FeatureIds(columns, i, ids);
        for (CItem& candidate : columns[i].items())
            SetSegUnit(model, candidate, model.StateScore(candidate.index, ids), columns, i);
    }
}

void GetSegTags(std::vector<CColumn>& columns, int leftPads, int count) {
    const int pad = leftPads + count;
    int back = columns[pad].items().front().back;
    for (int i = pad - 1; i >= leftPads; --i) {
        const std::vector<CItem>& items = columns[i].items();
        if (back < 0 || back >= static_cast<int>(items.size())) back = 0;
        columns[i].SetPOS(items[back].tag);
        back = items[back].back;
    }
}

// Every character is written exactly once: a word still open when a B or the
// end of the text comes is closed there, and an E or M without a B starts its
// own word.
void CRFPOS::AddSegUnit(const CCRFModel& model, std::string& out) const {
    if (model.IsTwoLetter()) return;
    std::string word;
    bool open = false;
    auto close = [&]() {
        if (!word.empty()) {
            if (!out.empty()) out += ' ';
            out += word;
        }
        word.clear();
        open = false;
    };
    for (size_t k = 0; k < input_.size(); ++k) {
        const CColumn& column = columns_[left_pads_ + k];
        char letter = column.tag().empty() ? 'S' : column.tag()[0];
        if (letter == 'B' || letter == 'S') close();
        word += column.text();
        open = true;
        if (letter == 'E' || letter == 'S') close();
    }
    if (open) close();
}

bool CRFSeg(const CCRFModel* model, CRFPOS& handle, std::string_view gbk, std::string& out) {
    handle.CRFSeg(model, gbk, out);
    return true;
}

}  // namespace zel
