// The document lookup of a loaded document table: every key finds the entry
// the table's search gives, in ascending tables (empty documents, bucket
// edges, keys past the last document) and in damaged unordered ones; names
// numbered in their order.
#include "qav/index/engine/org_info.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "qav/index/format/org_dat_file.h"
#include "support/test_support.h"

namespace {

uint64_t Key(uint64_t file, uint64_t position) { return (file << 32) | position; }

// The entry the table's own search gives for a non-zero key.
int64_t SearchedEntry(const qav::COrgInfo& info, uint64_t key) {
    const int64_t c = info.EntryCount();
    const int64_t p = qav::COrgInfo::RetNo(key, info.Keys().data(), 0, c - 1, true);
    return p <= 0 || p >= c || info.Names()[static_cast<size_t>(p - 1)].empty() ? -1 : p - 1;
}

qav::COrgInfo Loaded(const qztest::TempDir& dir, const std::vector<uint64_t>& ends,
                     const std::vector<std::string>& names) {
    qav::OrgTable table;
    table.ends.assign(ends.begin(), ends.end());
    table.names = names;
    EXPECT_TRUE(qav::WriteOrgDatFile(dir.file("Org.dat"), table));
    qav::COrgInfo info;
    EXPECT_TRUE(info.OrgInfoInit(dir.file("Org.dat")));
    return info;
}

TEST(OrgInfo, LookupsFindTheSearchedEntry) {
    qztest::TempDir dir;
    // Documents ending at these keys: dense ones inside one bucket of
    // positions, empty ones (repeated ends), ones across many buckets and
    // files, a file without documents, and the largest key last.
    const std::vector<uint64_t> ascending = {
        Key(0, 5),     Key(0, 6),     Key(0, 6),      Key(0, 4095), Key(0, 4096), Key(0, 4097),
        Key(0, 50000), Key(1, 0),     Key(1, 10),     Key(1, 10),   Key(3, 7),    Key(3, 123456),
        Key(255, 1),   ~uint64_t{0}};
    std::vector<uint64_t> unordered = ascending;
    std::swap(unordered[3], unordered[9]);
    for (const std::vector<uint64_t>& ends : {ascending, unordered}) {
        std::vector<std::string> names(ends.size(), "d");
        names[4].clear();  // a document without a name
        const qav::COrgInfo info = Loaded(dir, ends, names);
        std::vector<uint64_t> keys = {1, Key(2, 0), Key(2, 99999), Key(3, 200000), Key(254, 9), Key(255, 0),
                                      Key(255, 1), Key(255, 2), ~uint64_t{0} - 1, ~uint64_t{0}};
        for (uint64_t end : ends)
            for (uint64_t near : {end - 1, end, end + 1}) keys.push_back(near);
        for (uint64_t key : keys) {
            if (key == 0) continue;
            const int64_t entry = SearchedEntry(info, key);
            EXPECT_EQ(info.EntryOf(key), entry) << std::hex << key;
            // The one named document has name number 1, after the empty name.
            EXPECT_EQ(info.NameNumberOf(key), entry < 0 ? -1 : 1) << std::hex << key;
        }
    }
}

TEST(OrgInfo, NamesAreNumberedInTheirOrder) {
    qztest::TempDir dir;
    const qav::COrgInfo info = Loaded(dir, {Key(0, 10), Key(0, 20), Key(0, 30), Key(0, 40)}, {"B", "A", "B", "C"});
    // The loaded table ends with an entry of no name.
    EXPECT_EQ(info.SortedNames(), (std::vector<std::string>{"", "A", "B", "C"}));
    // By key: the documents in table order; keys past the last end fall in
    // the last document.
    const std::vector<std::pair<uint64_t, int64_t>> expected = {
        {Key(0, 5), 2}, {Key(0, 15), 1}, {Key(0, 25), 2}, {Key(0, 35), 3}, {Key(0, 45), 3}};
    for (const auto& [key, number] : expected) EXPECT_EQ(info.NameNumberOf(key), number) << key;
}

}  // namespace
