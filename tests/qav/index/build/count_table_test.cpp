#include "qav/index/build/count_table.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "qav/index/build/add_word.h"
#include "qav/index/format/unit_type.h"

namespace {

using Entry = std::tuple<std::string, int32_t, uint32_t>;  // text, type, count

// Counts the same additions in a counting table and in a unit table of the
// same bucket count; merging relies on both walking alike.
struct BothTables {
    explicit BothTables(uint32_t buckets) : counted(buckets), units(buckets) {}
    void Add(const std::string& text, int32_t type, uint32_t count) {
        counted.Add(text, type, count);
        qav::AddWord(units, text, count, type);
    }
    std::vector<Entry> CountedWalk() const {
        std::vector<Entry> walk;
        counted.ForEach([&](uint32_t, std::string_view text, int32_t type, uint32_t count) {
            walk.emplace_back(std::string(text), type, count);
        });
        return walk;
    }
    std::vector<Entry> UnitWalk() const {
        std::vector<Entry> walk;
        units.ForEachNode([&](const qav::CHashNode& node) { walk.emplace_back(node.name, node.type, node.count); });
        return walk;
    }
    qav::CountTable counted;
    qav::CHashTable units;
};

TEST(CountTable, WalksInTheOrderOfAUnitTable) {
    // Three buckets: many texts share one, a text comes in several types, and
    // the empty text is an entry like any other.
    BothTables tables(3);
    const std::vector<Entry> added = {
        {"b", qav::UNIT_WORD, 1}, {"a", qav::UNIT_WORD, 2}, {"b", qav::UNIT_ML, 1},   {"", qav::UNIT_WORD, 1},
        {"ab", qav::UNIT_ML, 4},  {"b", qav::UNIT_WORD, 3}, {"c", qav::UNIT_POS_R, 1}, {"a", qav::UNIT_ML, 1},
    };
    for (int round = 0; round < 50; ++round)  // enough texts to grow the name index
        tables.Add("t" + std::to_string(round * 7919 % 101), qav::UNIT_WORD, 1);
    for (const auto& [text, type, count] : added) tables.Add(text, type, count);

    EXPECT_EQ(tables.CountedWalk(), tables.UnitWalk());
    EXPECT_EQ(tables.counted.size(), tables.units.node_count());
    EXPECT_EQ(tables.counted.Count("b", qav::UNIT_WORD), 4u);
    EXPECT_EQ(tables.counted.Count("b", qav::UNIT_ML), 1u);
    EXPECT_EQ(tables.counted.Count("b", qav::UNIT_POS_R), 0u);  // a known text in a type never added
    EXPECT_EQ(tables.counted.Count("zz", qav::UNIT_WORD), 0u);
    EXPECT_EQ(qav::CountTable(7).Count("a", qav::UNIT_WORD), 0u);  // nothing added at all
}

TEST(CountTable, AnEntryKeepsThePlaceItWasMadeAt) {
    qav::CountTable counted(2);
    std::vector<uint32_t> places;
    for (int round = 0; round < 3; ++round)  // the name index grows in between
        for (int t = 0; t < 40; ++t) places.push_back(counted.Add("t" + std::to_string(t), qav::UNIT_WORD, 1));
    places.push_back(counted.Add("t7", qav::UNIT_ML, 1));
    for (int t = 0; t < 40; ++t) {
        EXPECT_EQ(places[t], static_cast<uint32_t>(t));
        EXPECT_EQ(places[40 + t], places[t]);
        EXPECT_EQ(places[80 + t], places[t]);
    }
    EXPECT_EQ(places.back(), 40u);  // a new type of a known text is a new entry
    counted.ForEach([&](uint32_t place, std::string_view text, int32_t type, uint32_t) {
        EXPECT_EQ(counted.Add(text, type, 0), place);
    });
}

TEST(CountTable, KeepsTextsLongerThanATextBlock) {
    BothTables tables(11);
    const std::string longText(200 * 1024, 'x');
    tables.Add("before", qav::UNIT_WORD, 1);
    tables.Add(longText, qav::UNIT_ML, 2);
    tables.Add("after", qav::UNIT_WORD, 1);  // still goes to the block "before" went to
    tables.Add(longText, qav::UNIT_ML, 1);
    EXPECT_EQ(tables.counted.Count(longText, qav::UNIT_ML), 3u);
    EXPECT_EQ(tables.counted.Count("after", qav::UNIT_WORD), 1u);
    EXPECT_EQ(tables.CountedWalk(), tables.UnitWalk());
}

}  // namespace
