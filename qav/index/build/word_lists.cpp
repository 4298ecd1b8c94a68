#include "qav/index/build/word_lists.h"

#include <algorithm>
#include <thread>

#include "qav/index/build/add_word.h"
#include "qav/index/build/row_look_up.h"
#include "qav/index/base/config.h"
#include "qav/index/base/qav_log.h"

namespace qav {

namespace {

constexpr uint32_t kMinGroupWordBuckets = 102400;

uint32_t Buckets(int32_t configured) {
    return configured > 0 ? static_cast<uint32_t>(configured) : CHashTable::kDefaultBucketCount;
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

std::vector<const CountTable*> Pointers(const std::vector<std::unique_ptr<CountTable>>& tables) {
    std::vector<const CountTable*> pointers;
    for (const auto& table : tables) pointers.push_back(table.get());
    return pointers;
}

}  // namespace

bool CmpWord_Word(const CWord& a, const CWord& b) { return a.text < b.text; }

bool CmpWord_Count(const CWord& a, const CWord& b) {
    return static_cast<uint32_t>(a.count) > static_cast<uint32_t>(b.count);
}

bool CmpWord_ID(const CWord& a, const CWord& b) { return a.id < b.id; }

void CountTables::InitHash(const CConfig& config, int groupCount) {
    const CSizeInfo& sizes = config.m_SizeInfo;
    units.Reset(Buckets(sizes.HashSize_IdxUnit));
    words.Reset(Buckets(sizes.HashSize_WordList));
    uint32_t group_word_buckets = Buckets(sizes.HashSize_WordList);
    if (groupCount >= 2)
        group_word_buckets =
            std::max(static_cast<uint32_t>(std::max(sizes.HashSize_WordList, 0) / groupCount), kMinGroupWordBuckets);
    group_units.clear();
    group_words.clear();
    group_unit_ids.clear();
    group_word_ids.clear();
    for (int g = 0; g < groupCount; ++g) {
        group_units.push_back(std::make_unique<CountTable>(Buckets(sizes.HashSize_IdxUnit)));
        group_words.push_back(std::make_unique<CountTable>(group_word_buckets));
    }
}

void CountTables::MergeHash() {
    // The two merges share nothing: the words are merged beside the units.
    std::thread wordMerge([this] { group_word_ids = qav::MergeHash(words, Pointers(group_words)); });
    group_unit_ids = qav::MergeHash(units, Pointers(group_units));
    wordMerge.join();
}

void CountTables::HashTables2WordList(CWordList& unitList, CWordList& wordList) const {
    // As in the merge, the two lists share nothing.
    std::thread wordSort([&] { ToWordList(words, wordList, 1); });
    ToWordList(units, unitList, 0);
    wordSort.join();
}

std::vector<std::vector<int32_t>> MergeHash(CHashTable& table, const std::vector<const CountTable*>& tables) {
    // The merged table outgrows the caches: entries are added a batch at a
    // time with their slots and nodes asked for ahead, in the order they come,
    // so that each new entry still takes the next identifier.
    struct Entry {
        std::string_view text;
        int32_t type;
        uint32_t count;
        int32_t* id;  // where the entry's merged identifier goes
    };
    constexpr size_t kBatch = 64;
    std::vector<Entry> batch;
    batch.reserve(kBatch);
    RowLookUp<> row;
    auto addBatch = [&] {
        row.Start(table, batch.size(), [&](size_t i) { return batch[i].text; });
        row.Walk([&](size_t i, uint64_t hash) {
            *batch[i].id = AddWord(table, batch[i].text, batch[i].count, batch[i].type, hash)->id;
        });
        batch.clear();
    };
    std::vector<std::vector<int32_t>> ids(tables.size());
    for (size_t t = 0; t < tables.size(); ++t) {
        ids[t].assign(tables[t]->size(), -1);
        tables[t]->ForEach([&](uint32_t place, std::string_view text, int32_t type, uint32_t count) {
            batch.push_back({text, type, count, &ids[t][place]});
            if (batch.size() == kBatch) addBatch();
        });
        // Each table's identifiers are complete before the next table's vector is made.
        addBatch();
    }
    return ids;
}

void ToWordList(const CHashTable& table, CWordList& list, int mode) {
    list.words.assign(static_cast<size_t>(std::max(table.next_id, 0)), CWord());
    list.words_by_id.clear();
    size_t next = 0;
    table.ForEachNode([&](const CHashNode& node) {
        if (next < list.words.size()) list.words[next++] = EntryOf(node);
    });
    if (mode == 0) {
        std::sort(list.words.begin(), list.words.end(), CmpWord_Count);
        return;
    }
    list.words_by_id = list.words;
    std::sort(list.words.begin(), list.words.end(), CmpWord_Word);
    std::sort(list.words_by_id.begin(), list.words_by_id.end(), CmpWord_ID);
}

bool PruneWordList(CWordList& unitList, const CWordList& wordList, int64_t limit) {
    QavLog("WordList size: U=%lld, W=%lld\n", static_cast<long long>(unitList.length()),
           static_cast<long long>(wordList.length()));
    const int64_t before = unitList.length();
    if (before <= limit) {
        QavLogOnly("  No pruning needed.\n");
        return true;
    }
    const uint32_t threshold = static_cast<uint32_t>(unitList.words[static_cast<size_t>(limit - 1)].count);
    unitList.words.resize(static_cast<size_t>(limit));
    QavLog("  WordList_U pruned: %lld -> %lld  (freq threshold >= %u, removed %lld entries)\n",
           static_cast<long long>(before), static_cast<long long>(limit), threshold,
           static_cast<long long>(before - limit));
    QavLog("  WordList pruning done. U=%lld, W=%lld\n", static_cast<long long>(unitList.length()),
           static_cast<long long>(wordList.length()));
    return true;
}

}  // namespace qav
