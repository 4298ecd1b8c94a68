// Segmentation and tagging for a host program: UTF-8 at the interface, GBK
// inside.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "common/text/encoding.h"
#include "common/text/gbk_char.h"
#include "include/zellib.h"
#include "zel/lattice/lattice.h"
#include "zel/models/crf_seg.h"
#include "zel/models/pos_tagger.h"
#include "zel/models/seg_globals.h"
#include "zel/service/table_seg.h"

namespace {

// Longest GBK text a segmentation takes, terminator included.
constexpr size_t kMaxSegTextBytes = 65536;

std::string ToGbk(const char* utf8, size_t capacity) {
    // The converter writes whole characters only while they fit the room it is
    // given; one byte is kept back for the terminator.
    // A GBK text is never longer than its UTF-8 form.
    size_t room = std::min(std::strlen(utf8), capacity - 1);
    std::vector<char> gbk(room + 1, '\0');
    int n = utf8_to_gbk(utf8, gbk.data(), static_cast<int>(room));
    if (n < 0) return std::string();
    size_t length = static_cast<size_t>(n) < room ? n : strnlen(gbk.data(), room);
    return std::string(gbk.data(), length);
}

// Copies the answer as UTF-8 into out (at most ZEL_SEG_ANSWER_BYTES bytes with
// the terminator) and returns its length.
int WriteAnswer(const std::string& gbk, char* out) {
    int n = gbk_to_utf8(gbk.c_str(), out, ZEL_SEG_ANSWER_BYTES);
    if (n < 0 || n >= ZEL_SEG_ANSWER_BYTES) {
        out[0] = '\0';
        return 0;
    }
    return n;
}

// Room of a lattice's word list in GBK, terminator included.
constexpr size_t kGridAnswerBytes = 51200;

// Segments the lattice by CRF over the units the first step added and writes
// its words over all columns; a longer list is cut after its last whole
// character that fits.
int WriteGridWords(zel::CLattice& lattice, bool userTable, char* out) {
    lattice.CRFSeg(zel::g_pCRFModel.get(), userTable);
    std::string answer = lattice.GetLatticeInfo("Type=Word", 0, lattice.columnCount - 1);
    answer.resize(qz::GbkPrefixLength(answer, kGridAnswerBytes - 1));
    return WriteAnswer(answer, out);
}

}  // namespace

int ZEL_CRFInit(const char* modelPath) {
    if (zel::g_pCRFModel) return 1;
    if (modelPath == nullptr) return 0;
    auto model = std::make_unique<zel::CCRFModel>();
    if (!model->ModelInitEx(modelPath)) return 0;
    zel::g_pCRFModel = std::move(model);
    return 1;
}

int ZEL_CRFExit() {
    zel::g_pCRFModel.reset();
    return 1;
}

int ZEL_POSInit(const char* dictPath) {
    if (zel::g_pPOSModel || dictPath == nullptr) return 0;
    auto dict = std::make_unique<zel::CDictSearch>();
    if (!dict->DictSearchInit(dictPath)) return 0;
    zel::g_pPOSModel = std::move(dict);
    return 1;
}

int ZEL_POSExit() {
    zel::g_pPOSModel.reset();
    return 1;
}

void* ZEL_CRFPOSInit() { return new zel::CRFPOS(); }

void ZEL_CRFPOSExit(void* handle) { delete static_cast<zel::CRFPOS*>(handle); }

int ZEL_Seg(void* handle, const char* text, char* out) {
    if (out == nullptr) return 0;
    out[0] = '\0';
    if (handle == nullptr || text == nullptr) return 0;
    std::string answer;
    zel::CRFSeg(zel::g_pCRFModel.get(), *static_cast<zel::CRFPOS*>(handle), ToGbk(text, kMaxSegTextBytes), answer);
    return WriteAnswer(answer, out);
}

int ZEL_POS(void* handle, const char* words, char* out) {
    if (out == nullptr) return 0;
    out[0] = '\0';
    if (handle == nullptr || words == nullptr) return 0;
    std::string answer;
    zel::POSTagger(*static_cast<zel::CRFPOS*>(handle), zel::g_pPOSModel.get(), ToGbk(words, kMaxSegTextBytes),
                   answer);
    return WriteAnswer(answer, out);
}

int ZEL_GridSeg(void* lattice, char* out) {
    if (lattice == nullptr || out == nullptr) return 0;
    auto& grid = *static_cast<zel::CLattice*>(lattice);
    grid.LookupDictForSeg();
    return WriteGridWords(grid, false, out);
}

int ZEL_GridSegUser(void* lattice, const char* table, char* out) {
    if (lattice == nullptr || out == nullptr) return 0;
    auto& grid = *static_cast<zel::CLattice*>(lattice);
    zel::LookupDict_Table(grid, table, 0, grid.columnCount - 1);
    return WriteGridWords(grid, true, out);
}
