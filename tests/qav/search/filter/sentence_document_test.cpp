// The document of a sentence: the sentence information's record when there
// is one, else the document table's key range.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "qav/index/engine/org_info.h"
#include "qav/index/engine/sent_info.h"
#include "qav/search/filter/sentence_document.h"
#include "support/test_support.h"

namespace {

// Two documents of three lines each: keys [0, 600) and [600, largest key).
qav::COrgInfo TwoDocuments(const qztest::TempDir& dir) {
    qav::COrgInfo build;
    const std::string org = dir.file("Org.txt");
    qztest::WriteFile(org, "#0\t3\nT:a\nEx:\n#3\t6\nT:b\nEx:\n");
    EXPECT_TRUE(build.InitOrgEx(org));
    build.MapEndLinesToKeys({512, 520, 530, 600, 610, 620, UINT64_MAX});
    EXPECT_TRUE(build.WriteOrg(dir.file("Org.dat")));
    qav::COrgInfo table;
    EXPECT_TRUE(table.OrgInfoInit(dir.file("Org.dat")));
    return table;
}

TEST(SentenceDocument, RecordFirstThenTheDocumentTable) {
    qztest::TempDir dir;
    const qav::COrgInfo table = TwoDocuments(dir);
    qav::CHashTableInfo sentences;
    sentences.MakeBuckets(16);
    sentences.Add2Hash(610, (uint64_t{5} << 32) | 1, 4);  // a record that disagrees with the table wins

    struct Case {
        uint64_t key;
        bool withTable;
        bool found;
        int64_t doc;
    };
    const Case cases[] = {
        {0, true, true, 0},     {512, true, true, 0},   {599, true, true, 0},
        {600, true, true, 1},   {620, true, true, 1},   {610, true, true, 5},
        {610, false, true, 5},  {512, false, false, 0},  {UINT64_MAX, true, false, 0},
    };
    for (const Case& c : cases) {
        int64_t doc = -1;
        EXPECT_EQ(c.found, qav::DocumentOfSentence(sentences, c.withTable ? &table : nullptr, c.key, doc)) << c.key;
        if (c.found) {
            EXPECT_EQ(c.doc, doc) << c.key;
        }
    }
    int64_t doc = -1;
    EXPECT_FALSE(qav::DocumentInTable(qav::COrgInfo(), 512, doc));
}

}  // namespace
