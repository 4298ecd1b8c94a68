#include <gtest/gtest.h>

#include <cstring>

#include "support/test_support.h"
#include "zel/models/crf/crf_fixture.h"
#include "zel/models/crf_model.h"
#include "zel/models/crf_seg.h"
#include "zel/models/idx_crf.h"

namespace {

using qztest::Gbk;
using qztest::TempDir;
using qztest::Utf8;

// Compiles a text model and loads it.
bool LoadModel(const TempDir& dir, const std::string& text, zel::CCRFModel& model) {
    qztest::WriteFile(dir.file("m.txt"), text);
    testing::internal::CaptureStdout();
    bool compiled = IdxCRF(dir.file("m.txt").c_str(), dir.file("m.bin").c_str()) == 1;
    testing::internal::GetCapturedStdout();
    return compiled && model.ModelInitEx(dir.file("m.bin"));
}

std::string Segment(const zel::CCRFModel* model, const std::string& utf8) {
    zel::CRFPOS handle;
    std::string out;
    handle.CRFSeg(model, Gbk(utf8), out);
    return Utf8(out);
}

class CrfSeg : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(LoadModel(dir_, qztest::SmallCrfModelText(), model_)); }
    TempDir dir_;
    zel::CCRFModel model_;
};

TEST_F(CrfSeg, SegmentsTheHandMadeModel) {
    struct Case {
        const char* text;
        const char* words;
    };
    const Case cases[] = {
        {"我们好中华人", "我们 好 中华人"},
        {"", ""},
        // Unknown characters: every tag scores alike and B wins, one word each.
        {"ab", "a b"},
        {"a我们", "a 我们"},
        // B, B, E: the first B's character is kept as a word of its own.
        {"我中们", "我 中们"},
        // A word still open at the end of the text is written.
        {"好中华", "好 中华"},
    };
    for (const Case& c : cases) EXPECT_EQ(Segment(&model_, c.text), c.words) << c.text;
}

TEST_F(CrfSeg, PadsAtLeastOneColumnEachSide) {
    // The only template reads the character itself: offsets 0 and 0.
    EXPECT_EQ(model_.max_offset(), 0);
    EXPECT_EQ(model_.min_offset(), 0);
    EXPECT_EQ(model_.LeftPads(), 1);
    EXPECT_EQ(model_.RightPads(), 1);
}

TEST_F(CrfSeg, CandidatesPerColumnKind) {
    zel::CColumn column;
    column.SetHZ(Gbk("我"));
    auto tags = [&]() {
        std::vector<std::string> out;
        for (const zel::CItem& item : column.items()) {
            out.push_back(item.tag);
            EXPECT_EQ(item.score, 0.0f);
            EXPECT_EQ(item.back, -1);
        }
        return out;
    };
    column.Candidate(model_, zel::ColumnKind::kSentence);
    EXPECT_EQ(tags(), (std::vector<std::string>{"B", "E", "M", "S"}));
    column.Candidate(model_, zel::ColumnKind::kLeftPad);
    EXPECT_EQ(tags(), (std::vector<std::string>{"E"}));
    column.Candidate(model_, zel::ColumnKind::kRightPad);
    EXPECT_EQ(tags(), (std::vector<std::string>{"B"}));
    column.AddTag("S");
    column.AddTag("B");
    column.Candidate(model_, zel::ColumnKind::kSentence);
    EXPECT_EQ(tags(), (std::vector<std::string>{"B", "S"}));
}

TEST_F(CrfSeg, ScoresATagAfterAnother) {
    std::vector<zel::CColumn> columns(3);
    columns[0].SetHZ("_B-1");
    columns[1].SetHZ(Gbk("我"));
    columns[2].SetHZ("_B+1");
    std::string value;
    ASSERT_TRUE(model_.GetFeature(value, 0, columns, 1));
    EXPECT_EQ(value, Gbk("我"));
    EXPECT_FALSE(model_.GetFeature(value, 0, columns, 3));
    EXPECT_EQ(model_.GetProb("E", "B", columns, 1), 1.0f);
    EXPECT_EQ(model_.GetProb("E", "S", columns, 1), 0.0f);
    EXPECT_EQ(model_.GetProb("E", "X", columns, 1), 0.0f);  // not one of the model's tags
}

TEST(CrfSegTags, ScoresByThePlaceOfTheTagInTheModel) {
    // The same model with its tags listed in another order segments alike.
    TempDir dir;
    zel::CCRFModel model;
    ASSERT_TRUE(LoadModel(dir, qztest::SmallCrfModelText({"S", "M", "B", "E"}), model));
    EXPECT_EQ(Segment(&model, "我们好中华人"), "我们 好 中华人");
}

TEST(CrfSegTags, TwoLetterModelWritesNothing) {
    TempDir dir;
    zel::CCRFModel model;
    ASSERT_TRUE(LoadModel(dir, "h\n\nB\nI\n\nU00:%x[0,0]\n\n0 B\n\n0\n0\n0\n0\n", model));
    EXPECT_TRUE(model.IsTwoLetter());
    EXPECT_EQ(Segment(&model, "我们"), "");
}

TEST(CrfSegTags, NoModelNoWords) {
    zel::CRFPOS handle;
    std::string out = "old";
    EXPECT_FALSE(handle.CRFSeg(nullptr, Gbk("我们"), out));
    EXPECT_EQ(out, "");
    EXPECT_TRUE(zel::CRFSeg(nullptr, handle, Gbk("我们"), out));
}

TEST_F(CrfSeg, TagBitsRestrictTagsAndNeverLeaveAColumnEmpty) {
    // 好 may only be B or E; 们 may only be a tag the model lacks.
    qztest::WriteFile(dir_.file("bits.txt"), Gbk("#好\nB\tnote\nE\n#们\nX\n"));
    ASSERT_TRUE(model_.SetTagBit(dir_.file("bits.txt")));
    zel::CColumn column;
    column.SetHZ(Gbk("好"));
    column.Candidate(model_, zel::ColumnKind::kSentence);
    ASSERT_EQ(column.items().size(), 2u);
    EXPECT_EQ(column.items()[0].tag, "B");
    EXPECT_EQ(column.items()[1].tag, "E");
    column.SetHZ(Gbk("们"));
    column.Candidate(model_, zel::ColumnKind::kSentence);
    EXPECT_EQ(column.items().size(), 4u);
    // 好 cannot stand alone any more; it begins a word with the next one.
    EXPECT_EQ(Segment(&model_, "好们"), "好们");
    EXPECT_FALSE(model_.SetTagBit(dir_.file("missing.txt")));
}

TEST(CrfModelFile, RefusesDamagedFiles) {
    TempDir dir;
    qztest::WriteFile(dir.file("m.txt"), qztest::SmallCrfModelText());
    testing::internal::CaptureStdout();
    ASSERT_EQ(IdxCRF(dir.file("m.txt").c_str(), dir.file("m.bin").c_str()), 1);
    testing::internal::GetCapturedStdout();
    const std::string good = qztest::ReadFile(dir.file("m.bin"));
    zel::CCRFModel model;
    // Every cut short of the whole file fails the load and leaves the model empty.
    for (size_t cut = 0; cut < good.size(); ++cut) {
        qztest::WriteFile(dir.file("cut.bin"), good.substr(0, cut));
        EXPECT_FALSE(model.ModelInitEx(dir.file("cut.bin"))) << cut;
        EXPECT_EQ(model.weight_count(), 0u);
    }
    // A template count beyond the file or the 100 templates of a model.
    for (int32_t count : {-1, 101, 1 << 30}) {
        std::string bad = good;
        std::memcpy(bad.data(), &count, 4);
        qztest::WriteFile(dir.file("bad.bin"), bad);
        EXPECT_FALSE(model.ModelInitEx(dir.file("bad.bin"))) << count;
    }
    EXPECT_FALSE(model.ModelInitEx(dir.file("missing.bin")));
    EXPECT_TRUE(model.ModelInitEx(dir.file("m.bin")));
}

TEST(CrfModelFile, FeatureIdsBeyondTheWeightsScoreNothing) {
    // The feature of 我 points past the last weight.
    TempDir dir;
    zel::CCRFModel model;
    ASSERT_TRUE(LoadModel(dir, "h\n\nB\nE\nM\nS\n\nU00:%x[0,0]\n\n0 B\n1000000 U00:我\n\n1\n", model));
    EXPECT_EQ(Segment(&model, "我们"), "我 们");
}

}  // namespace
