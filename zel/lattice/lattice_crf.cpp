// CRF segmentation of the lattice's sentence: word units already in the
// lattice restrict the tags of their columns, and the words found are added
// as word units.
#include <string>

#include "zel/lattice/lattice.h"
#include "zel/models/crf_model.h"
#include "zel/models/crf_seg.h"

namespace zel {

namespace {

// The latest word unit of a column, its first two units not examined.
CUnit* LastWordUnit(CCandidate& column) {
    for (int i = column.unitCount - 1; i >= 2; --i) {
        CUnit& unit = column.units[static_cast<size_t>(i)];
        if (unit.UnitType == kUnitWord) return &unit;
    }
    return nullptr;
}

}  // namespace

bool CLattice::CRFSeg(const CCRFModel* model, bool userTable) {
    if (!model) return false;
    InitSeg(*model, userTable);
    BuildSegColumns(*model, crfColumns, crfLeftPads, columnCount);
    SearchSegColumns(*model, crfColumns, crfLeftPads, columnCount);
    GetSegTags(crfColumns, crfLeftPads, columnCount);
    AddSegUnit(*model);
    return true;
}

void CLattice::InitSeg(const CCRFModel& model, bool userTable) {
    std::vector<std::string> characters;
    characters.reserve(static_cast<size_t>(columnCount));
    for (int c = 0; c < columnCount; ++c) characters.push_back(columns[static_cast<size_t>(c)].text);
    crfLeftPads = InitSegColumns(model, characters, crfColumns);
    crfColumnCount = static_cast<int>(crfColumns.size());
    auto allow = [&](int c, const char* tag) { crfColumns[static_cast<size_t>(crfLeftPads + c)].AddTag(tag); };

    for (int c = columnCount - 1; c >= 0;) {
        const CUnit* word = LastWordUnit(columns[static_cast<size_t>(c)]);
        if (!word || word->From < 0 || word->From > c) {
            --c;
            continue;
        }
        const int f = word->From;
        if (model.IsTwoLetter()) {
            allow(f, "B");
            if (f != c)
                for (int k = f; k <= c; ++k) allow(k, "E");
        } else if (f == c) {
            allow(f, "S");
        } else {
            allow(f, "B");
            allow(c, "E");
            for (int k = userTable ? f + 1 : f; k <= (userTable ? c - 1 : c); ++k) allow(k, "M");
        }
        c = f - 1;
        // Before a word of the user's table a word ends.
        if (userTable && c >= 0) {
            allow(c, "E");
            allow(c, "S");
            --c;
        }
    }
}

void CLattice::AddSegUnit(const CCRFModel& model) {
    std::string id;
    auto add = [&](int from, int to) -> CUnit* {
        if (!AddNewUnit(to, GetStr(from, to).c_str(), kUnitWord, id, -1, true, "") || id.empty()) return nullptr;
        return GetLatticeUnit(id.c_str());
    };
    auto tagOf = [&](int c) -> const std::string& { return crfColumns[static_cast<size_t>(crfLeftPads + c)].tag(); };

    if (!model.IsTwoLetter()) {
        int start = -1;
        for (int c = 0; c < columnCount; ++c) {
            const char letter = tagOf(c).empty() ? 'S' : tagOf(c)[0];
            if (letter == 'S') add(c, c);
            if (letter == 'B') start = c;
            if (letter == 'E' && start >= 0) add(start, c);
        }
        return;
    }
    // Two-letter models: B starts a word, anything else continues it; the
    // word takes the tag suffix of its last column as its part of speech.
    auto close = [&](int from, int to) {
        if (from < 0 || to < from) return;
        CUnit* unit = add(from, to);
        const std::string& tag = tagOf(to);
        const std::string suffix = tag.size() > 1 ? tag.substr(1) : "";
        if (!unit || suffix.empty()) return;
        unit->Insert2UnitKV("POS", suffix.c_str());
        unit->SetPOS(suffix.c_str());
    };
    int start = -1;
    for (int c = 0; c < columnCount; ++c) {
        if (!tagOf(c).empty() && tagOf(c)[0] == 'B') {
            close(start, c - 1);
            start = c;
        } else if (start < 0) {
            start = c;
        }
    }
    close(start, columnCount - 1);
}

}  // namespace zel
