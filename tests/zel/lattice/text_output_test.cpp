#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "zel/lattice/lattice.h"

namespace zel {
namespace {

using qztest::Gbk;

class TextOutput : public ::testing::Test {
protected:
    std::string Add(int end, const char* utf8, int kind, const char* attributes = "") {
        std::string id;
        EXPECT_TRUE(lattice.AddNewUnit(end, Gbk(utf8).c_str(), kind, id, -1, false, attributes));
        return id;
    }
    CUnit& Unit(const std::string& id) { return *lattice.GetLatticeUnit(id.c_str()); }

    CLattice lattice;
};

TEST_F(TextOutput, SentenceWithChosenUnits) {
    ASSERT_TRUE(lattice.LatticeBuild(Gbk("中国人").c_str()));
    EXPECT_EQ(lattice.GetLatticeString("Type=Word"), Gbk("中国人"));
    Add(1, "中国", kUnitWord, "POS=ns");
    EXPECT_EQ(lattice.GetLatticeString("Type=Word"), Gbk("中国/Type=Word 人"));
    EXPECT_EQ(lattice.GetLatticeString("POS=*"), Gbk("中国/POS=ns 人"));
    Unit("(1,2)").SetPOS("ns");
    EXPECT_EQ(lattice.GetLatticeString("Type=Word", 0, 2, 4), "[" + Gbk("中国/ns") + "]" + Gbk("人"));
    EXPECT_EQ(lattice.GetLatticeString("Type=Word", 2, 2, 4), Gbk("中国人"));
    EXPECT_EQ(lattice.GetLatticeString("Type=Word", 2, 1, 4), Gbk("中国人"));
    EXPECT_EQ(lattice.GetLatticeInfo("Type=Word", 0, 2), Gbk("中国/ns "));
    EXPECT_EQ(lattice.GetLatticeInfo("Type=Word", 2, 1), "");

    // A gap before a unit is written with a blank after it.
    Add(2, "国人", kUnitWord);
    EXPECT_EQ(lattice.GetLatticeString("Type=Word"), Gbk("中 国人/Type=Word "));
    EXPECT_EQ(lattice.GetLatticeInfo("Type=Word", 1, 2), Gbk("国人 "));
}

TEST_F(TextOutput, ChunkTree) {
    ASSERT_TRUE(lattice.LatticeBuild(Gbk("我们喜欢").c_str()));
    EXPECT_EQ(lattice.Chunk2Tree(), "[Root]");
    std::string first = Add(1, "我们", kUnitChunk);
    Unit(first).SetPOS("NP");
    Add(1, "我们", kUnitWord, "");
    Unit("(1,3)").SetPOS("r");
    std::string second = Add(3, "喜欢", kUnitChunk);
    Unit(second).SetPOS("VP");
    // Only the chain of chunks that are the last units of their columns.
    EXPECT_EQ(lattice.Chunk2Tree(), "[Root[VP" + Gbk("喜欢") + "]]");
    Add(3, "欢", kUnitWord);  // the chunk is no longer last in its column
    EXPECT_EQ(lattice.Chunk2Tree(), "[Root]");

    CLattice two;
    ASSERT_TRUE(two.LatticeBuild(Gbk("我们喜欢").c_str()));
    std::string id;
    two.AddNewUnit(0, Gbk("我").c_str(), kUnitWord, id, -1, false, "");
    two.GetLatticeUnit(id.c_str())->SetPOS("r");
    two.AddNewUnit(1, Gbk("我们").c_str(), kUnitChunk, id, -1, false, "");
    two.GetLatticeUnit(id.c_str())->SetPOS("NP");
    two.AddNewUnit(3, Gbk("喜欢").c_str(), kUnitChunk, id, -1, false, "");
    two.GetLatticeUnit(id.c_str())->SetPOS("VP");
    EXPECT_EQ(two.Chunk2Tree(), "[Root[NP[" + Gbk("我") + " r]" + Gbk("们") + "][VP" + Gbk("喜欢") + "]]");
}

TEST_F(TextOutput, HeadChainEndsAtTheTopOrALoop) {
    ASSERT_TRUE(lattice.LatticeBuild(Gbk("甲乙丙").c_str()));
    std::vector<std::string> chain{"kept"};
    std::string head;
    lattice.GetHeadInfo("word", chain, head);
    EXPECT_EQ(chain, (std::vector<std::string>{"kept", "word"}));
    EXPECT_EQ(head, "word");

    chain.clear();
    lattice.GetHeadInfo("(0,1)", chain, head);
    EXPECT_EQ(chain, std::vector<std::string>{Gbk("甲")});
    EXPECT_EQ(head, Gbk("甲"));

    CUnit& a = lattice.columns[0].units[1];
    CUnit& b = lattice.columns[1].units[1];
    CUnit& c = lattice.columns[2].units[1];
    a.links.head = b.id;
    b.links.head = c.id;
    c.links.head = b.id;  // a loop not through the start
    chain.clear();
    lattice.GetHeadInfo("(0,1)", chain, head);
    EXPECT_EQ(chain, (std::vector<std::string>{Gbk("甲"), Gbk("乙"), Gbk("丙")}));
    EXPECT_EQ(head, Gbk("丙"));

    head = "unchanged";
    chain.clear();
    lattice.GetHeadInfo("(0 1)", chain, head);
    lattice.GetHeadInfo("(7,1)", chain, head);
    EXPECT_TRUE(chain.empty());
    EXPECT_EQ(head, "unchanged");
}

TEST_F(TextOutput, LogLinesAreKeptOnce) {
    ASSERT_TRUE(lattice.LatticeBuild("ab"));
    std::vector<std::string> lines{"stale"};
    lattice.AddLog({"one", "two"});
    lattice.AddLog({"two", "three"});
    lattice.CollectLog(lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three"}));
}

}  // namespace
}  // namespace zel
