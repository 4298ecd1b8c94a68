#include "qav/fulltext/format/term_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "common/platform/byte_codec.h"
#include "common/platform/file_handle.h"
#include "qav/fulltext/format/bm_files.h"
#include "qav/fulltext/format/term_table_file.h"
#include "support/test_support.h"

namespace qav::bm {
namespace {

TEST(CHashTableBM, HashesBytesAsSignedValues) {
    const CHashTableBM table(7);
    const struct { std::string text; uint32_t bucket; } cases[] = {
        {"", 0}, {"A", 2}, {"H", 2}, {"\xB0", 1}, {"AB", (65 * 64 + 66) % 7},
    };
    for (const auto& c : cases) EXPECT_EQ(table.HashVal(c.text), c.bucket) << c.text;
    EXPECT_EQ(CHashTableBM(0).size(), kDefaultHashSize);
}

TEST(CHashTableBM, BuffersPostingsAndWritesFullBuffersInRuns) {
    qztest::TempDir dir;
    CHashTableBM table(16);
    qz::FileHandle text = qz::OpenFile(dir.file("postings"), "wb");
    for (uint32_t i = 0; i < 11; ++i) {
        table.AddWord("w", i * 8, i * 12, 1, text.get());
        table.AddWord("w", i * 8, i * 12, 1, text.get());  // same field record: no second posting
    }
    ASSERT_TRUE(qz::CloseFile(text));
    std::string expected = "\nw ";
    for (uint32_t i = 0; i < 10; ++i) expected += std::to_string(i * 8) + " " + std::to_string(i * 12) + " 1 ";
    EXPECT_EQ(qztest::ReadFile(dir.file("postings")), expected);
    const CHashNodeBM* node = table.GetHashNode("w");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->postingCount, 11u);
    EXPECT_EQ(node->df, 11u);
    EXPECT_EQ(node->postings.size(), 1u);
    EXPECT_EQ(node->capacity, 20u);
}

TEST(CHashTableBM, RunsHoldAtMost400PostingsAndBuffersStopGrowingAt2560) {
    qztest::TempDir dir;
    CHashTableBM table(16);
    qz::FileHandle text = qz::OpenFile(dir.file("postings"), "wb");
    // Two fields of one document per step: df counts the document once.
    for (uint32_t i = 0; i < 6000; ++i) table.AddWord("w", i, i / 2, 0, text.get());
    CHashNodeBM& node = *table.GetHashNode("w");
    EXPECT_EQ(node.capacity, kLastPostingCapacity);
    EXPECT_EQ(node.df, 3000u);
    WritePostingText(text.get(), node);
    ASSERT_TRUE(qz::CloseFile(text));
    const std::string posted = qztest::ReadFile(dir.file("postings"));
    size_t lines = 0;
    size_t triples = 0;
    for (size_t start = 1; start <= posted.size();) {
        size_t end = posted.find('\n', start);
        if (end == std::string::npos) end = posted.size();
        const std::string line = posted.substr(start, end - start);
        const size_t numbers = std::count(line.begin(), line.end(), ' ') - 1;
        EXPECT_EQ(line.substr(0, 2), "w ");
        EXPECT_LE(numbers / 3, kPostingsPerRun);
        triples += numbers / 3;
        ++lines;
        start = end + 1;
    }
    EXPECT_EQ(triples, 6000u);
    EXPECT_GT(lines, 6000u / kPostingsPerRun);
}

TEST(CHashTableBM, MergedTermsKeepTheNumberOfTheirFirstGroupAndBucketOrder) {
    CHashTableBM merged(7);
    merged.AddWordEx("H", 1, 2);  // bucket 2
    merged.AddWordEx("B", 1, 1);  // bucket 3
    merged.AddWordEx("A", 2, 2);  // bucket 2, after "H"
    merged.AddWordEx("H", 3, 4);
    EXPECT_EQ(merged.GetHashNode("H")->termNumber, 0u);
    EXPECT_EQ(merged.GetHashNode("H")->df, 4u);
    EXPECT_EQ(merged.GetHashNode("H")->postingCount, 6u);
    EXPECT_EQ(merged.GetHashNode("A")->termNumber, 2u);
    std::vector<std::string> order;
    for (const CHashNodeBM* node : merged.InBucketOrder()) order.push_back(node->name);
    EXPECT_EQ(order, (std::vector<std::string>{"H", "A", "B"}));
}

TEST(TermTableFile, WritesAndLoadsEveryCountAndChunk) {
    qztest::TempDir dir;
    CHashTableBM table(7);
    table.m_nDocNum = 5;
    table.m_FieldDocs = {{0, 5}, {1, 3}};
    table.m_FieldTokens = {{0, 12}, {1, 2}};
    table.AddWordEx("H", 3, 4);
    table.AddWordVec("H", {0, 40}, {0, 1});
    table.AddWordEx("A", 1, 1);
    table.AddWordVec("A", {16}, {1});
    ASSERT_TRUE(WriteTermList(dir.file("WordList"), table));

    CHashTableBM loaded(7);
    ASSERT_TRUE(LoadTermList(dir.file("WordList"), loaded));
    EXPECT_EQ(loaded.m_nDocNum, 5u);
    EXPECT_EQ(loaded.m_FieldDocs, table.m_FieldDocs);
    EXPECT_EQ(loaded.m_FieldTokens, table.m_FieldTokens);
    // 2 / 3 in integer division would be 0: an average length is never 0.
    EXPECT_EQ(loaded.m_FieldAvgLen, (std::map<uint32_t, uint32_t>{{0, 2}, {1, 1}}));
    const CHashNodeBM* h = loaded.GetHashNode("H");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->termNumber, 0u);
    EXPECT_EQ(h->df, 3u);
    EXPECT_EQ(h->postingCount, 4u);
    EXPECT_EQ(h->chunkOffsets, (std::vector<uint32_t>{0, 40}));
    EXPECT_EQ(h->chunkShards, (std::vector<uint8_t>{0, 1}));

    // Every cut of the file is refused, except at a term's end.
    const std::string bytes = qztest::ReadFile(dir.file("WordList"));
    const size_t headerEnd = 4 + 4 + 16 + 4 + 16;
    const size_t firstTermEnd = headerEnd + 4 + 1 + 16 + 2 * 5;
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        qztest::WriteFile(dir.file("cut"), bytes.substr(0, cut));
        CHashTableBM damaged(7);
        EXPECT_EQ(LoadTermList(dir.file("cut"), damaged), cut == headerEnd || cut == firstTermEnd) << cut;
    }
}

TEST(CWordListBM, WritesIdfPerTermNumberAndTheTextViewLargestFirst) {
    qztest::TempDir dir;
    CHashTableBM table(7);
    table.m_nDocNum = 10;
    table.AddWordEx("common", 9, 9);
    table.AddWordEx("rare", 1, 1);
    CWordListBM list;
    list.ToWordList(table);
    ASSERT_TRUE(list.Write2File(dir.file("WordList_w")));

    const double rareIdf = std::log((10 - 1 + 0.5) / (1 + 0.5) + 1);
    EXPECT_FLOAT_EQ(list.entries[1].idf, static_cast<float>(rareIdf));
    std::string expected;
    qz::bytes::Append<int32_t>(expected, 2);
    for (const WordEntryBM& entry : list.entries) {
        qz::bytes::Append<int32_t>(expected, static_cast<int32_t>(entry.word.size()));
        expected += entry.word;
        qz::bytes::Append<int32_t>(expected, entry.termNumber);
        qz::bytes::Append<float>(expected, entry.idf);
    }
    EXPECT_EQ(qztest::ReadFile(dir.file("WordList_w")), expected);
    char text[128];
    std::snprintf(text, sizeof text, "rare %.6f\ncommon %.6f\n", static_cast<float>(rareIdf),
                  list.entries[0].idf);
    EXPECT_EQ(qztest::ReadFile(dir.file("WordList_w_InfoXY")), text);
    // df above N (a damaged count) takes N - df as an unsigned difference.
    EXPECT_DOUBLE_EQ(Idf(1, 2), std::log((4294967295.0 + 0.5) / 2.5 + 1));
}

TEST(BmFiles, EncodesEntriesAndRecords) {
    std::string entries;
    EXPECT_TRUE(WriteEncode(3, 5000, entries));
    EXPECT_TRUE(WriteEncode(7, 0x123, entries));
    EXPECT_FALSE(WriteEncode(0x10000000, 1, entries));
    ASSERT_EQ(entries.size(), 2 * kDocTermEntryBytes);
    uint32_t number = 0;
    uint32_t tf = 0;
    DecodeEntry(reinterpret_cast<const unsigned char*>(entries.data()), &number, &tf);
    EXPECT_EQ(number, 3u);
    EXPECT_EQ(tf, 4095u);
    DecodeEntry(reinterpret_cast<const unsigned char*>(entries.data()) + 5, &number, &tf);
    EXPECT_EQ(number, 7u);
    EXPECT_EQ(tf, 0x123u);

    unsigned char postings[2 * kPostingEntryBytes] = {};
    EncodeDocOffset(postings, 1, {3, 0xFFFFFFF0, 77, 2});
    const Posting back = DecodeDocOffset(postings, 1);
    EXPECT_EQ(back.shard, 3);
    EXPECT_EQ(back.termListOffset, 0xFFFFFFF0u);
    EXPECT_EQ(back.docOffset, 77u);
    EXPECT_EQ(back.field, 2);
    EXPECT_EQ(DocKey(1, 0), int64_t{1} << 32);
}

}  // namespace
}  // namespace qav::bm
