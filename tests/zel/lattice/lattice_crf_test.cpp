#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "zel/lattice/lattice.h"
#include "zel/models/crf/crf_fixture.h"
#include "zel/models/crf_model.h"
#include "zel/models/idx_crf.h"

namespace zel {
namespace {

using qztest::Gbk;
using qztest::Utf8;

class LatticeCrf : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Load(qztest::SmallCrfModelText(), model)); }
    bool Load(const std::string& text, CCRFModel& into) {
        qztest::WriteFile(dir.file("m.txt"), text);
        testing::internal::CaptureStdout();
        const bool compiled = IdxCRF(dir.file("m.txt").c_str(), dir.file("m.bin").c_str()) == 1;
        testing::internal::GetCapturedStdout();
        return compiled && into.ModelInitEx(dir.file("m.bin"));
    }
    void Build(const char* utf8) { ASSERT_TRUE(lattice.LatticeBuild(Gbk(utf8).c_str())); }
    // A unit of its own even for one character (whose character unit is
    // not read as a word).
    void AddWord(int last, const char* utf8) {
        std::string id;
        ASSERT_TRUE(lattice.AddNewUnit(last, Gbk(utf8).c_str(), kUnitWord, id, -1, false, ""));
    }
    // Word units after the placeholders and characters, as "first-last:word".
    std::vector<std::string> Words() {
        std::vector<std::string> words;
        for (int c = 0; c < lattice.columnCount; ++c) {
            CCandidate& column = lattice.columns[static_cast<size_t>(c)];
            for (int i = 2; i < column.unitCount; ++i) {
                const CUnit& unit = column.units[static_cast<size_t>(i)];
                words.push_back(std::to_string(unit.From) + "-" + std::to_string(unit.To) + ":" + Utf8(unit.Word));
            }
        }
        return words;
    }
    const std::set<std::string>& Allowed(int c) { return lattice.crfColumns[lattice.crfLeftPads + c].allowed(); }

    qztest::TempDir dir;
    CCRFModel model;
    CLattice lattice;
};

TEST_F(LatticeCrf, AddsTheWordsItFinds) {
    Build("我们好中华人");
    ASSERT_TRUE(lattice.CRFSeg(&model, false));
    EXPECT_EQ(Words(), (std::vector<std::string>{"0-1:我们", "3-5:中华人"}));  // 好 is its character unit
    EXPECT_FALSE(lattice.CRFSeg(nullptr, false));
    // A second run reuses the units.
    ASSERT_TRUE(lattice.CRFSeg(&model, false));
    EXPECT_EQ(Words().size(), 2u);
}

TEST_F(LatticeCrf, WordUnitsRestrictTheTagsOfTheirColumns) {
    Build("甲乙丙丁戊己");
    AddWord(4, "丙丁戊");
    AddWord(0, "甲");
    lattice.InitSeg(model, false);
    using Tags = std::set<std::string>;
    EXPECT_EQ(Allowed(2), (Tags{"B", "M"}));
    EXPECT_EQ(Allowed(3), Tags{"M"});
    EXPECT_EQ(Allowed(4), (Tags{"E", "M"}));
    EXPECT_EQ(Allowed(0), Tags{"S"});
    EXPECT_TRUE(Allowed(1).empty());
    EXPECT_TRUE(Allowed(5).empty());

    lattice.InitSeg(model, true);
    EXPECT_EQ(Allowed(2), Tags{"B"});
    EXPECT_EQ(Allowed(3), Tags{"M"});
    EXPECT_EQ(Allowed(4), Tags{"E"});
    EXPECT_EQ(Allowed(1), (Tags{"E", "S"}));  // a word ends before a user word
    EXPECT_EQ(Allowed(0), Tags{"S"});

    // The search keeps to them: 我们 held apart as two words.
    Build("我们好");
    AddWord(0, "我");
    AddWord(1, "们");
    ASSERT_TRUE(lattice.CRFSeg(&model, false));
    EXPECT_EQ(Words(), (std::vector<std::string>{"0-0:我", "1-1:们"}));
}

TEST_F(LatticeCrf, TwoLetterModelsTagWordsWithTheirSuffix) {
    // Tags Bn and In: the suffix n is the part of speech.
    CCRFModel twoLetter;
    ASSERT_TRUE(Load("h\n\nBn\nIn\n\nU00:%x[0,0]\n\n0 B\n\n0\n0\n0\n0\n", twoLetter));
    ASSERT_TRUE(twoLetter.IsTwoLetter());
    Build("我们");
    AddWord(1, "我们");
    ASSERT_TRUE(lattice.CRFSeg(&twoLetter, false));
    // The word unit allows B at its first column and continuation at both.
    CUnit* unit = lattice.GetLatticeUnit("(1,2)");
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(unit->POS, "n");
}

}  // namespace
}  // namespace zel
