// Layout of the groups of an n-gram data file: one group per character pair,
// a count of trigram records, the records, then their lists of longer n-grams.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel {

enum class NgramKind { Plain, Backoff };

// One list kind: the size of its count field, of a record and of its key.
struct ListLayout {
    int countBytes;
    int recordBytes;
    int keyBytes;
};

struct GroupLayout {
    int trigramBytes;         // one trigram record
    int firstListField;       // offset, inside a trigram record, of its first list offset
    int listCount;            // list offsets in a trigram record
    const ListLayout* lists;  // by list offset field: plain 4- to 9-grams, back-off 4- and 5-grams
};

const GroupLayout& LayoutOf(NgramKind kind);

// Read-only view of a data file whose groups were checked by CheckGroups.
class GroupReader {
public:
    GroupReader(const unsigned char* data, size_t size, NgramKind kind)
        : data_(data), size_(size), layout_(LayoutOf(kind)) {}

    // Every group offset must give a group whose records and lists lie
    // inside the file. Offset 0 means "no group" and is not checked.
    bool CheckGroup(uint64_t groupOffset) const;

    // The trigram record of the third character code in the group, or null.
    const unsigned char* FindTrigram(uint64_t groupOffset, const char* code) const;
    // The record with the given key in list `list` (0 = four-grams) of a
    // trigram record, or null when the list is absent or lacks the key.
    const unsigned char* FindInList(uint64_t groupOffset, const unsigned char* trigram, int list,
                                    const unsigned char* key) const;

private:
    const unsigned char* Search(const unsigned char* records, int64_t count, int recordBytes, const unsigned char* key,
                                int keyBytes) const;

    const unsigned char* data_;
    size_t size_;
    const GroupLayout& layout_;
};

}  // namespace zel
