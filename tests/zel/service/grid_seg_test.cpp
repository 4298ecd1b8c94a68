#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "include/zellib.h"
#include "support/test_support.h"
#include "tests/zel/service/seg_fixture.h"
#include "zel/lattice/lattice.h"
#include "zel/rules/tables/table_support.h"
#include "zel/service/table_seg.h"

namespace zel {
namespace {

using qztest::Gbk;

// The hand-made model, a one-word dictionary ("我们") and a word table T1
// ("中华", "好中"), loaded for each test.
class GridSeg : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(qztest::WriteSegModels(dir_));
        ASSERT_TRUE(BuildTables(dir_, ".T1\n好中 POS=t\n中华 POS=nz\n#Global Dom=x\n"));
        ASSERT_TRUE(LoadTables(dir_));
    }
    void TearDown() override {
        ZEL_CRFExit();
        ZEL_POSExit();
        TableClusterExit();
    }
    void Build(const char* utf8) { ASSERT_TRUE(lattice_.LatticeBuild(Gbk(utf8).c_str())); }
    std::string Answer(int n) {
        EXPECT_EQ(n, static_cast<int>(std::strlen(out_.data())));
        return out_.data();
    }

    qztest::TempDir dir_;
    CLattice lattice_;
    std::vector<char> out_ = std::vector<char>(ZEL_SEG_ANSWER_BYTES, 'x');
};

TEST_F(GridSeg, NullLatticeLeavesTheOutputAlone) {
    EXPECT_EQ(ZEL_GridSeg(nullptr, out_.data()), 0);
    EXPECT_EQ(ZEL_GridSegUser(nullptr, "T1", out_.data()), 0);
    EXPECT_EQ(out_[0], 'x');
}

TEST_F(GridSeg, DictionaryWordsThenModelWords) {
    ASSERT_EQ(ZEL_POSInit(dir_.file("dict.bin").c_str()), 1);
    Build("我们好中华人");
    EXPECT_EQ(Answer(ZEL_GridSeg(&lattice_, out_.data())), "我们 ");  // no model: the dictionary's words only
    ASSERT_EQ(ZEL_CRFInit(dir_.file("m.bin").c_str()), 1);
    Build("我们好中华人");
    EXPECT_EQ(Answer(ZEL_GridSeg(&lattice_, out_.data())), "我们 好 中华人 ");
}

TEST_F(GridSeg, TableWordsBeforeModelWords) {
    Build("我们好中华人");
    EXPECT_FALSE(LookupDict_Table(lattice_, "Nowhere", 0, lattice_.columnCount - 1));
    // "好中" is taken at column 2, so "中华" is never tried; uncovered
    // characters before a word are written as they stand.
    EXPECT_EQ(Answer(ZEL_GridSegUser(&lattice_, "T1", out_.data())), "我们好中 ");
    ASSERT_EQ(ZEL_CRFInit(dir_.file("m.bin").c_str()), 1);
    Build("我们好中华人");
    const std::string words = Answer(ZEL_GridSegUser(&lattice_, "T1", out_.data()));
    EXPECT_EQ(words.rfind("我们 ", 0), 0u) << words;
    EXPECT_EQ(Answer(ZEL_GridSegUser(&lattice_, "Nowhere", out_.data())), words);  // the model's words stay
}

}  // namespace
}  // namespace zel
