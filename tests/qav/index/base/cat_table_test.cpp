#include "qav/index/base/cat_table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

namespace {

using qztest::Gbk;
using Table = std::map<std::string, std::set<std::string>>;

Table Snapshot() {
    Table table;
    for (const std::string& name : qav::g_mCatTable.Names()) {
        const std::vector<std::string> words = qav::g_mCatTable.Words(name);
        table[name].insert(words.begin(), words.end());
    }
    return table;
}

class CatTableTest : public ::testing::Test {
protected:
    void SetUp() override { qav::g_mCatTable.Clear(); }
    void TearDown() override { qav::g_mCatTable.Clear(); }

    bool LoadText(const std::string& text) {
        qztest::WriteFile(dir_.file("cat.txt"), text);
        return qav::CatTableInit(dir_.file("cat.txt"));
    }

    qztest::TempDir dir_;
};

TEST_F(CatTableTest, FileLayouts) {
    const std::string one = Gbk("一"), two = Gbk("二");
    const std::string longWord(1500, 'a');
    struct Case {
        std::string text;
        Table expected;
    } cases[] = {
        {"#NUM\n" + one + "\n" + two + "\n" + one + "\n", {{"NUM", {one, two}}}},
        {" \t#NUM\n  " + one + " \t\n" + Gbk("一 二") + "\n", {{"NUM", {one, Gbk("一 二")}}}},
        {"#A\r\nx\r\n.B\ny\n", {{"A", {"x"}}, {"B", {"y"}}}},
        {"// note\n\n#A\n/x\n  // y\nx\n", {{"A", {"x"}}}},
        {"#A\n#B\nx\n", {{"B", {"x"}}}},
        {"#A\nx\n#B\n", {{"A", {"x"}}}},
        {"w\nv\n#A\nx\n", {{"A", {"x"}}}},
        {"#A\nx\n#B\ny\n#A\nz\n", {{"A", {"x", "z"}}, {"B", {"y"}}}},
        // A line longer than the reader's piece is read as two lines.
        {"#A\n" + longWord + "\n", {{"A", {std::string(477, 'a'), std::string(1023, 'a')}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qztest::Utf8(c.text.substr(0, 40)));
        qav::g_mCatTable.Clear();
        ASSERT_TRUE(LoadText(c.text));
        EXPECT_EQ(Snapshot(), c.expected);
    }
}

TEST_F(CatTableTest, LoadsMergeAndAMissingFileChangesNothing) {
    ASSERT_TRUE(LoadText("#A\nx\ny\n"));
    ASSERT_TRUE(LoadText("#A\ny\nz\n#B\nq\n"));
    const Table expected = {{"A", {"x", "y", "z"}}, {"B", {"q"}}};
    EXPECT_EQ(Snapshot(), expected);

    EXPECT_FALSE(qav::CatTableInit(dir_.file("missing.txt")));
    EXPECT_FALSE(qav::CatTableInit(std::string(1024, 'a')));
    EXPECT_EQ(Snapshot(), expected);
}

TEST_F(CatTableTest, Operations) {
    qav::g_mCatTable.Add("B", {"y", "x"});
    qav::g_mCatTable.Add("A", {});
    qav::g_mCatTable.Add("B", {"x", "z"});
    EXPECT_EQ(qav::g_mCatTable.Size(), 2u);
    EXPECT_EQ(qav::g_mCatTable.Names(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(qav::g_mCatTable.Words("B"), (std::vector<std::string>{"x", "y", "z"}));
    EXPECT_TRUE(qav::g_mCatTable.Words("C").empty());
    EXPECT_TRUE(qav::g_mCatTable.Contains("A"));
    EXPECT_FALSE(qav::g_mCatTable.Contains("C"));

    std::set<std::string> out = {"w"};
    EXPECT_TRUE(qav::g_mCatTable.InsertWordsInto("B", out));
    EXPECT_FALSE(qav::g_mCatTable.InsertWordsInto("C", out));
    EXPECT_EQ(out, (std::set<std::string>{"w", "x", "y", "z"}));

    EXPECT_TRUE(qav::g_mCatTable.Remove("B"));
    EXPECT_FALSE(qav::g_mCatTable.Remove("B"));
    EXPECT_EQ(qav::g_mCatTable.Names(), (std::vector<std::string>{"A"}));
    qav::g_mCatTable.Clear();
    EXPECT_EQ(qav::g_mCatTable.Size(), 0u);
}

// Query threads read categories while others add, remove and clear them; the
// sanitizers report any access to freed or half-built nodes.
TEST_F(CatTableTest, ConcurrentReadersAndWriters) {
    const std::vector<std::string> words = {"a", "b", "c", "d"};
    std::atomic<bool> stop{false};
    std::atomic<long> badReads{0};

    std::vector<std::thread> threads;
    for (int r = 0; r < 4; ++r) {
        threads.emplace_back([&] {
            while (!stop) {
                for (const std::string& name : qav::g_mCatTable.Names()) {
                    std::vector<std::string> got = qav::g_mCatTable.Words(name);
                    // Writers only ever add the words above, so any other
                    // content is a torn read.
                    for (const std::string& w : got)
                        if (w.size() != 1 || w[0] < 'a' || w[0] > 'd') ++badReads;
                }
                std::set<std::string> out;
                qav::g_mCatTable.InsertWordsInto("K0", out);
                if (out.size() > words.size()) ++badReads;
            }
        });
    }
    for (int w = 0; w < 2; ++w) {
        threads.emplace_back([&, w] {
            for (int i = 0; i < 2000; ++i) {
                const std::string name = "K" + std::to_string(i % 8);
                qav::g_mCatTable.Add(name, {words[(i + w) % 4], words[(i * 3) % 4]});
                if (i % 7 == w) qav::g_mCatTable.Remove(name);
                if (i % 500 == 499) qav::g_mCatTable.Clear();
            }
        });
    }
    for (size_t i = 4; i < threads.size(); ++i) threads[i].join();
    stop = true;
    for (size_t i = 0; i < 4; ++i) threads[i].join();
    EXPECT_EQ(badReads, 0);
}

}  // namespace
