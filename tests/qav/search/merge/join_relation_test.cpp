// Positional relations of a join and the joined hit of a pair.
#include <gtest/gtest.h>

#include <string>

#include "qav/search/merge/join_relation.h"

namespace {

qav::CRetInfo Hit(int start, int length, int clause = 0) {
    qav::CRetInfo hit = qav::ClearedRetInfo();
    hit.file_no = 0;
    hit.position = 520;
    hit.start = static_cast<int16_t>(start);
    hit.length = static_cast<uint8_t>(length);
    hit.clause = static_cast<uint8_t>(clause);
    return hit;
}

TEST(JoinRelation, PairsMatchTheirRelation) {
    struct Case {
        const char* relation;
        qav::CRetInfo left, right;
        bool match;
    } cases[] = {
        // Left covers words 3 and 4.
        {"Link", Hit(3, 2), Hit(5, 1), true},
        {"Link", Hit(3, 2), Hit(4, 1), false},
        {"ShareTag", Hit(3, 2), Hit(4, 1), true},
        {"ShareTag", Hit(3, 2), Hit(5, 1), false},
        {"ShareQuery", Hit(3, 2), Hit(4, 3), true},
        // "*" and "^" need a word between the two hits; the clause decides.
        {"*", Hit(3, 2, 1), Hit(6, 1, 1), true},
        {"*", Hit(3, 2, 1), Hit(5, 1, 1), false},
        {"*", Hit(3, 2, 1), Hit(6, 1, 2), false},
        {"^", Hit(3, 2, 1), Hit(6, 1, 2), true},
        {"^", Hit(3, 2, 1), Hit(5, 1, 2), false},
        {"^", Hit(3, 2, 1), Hit(6, 1, 1), false},
        {"SameLeft", Hit(3, 2), Hit(3, 1), true},
        {"SameLeft", Hit(3, 1), Hit(3, 2), false},
        {"SameRight", Hit(3, 2), Hit(4, 1), true},
        {"SameSent", Hit(9, 1), Hit(0, 1), true},
        {"InPhrase", Hit(3, 2), Hit(3, 2), false},
        {"InChunk", Hit(3, 3), Hit(4, 1), true},
        {"InChunk", Hit(3, 3), Hit(3, 3), true},
        {"InChunk", Hit(3, 3), Hit(5, 2), false},
        {"SameBoundary", Hit(3, 3), Hit(3, 3), true},
        {"SameBoundary", Hit(3, 3), Hit(4, 1), false},
        {"NoSuchRelation", Hit(3, 3), Hit(3, 3), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.relation) + " R.start=" + std::to_string(c.right.start));
        EXPECT_EQ(c.match, qav::IsJoinMatch(c.left, c.right, qav::JoinRelationCode(c.relation)));
    }
}

TEST(JoinRelation, CodesOutsideTheTableMatchNothing) {
    EXPECT_EQ(4112, qav::JoinRelationCode("SameBoundary"));
    EXPECT_EQ(0, qav::JoinRelationCode("sameboundary"));
    for (int code : {0, 4095, 4106, 4111, 4113})
        EXPECT_FALSE(qav::IsJoinMatch(Hit(3, 3), Hit(3, 3), code)) << code;
}

TEST(JoinRelation, JoinedHitSpansBothWithShiftedBrackets) {
    qav::CRetInfo left = Hit(3, 2);
    left.bracket[0] = 0;
    left.bracket[1] = 2;
    qav::CRetInfo right = Hit(5, 1);
    right.position = 999;  // the joined hit keeps the left sentence
    right.bracket[0] = 1;
    for (bool leftFirst : {true, false}) {
        const qav::CRetInfo joined = leftFirst ? JoinRetInfo(left, right) : JoinRetInfo(right, left);
        EXPECT_EQ(3, joined.start);
        EXPECT_EQ(3, joined.length);
        EXPECT_EQ(0, joined.bracket[0]);
        EXPECT_EQ(2, joined.bracket[1]);
        EXPECT_EQ(3, joined.bracket[2]);
        EXPECT_EQ(qav::kNoBracket, joined.bracket[3]);
        EXPECT_EQ(leftFirst ? 520u : 999u, joined.position);
    }
}

TEST(JoinRelation, JoinedLengthIsClampedNotWrapped) {
    const qav::CRetInfo joined = JoinRetInfo(Hit(0, 200), Hit(150, 200));
    EXPECT_EQ(0, joined.start);
    EXPECT_EQ(255, joined.length);
}

TEST(JoinRelation, BracketsStopAtSix) {
    qav::CRetInfo left = Hit(0, 5), right = Hit(1, 5);
    for (int i = 0; i < 4; ++i) left.bracket[i] = static_cast<uint8_t>(i);
    for (int i = 0; i < 4; ++i) right.bracket[i] = static_cast<uint8_t>(10 + i);
    const qav::CRetInfo joined = JoinRetInfo(left, right);
    const uint8_t expected[qav::kBracketCount] = {0, 1, 2, 3, 11, 12};
    for (int i = 0; i < qav::kBracketCount; ++i) EXPECT_EQ(expected[i], joined.bracket[i]) << i;
}

TEST(JoinRelation, PairsOfARelationWithOneMeetingPlaceMeetAtIt) {
    const char* exact[] = {"Link", "ShareTag", "ShareQuery", "SameLeft", "SameRight", "SameBoundary"};
    for (const char* relation : exact) {
        SCOPED_TRACE(relation);
        const int code = qav::JoinRelationCode(relation);
        int pairs = 0;
        // Every pair of hits starting at -2 .. 7 with 1 .. 3 words.
        for (int ls = -2; ls < 8; ++ls)
            for (int ll = 1; ll <= 3; ++ll)
                for (int rs = -2; rs < 8; ++rs)
                    for (int rl = 1; rl <= 3; ++rl) {
                        const qav::CRetInfo left = Hit(ls, ll), right = Hit(rs, rl);
                        int leftPlace = 0, rightPlace = 0;
                        ASSERT_TRUE(qav::JoinPlace(code, true, left, leftPlace));
                        ASSERT_TRUE(qav::JoinPlace(code, false, right, rightPlace));
                        if (!qav::IsJoinMatch(left, right, code)) continue;
                        ++pairs;
                        EXPECT_EQ(leftPlace, rightPlace) << ls << "+" << ll << " " << rs << "+" << rl;
                    }
        EXPECT_GT(pairs, 0);
    }
    // Relations whose pairs may lie anywhere in the sentence have no place.
    int place = 0;
    for (const char* relation : {"*", "^", "SameSent", "InPhrase", "InChunk", "NoSuchRelation"})
        for (bool isLeft : {true, false})
            EXPECT_FALSE(qav::JoinPlace(qav::JoinRelationCode(relation), isLeft, Hit(3, 1), place)) << relation;
}

}  // namespace
