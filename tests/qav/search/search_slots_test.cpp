// Result slots of a search object: fixed handles and the slot rules; its Lua
// state comes from the maker it was given.
#include <gtest/gtest.h>
#include <lua.hpp>

#include <cstdint>
#include <map>
#include <string>

#include "qav/search/qav_search.h"

namespace {

qav::CQAVSearch* g_madeFor = nullptr;

// A plain state: the object keeps and closes whatever its maker gives.
lua_State* BareState(qav::CQAVSearch* search) {
    g_madeFor = search;
    return luaL_newstate();
}

class SearchSlots : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(search_.QAVSearchInit(false)); }
    void TearDown() override { search_.QAVSearchExit(); }

    // Atom search stand-in: takes a free atom slot and stores one segment.
    uint64_t FakeAtomSearch() {
        qav::CAtomRet* slot = search_.TakeAtomSlot();
        if (!slot) return 0;
        static const unsigned char kRecords[8] = {};
        slot->AddSegment(kRecords, 0, 1, 8);
        return slot->Handle();
    }

    // Join stand-in: writes one hit marked with tag into the slot the rules
    // give and frees both inputs.
    uint64_t FakeJoin(uint64_t left, uint64_t right, uint32_t tag) {
        qav::CQAVRet* out = search_.MergeTarget(left, right);
        if (!out) return 0;
        out->Clear();
        qav::CRetInfo hit = qav::ClearedRetInfo();
        hit.position = tag;
        out->Add2QAVRetEx(hit);
        search_.FreeSlot(left);
        search_.FreeSlot(right);
        return out->Handle();
    }

    uint64_t A1() const { return search_.m_AtomRet[0].Handle(); }
    uint64_t A2() const { return search_.m_AtomRet[1].Handle(); }
    uint64_t M1() const { return search_.m_QAVRet[0].Handle(); }
    uint64_t M2() const { return search_.m_QAVRet[1].Handle(); }

    qav::CQAVSearch search_{BareState};
};

TEST(SearchObject, HandlesAreZeroBeforeSetUpAndNameNoSlot) {
    qav::CQAVSearch search;
    EXPECT_EQ(0u, search.m_AtomRet[0].Handle());
    EXPECT_EQ(0u, search.m_QAVRet[1].Handle());
    EXPECT_EQ(nullptr, search.TakeAtomSlot());
    EXPECT_EQ(nullptr, search.MergeTarget(0, 0));
    EXPECT_EQ(nullptr, search.FirstFreeMergedSlot());
}

TEST(SearchObject, SetUpMakesTheStateOnceWithItsMaker) {
    qav::CQAVSearch none;
    ASSERT_TRUE(none.QAVSearchInit(false));
    EXPECT_EQ(nullptr, none.LuaState());
    none.QAVSearchExit();

    qav::CQAVSearch failing([](qav::CQAVSearch*) -> lua_State* { return nullptr; });
    EXPECT_FALSE(failing.QAVSearchInit(false));
    failing.QAVSearchExit();

    qav::CQAVSearch search(BareState);
    ASSERT_TRUE(search.QAVSearchInit(false));
    EXPECT_EQ(&search, g_madeFor);
    lua_State* first = search.LuaState();
    ASSERT_NE(nullptr, first);
    ASSERT_TRUE(search.QAVSearchInit(false));
    EXPECT_EQ(first, search.LuaState());
    search.QAVSearchExit();
}

TEST_F(SearchSlots, FourDistinctHandlesStayFixedThroughTheRun) {
    const uint64_t before[] = {A1(), A2(), M1(), M2()};
    for (uint64_t h : before) EXPECT_NE(0u, h);
    EXPECT_EQ(4u, (std::map<uint64_t, int>{{before[0], 0}, {before[1], 1}, {before[2], 2}, {before[3], 3}}.size()));

    // Fill and consume every slot a few times over.
    for (int round = 0; round < 3; ++round) {
        const uint64_t a = FakeAtomSearch();
        const uint64_t b = FakeAtomSearch();
        const uint64_t m = FakeJoin(a, b, 1);
        FakeJoin(m, FakeAtomSearch(), 2);
    }
    const uint64_t after[] = {A1(), A2(), M1(), M2()};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(before[i], after[i]);
}

TEST_F(SearchSlots, AtomSearchTakesA1ThenA2ThenNothing) {
    EXPECT_EQ(A1(), FakeAtomSearch());
    EXPECT_EQ(A2(), FakeAtomSearch());
    EXPECT_EQ(0u, FakeAtomSearch());
    // A consumed slot is taken again.
    search_.FreeSlot(A2());
    EXPECT_EQ(A2(), FakeAtomSearch());
}

TEST_F(SearchSlots, SlotRulesTable) {
    const std::map<std::string, uint64_t> slot = {
        {"A1", A1()}, {"A2", A2()}, {"M1", M1()}, {"M2", M2()}, {"none", 0}, {"stray", A1() + 8}};
    struct Case {
        const char* left;
        const char* right;
        const char* out;  // "" for no result
    };
    const Case cases[] = {
        {"A1", "A2", "M1"}, {"A2", "A1", "M1"},  // two atom results
        {"A1", "M1", "M2"}, {"M1", "A2", "M2"},  // atom with M1
        {"A2", "M2", "M1"}, {"M2", "A1", "M1"},  // atom with M2
        {"M1", "M2", ""},   {"M2", "M1", ""},   {"M1", "M1", ""},  // two merged slots
        {"A1", "A1", ""},   {"A2", "A2", ""},                      // a slot with itself
        {"A1", "none", ""}, {"none", "M1", ""}, {"none", "none", ""},
        {"stray", "A2", ""}, {"M2", "stray", ""},
    };
    for (const Case& c : cases) {
        const qav::CQAVRet* out = search_.MergeTarget(slot.at(c.left), slot.at(c.right));
        const uint64_t got = out ? out->Handle() : 0;
        const uint64_t want = *c.out ? slot.at(c.out) : 0;
        EXPECT_EQ(want, got) << c.left << " + " << c.right;
    }
}

TEST_F(SearchSlots, JoinChainAlternatesMergedSlotsAndOldHandleSeesNewContent) {
    const uint64_t first = FakeJoin(FakeAtomSearch(), FakeAtomSearch(), 1);
    ASSERT_EQ(M1(), first);
    EXPECT_TRUE(search_.m_AtomRet[0].IsFree());
    EXPECT_TRUE(search_.m_AtomRet[1].IsFree());

    const uint64_t second = FakeJoin(first, FakeAtomSearch(), 2);
    ASSERT_EQ(M2(), second);
    EXPECT_TRUE(search_.m_QAVRet[0].IsFree());

    const uint64_t third = FakeJoin(FakeAtomSearch(), second, 3);
    ASSERT_EQ(M1(), third);
    // The first result's handle now names the third result.
    const qav::CQAVRet* slot = search_.MergedSlot(first);
    ASSERT_NE(nullptr, slot);
    ASSERT_EQ(1, slot->m_nCount);
    EXPECT_EQ(3u, slot->m_Hits[0].position);

    EXPECT_EQ(0u, FakeJoin(third, M2(), 4));
}

TEST_F(SearchSlots, FilterOutputIsTheFirstFreeMergedSlot) {
    EXPECT_EQ(M1(), search_.FirstFreeMergedSlot()->Handle());
    search_.m_QAVRet[0].Clear();
    EXPECT_EQ(M2(), search_.FirstFreeMergedSlot()->Handle());
    search_.m_QAVRet[1].Clear();
    EXPECT_EQ(nullptr, search_.FirstFreeMergedSlot());
}

TEST_F(SearchSlots, ResultsStopAtTheirCapacity) {
    qav::CQAVRet& merged = search_.m_QAVRet[0];
    merged.QAVRetInit(2);
    merged.Clear();
    const qav::CRetInfo hit = qav::ClearedRetInfo();
    EXPECT_TRUE(merged.Add2QAVRetEx(hit));
    EXPECT_TRUE(merged.Add2QAVRetEx(hit));
    EXPECT_FALSE(merged.Add2QAVRetEx(hit));
    EXPECT_EQ(2, merged.m_nCount);

    qav::CAtomRet& atom = search_.m_AtomRet[0];
    atom.AtomRetInit(1);
    atom.Take();
    const unsigned char records[18] = {};
    EXPECT_TRUE(atom.AddSegment(records, 8, 3, 9));
    EXPECT_FALSE(atom.AddSegment(records, 0, 5, 9));
    EXPECT_EQ(3, atom.TotalHits());

    // A capacity of 0 still gives the slot a handle of its own.
    qav::CQAVRet empty;
    empty.QAVRetInit(0);
    EXPECT_NE(0u, empty.Handle());
    EXPECT_FALSE(empty.Add2QAVRetEx(hit));
}

TEST_F(SearchSlots, ClearKeepsLimitsAndExitEmptiesEverything) {
    search_.m_ConditionText = "len($1)<3";
    search_.m_FinalRect.AddRow("row", qav::CFinalRect::kContextRow);
    search_.Add2Limit({5, 6});
    search_.Clear();
    EXPECT_TRUE(search_.m_ConditionText.empty());
    EXPECT_EQ(0, search_.m_FinalRect.m_nCount);
    EXPECT_EQ(1, search_.m_Limits.size());
    search_.ClearLimit();
    EXPECT_TRUE(search_.m_Limits.empty());

    search_.QAVSearchExit();
    EXPECT_EQ(0u, A1());
    EXPECT_EQ(0u, M2());
    EXPECT_EQ(nullptr, search_.LuaState());
    // A second set-up gives a working object again.
    ASSERT_TRUE(search_.QAVSearchInit(true));
    EXPECT_NE(nullptr, search_.LuaState());
    EXPECT_EQ(A1(), FakeAtomSearch());
}

}  // namespace
