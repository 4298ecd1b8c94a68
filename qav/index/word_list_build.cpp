#include "qav/index/word_list_build.h"

#include <algorithm>

namespace {

template <typename T>
int ThreeWay(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

CWord EntryOf(const CHashNode& node) {
    CWord word;
    word.text = node.name;
    word.count = static_cast<int32_t>(node.count);
    word.id = node.id;
    word.offset = node.offset;
    word.type = node.type;
    word.file_no = node.file_no;
    return word;
}

}  // namespace

int CmpWord_Word(const CWord& a, const CWord& b) { return a.text.compare(b.text); }

int CmpWord_Count(const CWord& a, const CWord& b) {
    return ThreeWay(static_cast<uint32_t>(b.count), static_cast<uint32_t>(a.count));
}

int CmpWord_ID(const CWord& a, const CWord& b) { return ThreeWay(a.id, b.id); }

void ToWordList(const CHashTable& table, CWordList& list, WordListMode mode) {
    list.WordListExit();
    list.words.resize(static_cast<size_t>(std::max(table.next_id, 0)));
    // Placing each node at its identifier leaves the list in identifier order.
    table.ForEachNode([&list](const CHashNode& node) {
        if (node.id >= 0 && static_cast<size_t>(node.id) < list.words.size()) list.words[node.id] = EntryOf(node);
    });
    if (mode == kWordListMode) {
        list.words_by_id = list.words;
        std::sort(list.words.begin(), list.words.end(),
                  [](const CWord& a, const CWord& b) { return CmpWord_Word(a, b) < 0; });
        return;
    }
    // Equal counts keep identifier order, so that the list (and the layout of
    // the offset files that follows it) does not depend on the sort.
    std::sort(list.words.begin(), list.words.end(), [](const CWord& a, const CWord& b) {
        int byCount = CmpWord_Count(a, b);
        return byCount != 0 ? byCount < 0 : CmpWord_ID(a, b) < 0;
    });
}
